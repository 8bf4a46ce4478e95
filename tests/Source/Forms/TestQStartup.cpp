// The built program started as a user starts it: each copy in a program
// folder of its own, under a private X server, finding other copies through
// a private window directory.

#include "UAppSelect.h"
#include "UDateTime.h"
#include "UPassword.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UStoreData.h"
#include "UTopWindows.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <memory>
#include <string>
#include <vector>

using namespace tv;

namespace {

const QString Password = QStringLiteral("secret");
// A bound only: a sanitizer build on a busy machine takes some 20 s to start.
constexpr int StartTimeoutMs = 60000;

// A private X server on a display number it picks itself.
class TXServer {
public:
    bool Start()
    {
        FProcess.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"});
        if (!FProcess.waitForStarted(5000)) return false;
        QElapsedTimer timer;
        timer.start();
        while (!FProcess.canReadLine() && timer.elapsed() < 10000) FProcess.waitForReadyRead(200);
        const QByteArray number = FProcess.readLine().trimmed();
        if (number.isEmpty()) return false;
        FDisplayName = ":" + number;
        FDisplay = XOpenDisplay(FDisplayName.constData());
        // Windows of other processes may vanish while they are looked at.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        return FDisplay != nullptr;
    }
    ~TXServer()
    {
        if (FDisplay) XCloseDisplay(FDisplay);
        FProcess.terminate();
        FProcess.waitForFinished(5000);
    }
    QString Name() const { return QString::fromLatin1(FDisplayName); }

    // The windows of the process and their map states, for failure messages.
    QString Describe(qint64 pid)
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        QString text = QString("windows of %1:").arg(pid);
        if (!XQueryTree(FDisplay, DefaultRootWindow(FDisplay), &root, &parent, &children, &count)) return text;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (PidOf(children[i]) == pid && XGetWindowAttributes(FDisplay, children[i], &attributes))
                text += QString(" %1 (map state %2, %3x%4)")
                            .arg(children[i])
                            .arg(attributes.map_state)
                            .arg(attributes.width)
                            .arg(attributes.height);
        }
        if (children) XFree(children);
        return text;
    }

    // The process whose window is on top of all visible windows.
    qint64 TopProgram()
    {
        const std::vector<Window> windows = VisibleWindows();
        return windows.empty() ? 0 : PidOf(windows.back());
    }

    // Types the keys into the visible window of the process, as X key
    // events addressed to it. False when the process shows no window.
    bool SendKeys(qint64 pid, const std::vector<KeySym>& keys)
    {
        const Window window = VisibleWindowOf(pid);
        if (!window) return false;
        for (KeySym key : keys) {
            for (int type : {KeyPress, KeyRelease}) {
                XEvent event{};
                event.xkey.type = type;
                event.xkey.display = FDisplay;
                event.xkey.window = window;
                event.xkey.root = DefaultRootWindow(FDisplay);
                event.xkey.time = CurrentTime;
                event.xkey.same_screen = True;
                event.xkey.keycode = XKeysymToKeycode(FDisplay, key);
                XSendEvent(FDisplay, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
            }
        }
        XSync(FDisplay, False);
        return true;
    }

private:
    // The process that owns the window (0 when it names none).
    qint64 PidOf(Window window)
    {
        const Atom pidAtom = XInternAtom(FDisplay, "_NET_WM_PID", True);
        if (!pidAtom) return 0;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, rest = 0;
        unsigned char* data = nullptr;
        qint64 pid = 0;
        if (XGetWindowProperty(FDisplay, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &rest,
                               &data) == Success &&
            data && items == 1 && format == 32)
            pid = static_cast<qint64>(*reinterpret_cast<unsigned long*>(data));
        if (data) XFree(data);
        return pid;
    }

    // The visible top-level windows, bottom to top.
    std::vector<Window> VisibleWindows()
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        std::vector<Window> windows;
        if (!XQueryTree(FDisplay, DefaultRootWindow(FDisplay), &root, &parent, &children, &count)) return windows;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(FDisplay, children[i], &attributes) && attributes.map_state == IsViewable)
                windows.push_back(children[i]);
        }
        if (children) XFree(children);
        return windows;
    }

    Window VisibleWindowOf(qint64 pid)
    {
        for (Window window : VisibleWindows())
            if (PidOf(window) == pid) return window;
        return 0;
    }

    QProcess FProcess;
    QByteArray FDisplayName;
    Display* FDisplay = nullptr;
};

