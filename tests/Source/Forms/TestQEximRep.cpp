// The exports, the import and the printed list on a real stock book: files
// byte for byte in each language and locale, the dialogs' requests, error
// boxes, reading back what was exported under other separators, encodings,
// bad lines, write errors, and the rows and totals of the list.

#include "DialogTestKit.h"
#include "TestEximKit.h"
#include "UCsvImportRun.h"
#include "UCodePage.h"
#include "UDateTime.h"
#include "UEximRep.h"
#include "UFaultEnv.h"
#include "ULangTexts.h"
#include "UMainForm.h"
#include "UMessageBoxForm.h"
#include "UParts.h"
#include "UProgOptions.h"
#include "UShell.h"
#include "UStatusPanels.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

using namespace tv;
using namespace tv::testkit;

namespace {

void LoadTexts(int language)
{
    const TLangTexts* languages[] = {&RusTexts, &UkrTexts, &EngTexts};
    TextTable.Load(*languages[language]);
}

void Put(const std::string& code, const std::string& name, const std::string& price,
         const std::string& quantity, const std::string& packages, TDateTime date)
{
    Store.InsertGoods(code, name, price, quantity, packages, "");
    TTableStore& g = Store.Goods();
    g.Edit();
    g.LastDate.SetValue(date);
    g.Post();
}

// Goods in date order: no date, 2 January, 31 December 10:15.
void PutSampleGoods()
{
    Put("7", "Tea; green", "0.05", "0.00", "0", 0);
    Put("=1+2", "=SUM(A1)", "1.00", "1.00", "1", EncodeDate(2026, 1, 2));
    Put("00012345", "Молоко \"Селянське\" 2,5%", "1'234.50", "10.00", "3",
        EncodeDateTime(2026, 12, 31, 10, 15, 0, 0));
}

// More goods than several export blocks of rows and not a whole number of
// them: one date across the first block boundary, empty dates across it
// too, a date with times changing right at the second boundary, an earlier
// date at the end, and names that need quotes or a text cell.
constexpr int ManyGoods = 3 * 2048 + 37;

void PutManyGoods()
{
    const TDateTime first = EncodeDate(2026, 3, 1), second = EncodeDateTime(2026, 3, 2, 9, 30, 0, 0),
                    third = EncodeDate(2026, 3, 5);
    for (int i = 0; i < ManyGoods; ++i) {
        const TDateTime date = i < 2046 ? first
                             : i < 2050 ? 0
                             : i < 4096 ? second + (i % 60) / 1440.0
                             : i < ManyGoods - 5 ? third
                                                 : first;
        const std::string name = i % 7 == 0   ? "Чай \"Лист\"; " + std::to_string(i)
                               : i % 11 == 0 ? "=" + std::to_string(i)
                                             : "Товар " + std::to_string(i);
        Put(std::to_string(100000 + i), name, std::to_string(1 + i % 900) + ".25",
            std::to_string(i % 70) + ".50", std::to_string(i % 40), date);
    }
}

// The goods in the grid's order as their fields show them, one record
// after another.
std::vector<TGoodsRow> RowsThroughFields()
{
    std::vector<TGoodsRow> rows;
    TTableStore& g = Store.Goods();
    for (g.First(); !g.Eof(); g.Next())
        rows.push_back({g.Code.GetText(), g.Name.GetText(), g.Cost.GetText(),
                        g.LastDate.DataToText(g.LastDate.GetData()), g.Weight.GetText(), g.PCount.GetText(),
                        g.Sum.GetText()});
    return rows;
}

// A CSV export whose row of the given code raises.
class TFailingCsvExport : public TCsvExport {
public:
    std::string FailAt;

protected:
    void AppendRow(std::string& out, const TGoodsRowView& row) const override
    {
        if (row.Code == FailAt)
            throw Exception("row " + FailAt);
        TCsvExport::AppendRow(out, row);
    }
};

std::string GoodsText()
{
    std::string out;
    TTableStore& g = Store.Goods();
    g.SetIndex(g.IndID.get());
    for (g.First(); !g.Eof(); g.Next())
        out += g.Code.GetText() + "|" + g.Name.GetText() + "|" + g.Cost.GetText() + "|" +
               g.Weight.GetText() + "|" + g.PCount.GetText() + "|" + g.Sum.GetText() + "\n";
    return out;
}

// Answers the file dialogs with a fixed path and keeps the request; keeps
// the desktop's requests instead of opening anything.
class TDesk {
public:
    explicit TDesk(std::string path = {}) : Path(std::move(path))
    {
        FChooser = SetFileChooser([this](const TFileRequest& r) {
            Requests.push_back(r);
            return Path;
        });
        FLauncher = SetShellLauncher([this](const TShellRequest& r) {
            Opened.push_back(r.Target);
            return true;
        });
    }
    ~TDesk()
    {
        SetFileChooser(FChooser);
        SetShellLauncher(FLauncher);
    }
    std::string Path;
    std::vector<TFileRequest> Requests;
    std::vector<std::string> Opened;

private:
    TFileChooser FChooser;
    TShellLauncher FLauncher;
};

QLocale LocaleOf(const QString& name)
{
    return name == "ru" ? QLocale(QLocale::Russian, QLocale::Russia)
         : name == "uk" ? QLocale(QLocale::Ukrainian, QLocale::Ukraine)
         : name == "de" ? QLocale(QLocale::German, QLocale::Germany)
                        : QLocale(QLocale::English, QLocale::UnitedStates);
}

// Exports the sample goods with the interface and the export in the
// language and the locale's separators; the file's bytes.
std::string ExportSample(TFileExport& exporter, int language, const QString& locale,
                         const std::string& path)
{
    TOpenStore store;
    TScriptedMessages messages;
    LoadTexts(language);
    QLocale::setDefault(LocaleOf(locale));
    PutSampleGoods();
    TDesk desk(path);
    exporter.SetLanguage(uint8_t(language));
    exporter.Execute();
    exporter.SetLanguage(0);
    return ReadFile(path);
}

// The printed list on the device, one page high enough for everything: the
// texts of its captions, rows and totals.
std::vector<std::string> PrintedCells(TRecordingDevice& device)
{
    device.Height = 10000;
    TPrintManager pm(device);
    TPrintManager* before = SetPrintManager(&pm);
    ListReport.Execute();
    SetPrintManager(before);
    std::vector<std::string> cells;
    for (const std::string& line : device.Log)
        if (line.rfind("text ", 0) == 0 && line.find(" f0 ") == std::string::npos)
            cells.push_back(line.substr(line.find(" f") + 6));
    return cells;
}

// Imports a file of the bytes under a Russian locale with the import in the
// language.
void ImportUnderRussianLocale(const std::string& bytes, int language)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("in.csv").toStdString();
    WriteFile(path, bytes);
    TDesk desk(path);
    QLocale::setDefault(LocaleOf("ru"));
    CsvImport.SetLanguage(uint8_t(language));
    CsvImport.Execute();
    CsvImport.SetLanguage(0);
}

