// How the main window's grids show their values at the window's smallest size.

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

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

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
        QCOMPARE(QFontInfo(QFont("Tahoma")).family(), QString("DejaVu Sans"));
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

    // The widest value a column shows routinely must fit its cell, less the
    // cell's grid line and its text margins, in every language.
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
            {false, 2, "goods price", "000'000.00"},   {false, 3, "goods date", "00.00.0000"},
            {false, 4, "goods quantity", "000'000.00"}, {false, 5, "goods packs", "00000"},
            {false, 6, "goods cost", "000'000.00"},    {true, 0, "movement date", "00.00.0000"},
            {true, 2, "movement quantity", "000.00"},  {true, 3, "movement packs", "0000"},
            {true, 4, "movement sum", "000'000.00"},
        };
        for (auto [language, code] : Languages)
            for (const auto& c : cases)
                QTest::addRow("%s %s", c.Name, code) << language << c.Moves << c.Column << QString(c.Text);
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
        const int cellPadding = 1 + 3;  // the grid line, then 2 pixels left and 1 right
        const int room = grid->Header()->sectionSize(column) - cellPadding;
        const QFontMetrics metrics(grid->font());
        QVERIFY2(metrics.horizontalAdvance(text) <= room,
                 qPrintable(QString("%1 px of text in %2 px").arg(metrics.horizontalAdvance(text)).arg(room)));
        // The caption shares the column and its font, within 3 pixels each side.
        const QString caption = grid->model()->headerData(column, Qt::Horizontal).toString();
        const int captionRoom = grid->Header()->sectionSize(column) - 6;
        QVERIFY2(metrics.horizontalAdvance(caption) <= captionRoom,
                 qPrintable(caption + QString(": %1 px in %2 px").arg(metrics.horizontalAdvance(caption)).arg(captionRoom)));
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
};

int main(int argc, char** argv)
{
    // The faces the build installs and no others, so that every machine
    // measures the same widths.
    QTemporaryDir fonts;
    QFile conf(fonts.filePath("fonts.conf"));
    if (!conf.open(QIODevice::WriteOnly)) return 1;
    conf.write("<?xml version=\"1.0\"?>\n<fontconfig>\n"
               "<dir>/usr/share/fonts/truetype/dejavu</dir>\n<cachedir>" +
               fonts.path().toUtf8() +
               "</cachedir>\n"
               "<alias><family>Tahoma</family><prefer><family>DejaVu Sans</family></prefer></alias>\n"
               "<alias><family>sans-serif</family><prefer><family>DejaVu Sans</family></prefer></alias>\n"
               "</fontconfig>\n");
    conf.close();
    qputenv("FONTCONFIG_FILE", conf.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestQMainFormLook test;
    return QTest::qExec(&test, argc, argv);
}
#include "TestQMainFormLook.moc"