std::vector<KeySym> Typed(const QString& text)
{
    std::vector<KeySym> keys;
    for (QChar c : text) keys.push_back(static_cast<KeySym>(c.unicode()));
    return keys;
}

// Every file below the folder with its size, time and contents.
QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray state = QByteArray::number(info.size()) + " " +
                           QByteArray::number(info.lastModified().toMSecsSinceEpoch());
        QFile file(info.filePath());
        if (info.isFile() && file.open(QIODevice::ReadOnly))
            state += " " + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex();
        files.insert(QDir(folder).relativeFilePath(info.filePath()), state);
    }
    return files;
}

TWindow WindowOf(qint64 pid, const std::string& className)
{
    for (const TTopWindowInfo& info : EnumTopWindows())
        if (WindowProcessId(info.Handle) == pid && info.ClassName == className) return info.Handle;
    return 0;
}

// One installed copy of the program: its own folder with the executable and
// a configuration that needs no version check today.
class TCopy {
public:
    TCopy(const QProcessEnvironment& environment, const QString& password = QString())
    {
        FProcess.setProcessEnvironment(environment);
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FFolder = FDir.path();
        QFile::copy(TARNOVELL_EXE, Exe());
        TProgOptions cfg(Cfg().toStdString(), ProgRegKeyName);
        cfg.SetPassword(password.isEmpty() ? NoPasswordValue : PasswordValue(password.toStdString()));
        cfg.SetLanguage(langEnglish);
        cfg.SetTestDate(Date());
    }
    ~TCopy()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.kill();
            FProcess.waitForFinished(5000);
        }
    }

    QString Folder() const { return FFolder; }
    QString Exe() const { return FFolder + "/tarnovell"; }
    QString Cfg() const { return FFolder + "/tarnovell.cfg"; }
    QProcess& Process() { return FProcess; }
    qint64 Pid() const { return FProcess.processId(); }

    // Empty data files as a first start leaves them.
    void MakeData()
    {
        SetProgramFolder(FFolder.toStdString());
        Store.Open(true, "Data");
        Store.Close();
        SetProgramFolder(std::string());
    }

    // Starts the executable of folder (this copy's by default) and waits for
    // the window; 0 when it did not show within the time.
    TWindow Start(const std::string& className)
    {
        FProcess.start(Exe(), {});
        if (!FProcess.waitForStarted(5000)) return 0;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < StartTimeoutMs && FProcess.state() == QProcess::Running) {
            if (const TWindow window = WindowOf(Pid(), className)) return window;
            QTest::qWait(50);
        }
        return 0;
    }

    // Ends the program as the setup program does; true when it ended well.
    bool Stop()
    {
        TMessage message{WM_TERMINATEINSTANCE};
        for (const TTopWindowInfo& info : EnumTopWindows())
            if (WindowProcessId(info.Handle) == Pid() && info.ClassName != "TApplication")
                SendWindowMessage(info.Handle, message);
        return FProcess.waitForFinished(10000) && FProcess.exitStatus() == QProcess::NormalExit &&
               FProcess.exitCode() == 0;
    }

private:
    QTemporaryDir FDir;
    QString FFolder;
    QProcess FProcess;
};