// Puts the program's language and the exports' and import's back to
// Russian.
struct TLanguageBack {
    TLanguageBack() = default;
    TLanguageBack(const TLanguageBack&) = delete;
    TLanguageBack& operator=(const TLanguageBack&) = delete;
    ~TLanguageBack()
    {
        ProgOptions().SetLanguage(langRussian);
        for (TInOut* i : RegisteredInOuts())
            i->SetLanguage(0);
    }
};

// Calls f each time the object gets an event of the type, while it lives.
class TEventRecorder : public QObject {
public:
    TEventRecorder(QObject* target, QEvent::Type type, std::function<void()> f)
        : FTarget(target), FType(type), F(std::move(f))
    {
        target->installEventFilter(this);
    }
    ~TEventRecorder() override { FTarget->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == FType)
            F();
        return false;
    }

private:
    QObject* FTarget;
    QEvent::Type FType;
    std::function<void()> F;
};

} // namespace

class TestQEximRep : public QObject {
    Q_OBJECT

private:
    // Imports the row's bytes under a Russian locale in English; the bad
    // lines asked about, the summary and the goods.
    void CheckImportedRows()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, asked);
        QFETCH(QString, summary);
        QFETCH(QString, goods);
        TOpenStore store;
        TScriptedMessages messages;
        ImportUnderRussianLocale(bytes.toStdString(), 2);
        QCOMPARE(messages.Shown.size(), size_t(asked.size() + 1));
        for (qsizetype i = 0; i < asked.size(); ++i)
            QCOMPARE(QString::fromStdString(messages.Shown[size_t(i)].Text),
                     "Can't import data string:\r\n" + asked[i]);
        QCOMPARE(QString::fromStdString(messages.Shown.back().Text), summary);
        QCOMPARE(QString::fromStdString(GoodsText()), goods);
    }

    // The window's settings go to folders of the test's own, which last
    // as long as the program's options.
    QTemporaryDir FHome, FOptions;

