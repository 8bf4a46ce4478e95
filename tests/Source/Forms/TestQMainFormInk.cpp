// The main window's texts as a user sees them: each drawn where its control
// draws it, in its font and at the screen's pixel ratio, and the glyph
// pixels counted that fall outside what the control shows. In every mode and
// language, under the font set-ups of a store's machines at screen scales 1
// and 2: the labels and sign of the entry panel, its 13-pixel labels, the
// status bar's panels, the longest name and note whole in their edits, and
// an 8-digit code whole inside the focus frame of its cell.

#include "UMainForm.h"

#include "UDataGrid.h"
#include "UEntryPanel.h"
#include "UFaultEnv.h"
#include "UFilteredDataGrid.h"
#include "UGridHeader.h"
#include "ULocalDbEdit.h"
#include "UMessages.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UStatusPanels.h"
#include "UTextConst.h"

#include "DialogTestKit.h"
#include "FontSetups.h"
#include "TextInk.h"

#include <QAction>
#include <QApplication>
#include <QFontMetricsF>
#include <QRawFont>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>

using namespace tv;

namespace {

const std::pair<int, const char*> Languages[] = {{0, "rus"}, {1, "ukr"}, {2, "eng"}};

// The longest name a store writes in the name's 40 letters, and a note of 40.
const char* const LongName = "Шоколад молочний з горіхами та родзинкам";
const char* const LongNote = "Накладна 00012345 від постачальника ТОВ ";

// Where a line edit draws its text and what of it shows: the contents less
// the text margins and QLineEdit's own 2 pixels each side, and the contents
// less the text margins, which the edit clips to.
struct TEditRoom {
    QRect Line, Shown;
};

TEditRoom EditRoom(const QLineEdit& edit)
{
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.rect = edit.rect();
    option.lineWidth = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    QRect r = edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
    r = r.marginsRemoved(edit.textMargins());
    const int lineEditMargin = 2;
    const QFontMetrics metrics(edit.font());
    const QRect line(r.x() + lineEditMargin, r.y() + (r.height() - metrics.height() + 1) / 2,
                     r.width() - 2 * lineEditMargin, metrics.height());
    return {line, r};
}

// What the edit loses of its text drawn from its start: ink outside what
// shows, or a text wider than its line, which the edit would scroll.
QString EditFault(const QLineEdit& edit)
{
    const TEditRoom room = EditRoom(edit);
    const testkit::TInk ink =
        testkit::InkOutside(edit, room.Line, Qt::AlignLeft | Qt::AlignVCenter, edit.text(), room.Shown);
    const qreal advance = QFontMetricsF(edit.font()).horizontalAdvance(edit.text());
    if (ink.Outside == 0 && advance <= room.Line.width()) return {};
    return QString("%1 \"%2\": %3 px of text in %4, loses %5 of %6 ink pixels")
        .arg(edit.objectName(), edit.text())
        .arg(advance)
        .arg(room.Line.width())
        .arg(ink.Outside)
        .arg(ink.Total);
}

// The status bar's panels: each text inside the panel's bevel.
QStringList StatusFaults(const TStatusPanels& bar)
{
    QStringList faults;
    for (int i = 0; i < bar.Count(); ++i) {
        const QRect r = bar.PanelRect(i).adjusted(0, 1, -2, 0);
        const QRect text = r.adjusted(3, 1, -3, -1);
        const QString shown = bar.fontMetrics().elidedText(bar.Text(i), Qt::ElideRight, text.width());
        const testkit::TInk ink =
            testkit::InkOutside(bar, text, int(bar.PanelAlignment(i) | Qt::AlignVCenter),
                                shown, r.adjusted(1, 1, -1, -1));
        if (ink.Outside > 0)
            faults << QString("status panel %1 \"%2\" loses %3 of %4 ink pixels")
                          .arg(i)
                          .arg(shown)
                          .arg(ink.Outside)
                          .arg(ink.Total);
    }
    return faults;
}

// Everything the window shows that loses ink.
QStringList WindowFaults(const TMainFormStore& w)
{
    QStringList faults = testkit::InkFaults(w);
    for (const TLocalDbEdit* e : w.Panel->Edits())
        if (const QString fault = EditFault(*e); !fault.isEmpty()) faults << fault;
    return faults + StatusFaults(*w.StatusBar);
}

// Answers the delete question with No after looking at the window.
class TLookingMessages : public IMessages {
public:
    std::function<void()> Look;
    TLookingMessages() { SetMessages(this); }
    ~TLookingMessages() override { SetMessages(nullptr); }
    int ShowMessageBox(const std::string&, const std::string&, int, const std::string&, const std::string&,
                       const std::string&, const std::string&) override
    {
        if (Look) Look();
        return 2;
    }
};

} // namespace