// Runs a second start of the copy's executable to its end; its exit code, or
// -1 when it did not end in time.
int RunToEnd(TCopy& copy, const QProcessEnvironment& environment)
{
    QProcess second;
    second.setProcessEnvironment(environment);
    second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    second.start(copy.Exe(), {});
    if (!second.waitForFinished(StartTimeoutMs)) {
        second.kill();
        second.waitForFinished();
        return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

QString CopyOfDay(const QDate& day) { return "Hist/" + day.toString("yyyy-MM-dd"); }

} // namespace

class TestQStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(FHome.isValid());
        QDir(FHome.path()).mkpath("runtime");
        QDir(FHome.path()).mkpath("config");
        QFile::setPermissions(FHome.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // This process and the copies share one window directory and one
        // registry, both private to the test.
        qputenv("XDG_RUNTIME_DIR", (FHome.path() + "/runtime").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (FHome.path() + "/config").toLocal8Bit());
        QVERIFY2(FX.Start(), "Xvfb did not start");
        FEnvironment = QProcessEnvironment::systemEnvironment();
        FEnvironment.insert("DISPLAY", FX.Name());
        FEnvironment.insert("QT_QPA_PLATFORM", "xcb");
        FEnvironment.remove("WAYLAND_DISPLAY");
    }

    void secondStartActivatesFirstAndWritesNothing_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("firstWindow");
        QTest::newRow("first shows its main window") << "" << "TMainFormStore";
        QTest::newRow("first asks for its password") << Password << "TFormPass";
    }

    // Also: a copy in another folder has another title and starts beside it.
    void secondStartActivatesFirstAndWritesNothing()
    {
        QFETCH(QString, password);
        QFETCH(QString, firstWindow);
        TCopy first(FEnvironment, password);
        TCopy other(FEnvironment);
        QVERIFY(first.Start(firstWindow.toStdString()));
        QVERIFY2(other.Start("TMainFormStore"),
                 qPrintable("a copy in another folder did not start beside the first: " +
                            StateOf(other, "TMainFormStore")));
        QVERIFY(QFile::exists(other.Folder() + "/Data/store.dat"));
        QTRY_COMPARE(FX.TopProgram(), other.Pid());

        const auto before = Snapshot(first.Folder());
        QCOMPARE(RunToEnd(first, FEnvironment), 0);
        QTRY_COMPARE(FX.TopProgram(), first.Pid());
        QCOMPARE(Snapshot(first.Folder()), before);
        QCOMPARE(first.Process().state(), QProcess::Running);
        QCOMPARE(other.Process().state(), QProcess::Running);
        QVERIFY(first.Stop());
        QVERIFY(other.Stop());
    }

    void passwordPrompt_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("lastKey");
        QTest::addColumn<bool>("opens");
        QTest::newRow("Esc ends before any copy") << "" << int(XK_Escape) << false;
        QTest::newRow("Esc after a wrong password") << "wrong" << int(XK_Escape) << false;
        QTest::newRow("right password and Enter open the data") << Password << int(XK_Return) << true;
    }

    void passwordPrompt()
    {
        QFETCH(QString, typed);
        QFETCH(int, lastKey);
        QFETCH(bool, opens);
        TCopy copy(FEnvironment, Password);
        copy.MakeData();
        const auto data = Snapshot(copy.Folder() + "/Data");
        const QDate startDay = QDate::currentDate();
        QVERIFY(copy.Start("TFormPass"));
        std::vector<KeySym> keys = Typed(typed);
        keys.push_back(static_cast<KeySym>(lastKey));
        QElapsedTimer shown;
        shown.start();
        bool sent = false;
        while (!(sent = FX.SendKeys(copy.Pid(), keys)) && shown.elapsed() < StartTimeoutMs) QTest::qWait(50);
        QVERIFY2(sent, qPrintable(StateOf(copy, "TFormPass")));
        if (opens) {
            QTRY_VERIFY_WITH_TIMEOUT(WindowOf(copy.Pid(), "TMainFormStore") != 0, StartTimeoutMs);
            // The day's copy is of the day the copy started or of the next one.
            QVERIFY(QFile::exists(copy.Folder() + "/" + CopyOfDay(startDay) + "/store.dat") ||
                    QFile::exists(copy.Folder() + "/" + CopyOfDay(QDate::currentDate()) + "/store.dat"));
            QVERIFY(copy.Stop());
            return;
        }
        QVERIFY(copy.Process().waitForFinished(StartTimeoutMs));
        QCOMPARE(copy.Process().exitCode(), 0);
        QVERIFY(!QFile::exists(copy.Folder() + "/Hist"));
        QCOMPARE(Snapshot(copy.Folder() + "/Data"), data);
    }

    void runScriptWithoutDisplayAsksForDesktop()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        QProcess script;
        script.setProcessEnvironment(environment);
        script.start("bash", {QStringLiteral(TV_SOURCE_DIR) + "/scripts/run.sh"});
        QVERIFY(script.waitForFinished(10000));
        QCOMPARE(script.exitCode(), 1);
        QVERIFY(script.readAllStandardError().contains("needs a desktop session"));
        QVERIFY(script.readAllStandardOutput().isEmpty());
    }

private:
    // What a copy that did not show its window left on the screen.
    QString StateOf(TCopy& copy, const char* className)
    {
        return FX.Describe(copy.Pid()) + QString(", running %1, listed %2")
                                             .arg(copy.Process().state() == QProcess::Running)
                                             .arg(WindowOf(copy.Pid(), className) != 0);
    }

    QTemporaryDir FHome;
    TXServer FX;
    QProcessEnvironment FEnvironment;
};

QTEST_MAIN(TestQStartup)
#include "TestQStartup.moc"
