// The printed list written to a PDF file as a user without a printer gets
// it, read back with pdftotext and pdffonts: its pages, the page footers with
// the final count, the caption row on every page, the rows with their
// Cyrillic names, the totals, the fonts embedded; under font set-ups of its
// own, never the machine's fonts. A failed file shows the print error.

#include "TestEximKit.h"
#include "UEximRep.h"
#include "UInOut.h"
#include "UPdfFileDevice.h"
#include "UPrinterDevice.h"
#include "UQtLanguage.h"
#include "UShell.h"
#include "USystemPrinters.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>

using namespace tv;
using namespace tv::testkit;

namespace {

// A set of font files and the face that fontconfig gives for "Arial".
struct TFontSet {
    const char* Name;
    QStringList Files;
    const char* Arial;
};

const QString Dejavu = "/usr/share/fonts/truetype/dejavu/";

const TFontSet FontSets[] = {
    // An OpenType face with CFF outlines and no bold or italic face.
    {"cff", {"/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf"}, "Nimbus Sans"},
    {"dejavu",
     {Dejavu + "DejaVuSans.ttf", Dejavu + "DejaVuSans-Bold.ttf", Dejavu + "DejaVuSans-Oblique.ttf"},
     "DejaVu Sans"},
    // A face without Cyrillic letters: they come from DejaVu Sans.
    {"fallback", {"/usr/share/fonts/opentype/cabin/Cabin-Regular.otf", Dejavu + "DejaVuSans.ttf"}, "Cabin"},
    // Wide digits, a bold face and no italic one.
    {"cantarell",
     {"/usr/share/fonts/opentype/cantarell/Cantarell-Regular.otf",
      "/usr/share/fonts/opentype/cantarell/Cantarell-Bold.otf"},
     "Cantarell"},
};

const TFontSet* FindFontSet(const QString& name)
{
    for (const TFontSet& set : FontSets)
        if (name == set.Name)
            return &set;
    return nullptr;
}

// Copies the set's files into dir/fonts and points fontconfig at them
// alone, with its cache in dir; the answer is the configuration file.
QString WriteFontConfig(const QString& dir, const TFontSet& set)
{
    QDir().mkpath(dir + "/fonts");
    for (const QString& file : set.Files)
        QFile::copy(file, dir + "/fonts/" + QFileInfo(file).fileName());
    const QString conf = dir + "/fonts.conf";
    QFile out(conf);
    out.open(QIODevice::WriteOnly);
    out.write(QString("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                      "<fontconfig>\n  <dir>%1/fonts</dir>\n  <cachedir>%1/cache</cachedir>\n"
                      "  <alias><family>Arial</family><prefer><family>%2</family></prefer></alias>\n"
                      "</fontconfig>\n")
                  .arg(dir, set.Arial)
                  .toUtf8());
    return conf;
}

QString Run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of each page, laid out as printed.
QStringList PdfPages(const QString& file)
{
    QString text = Run("pdftotext", {"-layout", file, "-"});
    if (text.endsWith('\f'))
        text.chop(1);
    return text.split('\f');
}

// Per font of the file: its name and whether it is embedded.
QMap<QString, bool> PdfFonts(const QString& file)
{
    QMap<QString, bool> fonts;
    const QRegularExpression line("^(\\S+) .* (yes|no) +(yes|no) +(yes|no) +\\d+ +\\d+ *$");
    for (const QString& l : Run("pdffonts", {file}).split('\n'))
        if (const auto m = line.match(l); m.hasMatch())
            fonts[m.captured(1)] = m.captured(2) == "yes";
    return fonts;
}

// The page contents of the file, inflated.
QByteArray PdfContents(const QString& file)
{
    QFile in(file);
    in.open(QIODevice::ReadOnly);
    const QByteArray pdf = in.readAll();
    QByteArray all;
    for (qsizetype at = 0; (at = pdf.indexOf("stream\n", at)) >= 0;) {
        at += 7;
        const qsizetype end = pdf.indexOf("endstream", at);
        const QByteArray size = "\x00\x00\x10\x00";  // a guess; the buffer grows
        all += qUncompress(QByteArray(size.constData(), 4) + pdf.mid(at, end - at));
        at = end;
    }
    return all;
}

// The printers a test gives the system. Each prints into a PDF file of its
// name in Folder; the one named Refusing refuses every job.
class TTestPrinters : public TSystemPrinters {
public:
    QStringList List;
    QString Default, Refusing, Folder;

