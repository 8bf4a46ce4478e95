// The printed list rendered to a PDF file as a user without a printer gets
// it: its pages, the page footers with the final count, the caption row on
// every page, the rows and the totals, read back with pdftotext.

#include "TestEximKit.h"
#include "UEximRep.h"
#include "UInOut.h"
#include "UShell.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>
#include <QTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace tv;
using namespace tv::testkit;

namespace {

// The text of each page, laid out as printed.
QStringList PdfPages(const QString& file)
{
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    p.waitForFinished(60000);
    QString text = QString::fromUtf8(p.readAllStandardOutput());
    if (text.endsWith('\f'))
        text.chop(1);
    return text.split('\f');
}

} // namespace

class TestQPrintPdf : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    std::vector<std::string> FOpened;
    std::vector<std::string> FSuggested;
    TShellLauncher FLauncher;

    // Prints the list in English to a file the chooser names; the file.
    QString PrintList(const QString& name)
    {
        const QString file = FDir.filePath(name);
        PrintDevice().SetPdfFileChooser([&, file](const std::string& suggested) {
            FSuggested.push_back(suggested);
            return file.toStdString();
        });
        ListReport.SetLanguage(2);
        ListReport.Execute();
        ListReport.SetLanguage(0);
        return file + ".pdf";
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        LoadEnglishTexts();
        // A printer of the system is never used by the tests.
        PrintDevice().Printer().setOutputFormat(QPrinter::PdfFormat);
        PrintDevice().Printer().setPageSize(QPageSize(QPageSize::A4));
        PrintManager().ReadPrinterMetrics();
        FLauncher = SetShellLauncher([this](const TShellRequest& r) {
            FOpened.push_back(r.Target);
            return true;
        });
    }
    void cleanupTestCase()
    {
        SetShellLauncher(FLauncher);
        PrintDevice().SetPdfFileChooser({});
    }

    void longListOnManyPages()
    {
        TOpenStore store;
        TScriptedMessages messages;
        const int count = 150;
        for (int i = 1; i <= count; ++i)
            Store.InsertGoods(std::to_string(1000 + i), "Goods number " + std::to_string(i), "2.50",
                              "4.00", "2", "");
        FOpened.clear();
        FSuggested.clear();
        const QString file = PrintList("list");
        QVERIFY(messages.Shown.empty());
        QCOMPARE(FSuggested.size(), size_t(1));
        QCOMPARE(QString::fromStdString(FSuggested[0]).section('/', -2),
                 "Export/" + QString::fromStdString(FormatDateTime("yyyy-mm-dd", Date())) + ".pdf");
        QCOMPARE(FOpened, std::vector<std::string>{file.toStdString()});
        const QStringList pages = PdfPages(file);
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
        const QRegularExpression caption("Code +Name +Price +Date +Qnt +Pks +Cost");
        const QRegularExpression row("^ *(\\d{4}) +Goods number (\\d+) +2\\.50 +\\d\\d/\\d\\d/\\d\\d +4\\.00 +2 +10\\.00 *$",
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
                QCOMPARE(match.captured(1).toInt(), 1000 + next);
                ++next;
            }
        }
        QCOMPARE(next, count + 1);
        const QRegularExpression totals("Names total: 150 +600\\.00 +300 +1'500\\.00");
        QVERIFY2(pages.last().contains(totals), qPrintable(pages.last()));
        for (int p = 0; p + 1 < pages.size(); ++p)
            QVERIFY(!pages[p].contains("Names total"));
    }

    void emptyListOnOnePage()
    {
        TOpenStore store;
        TScriptedMessages messages;
        const QStringList pages = PdfPages(PrintList("empty"));
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains("(page 1 of 1)"));
        QVERIFY2(pages[0].contains(QRegularExpression("Cost\\s+Names total: 0 +0\\.00 +0 +0\\.00")),
                 qPrintable(pages[0]));
    }

    // The printer set-up reads the page metrics anew after OK only.
    void printerSetupReadsTheNewPage()
    {
        QPrinter& printer = PrintDevice().Printer();
        const int32_t a4 = PrintManager().RightEdge();
        printer.setPageSize(QPageSize(QPageSize::A5));
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        QVERIFY(!PrinterSetup(nullptr));
        QCOMPARE(PrintManager().RightEdge(), a4);
        QTimer::singleShot(0, [] {
            static_cast<QDialog*>(QApplication::activeModalWidget())->accept();
        });
        QVERIFY(PrinterSetup(nullptr));
        QVERIFY2(PrintManager().RightEdge() < a4 * 3 / 4, qPrintable(QString::number(PrintManager().RightEdge())));
        printer.setPageSize(QPageSize(QPageSize::A4));
        PrintManager().ReadPrinterMetrics();
        QCOMPARE(PrintManager().RightEdge(), a4);
    }

    // A report failing half-way leaves no job open and no partial file, and
    // the next report prints.
    void failedReportLeavesNoJob()
    {
        class TFailing : public TReport {
        public:
            std::string GetCaption() const override { return "x"; }
            std::string GetHint() const override { return "x"; }
            void WriteRow(const TGoodsRow&) override {}
            void Execute() override
            {
                PrintManager().BeginReport("x");
                PrintManager().AddTable({"a"}, {1}, {false}, 2, {""});
                PrintManager().AddRow({"row"});
                throw Exception("Disk full");
            }
        } failing;
        TOpenStore store;
        TScriptedMessages messages;
        FOpened.clear();
        const QString file = FDir.filePath("failed.pdf");
        PrintDevice().SetPdfFileChooser([&](const std::string&) { return file.toStdString(); });
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&failing}, {}, {});
        manager.ExecuteAction(0);
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Text, std::string("Disk full"));
        QVERIFY(!PrintManager().Started());
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY(FOpened.empty());
        QCOMPARE(PdfPages(PrintList("after")).size(), 1);
    }

    // A text wider than its cell is cut to whole letters and an ellipsis,
    // at either alignment; one that fits is drawn whole.
    void longTextsEndInAnEllipsis()
    {
        TQtPrintDevice& device = PrintDevice();
        const QString file = FDir.filePath("cut.pdf");
        device.SetPdfFileChooser([&](const std::string&) { return file.toStdString(); });
        QVERIFY(device.BeginDoc("cut"));
        const std::string text = "Дуже довга назва товару (ґ є і ї)";
        const int32_t full = device.TextWidth(pfRow, text);
        const int32_t h = device.TextHeight(pfRow, text);
        QVERIFY(full > 0 && h > 0);
        device.DrawText(0, 0, full, h, text, pfRow, false);
        device.DrawText(0, 2 * h, full / 2, 3 * h, text, pfRow, false);
        device.DrawText(full, 4 * h, full + full / 2, 5 * h, text, pfRow, true);
        device.EndDoc();
        QCOMPARE(device.LastFile(), file.toStdString());
        QStringList lines = PdfPages(file)[0].split('\n', Qt::SkipEmptyParts);
        for (QString& line : lines)
            line = line.trimmed();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QString::fromStdString(text));
        QVERIFY(device.BeginDoc("measure"));  // metrics of the file's fonts
        for (const QString& cut : {lines[1], lines[2]}) {
            QVERIFY2(cut.endsWith(QChar(0x2026)), qPrintable(cut));
            const QString start = cut.chopped(1);
            QVERIFY2(start.size() > 3 && QString::fromStdString(text).startsWith(start), qPrintable(cut));
            QVERIFY(device.TextWidth(pfRow, cut.toStdString()) <= full / 2);
        }
        device.AbortDoc();  // over the same file: an aborted job leaves none
        QVERIFY(!QFileInfo::exists(file));
    }

    void declinedFileIsNoReport()
    {
        TOpenStore store;
        TScriptedMessages messages;
        FOpened.clear();
        PrintDevice().SetPdfFileChooser([](const std::string&) { return std::string(); });
        ListReport.Execute();
        QVERIFY(FOpened.empty());
        QVERIFY(messages.Shown.empty());
        QVERIFY(!PrintManager().Started());
    }
};

QTEST_MAIN(TestQPrintPdf)
#include "TestQPrintPdf.moc"
