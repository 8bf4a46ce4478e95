// The main window's keyboard rules on a real X server: NumLock by field in
// laptop mode and the keyboard layout of the language. The test starts its
// own virtual X server; without one it is skipped.

#include "UMainForm.h"

#include "UDataGrid.h"
#include "UFaultEnv.h"
#include "UKeyboard.h"
#include "UEntryPanel.h"
#include "ULocalDbEdit.h"
#include "UMessages.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UStatusPanels.h"
#include "UTextConst.h"

#include "DialogTestKit.h"

#include <QAction>
#include "VirtualXServer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <X11/keysym.h>

using namespace tv;

namespace {

QString ServerDisplay;  // ":N" of the started server, empty when none

// Presses and releases the key of the key symbol on the server; false
// without a connection.
bool FakeServerKey(const QString& display, unsigned long sym);

class TAnswers : public IMessages {
public:
    int ShowMessageBox(const std::string&, const std::string& caption, int, const std::string&, const std::string&,
                       const std::string&, const std::string&) override
    {
        Captions.push_back(caption);
        return Answer;
    }
    std::vector<std::string> Captions;
    int Answer = 2;
};

} // namespace

class TestQMainFormX11 : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome, FFolder;
    TAnswers FAnswers;
    TFaultEnv FEnv;
    std::unique_ptr<TMainFormStore> FWindow;

    TMainFormStore& Open()
    {
        FWindow = std::make_unique<TMainFormStore>();
        FWindow->show();
        // Without a window manager nothing activates the window; Qt is told.
        if (!QTest::qWaitForWindowExposed(FWindow.get())) qWarning("window not shown");
        QApplication::setActiveWindow(FWindow.get());
        return *FWindow;
    }
    static std::optional<bool> NumLock()
    {
        QCoreApplication::processEvents();
        return NumLockState();
    }
    // Presses and releases the key on the server, as a keyboard would, and
    // waits until the window has seen the release.
    void PressOnServer(unsigned long sym)
    {
        struct TReleases : QObject {
            int Count = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::KeyRelease) ++Count;
                return false;
            }
        } releases;
        qApp->installEventFilter(&releases);
        QVERIFY(FakeServerKey(ServerDisplay, sym));
        QTRY_VERIFY(releases.Count > 0);
        qApp->removeEventFilter(&releases);
    }
    void Focus(QWidget* w)
    {
        w->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        if (ServerDisplay.isEmpty()) QSKIP("no virtual X server to run on");
        QVERIFY(testkit::UseConfigHome(FHome));
        SetProgramFolder(FFolder.path().toStdString());
        ProgOptions().SetTestDate(Now());
        SetMessages(&FAnswers);
        Store.SetEnv(&FEnv);
        Store.Open(true, "Data");
        Store.InsertGoods("11", "Apple", "2.00", "10.00", "5", "");
    }
    void cleanupTestCase()
    {
        FWindow.reset();
        Store.Close();
        Store.SetEnv(nullptr);
        SetMessages(nullptr);
    }
    void init()
    {
        LoadEnglishTexts();
        ProgOptions().SetLanguage(langEnglish);
        QCOMPARE(QProcess::execute("setxkbmap", {"-display", ServerDisplay, "-layout", "us"}), 0);
        FAnswers.Captions.clear();
    }
    void cleanup() { FWindow.reset(); }

    // Laptop mode: digits in the numeric fields, letters in the name and
    // note; closing gives back the state the window found.
    void laptopModeSwitchesNumLockByField()
    {
        ProgOptions().SetEnhanced(false);
        QVERIFY(NumLockOff());
        TMainFormStore& w = Open();
        QVERIFY(w.ActNotebook->isChecked());
        Focus(w.Panel->EditCode);
        QCOMPARE(NumLock(), std::optional<bool>(true));
        QCOMPARE(w.StatusBar->Text(mpNumLock), QString("NUM"));
        Focus(w.Panel->EditName);
        QCOMPARE(NumLock(), std::optional<bool>(false));
        QCOMPARE(w.StatusBar->Text(mpNumLock), QString());
        Focus(w.Panel->EditCost);
        QCOMPARE(NumLock(), std::optional<bool>(true));
        Focus(w.Panel->EditNote);
        QCOMPARE(NumLock(), std::optional<bool>(false));
        Focus(w.GridStore);
        w.GridStore->SetCol(1);
        QCOMPARE(NumLock(), std::optional<bool>(true));
        w.GridStore->SetCol(2);
        QCOMPARE(NumLock(), std::optional<bool>(false));
        w.GridStore->SetCol(3);
        QCOMPARE(NumLock(), std::optional<bool>(true));
        w.close();
        QCOMPARE(NumLock(), std::optional<bool>(false));
    }

    // A full keyboard: the program never touches NumLock; leaving laptop
    // mode gives back the state found at the start.
    void fullKeyboardLeavesNumLock()
    {
        ProgOptions().SetEnhanced(true);
        QVERIFY(NumLockOn());
        TMainFormStore& w = Open();
        QVERIFY(!w.ActNotebook->isChecked());
        Focus(w.Panel->EditName);
        QCOMPARE(NumLock(), std::optional<bool>(true));
        w.ActNotebook->trigger();
        QCOMPARE(NumLock(), std::optional<bool>(false));  // laptop mode, in the name
        Focus(w.Panel->EditCode);
        QCOMPARE(NumLock(), std::optional<bool>(true));
        Focus(w.Panel->EditName);
        w.ActNotebook->trigger();
        QCOMPARE(NumLock(), std::optional<bool>(true));
        Focus(w.Panel->EditNote);
        QCOMPARE(NumLock(), std::optional<bool>(true));
    }

    // The pad's plus and minus start adding and deducting on a full
    // keyboard, without typing themselves into the quantity; in laptop mode
    // they do nothing in the goods grid's code column.
    void padKeysOnTheServer_data()
    {
        QTest::addColumn<bool>("enhanced");
        QTest::addColumn<int>("sym");
        QTest::addColumn<int>("mode");
        QTest::newRow("plus, full keyboard") << true << int(XK_KP_Add) << int(smAdd);
        QTest::newRow("minus, full keyboard") << true << int(XK_KP_Subtract) << int(smDeduct);
        QTest::newRow("plus, laptop") << false << int(XK_KP_Add) << int(smBrowse);
        QTest::newRow("minus, laptop") << false << int(XK_KP_Subtract) << int(smBrowse);
    }
    void padKeysOnTheServer()
    {
        QFETCH(bool, enhanced);
        QFETCH(int, sym);
        QFETCH(int, mode);
        ProgOptions().SetEnhanced(enhanced);
        TMainFormStore& w = Open();
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        Focus(w.GridStore);
        w.GridStore->SetCol(1);
        const QString weight = w.Panel->EditWeight->text();
        PressOnServer(static_cast<unsigned long>(sym));
        QCOMPARE(Store.GetMode(), TStoreMode(mode));
        QCOMPARE(w.Panel->EditWeight->text(), weight);
        QCOMPARE(Store.Goods().RecordCount(), 1);
        QCOMPARE(Store.Moves().RecordCount(), 1);
        if (mode != smBrowse) {
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.Panel->EditWeight));
            PressOnServer(XK_Escape);
            QCOMPARE(Store.GetMode(), smBrowse);
        }
    }

    // A language whose layout the keyboard lacks asks to add it; "No"
    // leaves the layout, "Yes" adds and activates it.
    void layoutOfTheLanguage_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("panel");
        QTest::newRow("no") << 2 << "EN";
        QTest::newRow("yes") << 1 << "UK";
    }
    void layoutOfTheLanguage()
    {
        QFETCH(int, answer);
        QFETCH(QString, panel);
        ProgOptions().SetEnhanced(true);
        TMainFormStore& w = Open();
        QCOMPARE(w.StatusBar->Text(mpKeyboard), QString("EN"));
        FAnswers.Answer = answer;
        w.ActSelectUkrLang->trigger();
        QCOMPARE(FAnswers.Captions.size(), size_t(1));
        QCOMPARE(FAnswers.Captions[0], TextTable[SlotLayoutInstallCaption]);
        QCOMPARE(w.StatusBar->Text(mpKeyboard), panel);
        // English is on the keyboard: no question.
        w.ActSelectEngLang->trigger();
        QCOMPARE(FAnswers.Captions.size(), size_t(1));
        QCOMPARE(w.StatusBar->Text(mpKeyboard), QString("EN"));
    }
};

int main(int argc, char** argv)
{
    return tv::testkit::ExecOnVirtualX<TestQMainFormX11>(argc, argv, "1024x768x24", ServerDisplay);
}

#include "TestQMainFormX11.moc"

// Last, since Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

bool FakeServerKey(const QString& display, unsigned long sym)
{
    Display* server = XOpenDisplay(display.toLatin1().constData());
    if (!server) return false;
    const KeyCode code = XKeysymToKeycode(server, sym);
    XTestFakeKeyEvent(server, code, True, CurrentTime);
    XTestFakeKeyEvent(server, code, False, CurrentTime);
    XCloseDisplay(server);
    return true;
}

} // namespace