    QStringList Names() const override { return List; }
    QString DefaultName() const override { return Default; }
    void Select(QPrinter& printer, const QString& name) const override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Folder + (name == Refusing ? "/no such folder/" : "/") + name + ".pdf");
    }
};

constexpr int ListGoods = 150;

// The child's work: the list of ListGoods goods with Cyrillic names printed
// in English to file through the report's flow; 0 when it went through.
int PrintListTo(const QString& file)
{
    LoadEnglishTexts();
    TOpenStore store;
    TScriptedMessages messages;
    for (int i = 1; i <= ListGoods; ++i)
        Store.InsertGoods(std::to_string(20000000 + i), "Товар номер " + std::to_string(i) + " ґєії",
                          "2.50", "4.00", "2", "");
    std::vector<std::string> opened;
    SetShellLauncher([&](const TShellRequest& r) {
        opened.push_back(r.Target);
        return true;
    });
    SetFileChooser([&](const TFileRequest&) { return file.toStdString(); });
    TPrintManager manager(PdfFileDevice());
    SetPrintManager(&manager);
    ListReport.SetLanguage(2);
    ListReport.Execute();
    SetPrintManager(nullptr);
    for (const auto& shown : messages.Shown)
        fprintf(stderr, "message: %s\n", shown.Text.c_str());
    if (!messages.Shown.empty() || opened != std::vector<std::string>{file.toStdString()})
        return 1;
    // What font matching chose, for the parent's checks.
    printf("%s\n", qPrintable(QFontInfo(PdfFileDevice().Font(pfRow)).family()));
    return 0;
}

} // namespace

