// How the main window shows a store's values under each font set-up of its
// machines: the faces drawn upright, every column of a first start holding
// its longest values, stored widths coming back, long names shown from their
// start.

#include "UMainForm.h"

#include "UDataGrid.h"
#include "UFaultEnv.h"
#include "UFilteredDataGrid.h"
#include "UGridHeader.h"
#include "ULocalDbEdit.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UTextConst.h"

#include "DialogTestKit.h"
#include "FontSetups.h"

#include <QApplication>
#include <QFontMetrics>
#include <QRawFont>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

using namespace tv;

namespace {

const std::pair<int, const char*> Languages[] = {{0, "rus"}, {1, "ukr"}, {2, "eng"}};

// The window shown at its first, smallest size in the language; null when
// it does not show so.
std::unique_ptr<TMainFormStore> OpenSmallest(int language)
{
    LoadLanguageTexts(language);
    auto w = std::make_unique<TMainFormStore>();
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()) || w->size() != QSize(MainMinWidth, MainMinHeight)) return nullptr;
    return w;
}

// The face fontconfig gives the grids and amount edits: an upright
// condensed face of the window's family where the set-up has one.
const std::pair<const char*, const char*> GridFaces[] = {
    {"urw", "Nimbus Sans Narrow"},
    {"cantarell", "Cantarell"},
    {"liberation", "Liberation Sans Narrow"},
    {"dejavu", "DejaVu Sans Condensed"},
    {"noto", "Noto Sans"},
};

QString SetupName() { return qEnvironmentVariable("TV_FONT_SETUP"); }

// 40 letters, the longest a name or a note holds.
const char* const LongName = "ШОКОЛАД МОЛОЧНИЙ З ГОРІХАМИ ТА РОДЗИНКАМ";
const char* const LongNote = "НАКЛАДНА 00012345 ВІД ПОСТАЧАЛЬНИКА ТОВ ";

// The edit's text drawn from its start: up to the end of its first word it
// looks as an edit of the same kind, height and font wide enough for all.
bool ShowsItsStart(QLineEdit* edit)
{
    TLocalDbEdit reference;
    reference.setFont(edit->font());
    reference.setReadOnly(edit->isReadOnly());
    reference.setPalette(edit->palette());
    const QString word = edit->text().section(' ', 0, 0);
    reference.resize(edit->width() + QFontMetrics(edit->font()).horizontalAdvance(edit->text()), edit->height());
    reference.setText(edit->text());
    reference.setCursorPosition(0);
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    const int lineEditMargin = 2;
    const QRect left(0, 0, frame + lineEditMargin + QFontMetrics(edit->font()).horizontalAdvance(word), edit->height());
    auto image = [&left](QWidget* w) { return w->grab(left).toImage().convertToFormat(QImage::Format_RGB32); };
    return image(edit) == image(&reference);
}

} // namespace

class TestQMainFormLook : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome, FFolder;
    std::unique_ptr<TFaultEnv> FEnv;