class TestQMainFormInk : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome, FFolder;
    std::unique_ptr<TFaultEnv> FEnv;

    // The window at its first, smallest size in the language, on the last
    // goods; null when it does not show so.
    std::unique_ptr<TMainFormStore> Open(int language)
    {
        LoadLanguageTexts(language);
        ProgOptions().SetWidth(0);
        ProgOptions().SetHeight(0);
        auto w = std::make_unique<TMainFormStore>();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()) || w->size() != QSize(MainMinWidth, MainMinHeight)) return nullptr;
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get())) return nullptr;
        QTest::keyClick(w->GridStore, Qt::Key_End, Qt::ControlModifier);
        return w;
    }

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
        Store.InsertGoods("20000001", "Чай", "1.00", "1.00", "1", "");
        Store.InsertGoods("88888888", LongName, "99.99", "99'999.99", "99999", LongNote);
    }
    void cleanupTestCase()
    {
        Store.Close();
        Store.SetEnv(nullptr);
    }

    // Every text of the window keeps its ink in every mode the keys reach,
    // the delete question's among them.
    void textsKeepTheirInk_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("key");
        const std::pair<const char*, int> modes[] = {
            {"browse", 0},         {"edit", Qt::Key_F2},   {"insert", Qt::Key_Insert}, {"add", Qt::Key_F12},
            {"deduct", Qt::Key_F11}, {"search", Qt::Key_F3}, {"delete", Qt::Key_Delete},
        };
        for (auto [language, code] : Languages)
            for (auto [mode, key] : modes) QTest::addRow("%s %s", mode, code) << language << key;
    }
    void textsKeepTheirInk()
    {
        QFETCH(int, language);
        QFETCH(int, key);
        const std::unique_ptr<TMainFormStore> w = Open(language);
        QVERIFY(w);
        QCOMPARE(w->Panel->EditName->text(), QString(LongName));
        QStringList faults;
        bool asked = false;
        TLookingMessages messages;
        messages.Look = [&] {
            asked = true;
            QCOMPARE(Store.GetMode(), smDelete);
            faults = WindowFaults(*w);
        };
        if (key) QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(asked, key == Qt::Key_Delete);
        if (!asked) faults = WindowFaults(*w);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
        if (key) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(Store.GetMode(), smBrowse);
    }

    // A language chosen in the File menu's language list refits the texts
    // that fit theirs: they keep their ink as when the window opened so.
    void textsKeepTheirInkAfterALanguageChange_data()
    {
        QTest::addColumn<int>("language");
        for (auto [language, code] : Languages) QTest::newRow(code) << language;
    }
    void textsKeepTheirInkAfterALanguageChange()
    {
        QFETCH(int, language);
        const std::unique_ptr<TMainFormStore> w = Open(language == 2 ? 0 : 2);
        QVERIFY(w);
        TLookingMessages messages;
        QAction* const chosen[] = {w->ActSelectRusLang, w->ActSelectUkrLang, w->ActSelectEngLang};
        chosen[language]->trigger();
        QCOMPARE(ProgOptions().GetLanguage(), language);
        const QStringList faults = WindowFaults(*w);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

    // The focused cell's dotted frame leaves an 8-digit code whole, whatever
    // its digits: at a first start's width, and in a column the user made a
    // part of a pixel narrower than the code, which is then still drawn
    // whole rather than end in "...".
    void focusedCodeShowsWhole_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("narrowed");
        for (bool narrowed : {false, true})
            for (char digit = '0'; digit <= '9'; ++digit)
                QTest::addRow("%s %c", narrowed ? "narrowed" : "first start", digit)
                    << QString(8, QChar(digit)) << narrowed;
    }
    void focusedCodeShowsWhole()
    {
        QFETCH(QString, code);
        QFETCH(bool, narrowed);
        const std::unique_ptr<TMainFormStore> w = Open(2);
        QVERIFY(w);
        TDataGrid* grid = w->GridStore;
        QTest::keyClick(grid, Qt::Key_Home);
        QCOMPARE(grid->Col(), 1);
        QVERIFY(grid->hasFocus());
        if (narrowed) {
            // The user drags the code column's right border to leave the
            // code its room less a part of a pixel.
            TGridHeader* header = grid->Header();
            const int width = static_cast<int>(std::ceil(QFontMetricsF(grid->font()).horizontalAdvance(code))) + 3;
            const int border = header->sectionViewportPosition(0) + header->sectionSize(0) - 1;
            const int y = header->height() / 2;
            const int to = border - (header->sectionSize(0) - width);
            QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(border, y));
            QTest::mouseMove(header->viewport(), QPoint(to, y));
            QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(to, y));
            QTRY_COMPARE(header->sectionSize(0), width);
            grid->setFocus();
        }
        const QRect cell = grid->visualRect(grid->currentIndex());
        const QRect text = grid->CellTextRect(cell, code);
        const QString shown = QFontMetrics(grid->font()).elidedText(code, Qt::ElideRight, text.width());
        QCOMPARE(shown, code);
        // The frame's dots stand on the cell's outer pixels.
        const testkit::TInk ink = testkit::InkOutside(*grid->viewport(), text, Qt::AlignLeft | Qt::AlignVCenter, code,
                                                      cell.adjusted(1, 1, -1, -1));
        QVERIFY2(ink.Outside == 0, qPrintable(QString("%1 of %2 ink pixels under the frame of a %3 px cell")
                                                  .arg(ink.Outside)
                                                  .arg(ink.Total)
                                                  .arg(cell.width())));
    }
};

int main(int argc, char** argv)
{
    return testkit::RunUnderFontSetups(
        argc, argv,
        [](int argc, char** argv) {
            QApplication app(argc, argv);
            TestQMainFormInk test;
            return QTest::qExec(&test, argc, argv);
        },
        {"1", "2"});
}
#include "TestQMainFormInk.moc"