class TestQPrintPdf : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    std::vector<std::string> FOpened;
    std::vector<TFileRequest> FAsked;
    TShellLauncher FLauncher;
    TPrintManager FManager{PdfFileDevice()};
    TTestPrinters FPrinters;  // none unless a test gives some

    // Prints the list in English to the file the chooser names.
    void PrintList(const QString& file)
    {
        SetFileChooser([&, file](const TFileRequest& r) {
            FAsked.push_back(r);
            return file.toStdString();
        });
        ListReport.SetLanguage(2);
        ListReport.Execute();
        ListReport.SetLanguage(0);
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        LoadEnglishTexts();
        // A printer of the system is never used by the tests.
        SetSystemPrinters(&FPrinters);
        SetPrintManager(&FManager);
        FLauncher = SetShellLauncher([this](const TShellRequest& r) {
            FOpened.push_back(r.Target);
            return true;
        });
    }
    void cleanupTestCase()
    {
        SetShellLauncher(FLauncher);
        SetFileChooser({});
        SetPrintManager(nullptr);
        SetSystemPrinters(nullptr);
    }

    // Reports -> Rests list through the program's own print manager; the
    // answer is the file the user was asked for, empty when none.
    QString PrintFromTheMenu(const QString& file)
    {
        FOpened.clear();
        FAsked.clear();
        SetFileChooser([&, file](const TFileRequest& r) {
            FAsked.push_back(r);
            return file.toStdString();
        });
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&ListReport}, {}, {});
        ListReport.SetLanguage(2);
        SetPrintManager(nullptr);
        reportMenu.actions().at(0)->trigger();
        SetPrintManager(&FManager);
        ListReport.SetLanguage(0);
        return FAsked.empty() ? QString() : file;
    }

    // The list in a child process under each font set-up alone.
    void listUnderEachFontSet_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QStringList>("fonts");
        QTest::addColumn<bool>("boldFace");
        QTest::addColumn<bool>("italicFace");
        QTest::addColumn<bool>("codesWhole");
        QTest::newRow("CFF face only") << "cff" << QStringList{"NimbusSans-Regular"} << false << false << true;
        QTest::newRow("DejaVu Sans") << "dejavu" << QStringList{"DejaVuSans", "DejaVuSans-Bold", "DejaVuSans-Oblique"}
                                     << true << true << true;
        // Its digits are of different widths: most 8-digit codes end in an
        // ellipsis within the code column.
        QTest::newRow("face without Cyrillic, DejaVu Sans beside")
            << "fallback" << QStringList{"Cabin-Regular", "DejaVuSans"} << false << false << false;
        QTest::newRow("Cantarell") << "cantarell" << QStringList{"Cantarell-Bold", "Cantarell-Regular"} << true
                                   << false << true;
    }
    void listUnderEachFontSet()
    {
        QFETCH(QString, set);
        QFETCH(QStringList, fonts);
        QFETCH(bool, boldFace);
        QFETCH(bool, italicFace);
        QFETCH(bool, codesWhole);
        for (const QString& file : FindFontSet(set)->Files)
            if (!QFileInfo::exists(file))
                QFAIL(qPrintable(file + " is missing: scripts/install-deps.sh installs it"));
        const QString file = FDir.filePath(set + ".pdf");
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--print-list", set, file});
        QVERIFY(child.waitForFinished(120000));
        QVERIFY2(child.exitCode() == 0, child.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(),
                 QString(FindFontSet(set)->Arial));

        const QStringList pages = PdfPages(file);
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
        const QRegularExpression caption("Code +Name +Price +Date +Qnt +Pks +Cost");
        // An 8-digit code keeps a blank before the name.
        const QRegularExpression row(
            QString("^ *(\\d{8}%1) +Товар").arg(codesWhole ? "" : "|\\d+…") + " номер (\\d+) ґєії +2\\.50 +\\d\\d/\\d\\d/\\d\\d +4\\.00 +2 +10\\.00 *$",
            QRegularExpression::MultilineOption);
        int next = 1;
        for (int p = 0; p < pages.size(); ++p) {
            const QString& page = pages[p];
            QVERIFY2(page.contains("Product rest in warehouse"), qPrintable(page));
            QVERIFY2(page.contains(QString("(page %1 of %2)").arg(p + 1).arg(pages.size())),
                     qPrintable(page));
            QCOMPARE(page.count(caption), 1);
            QVERIFY(page.indexOf(caption) < page.indexOf(row));
            for (auto m = row.globalMatch(page); m.hasNext();) {
                const auto match = m.next();
                QCOMPARE(match.captured(2).toInt(), next);
                if (!match.captured(1).endsWith(QChar(0x2026)))
                    QCOMPARE(match.captured(1).toInt(), 20000000 + next);
                ++next;
            }
        }
        QCOMPARE(next, ListGoods + 1);
        const QRegularExpression totals("Names total: 150 +600\\.00 +300 +1'500\\.00");
        QVERIFY2(pages.last().contains(totals), qPrintable(pages.last()));
        for (int p = 0; p + 1 < pages.size(); ++p)
            QVERIFY(!pages[p].contains("Names total"));

        // Every font is embedded, the fallback face among them.
        const QMap<QString, bool> embedded = PdfFonts(file);
        QStringList names;
        for (auto it = embedded.begin(); it != embedded.end(); ++it) {
            QVERIFY2(it.value(), qPrintable(it.key() + " is not embedded"));
            names << it.key().section('+', -1);
        }
        names.sort();
        QCOMPARE(names, fonts);
        // Without a bold or italic face the engine draws them itself: bold
        // twice over, the copy hidden from text extraction; italic slanted.
        const QByteArray contents = PdfContents(file);
        QCOMPARE(contents.contains("/ActualText <>"), !boldFace);
        QCOMPARE(contents.contains(" .3 -1 0 0 Tm"), !italicFace);
    }

    void emptyListOnOnePage()
    {
        TOpenStore store;
        TScriptedMessages messages;
        FOpened.clear();
        FAsked.clear();
        const QString file = FDir.filePath("empty");
        const std::string startDay = FormatDateTime("yyyy-mm-dd", Date());
        PrintList(file);
        QVERIFY(messages.Shown.empty());
        QCOMPARE(FAsked.size(), size_t(1));
        QVERIFY(FAsked[0].Save);
        QCOMPARE(QString::fromStdString(FAsked[0].Folder).section('/', -1), QString("Export"));
        if (FAsked[0].FileName != startDay) QCOMPARE(FAsked[0].FileName, FormatDateTime("yyyy-mm-dd", Date()));
        QCOMPARE(FAsked[0].Title, std::string("Product rest in warehouse"));
        // The name gets its extension; the finished file is opened.
        QCOMPARE(FOpened, std::vector<std::string>{file.toStdString() + ".pdf"});
        const QStringList pages = PdfPages(file + ".pdf");
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains("(page 1 of 1)"));
        QVERIFY2(pages[0].contains(QRegularExpression("Cost\\s+Names total: 0 +0\\.00 +0 +0\\.00")),
                 qPrintable(pages[0]));
    }

    // Totals are numbers the user reads: an 8-digit total of packs and the
    // largest amounts print whole in the totals row.
    void totalsPrintWhole()
    {
        TOpenStore store;
        TScriptedMessages messages;
        for (int i = 1; i <= 5; ++i)
            Store.InsertGoods(std::to_string(20000000 + i), "Кава мелена 1 кг", "8'589'934.59", "1.00", "9793824",
                              "");
        const QString file = FDir.filePath("totals.pdf");
        PrintList(file);
        QVERIFY(messages.Shown.empty());
        const QStringList pages = PdfPages(file);
        QVERIFY2(pages.last().contains(QRegularExpression("Names total: 5 +5\\.00 +48969120 +42'949'672\\.95")),
                 qPrintable(pages.last()));
    }

    // A file that cannot be written shows the print error of the interface
    // language with the path and the system's reason, and leaves no file.
    void unwritableFileShowsThePrintError_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("sizeLimit");
        QTest::newRow("missing folder") << FDir.filePath("no/such/list.pdf") << ENOENT << 0;
        QTest::newRow("full disk") << "/dev/full" << ENOSPC << 0;
        QTest::newRow("file size limit on the way") << FDir.filePath("big.pdf") << EFBIG << 20000;
    }
    void unwritableFileShowsThePrintError()
    {
        QFETCH(QString, file);
        QFETCH(int, error);
        QFETCH(int, sizeLimit);
        TOpenStore store;
        TScriptedMessages messages;
        for (int i = 1; i <= 400; ++i)
            Store.InsertGoods(std::to_string(i), "Товар " + std::to_string(i), "1.00", "1.00", "1", "");
        LoadUkrainianTexts();
        FOpened.clear();
        SetFileChooser([&](const TFileRequest&) { return file.toStdString(); });
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&ListReport}, {}, {});
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        if (sizeLimit) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit = before;
            limit.rlim_cur = rlim_t(sizeLimit);
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        manager.ExecuteAction(0);
        setrlimit(RLIMIT_FSIZE, &before);
        const std::string initError = TextTable[SlotPrinterInitError];
        const std::string caption = TextTable[SlotPrintCaption];
        LoadEnglishTexts();
        QVERIFY(initError != "Printer initializing error");
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Text,
                 initError + "\r\n" + file.toStdString() + ": " + std::strerror(error));
        QCOMPARE(messages.Shown[0].Caption, caption);
        QVERIFY(FOpened.empty());
        QVERIFY(!FManager.Started());
        if (file == "/dev/full")
            QVERIFY(std::filesystem::is_character_file(file.toStdString()) &&
                    !QFileInfo::exists(file + ".pdf"));
        else
            QVERIFY(!QFileInfo::exists(file));
    }

    // Each print goes to the printer the system has then: the default one,
    // else its first; to the PDF file the user names where it has none; a
    // printer refusing the job shows the print error with its name. (Before
    // the printer set-up below, which chooses file output.)
    void printsOnWhatTheSystemHas_data()
    {
        QTest::addColumn<QStringList>("printers");
        QTest::addColumn<QString>("defaultPrinter");
        QTest::addColumn<QString>("refusing");
        QTest::addColumn<QString>("printedOn");
        QTest::addColumn<QString>("error");
        QTest::newRow("default printer") << QStringList{"Office", "Back"} << "Back" << "" << "Back" << "";
        QTest::newRow("no default, the first") << QStringList{"Office", "Back"} << "" << "" << "Office" << "";
        QTest::newRow("no printer, the PDF file") << QStringList{} << "" << "" << "" << "";
        QTest::newRow("printer refuses the job")
            << QStringList{"Office"} << "Office" << "Office" << "" << "Printer initializing error\r\nOffice";
    }
    void printsOnWhatTheSystemHas()
    {
        QFETCH(QStringList, printers);
        QFETCH(QString, defaultPrinter);
        QFETCH(QString, refusing);
        QFETCH(QString, printedOn);
        QFETCH(QString, error);
        TOpenStore store;
        TScriptedMessages messages;
        Store.InsertGoods("20000001", "Кава мелена 1 кг", "99'999.99", "99.99", "99", "");
        QTemporaryDir queue;
        FPrinters.List = printers;
        FPrinters.Default = defaultPrinter;
        FPrinters.Refusing = refusing;
        FPrinters.Folder = queue.path();
        const QString asked = PrintFromTheMenu(FDir.filePath("system.pdf"));
        const QStringList written = QDir(queue.path()).entryList(QDir::Files);
        FPrinters.List.clear();
        if (!error.isEmpty()) {
            QCOMPARE(messages.Shown.size(), size_t(1));
            QCOMPARE(QString::fromStdString(messages.Shown[0].Text), error);
            QCOMPARE(messages.Shown[0].Caption, std::string("Print"));
            QVERIFY(asked.isEmpty() && FOpened.empty() && written.isEmpty());
            QVERIFY(!PrintManager().Started());
            return;
        }
        QVERIFY(messages.Shown.empty());
        if (printedOn.isEmpty()) {
            QCOMPARE(asked, FDir.filePath("system.pdf"));
            QCOMPARE(FOpened, std::vector<std::string>{asked.toStdString()});
            QVERIFY(written.isEmpty());
            QVERIFY(PdfPages(asked)[0].contains("Кава мелена 1 кг"));
            return;
        }
        QVERIFY(asked.isEmpty() && FOpened.empty());
        QCOMPARE(written, QStringList{printedOn + ".pdf"});
        QVERIFY(PdfPages(queue.filePath(written[0]))[0].contains("Кава мелена 1 кг"));
    }

    // The printer gone between two prints: the second goes to the PDF file
    // and the printer set-up finds none; back again, it prints there.
    void printerGoneBetweenTwoPrints()
    {
        TOpenStore store;
        TScriptedMessages messages;
        Store.InsertGoods("20000001", "Кава мелена 1 кг", "1.00", "1.00", "1", "");
        QTemporaryDir queue;
        FPrinters.List = {"Office"};
        FPrinters.Default = "Office";
        FPrinters.Refusing.clear();
        FPrinters.Folder = queue.path();
        QVERIFY(PrintFromTheMenu(FDir.filePath("first.pdf")).isEmpty());
        QVERIFY(QFile::remove(queue.filePath("Office.pdf")));
        FPrinters.List.clear();
        SetPrintManager(nullptr);
        QVERIFY(!PrintManager().HasPrinters());
        SetPrintManager(&FManager);
        QCOMPARE(PrintFromTheMenu(FDir.filePath("second.pdf")), FDir.filePath("second.pdf"));
        QVERIFY(PdfPages(FDir.filePath("second.pdf"))[0].contains("Кава"));
        QVERIFY(!QFileInfo::exists(queue.filePath("Office.pdf")));
        FPrinters.List = {"Office"};
        QVERIFY(PrintFromTheMenu(FDir.filePath("third.pdf")).isEmpty());
        QVERIFY(PdfPages(queue.filePath("Office.pdf"))[0].contains("Кава"));
        QVERIFY(messages.Shown.empty());
        FPrinters.List.clear();
    }

    // The printer set-up reads the page metrics anew after OK only.
    void printerSetupReadsTheNewPage()
    {
        SetPrintManager(nullptr);
        QPrinter& printer = PrinterDevice().Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        auto setUp = [&](QPageSize::PageSizeId size, bool ok) {
            printer.setPageSize(QPageSize(size));
            QTimer::singleShot(0, [ok] {
                auto* dialog = static_cast<QDialog*>(QApplication::activeModalWidget());
                ok ? dialog->accept() : dialog->reject();
            });
            return PrinterSetup(nullptr);
        };
        QVERIFY(setUp(QPageSize::A4, true));
        QVERIFY(&PrintManager().Device() == &PdfFileDevice());
        const int32_t a4 = PrintManager().RightEdge();
        QVERIFY(!setUp(QPageSize::A5, false));
        QCOMPARE(PrintManager().RightEdge(), a4);
        QVERIFY(setUp(QPageSize::A5, true));
        const int32_t a5 = PrintManager().RightEdge();
        QVERIFY2(a5 < a4 * 3 / 4, qPrintable(QString::number(a5)));
        QVERIFY(setUp(QPageSize::A4, true));
        QCOMPARE(PrintManager().RightEdge(), a4);
        SetPrintManager(&FManager);
        FManager.ReadPrinterMetrics();
    }

    // The printer set-up prints nothing: the button that takes its choices
    // says OK, not Print, in every language; clicking it takes them.
    void printerSetupConfirmsWithOk_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("print");
        QTest::newRow("rus") << int(langRussian) << "&Печать";
        QTest::newRow("ukr") << int(langUkrainian) << "&Друк";
        QTest::newRow("eng") << int(langEnglish) << "&Print";
    }
    void printerSetupConfirmsWithOk()
    {
        QFETCH(int, language);
        QFETCH(QString, print);
        ApplyQtTranslations(TLanguage(language));
        QCOMPARE(QCoreApplication::translate("QPrintDialog", "&Print"), print);
        SetPrintManager(nullptr);
        PrinterDevice().Printer().setOutputFormat(QPrinter::PdfFormat);
        PrinterDevice().Printer().setOutputFileName(FDir.filePath("set-up.pdf"));
        QStringList buttons;
        QString confirm;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = QApplication::activeModalWidget();
            auto* box = dialog ? dialog->findChild<QDialogButtonBox*>() : nullptr;
            if (!box || !dialog->isVisible()) return;
            poll.stop();
            for (QAbstractButton* b : box->buttons())
                if (b->isVisible()) buttons << b->text();
            QPushButton* ok = box->button(QDialogButtonBox::Ok);
            confirm = ok->text();
            QTest::mouseClick(ok, Qt::LeftButton);
            if (dialog->isVisible()) static_cast<QDialog*>(dialog)->reject();
        });
        poll.start(20);
        const bool taken = PrinterSetup(nullptr);
        SetPrintManager(&FManager);
        FManager.ReadPrinterMetrics();
        ApplyQtTranslations(langEnglish);
        QVERIFY2(!buttons.contains(print), qPrintable(buttons.join(", ")));
        QCOMPARE(confirm, QString("OK"));
        QVERIFY(taken);
    }

    // A report failing half-way leaves no job open and no partial file, and
    // the next report prints.
    void failedReportLeavesNoJob()
    {
        class TFailing : public TReport {
        public:
            std::string GetCaption() const override { return "x"; }
            std::string GetHint() const override { return "x"; }
            void Execute() override
            {
                PdfFileDevice().SetFile(File);
                PrintManager().BeginReport("x");
                PrintManager().AddTable({"a"}, {1}, {false}, 2, {""});
                PrintManager().AddRow({"row"});
                throw Exception("Disk full");
            }
            std::string File;
        } failing;
        TOpenStore store;
        TScriptedMessages messages;
        FOpened.clear();
        failing.File = FDir.filePath("failed.pdf").toStdString();
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&failing}, {}, {});
        manager.ExecuteAction(0);
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Text, std::string("Disk full"));
        QVERIFY(!PrintManager().Started());
        QVERIFY(!QFileInfo::exists(QString::fromStdString(failing.File)));
        QVERIFY(FOpened.empty());
        PrintList(FDir.filePath("after.pdf"));
        QCOMPARE(PdfPages(FDir.filePath("after.pdf")).size(), 1);
    }

    // A text wider than its cell is cut to whole letters and an ellipsis,
    // at either alignment; one that fits is drawn whole.
    void longTextsEndInAnEllipsis()
    {
        TPdfFileDevice device;
        const QString file = FDir.filePath("cut.pdf");
        device.SetFile(file.toStdString());
        device.BeginDoc("cut");
        const std::string text = "Дуже довга назва товару (ґ є і ї)";
        const int32_t full = device.TextWidth(pfRow, text);
        const int32_t h = device.TextHeight(pfRow, text);
        QVERIFY(full > 0 && h > 0);
        device.DrawText(0, 0, full, h, text, pfRow, false);
        device.DrawText(0, 2 * h, full / 2, 3 * h, text, pfRow, false);
        device.DrawText(full, 4 * h, full + full / 2, 5 * h, text, pfRow, true);
        device.EndDoc();
        QStringList lines = PdfPages(file)[0].split('\n', Qt::SkipEmptyParts);
        for (QString& line : lines)
            line = line.trimmed();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QString::fromStdString(text));
        for (const QString& cut : {lines[1], lines[2]}) {
            QVERIFY2(cut.endsWith(QChar(0x2026)), qPrintable(cut));
            const QString start = cut.chopped(1);
            QVERIFY2(start.size() > 3 && QString::fromStdString(text).startsWith(start), qPrintable(cut));
            QVERIFY(device.TextWidth(pfRow, cut.toStdString()) <= full / 2);
        }
        device.BeginDoc("again");  // over the same file: an aborted job leaves none
        device.AbortDoc();
        QVERIFY(!QFileInfo::exists(file));
    }

    // From the report menu through the save dialog: the typed name gets
    // the extension in the Export folder, and the finished file is opened.
    void userNamesTheFileInTheSaveDialog()
    {
        TOpenStore store;
        TScriptedMessages messages;
        Store.InsertGoods("1", "Чай", "1.00", "1.00", "1", "");
        FOpened.clear();
        SetFileChooser({});
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&ListReport}, {}, {});
        bool typed = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* name = dialog ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
            if (!name || typed)
                return;
            typed = true;
            name->selectAll();
            QTest::keyClicks(name, "typed");
            QTest::keyClick(name, Qt::Key_Return);
        });
        poll.start(20);
        reportMenu.actions().at(0)->trigger();
        poll.stop();
        QVERIFY(typed);
        QVERIFY(messages.Shown.empty());
        const std::string file = store.Path() + "Export/typed.pdf";
        QCOMPARE(FOpened, std::vector<std::string>{file});
        QVERIFY(PdfPages(QString::fromStdString(file))[0].contains("Чай"));
        SetFileChooser([](const TFileRequest&) { return std::string(); });
    }

    void declinedFileIsNoReport()
    {
        TOpenStore store;
        TScriptedMessages messages;
        FOpened.clear();
        SetFileChooser([](const TFileRequest&) { return std::string(); });
        ListReport.Execute();
        QVERIFY(FOpened.empty());
        QVERIFY(messages.Shown.empty());
        QVERIFY(!PrintManager().Started());
    }
};

// Every run sees only the fonts of one set-up: the child that prints the
// list under the set-up it is given, the tests under DejaVu Sans.
int main(int argc, char** argv)
{
    const bool child = argc == 4 && std::strcmp(argv[1], "--print-list") == 0;
    const TFontSet* set = FindFontSet(child ? argv[2] : "dejavu");
    if (!set)
        return 3;
    QTemporaryDir fonts;
    qputenv("FONTCONFIG_FILE", WriteFontConfig(fonts.path(), *set).toLocal8Bit());
    // The file dialog keeps its state in a settings folder of the run's own.
    qputenv("XDG_CONFIG_HOME", (fonts.path() + "/config").toLocal8Bit());
    // Qt's own print dialogs ask the print system too: point them at a
    // server that is not there, so they see no printers, as the tests' list.
    qputenv("CUPS_SERVER", (fonts.path() + "/no-print-server").toLocal8Bit());
    QApplication app(argc, argv);
    if (child)
        return PrintListTo(QString::fromLocal8Bit(argv[3]));
    TestQPrintPdf test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestQPrintPdf.moc"