private slots:
    void initTestCase()
    {
        QVERIFY(UseConfigHome(FHome));
        SetProgramFolder(FOptions.path().toStdString());
        ProgOptions();
        SetProgramFolder(std::string());
    }
    void init()
    {
        LoadEnglishTexts();
        QLocale::setDefault(LocaleOf("en"));
    }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    void csvFile_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("English, English locale") << 2 << "en" << QByteArray(
            "Code,Name,Price,Date,Qnt,Pks,Cost,\r\n"
            "=\"7\",Tea; green,0.05,          ,0.00,0,0.00,\r\n"
            "=\"=1+2\",=\"=SUM(A1)\",1.00,01/02/2026,1.00,1,1.00,\r\n"
            "=\"00012345\",\"Молоко \"\"Селянське\"\" 2,5%\",1234.50,12/31/2026,10.00,3,12345.00,\r\n");
        QTest::newRow("Russian, Russian locale") << 0 << "ru" << QByteArray(
            "Код;Наименование;Цена;Дата;К-во;Упк;Стоимость;\r\n"
            "=\"7\";\"Tea; green\";0,05;          ;0,00;0;0,00;\r\n"
            "=\"=1+2\";=\"=SUM(A1)\";1,00;02.01.2026;1,00;1;1,00;\r\n"
            "=\"00012345\";\"Молоко \"\"Селянське\"\" 2,5%\";1234,50;31.12.2026;10,00;3;12345,00;\r\n");
        QTest::newRow("Ukrainian, English locale") << 1 << "en" << QByteArray(
            "Код,Найменування,Ціна,Дата,К-ть,Упк,Вартість,\r\n"
            "=\"7\",Tea; green,0.05,          ,0.00,0,0.00,\r\n"
            "=\"=1+2\",=\"=SUM(A1)\",1.00,02.01.2026,1.00,1,1.00,\r\n"
            "=\"00012345\",\"Молоко \"\"Селянське\"\" 2,5%\",1234.50,31.12.2026,10.00,3,12345.00,\r\n");
        QTest::newRow("English, German locale") << 2 << "de" << QByteArray(
            "Code;Name;Price;Date;Qnt;Pks;Cost;\r\n"
            "=\"7\";\"Tea; green\";0,05;          ;0,00;0;0,00;\r\n"
            "=\"=1+2\";=\"=SUM(A1)\";1,00;01/02/2026;1,00;1;1,00;\r\n"
            "=\"00012345\";\"Молоко \"\"Селянське\"\" 2,5%\";1234,50;12/31/2026;10,00;3;12345,00;\r\n");
    }

    void csvFile()
    {
        QFETCH(int, language);
        QFETCH(QString, locale);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const std::string path = dir.filePath("list.csv").toStdString();
        QCOMPARE(QByteArray::fromStdString(ExportSample(CsvExport, language, locale, path)), bytes);
    }

    void txtFile_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("English") << 2 << QByteArray(
            "Code     Name                                            Price          Date          Qnt     Pks         Cost\r\n"
            "7        Tea; green                                       0.05                       0.00       0         0.00\r\n"
            "=1+2     =SUM(A1)                                         1.00    01/02/2026         1.00       1         1.00\r\n"
            "00012345 Молоко \"Селянське\" 2,5%                      1'234.50    12/31/2026        10.00       3    12'345.00\r\n");
        QTest::newRow("Russian") << 0 << QByteArray(
            "Код      Наименование                                     Цена          Дата         К-во     Упк    Стоимость\r\n"
            "7        Tea; green                                       0.05                       0.00       0         0.00\r\n"
            "=1+2     =SUM(A1)                                         1.00    02.01.2026         1.00       1         1.00\r\n"
            "00012345 Молоко \"Селянське\" 2,5%                      1'234.50    31.12.2026        10.00       3    12'345.00\r\n");
    }

    void txtFile()
    {
        QFETCH(int, language);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const std::string path = dir.filePath("list.txt").toStdString();
        QCOMPARE(QByteArray::fromStdString(ExportSample(TxtExport, language, "en", path)), bytes);
    }

    void exportAsksAndOpens_data()
    {
        QTest::addColumn<bool>("csv");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("csv without extension") << true << "list" << "list.csv";
        QTest::newRow("csv in capitals stays") << true << "list.CSV" << "list.CSV";
        QTest::newRow("csv of another extension") << true << "list.txt" << "list.txt.csv";
        QTest::newRow("txt without extension") << false << "list" << "list.txt";
        QTest::newRow("txt of another extension") << false << "list.csv" << "list.csv.txt";
    }

    void exportAsksAndOpens()
    {
        QFETCH(bool, csv);
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        TOpenStore store;
        TScriptedMessages messages;
        QTemporaryDir dir;
        TDesk desk(dir.filePath(chosen).toStdString());
        TFileExport& exporter = csv ? static_cast<TFileExport&>(CsvExport) : TxtExport;
        exporter.SetLanguage(2);
        const std::string startDay = FormatDateTime("yyyy-mm-dd", Date());
        exporter.Execute();
        exporter.SetLanguage(0);
        QCOMPARE(desk.Requests.size(), size_t(1));
        const TFileRequest& r = desk.Requests[0];
        QVERIFY(r.Save);
        QCOMPARE(r.Title, std::string("Export rests on warehouse"));
        QCOMPARE(r.Filter, std::string(csv ? "Table file (*.csv)|*.csv" : "Text file (*.txt)|*.txt"));
        QCOMPARE(r.DefaultExt, std::string(csv ? "csv" : "txt"));
        QCOMPARE(r.Folder, store.Path() + "Export");
        QVERIFY(QFileInfo(QString::fromStdString(r.Folder)).isDir());
        if (r.FileName != startDay) QCOMPARE(r.FileName, FormatDateTime("yyyy-mm-dd", Date()));
        const std::string file = dir.filePath(written).toStdString();
        QCOMPARE(desk.Opened, std::vector<std::string>{file});
        // An empty stock book gives the header line only.
        QCOMPARE(ReadFile(file).substr(0, 4), std::string("Code"));
        QCOMPARE(ReadFile(file).find("\r\n"), ReadFile(file).size() - 2);
        QVERIFY(messages.Shown.empty());
    }

    void exportCancelledOrFailing()
    {
        TOpenStore store;
        TScriptedMessages messages;
        {
            TDesk desk("");
            CsvExport.Execute();
            QVERIFY(desk.Opened.empty());
            QVERIFY(messages.Shown.empty());
        }
        const std::string path = store.Path() + "no-such-folder/list.csv";
        TDesk desk(path);
        TxtExport.SetLanguage(2);
        TxtExport.Execute();
        TxtExport.SetLanguage(0);
        QVERIFY(desk.Opened.empty());
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Text,
                 path + ".txt\r\nError while executing export\r\n" + std::strerror(ENOENT));
        QCOMPARE(messages.Shown[0].Caption, std::string("Export rests on warehouse"));
        QCOMPARE(messages.Shown[0].Flags, MB_ONEBUTTON | MB_ICONEXCLAMATION);
        QCOMPARE(messages.Shown[0].FirstHint, std::string("Close error message window"));
        // A full disk: the writes fail when the file's buffer goes out.
        const std::string full = store.Path() + "full.csv";
        std::filesystem::create_symlink("/dev/full", full);
        PutSampleGoods();
        desk.Path = full;
        CsvExport.Execute();
        QVERIFY(desk.Opened.empty());
        QCOMPARE(messages.Shown.size(), size_t(2));
        QCOMPARE(messages.Shown[1].Text.substr(0, full.size()), full);
    }

    // A book of several blocks of rows gives the bytes of its rows made one
    // by one, in order, whether one thread or four make the blocks.
    void manyGoodsFile_data()
    {
        QTest::addColumn<bool>("csv");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<unsigned>("threads");
        for (const unsigned threads : {1u, 4u}) {
            const char* on = threads == 1 ? "on one thread" : "on four threads";
            QTest::addRow("CSV, English, %s", on) << true << 2 << "en" << threads;
            QTest::addRow("CSV, Russian, %s", on) << true << 0 << "ru" << threads;
            QTest::addRow("TXT, Ukrainian, %s", on) << false << 1 << "en" << threads;
        }
    }

    void manyGoodsFile()
    {
        QFETCH(bool, csv);
        QFETCH(int, language);
        QFETCH(QString, locale);
        QFETCH(unsigned, threads);
        const TPartThreadsScope workers(threads);
        TFaultEnv env;
        TOpenStore store(&env);
        TScriptedMessages messages;
        LoadTexts(language);
        QLocale::setDefault(LocaleOf(locale));
        PutManyGoods();
        const std::vector<TGoodsRow> rows = RowsThroughFields();
        QCOMPARE(rows.size(), size_t(ManyGoods));
        ReadLocaleSeparators();
        std::string expected = csv ? CsvHeaderLine(language, CsvSeparators.List) + "\r\n" : TxtHeaderLine(language);
        for (const TGoodsRow& row : rows)
            expected += csv ? CsvRow(row, CsvSeparators) : TxtRow(row);
        const std::string path = store.Path() + (csv ? "many.csv" : "many.txt");
        TDesk desk(path);
        TFileExport& exporter = csv ? static_cast<TFileExport&>(CsvExport) : TxtExport;
        exporter.SetLanguage(uint8_t(language));
        exporter.Execute();
        exporter.SetLanguage(0);
        QVERIFY(messages.Shown.empty());
        QCOMPARE(desk.Opened, std::vector<std::string>{path});
        const std::string written = ReadFile(path);
        QCOMPARE(written.size(), expected.size());
        QVERIFY(written == expected);
    }

    // A write that fails or a row that raises on a worker ends a large
    // export with its error box, with one worker or four; nothing is opened.
    void manyGoodsFailing_data()
    {
        QTest::addColumn<bool>("full");
        QTest::addColumn<int>("failingRow");
        QTest::addColumn<unsigned>("threads");
        for (const unsigned threads : {1u, 4u}) {
            const char* on = threads == 1 ? "on one thread" : "on four threads";
            QTest::addRow("full disk, CSV, %s", on) << true << -1 << threads;
            QTest::addRow("full disk, TXT, %s", on) << true << -2 << threads;
            QTest::addRow("row of the first block raises, %s", on) << false << 5 << threads;
            QTest::addRow("row of the part block raises, %s", on) << false << ManyGoods - 1 << threads;
        }
    }

    void manyGoodsFailing()
    {
        QFETCH(bool, full);
        QFETCH(int, failingRow);
        QFETCH(unsigned, threads);
        const TPartThreadsScope workers(threads);
        TFaultEnv env;
        TOpenStore store(&env);
        TScriptedMessages messages;
        PutManyGoods();
        TFailingCsvExport failing;
        failing.SetLanguage(2);
        const std::string path = store.Path() + (failingRow == -2 ? "goods.txt" : "goods.csv");
        if (full)
            std::filesystem::create_symlink("/dev/full", path);
        else
            failing.FailAt = std::to_string(100000 + failingRow);
        TDesk desk(path);
        TFileExport& exporter = failingRow == -2 ? static_cast<TFileExport&>(TxtExport) : failing;
        exporter.SetLanguage(2);
        exporter.Execute();
        exporter.SetLanguage(0);
        QVERIFY(desk.Opened.empty());
        QCOMPARE(messages.Shown.size(), size_t(1));
        // A full disk reads as a full disk; a failing row has no such reason.
        QCOMPARE(messages.Shown[0].Text, path + "\r\nError while executing export" +
                                             (full ? "\r\n" + std::string(std::strerror(ENOSPC)) : ""));
        QCOMPARE(messages.Shown[0].Flags, MB_ONEBUTTON | MB_ICONEXCLAMATION);
    }

    // What one export wrote comes back through the import, under the
    // reader's locale or any language's separators.
    void importReadsExports_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("reader");
        QTest::newRow("English file, Russian locale") << 2 << "en" << "ru";
        QTest::newRow("Russian file, English locale") << 0 << "ru" << "en";
        QTest::newRow("Ukrainian file, Ukrainian locale") << 1 << "uk" << "uk";
        QTest::newRow("Russian captions, English separators") << 0 << "en" << "de";
    }

    void importReadsExports()
    {
        QFETCH(int, language);
        QFETCH(QString, writer);
        QFETCH(QString, reader);
        QTemporaryDir dir;
        const std::string path = dir.filePath("goods.csv").toStdString();
        std::string expected;
        {
            TOpenStore store;
            PutSampleGoods();
            expected = GoodsText();
        }
        ExportSample(CsvExport, language, writer, path);
        TOpenStore store;
        TScriptedMessages messages;
        TDesk desk(path);
        QLocale::setDefault(LocaleOf(reader));
        CsvImport.SetLanguage(2);
        CsvImport.Execute();
        CsvImport.SetLanguage(0);
        QCOMPARE(GoodsText(), expected);
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Text, std::string("New products recieved to warehouse: 3"));
        QCOMPARE(messages.Shown[0].Caption, std::string("Import warehouse data"));
        QCOMPARE(messages.Shown[0].Flags, MB_ONEBUTTON | MB_ICONINFORMATION);
        QCOMPARE(messages.Shown[0].FirstHint, std::string("Close the message window"));
        const TFileRequest& r = desk.Requests.at(0);
        QVERIFY(!r.Save);
        QCOMPARE(r.Folder, store.Path() + "Import");
        QCOMPARE(r.Filter, std::string("Table file (*.csv)|*.csv"));
        Store.Moves().First();
        QCOMPARE(Store.Moves().Note.GetText(), std::string("Import from file goods.csv"));
    }

    void importEncodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("UTF-8") << QByteArray("=\"1\";Чай «Її»;1,00;;2,00;1;2,00;\r\n");
        QTest::newRow("UTF-8 with a byte-order mark")
            << QByteArray("\xEF\xBB\xBF=\"1\";Чай «Її»;1,00;;2,00;1;2,00;\r\n");
        QTest::newRow("code page 1251")
            << QByteArray("=\"1\";\xD7\xE0\xE9 \xAB\xAF\xBF\xBB;1,00;;2,00;1;2,00;\r\n");
        QTest::newRow("1251 after ASCII lines")
            << QByteArray("Code;Name;Price;Date;Qnt;Pks;Cost;\r\n=\"1\";\xD7\xE0\xE9 \xAB\xAF\xBF\xBB;1,00;;2,00;1;2,00;");
    }

    void importEncodings()
    {
        QFETCH(QByteArray, bytes);
        TOpenStore store;
        TScriptedMessages messages;
        ImportUnderRussianLocale(bytes.toStdString(), 0);
        QCOMPARE(GoodsText(), std::string("1|Чай «Її»|1.00|2.00|1|2.00\n"));
    }

    void importBadLines_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("codes");
        QTest::newRow("continue at every bad line") << QList<int>{1, 1, 1, 1}
            << "New products recieved to warehouse: 3\r\nData strings missed in import file: 4"
            << int(MB_ICONINFORMATION) << "1 3 5";
        QTest::newRow("stop at the third") << QList<int>{1, 1, 2}
            << "Data import has been interrupted by user!\r\n"
               "New products recieved to warehouse: 2\r\nData strings missed in import file: 2"
            << int(MB_ICONEXCLAMATION) << "1 3";
        QTest::newRow("stop at the first") << QList<int>{2}
            << "Data import has been interrupted by user!\r\nNew products recieved to warehouse: 1"
            << int(MB_ICONEXCLAMATION) << "1";
    }

    void importBadLines()
    {
        QFETCH(QList<int>, answers);
        QFETCH(QString, summary);
        QFETCH(int, icon);
        QFETCH(QString, codes);
        const std::string bytes = "Code;Name;Price;Date;Qnt;Pks;Cost;\r\n"
                                  "=\"1\";A;1,00;;1,00;1;1,00;\r\n"
                                  "garbage\r\n"
                                  "=\"2\";B;1,00;;1,00;-1;1,00;\r\n"
                                  "=\"3\";C;1,00;;1,00;1;1,00;\r\n"
                                  "\r\n"
                                  "=\"4\";D;1,00;x;y;1,00;1;1,00;\r\n"
                                  "code;name;price;date;qnt;pks;cost\r\n"
                                  "=\"5\";E;1,00;;1,00;1;\r\n";
        TOpenStore store;
        TScriptedMessages messages;
        messages.Answers.assign(answers.begin(), answers.end());
        ImportUnderRussianLocale(bytes, 2);
        QCOMPARE(messages.Shown.size(), size_t(answers.size() + 1));
        const TScriptedMessages::TShown& ask = messages.Shown[0];
        QCOMPARE(ask.Text, std::string("Can't import data string:\r\ngarbage"));
        QCOMPARE(ask.Caption, std::string("Import warehouse data"));
        QCOMPARE(ask.Flags, MB_TWOBUTTONS | MB_ICONEXCLAMATION);
        QCOMPARE(ask.First + "/" + ask.FirstHint + "/" + ask.Second + "/" + ask.SecondHint,
                 std::string("Continue/Pass the data string and continue data import/Stop/"
                             "Stop data import execution"));
        const TScriptedMessages::TShown& last = messages.Shown.back();
        QCOMPARE(QString::fromStdString(last.Text), summary);
        QCOMPARE(last.Flags, MB_ONEBUTTON | icon);
        std::string got;
        for (Store.Goods().First(); !Store.Goods().Eof(); Store.Goods().Next())
            got += (got.empty() ? "" : " ") + Store.Goods().Code.GetText();
        QCOMPARE(QString::fromStdString(got), codes);
    }

    // With the program's box, a bad line is broken into pieces that fit its
    // text, and a failing file's path is shortened to its width.
    void boxTextsFitTheMessageBox()
    {
        TFormMessageBox form;
        QTemporaryDir dir;
        const std::string line = "=\"1\";" + std::string(150, 'x') + " Чай Її " + std::string(80, 'y');
        const std::string path = dir.filePath("in.csv").toStdString();
        WriteFile(path, line + "\r\n");
        TOpenStore store;
        TScriptedMessages messages;
        {
            TDesk desk(path);
            CsvImport.SetLanguage(2);
            CsvImport.Execute();
        }
        const std::string prefix = "Can't import data string:\r\n";
        QCOMPARE(messages.Shown.at(0).Text.substr(0, prefix.size()), prefix);
        const QFontMetrics fm(form.LbQuery->font());
        std::string joined;
        const QStringList pieces = QString::fromStdString(messages.Shown[0].Text.substr(prefix.size())).split("\r\n");
        QVERIFY(pieces.size() >= 3);
        for (const QString& piece : pieces) {
            QVERIFY2(fm.horizontalAdvance(piece) < form.LbQuery->width(), qPrintable(piece));
            joined += piece.toStdString();
        }
        QCOMPARE(joined, line);

        const std::string deep = store.Path() + std::string(60, 'd') + "/" + std::string(60, 'e') + "/list.csv";
        TDesk desk(deep);
        CsvExport.Execute();
        CsvImport.SetLanguage(0);
        const std::string& text = messages.Shown.back().Text;
        const QString shown = QString::fromStdString(text.substr(0, text.find("\r\n")));
        QVERIFY2(shown.contains("...") && shown.endsWith("/list.csv"), qPrintable(shown));
        QVERIFY(fm.horizontalAdvance(shown) <= form.LbQuery->width());
    }

    void importOfHeaderOnlyOrNothing()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("in.csv").toStdString();
        WriteFile(path, "Код;Наименование;Цена;Дата;К-во;Упк;Стоимость;\r\n");
        TOpenStore store;
        TScriptedMessages messages;
        {
            TDesk desk(path);
            CsvImport.Execute();
        }
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Text, std::string("Принято на склад новых товаров: 0"));
        for (const std::string& chosen : {std::string(), dir.filePath("missing.csv").toStdString()}) {
            TDesk desk(chosen);
            CsvImport.Execute();
        }
        QCOMPARE(messages.Shown.size(), size_t(1));
    }

    // A group that cannot be written stops the import with the error, its
    // file and the system's reason; its lines are not offered as bad lines,
    // the lines stored before (here before the question about a bad line)
    // stay, and the summary counts them.
    void importStopsAtAWriteError()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("in.csv").toStdString();
        const std::string good[] = {"=\"1\";A;1,00;;1,00;1;1,00;\r\n", "=\"2\";B;1,00;;1,00;1;1,00;\r\n",
                                    "=\"3\";C;1,00;;1,00;1;1,00;\r\n"};
        for (int k = 0; k < 3; ++k) {
            std::string text;
            for (int i = 0; i < 3; ++i)
                text += (i == k ? "bad line\r\n" : "") + good[i];
            WriteFile(path, text);
            TFaultEnv env;
            TOpenStore store(&env);
            // The file is read through the stock book's environment.
            env.SetContents(path, text);
            TScriptedMessages messages;
            TDesk desk(path);
            // A group writes its movements, its goods, then both headers:
            // the goods records of the group after the question fail.
            env.FailWrite((k > 0 ? 4 : 0) + 2);
            CsvImport.SetLanguage(2);
            CsvImport.Execute();
            CsvImport.SetLanguage(0);
            env.ClearFaults();
            QCOMPARE(messages.Shown.size(), size_t(3));
            QVERIFY(messages.Shown[0].Text.find("bad line") != std::string::npos);
            const QStringList error = QString::fromStdString(messages.Shown[1].Text).split("\r\n");
            QCOMPARE(error.size(), 3);
            QCOMPARE(error[0].toStdString(), path);
            QCOMPARE(error[1], QString("Error while executing import!"));
            QVERIFY2(error[2].contains("/Data/") &&
                         error[2].endsWith(QString(": ") + std::strerror(ENOSPC)),
                     qPrintable(error[2]));
            QCOMPARE(messages.Shown[1].Flags, MB_ONEBUTTON | MB_ICONEXCLAMATION);
            QCOMPARE(messages.Shown[2].Text, "New products recieved to warehouse: " + std::to_string(k) +
                                                 "\r\nData strings missed in import file: 1");
            QCOMPARE(messages.Shown[2].Flags, MB_ONEBUTTON | MB_ICONEXCLAMATION);
            QCOMPARE(Store.Goods().RecordCount(), k);
            QCOMPARE(Store.Moves().RecordCount(), k);
        }
    }

    // A group whose goods count fails once its movements are counted is in
    // stock, and the summary counts it with the others.
    void importCountsAGroupItsMovementsHold()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("in.csv").toStdString();
        const std::string text = "=\"1\";A;1,00;;1,00;1;1,00;\r\n=\"2\";B;2,50;;0,33;0;0,83;\r\n";
        WriteFile(path, text);
        TFaultEnv env;
        TOpenStore store(&env);
        env.SetContents(path, text);
        TScriptedMessages messages;
        TDesk desk(path);
        // Movements, goods, movements' header, then the goods' header fails.
        env.FailWrite(4);
        CsvImport.SetLanguage(2);
        CsvImport.Execute();
        CsvImport.SetLanguage(0);
        env.ClearFaults();
        QCOMPARE(messages.Shown.size(), size_t(2));
        QVERIFY(messages.Shown[0].Text.find("Error while executing import!") != std::string::npos);
        QCOMPARE(messages.Shown[1].Text, std::string("New products recieved to warehouse: 2"));
        QCOMPARE(Store.Goods().RecordCount(), 2);
        QCOMPARE(Store.Moves().RecordCount(), 2);
    }

    // A file that cannot be read: the path, the error text and the system's
    // words, no English sentence of ours in a Russian box.
    void importOfAnUnreadableFile()
    {
        QTemporaryDir dir;
        // A folder of the name opens but cannot be read.
        const std::string path = dir.filePath("in.csv").toStdString();
        std::filesystem::create_directory(path);
        TOpenStore store;
        TScriptedMessages messages;
        TDesk desk(path);
        CsvImport.Execute();
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Text,
                 path + "\r\nОшибка при выполнении импорта!\r\n" + std::strerror(EISDIR));
        QCOMPARE(Store.Goods().RecordCount(), 0);
    }

    // Text the data file cannot store is asked about like any bad line;
    // what 1251 holds in another form is stored as that form.
    void importUnusualText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("goods");
        const QByteArray cafe("=\"1\";Caf\xC3\xA9 M\xC3\xBCller;1,00;;1,00;1;1,00;");
        const QByteArray nul("=\"3\";a\0b;1,00;;1,00;1;1,00;", 27);
        QTest::newRow("letters 1251 has not") << cafe + "\r\n"
            << QStringList{QString::fromUtf8(cafe)}
            << "New products recieved to warehouse: 0\r\nData strings missed in import file: 1" << "";
        QTest::newRow("apostrophe and thin space")
            << QByteArray("=\"2\";\xD0\xBC\xCA\xBC\xD1\x8F\xD1\x82\xD0\xB0 1\xE2\x80\x89kg;1,00;;1,00;1;1,00;\r\n")
            << QStringList{} << "New products recieved to warehouse: 1" << "2|м\u2019ята 1 kg|1.00|1.00|1|1.00\n";
        // A control character of a name is one blank, NUL as well.
        QTest::newRow("a NUL byte") << nul + "\r\n" + "=\"4\";Ok;1,00;;1,00;1;1,00;\r\n"
            << QStringList{} << "New products recieved to warehouse: 2"
            << "3|a b|1.00|1.00|1|1.00\n4|Ok|1.00|1.00|1|1.00\n";
        QTest::newRow("byte-order mark before 1251")
            << QByteArray("\xEF\xBB\xBF=\"5\";\xD7\xE0\xE9;1,00;;1,00;1;1,00;\r\n")
            << QStringList{} << "New products recieved to warehouse: 1" << "5|Чай|1.00|1.00|1|1.00\n";
    }

    void importUnusualText() { CheckImportedRows(); }

    // Records as spreadsheets and the export write them: quoted fields
    // across line breaks (a break is one blank), headers with every caption
    // quoted, and codes the import would change, which are asked about.
    void importRecords_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("goods");
        QTest::newRow("a spreadsheet's multi-line cell and quoted header")
            << QByteArray("\"Code\";\"Name\";\"Price\";\"Date\";\"Qnt\";\"Pks\";\"Cost\"\r\n"
                          "=\"1\";\"Two\nlines\";1,00;;1,00;1;1,00;\r\n=\"2\";B;1,00;;1,00;1;1,00;\r\n")
            << QStringList{} << "New products recieved to warehouse: 2"
            << "1|Two lines|1.00|1.00|1|1.00\n2|B|1.00|1.00|1|1.00\n";
        QTest::newRow("CR LF inside a quoted name of a 1251 file")
            << QByteArray("=\"1\";\"\xD7\xE0\xE9\r\n\xEB\xE8\xF1\xF2 \"\"A\"\"\";12,34;;0,33;1;4,07;\r\n")
            << QStringList{} << "New products recieved to warehouse: 1"
            << QString::fromUtf8("1|Чай лист \"A\"|12.34|0.33|1|4.07\n");
        QTest::newRow("an English spreadsheet's file")
            << QByteArray("\"Code\",\"Name\",\"Price\",\"Date\",\"Qnt\",\"Pks\",\"Cost\"\r\n"
                          "0017,\"Tea, green\",1.00,,2.00,1,2.00\r\n")
            << QStringList{} << "New products recieved to warehouse: 1" << "0017|Tea, green|1.00|2.00|1|2.00\n";
        QTest::newRow("codes the import would change")
            << QByteArray("AB-12;Bread;1,00;;1,00;1;1,00;\r\n"
                          "=\"4820000123456\";Milk;1,00;;1,00;1;1,00;\r\n"
                          "4820000123457;Milk;1,00;;1,00;1;1,00;\r\n"
                          "=\"00017\";Ok;1,00;;1,00;1;1,00;\r\n"
                          "48200001;Eight;1,00;;1,00;1;1,00;\r\n")
            << QStringList{"AB-12;Bread;1,00;;1,00;1;1,00;", "=\"4820000123456\";Milk;1,00;;1,00;1;1,00;",
                           "4820000123457;Milk;1,00;;1,00;1;1,00;"}
            << "New products recieved to warehouse: 2\r\nData strings missed in import file: 3"
            << "00017|Ok|1.00|1.00|1|1.00\n48200001|Eight|1.00|1.00|1|1.00\n";
        QTest::newRow("a bad record across lines is asked as one line")
            << QByteArray("=\"5\";\"Bad\r\nname\";1,00;;1,00;-1;1,00;\r\n=\"6\";B;1,00;;1,00;1;1,00;\r\n")
            << QStringList{"=\"5\";\"Bad name\";1,00;;1,00;-1;1,00;"}
            << "New products recieved to warehouse: 1\r\nData strings missed in import file: 1"
            << "6|B|1.00|1.00|1|1.00\n";
        QTest::newRow("a quote never closed holds one line")
            << QByteArray("=\"7\";\"Open;1,00;;1,00;1;1,00;\r\n=\"8\";B;1,00;;1,00;1;1,00;\r\n")
            << QStringList{"=\"7\";\"Open;1,00;;1,00;1;1,00;"}
            << "New products recieved to warehouse: 1\r\nData strings missed in import file: 1"
            << "8|B|1.00|1.00|1|1.00\n";
        QTest::newRow("a tab in a bare name")
            << QByteArray("=\"9\";Tea\tgreen;1,00;;1,00;1;1,00;\r\n")
            << QStringList{} << "New products recieved to warehouse: 1" << "9|Tea green|1.00|1.00|1|1.00\n";
    }

    void importRecords() { CheckImportedRows(); }

    // A name the data file would store cut is asked about like a code it
    // would change; blanks around a name go as the name edit drops them,
    // before its length counts. In UTF-8 and in 1251 files.
    void importNames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("goods");
        const std::string name42 = "Олія соняшникова рафінована Щедрий лан 1 л";
        const std::string name40 = "Олія соняшникова рафінована Щедрий лан 1";
        const std::string cut = "=\"4820001\";" + name42 + ";18,40;;1,00;1;18,40;";
        const std::string whole = "=\"4820002\";" + name40 + ";18,40;;1,00;1;18,40;";
        const QString one = "New products recieved to warehouse: 1";
        const QString stored = QString::fromStdString("4820002|" + name40 + "|18.40|1.00|1|18.40\n");
        for (const bool cp1251 : {false, true}) {
            const auto bytes = [&](const std::string& text) {
                return QByteArray::fromStdString(cp1251 ? Utf8ToCp1251(text) : text);
            };
            const char* file = cp1251 ? ", 1251" : ", UTF-8";
            QTest::newRow((std::string("42 characters") + file).c_str())
                << bytes(cut + "\r\n" + whole + "\r\n") << QStringList{QString::fromStdString(cut)}
                << one + "\r\nData strings missed in import file: 1" << stored;
            QTest::newRow((std::string("40 characters with blanks and a tab around") + file).c_str())
                << bytes("=\"4820002\"; \t " + name40 + "  ;18,40;;1,00;1;18,40;\r\n") << QStringList{} << one
                << stored;
            QTest::newRow((std::string("quoted, blanks inside the quotes") + file).c_str())
                << bytes("=\"4820002\";\"  " + name40 + " \";18,40;;1,00;1;18,40;\r\n") << QStringList{} << one
                << stored;
            QTest::newRow((std::string("a name led by a tab") + file).c_str())
                << bytes("=\"1\";\tТаб на початку назви;1,00;;1,00;1;1,00;\r\n") << QStringList{} << one
                << "1|Таб на початку назви|1.00|1.00|1|1.00\n";
        }
        QTest::newRow("a no-break space before a 1251 name")
            << QByteArray("=\"1\";\xA0\xD7\xE0\xE9\xA0;1,00;;1,00;1;1,00;\r\n") << QStringList{} << one
            << "1|Чай|1.00|1.00|1|1.00\n";
    }

    void importNames() { CheckImportedRows(); }

    // The import's own trimming of a name takes off what QString::trimmed
    // takes, and only that, of every character around a letter.
    void nameTrimmedAsTheNameEditDoes()
    {
        for (char32_t c = 0; c <= 0x10FFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const char32_t chars[] = {c, c, U'x', c, U'y', c};
            const QString text = QString::fromUcs4(chars, 6);
            const QByteArray utf8 = text.toUtf8();
            const std::string got = TrimWhiteSpace(std::string_view(utf8.constData(), size_t(utf8.size())));
            const QByteArray expected = text.trimmed().toUtf8();
            if (got != expected.toStdString())
                QFAIL(qPrintable(QString("U+%1: \"%2\"").arg(uint(c), 4, 16, QChar('0')).arg(QString::fromStdString(got))));
        }
    }

    // Through the window's menu, a long import shows in the hint panel the
    // lines stored so far each time the window is painted between groups,
    // in the window's language, and the summary comes with the hint cleared.
    void importShowsItsProgressInTheWindow_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("summary");
        QTest::newRow("Russian") << 0 << "Импорт: принято на склад строк: "
                                 << "Принято на склад новых товаров: 2500";
        QTest::newRow("Ukrainian") << 1 << "Імпорт: прийнято на склад рядків: "
                                   << "Прийнято на склад нових товарів: 2500";
        QTest::newRow("English") << 2 << "Import: lines received to warehouse: "
                                 << "New products recieved to warehouse: 2500";
    }

    void importShowsItsProgressInTheWindow()
    {
        QFETCH(int, language);
        QFETCH(QString, stored);
        QFETCH(QString, summary);
        QTemporaryDir dir;
        const std::string path = dir.filePath("list.csv").toStdString();
        std::string text;
        for (int i = 0; i < 2500; ++i)
            text += "=\"" + std::to_string(48200000 + i) + "\";Сир ваговий " + std::to_string(i) +
                    ";12,35;;0,46;1;5,68;\r\n";
        WriteFile(path, text);
        TOpenStore store;
        TScriptedMessages messages;
        TDesk desk(path);
        // The window in the language as the program starts it; it gives
        // the language to the exports and the import.
        const TLanguageBack back;
        ProgOptions().SetLanguage(TLanguage(language));
        LoadTexts(language);
        const auto window = std::make_unique<TMainFormStore>();
        TMainFormStore& w = *window;
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // What the hint panel holds each time the status bar is painted.
        QStringList painted;
        TEventRecorder paints(w.StatusBar, QEvent::Paint, [&] { painted << w.StatusBar->Text(mpHint); });
        QStringList atBoxes;
        messages.Seen = [&](const TScriptedMessages::TShown&) { atBoxes << w.StatusBar->Text(mpHint); };
        // File, Import, From .csv file with the mouse.
        QTest::mouseClick(w.menuBar(), Qt::LeftButton, {}, w.menuBar()->actionGeometry(w.MenuFile->menuAction()).center());
        QTRY_VERIFY(w.MenuFile->isVisible());
        QTest::mouseClick(w.MenuFile, Qt::LeftButton, {}, w.MenuFile->actionGeometry(w.MenuImport->menuAction()).center());
        QTRY_VERIFY(w.MenuImport->isVisible());
        QAction* item = w.MenuImport->actions().at(0);
        QCOMPARE(item->text().toStdString(), CsvImport.GetCaption());
        painted.clear();
        QTest::mouseClick(w.MenuImport, Qt::LeftButton, {}, w.MenuImport->actionGeometry(item).center());
        QTRY_VERIFY(!w.MenuFile->isVisible());
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(messages.Shown[0].Text), summary);
        // The window shows a cleared hint as it shows no hovered action's.
        QCOMPARE(atBoxes.size(), 1);
        QVERIFY2(atBoxes[0].trimmed().isEmpty(), qPrintable(atBoxes[0]));
        QCOMPARE(Store.Goods().RecordCount(), 2500);
        // Each group's count was painted, in order, and the last paint
        // shows the hint cleared.
        QStringList counts;
        for (const QString& hint : painted)
            if (!hint.trimmed().isEmpty() && (counts.isEmpty() || counts.back() != hint))
                counts << hint;
        QCOMPARE(counts, (QStringList{" " + stored + "1024", " " + stored + "2048", " " + stored + "2500"}));
        QVERIFY(painted.back().trimmed().isEmpty());
        QVERIFY(w.StatusBar->Text(mpHint).trimmed().isEmpty());
    }

    // A file larger than any goods list is refused before it is read, with
    // a message in the import's language; nothing is received.
    void importOfAFileTooLarge_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("Russian") << 0
            << "Ошибка при выполнении импорта!\r\n"
               "Файл больше 256 МБ и не может быть списком товаров: на склад ничего не принято.";
        QTest::newRow("Ukrainian") << 1
            << "Помилка під час виконання імпорту!\r\n"
               "Файл більший за 256 МБ і не може бути списком товарів: на склад нічого не прийнято.";
        QTest::newRow("English") << 2
            << "Error while executing import!\r\n"
               "The file is larger than 256 MB and cannot be a goods list: nothing was received to warehouse.";
    }

    void importOfAFileTooLarge()
    {
        QFETCH(int, language);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const std::string path = dir.filePath("in.csv").toStdString();
        // A good line, then holes up to one byte over the bound: the file
        // takes no room on the disk.
        WriteFile(path, "=\"1\";A;1,00;;1,00;1;1,00;\r\n");
        std::filesystem::resize_file(path, MaxCsvImportBytes + 1);
        QVERIFY(MaxCsvImportBytes >= size_t(256) << 20);
        TOpenStore store;
        TScriptedMessages messages;
        TDesk desk(path);
        CsvImport.SetLanguage(uint8_t(language));
        CsvImport.Execute();
        CsvImport.SetLanguage(0);
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(messages.Shown[0].Text), QString::fromStdString(path) + "\r\n" + message);
        QCOMPARE(messages.Shown[0].Flags, MB_ONEBUTTON | MB_ICONEXCLAMATION);
        QCOMPARE(Store.Goods().RecordCount(), 0);
    }

    // A bad line of 50 MB: the question shows its first characters, cut
    // visibly, in pieces that fit the box.
    void importOfAHugeBadLine()
    {
        TFormMessageBox form;
        QTemporaryDir dir;
        const std::string path = dir.filePath("in.csv").toStdString();
        WriteFile(path, "=\"1\";" + std::string(50 << 20, 'x') + "\r\n=\"2\";B;1,00;;1,00;1;1,00;\r\n");
        TOpenStore store;
        TScriptedMessages messages;
        TDesk desk(path);
        CsvImport.SetLanguage(2);
        CsvImport.Execute();
        CsvImport.SetLanguage(0);
        QCOMPARE(messages.Shown.size(), size_t(2));
        const std::string prefix = "Can't import data string:\r\n";
        const std::string& text = messages.Shown[0].Text;
        QCOMPARE(text.substr(0, prefix.size()), prefix);
        const QStringList pieces = QString::fromStdString(text.substr(prefix.size())).split("\r\n");
        const QString joined = pieces.join(QString());
        QCOMPARE(joined.size(), 300);
        QCOMPARE(joined, "=\"1\";" + QString(294, 'x') + QChar(0x2026));
        const QFontMetrics fm(form.LbQuery->font());
        for (const QString& piece : pieces)
            QVERIFY(fm.horizontalAdvance(piece) < form.LbQuery->width());
        QCOMPARE(messages.Shown[1].Text,
                 std::string("New products recieved to warehouse: 1\r\nData strings missed in import file: 1"));
    }

    // A data file that already holds control characters in a name and a
    // code: the CSV and TXT exports and the printed list show them as
    // blanks, one line per goods, and the CSV comes back through the import.
    void storedControlCharactersShowAsBlanks()
    {
        QTemporaryDir dir;
        const std::string csv = dir.filePath("goods.csv").toStdString(), txt = dir.filePath("goods.txt").toStdString();
        std::vector<std::string> cells;
        {
            TOpenStore store;
            TScriptedMessages messages;
            Put("5", "Plain", "1.00", "1.00", "1", 0);
            Put("0", "x", "12.34", "0.33", "2", EncodeDate(2026, 1, 2));
            TTableStore& g = Store.Goods();
            const char code[8] = {'1', '\r', '\n', '2'};
            const char name[40] = "Two\nlines\tname\r\n";
            g.Edit();
            g.Code.SetData(code);
            g.Name.SetData(name);
            g.Post();
            TDesk desk(csv);
            CsvExport.SetLanguage(2);
            CsvExport.Execute();
            desk.Path = txt;
            TxtExport.SetLanguage(2);
            TxtExport.Execute();
            CsvExport.SetLanguage(0);
            TxtExport.SetLanguage(0);
            TRecordingDevice device;
            cells = PrintedCells(device);
            QVERIFY(messages.Shown.empty());
        }
        QCOMPARE(ReadFile(csv), std::string("Code,Name,Price,Date,Qnt,Pks,Cost,\r\n"
                                            "=\"5\",Plain,1.00,          ,1.00,1,1.00,\r\n"
                                            "=\"1 2\",Two lines name ,12.34,01/02/2026,0.33,2,4.07,\r\n"));
        const std::string text = ReadFile(txt);
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), 3);
        QCOMPARE(std::count(text.begin(), text.end(), '\r'), 3);
        QVERIFY2(text.find("\r\n1 2      Two lines name " + std::string(25 + 8, ' ') + "12.34") != std::string::npos,
                 text.c_str());
        QCOMPARE(std::vector<std::string>(cells.begin() + 14, cells.begin() + 16),
                 (std::vector<std::string>{"1 2", "Two lines name "}));

        TOpenStore store;
        TScriptedMessages messages;
        TDesk desk(csv);
        CsvImport.SetLanguage(2);
        CsvImport.Execute();
        CsvImport.SetLanguage(0);
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Text, std::string("New products recieved to warehouse: 2"));
    }

    void listReportRows()
    {
        TOpenStore store;
        TScriptedMessages messages;
        LoadTexts(0);
        PutSampleGoods();
        TRecordingDevice device;
        const std::vector<std::string> cells = PrintedCells(device);
        const std::vector<std::string> expected = {
            "Код", "Наименование", "Цена", "Дата", "К-во", "Упк", "Стоимость",
            "7", "Tea; green", "0.05", "        ", "0.00", "0", "0.00",
            "=1+2", "=SUM(A1)", "1.00", "02.01.26", "1.00", "1", "1.00",
            "00012345", "Молоко \"Селянське\" 2,5%", "1'234.50", "31.12.26", "10.00", "3", "12'345.00",
            "Всего наименований: 3", "11.00", "4", "12'346.00"};
        QCOMPARE(cells, expected);
        QCOMPARE(device.Log.front(), std::string("begin Остатки товара на складе"));
        QCOMPARE(device.Log.back(), std::string("end"));
        QVERIFY(messages.Shown.empty());
    }

    void listReportAfterTotalsOverflow()
    {
        TOpenStore store;
        TScriptedMessages messages;
        Store.InsertGoods("1", "a", "42'949'671.00", "1.00", "1", "");
        Store.InsertGoods("2", "b", "42'949'671.00", "1.00", "1", "");
        TRecordingDevice device;
        device.Height = 10000;
        TPrintManager pm(device);
        TPrintManager* before = SetPrintManager(&pm);
        ListReport.SetLanguage(2);
        ListReport.Execute();
        ListReport.SetLanguage(0);
        SetPrintManager(before);
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Caption, std::string("Sum calculation"));
        QCOMPARE(messages.Shown[0].Flags, MB_ONEBUTTON | MB_ICONSTOP);
        QVERIFY(std::find_if(device.Log.begin(), device.Log.end(), [](const std::string& l) {
                    return l.size() > 14 && l.substr(l.size() - 14) == " Names total: ";
                }) != device.Log.end());
        QCOMPARE(device.Log.back(), std::string("end"));
    }
};

QTEST_MAIN(TestQEximRep)
#include "TestQEximRep.moc"
