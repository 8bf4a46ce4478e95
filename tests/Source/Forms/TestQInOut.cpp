// The registry of exports, imports and reports: the generated actions and
// menu items in three languages, enabling by mode, and the frame of every
// run (positions, begin-work and end-work, the safety copy, the print box).

#include "TestEximKit.h"
#include "UEximRep.h"
#include "UInOut.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

#include <filesystem>

using namespace tv;
using namespace tv::testkit;

namespace {

// An operation whose run is a function of the test.
template <class TBase>
class TProbe : public TBase {
public:
    std::function<void()> Run;
    std::string GetCaption() const override { return "probe"; }
    std::string GetHint() const override { return "hint"; }
    void Execute() override
    {
        if (Run)
            Run();
    }
};

using TExportProbe = TProbe<TExport>;
using TReportProbe = TProbe<TReport>;
using TImportProbe = TProbe<TImport>;

void AddGoods(int n)
{
    for (int i = 0; i < n; ++i)
        Store.InsertGoods(std::to_string(i), "goods " + std::to_string(i), "1.00", "1.00", "1", "");
}

} // namespace

class TestQInOut : public QObject {
    Q_OBJECT

private slots:
    void init() { LoadEnglishTexts(); }

    void actionsAndMenus()
    {
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        reportMenu.addAction("Price list");
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, RegisteredInOuts(),
                              {}, {});
        const std::vector<QAction*>& acts = manager.Actions();
        QCOMPARE(acts.size(), size_t(4));
        for (size_t i = 0; i < acts.size(); ++i) {
            QCOMPARE(acts[i]->objectName(), QString("ActInOut%1").arg(i));
            QCOMPARE(acts[i]->property("category").toString(), QString("Report"));
            QCOMPARE(acts[i]->parent(), &window);
        }
        QCOMPARE(exportMenu.actions(), (QList<QAction*>{acts[0], acts[1]}));
        QCOMPARE(importMenu.actions(), (QList<QAction*>{acts[2]}));
        QCOMPARE(reportMenu.actions().size(), 2);
        QCOMPARE(reportMenu.actions().last(), acts[3]);
        QVERIFY(exportMenu.menuAction()->isEnabled() && importMenu.menuAction()->isEnabled());
        // Russian until the window applies its language.
        QCOMPARE(acts[0]->text(), QString("В файл .csv"));
        QCOMPARE(acts[3]->toolTip(), QString("Печать списка с остатками товара на складе"));
    }

    void menuWithoutItemsIsDisabled()
    {
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TExportProbe probe;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&probe}, {}, {});
        QVERIFY(exportMenu.menuAction()->isEnabled());
        QVERIFY(!importMenu.menuAction()->isEnabled());
    }

    void languageRecaptions_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("hints");
        QTest::newRow("Ukrainian") << 1
            << QStringList{"До файлу .csv", "До файлу .txt", "З файлу .csv", "Список залишків"}
            << QStringList{"Експорт залишків до файлу .csv (Exel)",
                           "Експорт залишків до файлу .txt (Блокнот)",
                           "Прийом нових товарів на склад з файлу .csv",
                           "Друк списку із залишками товару на складі"};
        QTest::newRow("English") << 2
            << QStringList{"To .csv file ", "To .txt file", "From .csv file", "Rests list"}
            << QStringList{"Export rests to .csv file (Excel)", "Export rests to .txt file (Notepad)",
                           "Recieve new products to warehouse from .csv file",
                           "Print a list of product rests in warehouse"};
        QTest::newRow("Russian") << 0
            << QStringList{"В файл .csv", "В файл .txt", "Из файла .csv", "Список остатков"}
            << QStringList{"Экспорт остатков в файл .csv (Exel)",
                           "Экспорт остатков в файл .txt (Блокнот)",
                           "Прием на склад новых товаров из файла .csv",
                           "Печать списка с остатками товара на складе"};
    }

    void languageRecaptions()
    {
        QFETCH(int, language);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, hints);
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, RegisteredInOuts(),
                              {}, {});
        manager.SetLanguage(2);
        manager.SetLanguage(language);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(manager.Actions()[i]->text(), captions[i]);
            QCOMPARE(manager.Actions()[i]->toolTip(), hints[i]);
            QCOMPARE(RegisteredInOuts()[i]->GetLanguage(), uint8_t(language));
        }
        // The menu items are the actions: they follow at once.
        QCOMPARE(exportMenu.actions()[1]->text(), captions[1]);
        manager.SetLanguage(0);
    }

    void enabledOnlyInBrowseMode()
    {
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, RegisteredInOuts(),
                              {}, {});
        manager.DisableAll();
        for (QAction* a : manager.Actions())
            QVERIFY(!a->isEnabled());
        QVERIFY(!exportMenu.menuAction()->isEnabled() && !importMenu.menuAction()->isEnabled());
        QVERIFY(reportMenu.menuAction()->isEnabled());
        manager.EnableAll();
        for (QAction* a : manager.Actions())
            QVERIFY(a->isEnabled());
        QVERIFY(exportMenu.menuAction()->isEnabled() && importMenu.menuAction()->isEnabled());
    }

    // Every run is framed by begin-work and end-work, and the goods come
    // back to the record they were on, whatever the operation did.
    void runIsFramed_data()
    {
        QTest::addColumn<int>("kind");  // 0 export, 1 report
        QTest::addColumn<int>("failure");  // 0 none, 1 Exception, 2 other
        QTest::addColumn<bool>("printBox");
        QTest::addColumn<bool>("raised");
        QTest::newRow("export ends normally") << 0 << 0 << false << false;
        QTest::newRow("export error goes to the application") << 0 << 1 << false << true;
        QTest::newRow("report error in the print box") << 1 << 1 << true << false;
        QTest::newRow("report failure of another kind is raised") << 1 << 2 << false << true;
    }

    void runIsFramed()
    {
        QFETCH(int, kind);
        QFETCH(int, failure);
        QFETCH(bool, printBox);
        QFETCH(bool, raised);
        TOpenStore store;
        TScriptedMessages messages;
        AddGoods(5);
        Store.Goods().SetRecNo(3);
        std::string log;
        TExportProbe exporter;
        TReportProbe report;
        auto run = [&] {
            log += "run ";
            Store.Goods().First();
            if (failure == 1)
                throw Exception("Printer initializing error");
            if (failure == 2)
                throw std::runtime_error("other");
        };
        exporter.Run = run;
        report.Run = run;
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&exporter, &report},
                              [&] { log += "begin "; },
                              [&] { log += "end(" + std::to_string(Store.Goods().GetRecNo()) + ")"; });
        bool wasRaised = false;
        try {
            manager.ExecuteAction(kind);
        } catch (...) {
            wasRaised = true;
        }
        QCOMPARE(log, std::string("begin run end(3)"));
        QCOMPARE(wasRaised, raised);
        QCOMPARE(messages.Shown.size(), size_t(printBox ? 1 : 0));
        if (printBox) {
            const TScriptedMessages::TShown& box = messages.Shown[0];
            QCOMPARE(box.Text, std::string("Printer initializing error"));
            QCOMPARE(box.Caption, std::string("Print"));
            QCOMPARE(box.Flags, MB_ONEBUTTON | MB_ICONINFORMATION);
            QCOMPARE(box.First, std::string("OK"));
            QCOMPARE(box.FirstHint, std::string("Close the print messages window"));
        }
    }

    // A report that fails leaves no print job open.
    void failedReportEndsItsJob()
    {
        TOpenStore store;
        TScriptedMessages messages;
        TRecordingDevice device;
        TPrintManager pm(device);
        TPrintManager* before = SetPrintManager(&pm);
        TReportProbe report;
        report.Run = [&] {
            PrintManager().BeginReport("x");
            throw Exception("Disk full");
        };
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&report}, {}, {});
        manager.ExecuteAction(0);
        SetPrintManager(before);
        QVERIFY(device.Aborted);
        QVERIFY(!device.Open && !pm.Started());
        QCOMPARE(messages.Shown.at(0).Text, std::string("Disk full"));
    }

    void noPrinterShowsThePrinterError()
    {
        TOpenStore store;
        TScriptedMessages messages;
        TRecordingDevice device;
        device.Printers = false;
        TPrintManager pm(device);
        TPrintManager* before = SetPrintManager(&pm);
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        int ended = 0;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, RegisteredInOuts(),
                              {}, [&] { ++ended; });
        manager.SetLanguage(2);
        manager.Actions()[3]->trigger();
        manager.SetLanguage(0);
        SetPrintManager(before);
        QCOMPARE(ended, 1);
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Text, std::string("Printer initializing error"));
        QCOMPARE(messages.Shown[0].Caption, std::string("Print"));
    }

    // The safety copy is on disk before the import starts, also when Hist
    // did not exist.
    void importAfterSafetyCopy()
    {
        TOpenStore store;
        TScriptedMessages messages;
        AddGoods(2);
        const std::string copy = store.Path() + "Hist/0000-00-00/";
        std::string seen;
        TImportProbe import;
        import.Run = [&] {
            seen = ReadFile(copy + "store.dat") == ReadFile(store.Path() + "Data/store.dat") &&
                           std::filesystem::exists(copy + "moves.dat")
                       ? "copied"
                       : "not copied";
            AddGoods(1);
        };
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&import}, {}, {});
        manager.ExecuteAction(0);
        QCOMPARE(seen, std::string("copied"));
        QVERIFY(messages.Shown.empty());
        QCOMPARE(Store.Goods().RecordCount(), 3);
    }

    void noImportWithoutSafetyCopy()
    {
        TOpenStore store;
        TScriptedMessages messages;
        AddGoods(2);
        WriteFile(store.Path() + "Hist", "a file where the folder should be");
        bool ran = false;
        int ended = 0;
        TImportProbe import;
        import.Run = [&] { ran = true; };
        import.SetLanguage(2);
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&import}, {},
                              [&] { ++ended; });
        manager.ExecuteAction(0);
        QVERIFY(!ran);
        QCOMPARE(ended, 1);
        QCOMPARE(messages.Shown.size(), size_t(1));
        QCOMPARE(messages.Shown[0].Text, "An error occured while copying files to the folder\r\n" +
                                             store.Path() + "Hist/0000-00-00\r\n"
                                             "The import was not run: nothing was received to warehouse.");
        QCOMPARE(messages.Shown[0].Caption, std::string("Backup data"));
        QCOMPARE(messages.Shown[0].Flags, MB_ONEBUTTON | MB_ICONEXCLAMATION);
        QCOMPARE(messages.Shown[0].First + "/" + messages.Shown[0].FirstHint,
                 std::string("OK/Close message window"));
        QCOMPARE(Store.Goods().RecordCount(), 2);
    }
};

QTEST_MAIN(TestQInOut)
#include "TestQInOut.moc"