private slots:
    void initTestCase()
    {
        QVERIFY(testkit::UseConfigHome(FHome));
        const testkit::TFontSetup* setup = testkit::CurrentFontSetup();
        QVERIFY2(setup, "run under a font set-up");
        QCOMPARE(QRawFont::fromFont(QFont("Tahoma")).familyName(), QString(setup->Face));
        SetProgramFolder(FFolder.path().toStdString());
        FEnv = std::make_unique<TFaultEnv>();
        Store.SetEnv(FEnv.get());
        Store.Open(true, "Data");
    }
    void cleanupTestCase()
    {
        Store.Close();
        Store.SetEnv(nullptr);
    }

    // At a first start the longest value a column shows must fit its cell,
    // less the cell's grid line and its text margins, in every language.
    void valuesFitAtTheSmallestSize_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        const struct {
            bool Moves;
            int Column;
            const char* Name;
            const char* Text;
        } cases[] = {
            {false, 0, "goods code", "d"},          {false, 2, "goods price", "dd'ddd.dd"},
            {false, 3, "goods date", "dd.dd.dddd"}, {false, 3, "goods date us", "dd/dd/dddd"},
            {false, 4, "goods quantity", "dd'ddd.dd"}, {false, 5, "goods packs", "ddddd"},
            {false, 6, "goods cost", "d'ddd'ddd.dd"}, {true, 0, "movement date", "dd.dd.dddd"},
            {true, 0, "movement date us", "dd/dd/dddd"}, {true, 2, "movement quantity", "dd'ddd.dd"},
            {true, 3, "movement packs", "ddddd"},   {true, 4, "movement sum", "d'ddd'ddd.dd"},
            {true, 1, "movement in", "+"},          {true, 1, "movement out", "-"},
        };
        for (auto [language, code] : Languages)
            for (const auto& c : cases)
                for (char digit = '0'; digit <= (std::strchr(c.Text, 'd') ? '9' : '0'); ++digit) {
                    // An 8-digit code, each value with every digit.
                    QString text = c.Text[0] == 'd' && !c.Text[1] ? QString(8, 'd') : QString(c.Text);
                    text.replace('d', digit);
                    if (std::strchr(c.Text, 'd'))
                        QTest::addRow("%s %s %c", c.Name, code, digit) << language << c.Moves << c.Column << text;
                    else
                        QTest::addRow("%s %s", c.Name, code) << language << c.Moves << c.Column << text;
                }
    }
    void valuesFitAtTheSmallestSize()
    {
        QFETCH(int, language);
        QFETCH(bool, moves);
        QFETCH(int, column);
        QFETCH(QString, text);
        const std::unique_ptr<TMainFormStore> w = OpenSmallest(language);
        QVERIFY(w);
        TDataGrid* grid = moves ? static_cast<TDataGrid*>(w->GridMoves) : w->GridStore;
        // As the grid draws it: the cell is the section less its grid line,
        // and a text wider than its room, even by a part of a pixel, ends in
        // an ellipsis.
        const QRect cell(0, 0, grid->Header()->sectionSize(column) - 1, 20);
        const int room = grid->CellTextRect(cell, text).width();
        const QFontMetrics metrics(grid->font());
        const QFontMetricsF exact(grid->font());
        QVERIFY2(metrics.elidedText(text, Qt::ElideRight, room) == text,
                 qPrintable(QString("%1 px of text in %2 px").arg(exact.horizontalAdvance(text)).arg(room)));
        // The caption shares the column and its font, within 3 pixels each side.
        const QString caption = grid->model()->headerData(column, Qt::Horizontal).toString();
        const int captionRoom = grid->Header()->sectionSize(column) - 6;
        QVERIFY2(metrics.elidedText(caption, Qt::ElideRight, captionRoom) == caption,
                 qPrintable(caption + QString(": %1 px in %2 px").arg(exact.horizontalAdvance(caption)).arg(captionRoom)));
    }

    // The longest amounts the entry panel's narrow edits accept show whole,
    // inside the frame and the edit's text margins, in every language.
    void longestAmountsFitTheEdits_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        const std::pair<const char*, const char*> edits[] = {
            {"EditCost", "42'949'671.99"}, {"EditWeight", "42'949'671.99"}, {"EditPCount", "4294967295"}};
        for (auto [language, code] : Languages)
            for (auto [edit, text] : edits)
                QTest::addRow("%s %s", edit, code) << language << QString(edit) << QString(text);
    }
    void longestAmountsFitTheEdits()
    {
        QFETCH(int, language);
        QFETCH(QString, edit);
        QFETCH(QString, text);
        const std::unique_ptr<TMainFormStore> w = OpenSmallest(language);
        QVERIFY(w);
        auto* e = w->findChild<TLocalDbEdit*>(edit);
        QVERIFY(e);
        const int frame = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e);
        const QMargins margins = e->textMargins();
        const int lineEditMargin = 2;  // QLineEdit's own, each side
        const int room = e->width() - 2 * frame - margins.left() - margins.right() - 2 * lineEditMargin;
        const int needed = QFontMetrics(e->font()).horizontalAdvance(text);
        QVERIFY2(needed <= room, qPrintable(QString("%1 px of text in %2 px").arg(needed).arg(room)));
    }

    // The grids, their captions and the amount edits are drawn in an upright
    // face; a condensed one only where the machine has it upright.
    void gridFacesAreUpright()
    {
        const std::unique_ptr<TMainFormStore> w = OpenSmallest(2);
        QVERIFY(w);
        QString expected;
        for (auto [setup, face] : GridFaces)
            if (SetupName() == setup) expected = face;
        const std::pair<const char*, QWidget*> drawn[] = {
            {"GridStore", w->GridStore},          {"GridStore header", w->GridStore->Header()},
            {"GridMoves", w->GridMoves},          {"GridMoves header", w->GridMoves->Header()},
            {"EditCost", w->findChild<TLocalDbEdit*>("EditCost")},
            {"EditWeight", w->findChild<TLocalDbEdit*>("EditWeight")},
            {"EditPCount", w->findChild<TLocalDbEdit*>("EditPCount")},
        };
        for (auto [name, widget] : drawn) {
            QVERIFY2(widget, name);
            const QRawFont face = QRawFont::fromFont(widget->font());
            const QString what = QString("%1: %2 %3").arg(name, face.familyName(), face.styleName());
            QVERIFY2(!face.styleName().contains("Italic", Qt::CaseInsensitive) &&
                         !face.styleName().contains("Oblique", Qt::CaseInsensitive),
                     qPrintable(what));
            QVERIFY2(face.familyName() == expected, qPrintable(what + ", not " + expected));
        }
    }

    // Widths left by the user come back as they were left; a first start
    // after them computes its own again.
    void storedWidthsComeBack()
    {
        auto widths = [](TMainFormStore& w) {
            QList<int> all;
            for (TDataGrid* grid : {static_cast<TDataGrid*>(w.GridStore), static_cast<TDataGrid*>(w.GridMoves)})
                for (int i = 0; i < grid->DataColumnCount(); ++i) all << grid->Header()->sectionSize(i);
            return all;
        };
        std::unique_ptr<TMainFormStore> w = OpenSmallest(1);
        QVERIFY(w);
        const QList<int> first = widths(*w);
        // The user drags the price column's right border 9 pixels right.
        TGridHeader* header = w->GridStore->Header();
        const int border = header->sectionViewportPosition(2) + header->sectionSize(2) - 1;
        const int y = header->height() / 2;
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(border, y));
        QTest::mouseMove(header->viewport(), QPoint(border + 9, y));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(border + 9, y));
        QTRY_COMPARE(header->sectionSize(2), first[2] + 9);
        const QList<int> left = widths(*w);
        w->close();
        w = OpenSmallest(1);
        QVERIFY(w);
        QCOMPARE(widths(*w), left);
        QCOMPARE(ProgOptions().GetStoreCostWidth(), left[2] - 1);
        w.reset();
        ProgOptions().SetWidth(0);
        ProgOptions().SetHeight(0);
        w = OpenSmallest(1);
        QVERIFY(w);
        QCOMPARE(widths(*w), first);
    }

    // A name or note of 40 letters shows from its start when goods are
    // chosen, in F2's edit mode and when the edit is tabbed into.
    void longNamesShowFromTheirStart()
    {
        Store.InsertGoods("20000001", "Чай", "1.00", "1.00", "1", "");
        Store.InsertGoods("20000002", LongName, "99.99", "99'999.99", "99999", LongNote);
        const std::unique_ptr<TMainFormStore> w = OpenSmallest(1);
        QVERIFY(w);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        auto* name = w->findChild<TLocalDbEdit*>("EditName");
        auto* note = w->findChild<TLocalDbEdit*>("EditNote");
        QVERIFY(name && note);
        QVERIFY(QFontMetrics(name->font()).horizontalAdvance(LongName) > name->width());
        TDataGrid* grid = w->GridStore;
        grid->setFocus();
        // The goods open by date: the long name is the last one.
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        QTRY_COMPARE(name->text(), QString(LongName));
        QVERIFY(ShowsItsStart(name));
        QCOMPARE(note->text(), QString(LongNote));
        QVERIFY(ShowsItsStart(note));

        // F2 in the name column edits the name; its start stays in view.
        QTest::keyClick(grid, Qt::Key_Home);
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(grid->Col(), 2);
        QTest::keyClick(grid, Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(name));
        auto cursorAtStart = [](QLineEdit* e) {
            const QRect cursor = e->inputMethodQuery(Qt::ImCursorRectangle).toRect();
            return cursor.left() < QFontMetrics(e->font()).horizontalAdvance(QString(LongName).left(1)) + 8;
        };
        QVERIFY(cursorAtStart(name));
        QTest::keyClick(name, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));

        // F2 in the code column, then Tab into the name: selected, from its start.
        QTest::keyClick(grid, Qt::Key_Left);
        QTest::keyClick(grid, Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->findChild<TLocalDbEdit*>("EditCode")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(name));
        QCOMPARE(name->selectedText(), QString(LongName));
        QVERIFY(cursorAtStart(name));
        QTest::keyClick(name, Qt::Key_Escape);
    }
};

int main(int argc, char** argv)
{
    return testkit::RunUnderFontSetups(argc, argv, [](int argc, char** argv) {
        QApplication app(argc, argv);
        TestQMainFormLook test;
        return QTest::qExec(&test, argc, argv);
    }, {"1", "2"});
}
#include "TestQMainFormLook.moc"
