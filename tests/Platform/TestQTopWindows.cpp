// The directory of top-level windows across processes: listing order,
// captions, plain windows of widgets and the removal of stale sockets. The
// test program starts a copy of itself as the other process.

#include "UTopWindows.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

#include <unistd.h>

using namespace tv;

namespace {

constexpr unsigned MsgActivateFirst = 0x400;
constexpr unsigned MsgRenameSecond = 0x401;
constexpr unsigned MsgQuit = 0x402;

// Two windows "First" and "Second"; messages to either bring the first
// forward, rename the second, or end the helper.
int RunHelper(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget first, second;
    std::unique_ptr<TTopWindow> secondWindow;
    auto handler = [&](TMessage& msg) {
        if (msg.Msg == MsgActivateFirst) {
            const TWindow window = WindowOfWidget(&first);
            msg.Result = SetForegroundWindow(window) ? 1 : 0;
        } else if (msg.Msg == MsgRenameSecond) {
            secondWindow->SetCaption("Renamed");
            msg.Result = 7;
        } else if (msg.Msg == MsgQuit) {
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        }
    };
    TTopWindow firstWindow("THelperForm", "First", &first, handler);
    first.show();
    if (!QTest::qWaitForWindowActive(&first)) return 2;
    secondWindow = std::make_unique<TTopWindow>("THelperForm", "Second", &second, handler);
    second.show();
    if (!QTest::qWaitForWindowActive(&second)) return 2;
    QTimer::singleShot(0, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    const int result = app.exec();
    secondWindow.reset();
    return result;
}

std::vector<TTopWindowInfo> WindowsOf(qint64 pid)
{
    std::vector<TTopWindowInfo> windows;
    for (const TTopWindowInfo& info : EnumTopWindows())
        if (WindowProcessId(info.Handle) == pid) windows.push_back(info);
    return windows;
}

} // namespace

class TestTopWindows : public QObject {
    Q_OBJECT

private slots:
    void listingOrderCaptionsAndThreads()
    {
        QProcess helper;
        helper.start(QCoreApplication::applicationFilePath(), {"--helper"});
        QVERIFY(helper.waitForStarted(5000));
        QElapsedTimer timer;
        timer.start();
        while (!helper.canReadLine() && timer.elapsed() < 10000) helper.waitForReadyRead(200);
        QCOMPARE(helper.readLine().trimmed(), QByteArray("ready"));

        std::vector<TTopWindowInfo> windows = WindowsOf(helper.processId());
        QCOMPARE(windows.size(), std::size_t(2));
        QCOMPARE(windows[0].Caption, std::string("Second"));  // newest in front
        QCOMPARE(windows[1].Caption, std::string("First"));
        QCOMPARE(windows[0].ClassName, std::string("THelperForm"));
        QCOMPARE(windows[0].ThreadId, windows[1].ThreadId);
        QVERIFY(windows[0].ThreadId != CurrentThreadId());

        TMessage rename;
        rename.Msg = MsgRenameSecond;
        QVERIFY(SendWindowMessage(windows[0].Handle, rename));
        QCOMPARE(rename.Result, std::intptr_t(7));
        TMessage activate;
        activate.Msg = MsgActivateFirst;
        QVERIFY(SendWindowMessage(windows[1].Handle, activate));
        QCOMPARE(activate.Result, std::intptr_t(1));
        // Activated: in front, once the helper has seen its activation.
        auto front = [&] {
            windows = WindowsOf(helper.processId());
            return windows.size() == 2 ? windows[0].Caption : std::string();
        };
        QTRY_COMPARE_WITH_TIMEOUT(front(), std::string("First"), 5000);
        QCOMPARE(windows[1].Caption, std::string("Renamed"));

        TMessage quit;
        quit.Msg = MsgQuit;
        QVERIFY(SendWindowMessage(windows[0].Handle, quit));
        QVERIFY(helper.waitForFinished(5000));
        QVERIFY(WindowsOf(helper.processId()).empty());
    }

    // Activations close together, as a click between two windows makes
    // them, keep their order: the window activated last is in front.
    void lastActivatedInFrontHoweverQuick()
    {
        QWidget a, b;
        TTopWindow windowA("TOrderForm", "A", &a, nullptr);
        TTopWindow windowB("TOrderForm", "B", &b, nullptr);
        auto front = [&] {
            for (const TTopWindowInfo& info : WindowsOf(QCoreApplication::applicationPid()))
                if (info.ClassName == "TOrderForm") return info.Caption;
            return std::string();
        };
        a.show();
        b.show();
        for (int i = 0; i < 10; ++i) {
            for (QWidget* w : {&a, &b}) {
                w->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(w));
                QCOMPARE(front(), w == &a ? std::string("A") : std::string("B"));
            }
        }
    }

    void plainWindowLastsAsLongAsItsWidget()
    {
        auto* dialog = new QDialog;
        dialog->setWindowTitle("Box");
        const TWindow window = WindowOfWidget(dialog);
        QVERIFY(window != 0);
        QCOMPARE(WindowOfWidget(dialog), window);
        QCOMPARE(WidgetOfWindow(window), static_cast<QWidget*>(dialog));
        bool listed = false;
        for (const TTopWindowInfo& info : EnumTopWindows())
            listed = listed || (info.Handle == window && info.ClassName == "QDialog" && info.Caption == "Box");
        QVERIFY(listed);
        QVERIFY(!SetForegroundWindow(window));  // a hidden window is not shown by it
        QVERIFY(dialog->isHidden());
        dialog->show();
        QVERIFY(SetForegroundWindow(window));
        delete dialog;
        QCOMPARE(WidgetOfWindow(window), static_cast<QWidget*>(nullptr));
        for (const TTopWindowInfo& info : EnumTopWindows()) QVERIFY(info.Handle != window);
        QCOMPARE(WindowOfWidget(nullptr), TWindow(0));
    }

    // A socket file whose process has ended goes; one of a living process
    // that does not answer stays.
    void staleSocketsOnlyOfEndedProcesses()
    {
        const QString folder = QString::fromStdString(WindowsFolder());
        QVERIFY(!folder.isEmpty());
        QProcess ended;
        ended.start("true");
        QVERIFY(ended.waitForStarted(5000));
        const qint64 endedPid = ended.processId();
        QVERIFY(ended.waitForFinished(5000));
        const QString endedFile = folder + "/win-" + QString::number(endedPid);
        const QString livingFile = folder + "/win-" + QString::number(::getppid());
        for (const QString& name : {endedFile, livingFile}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        EnumTopWindows(200);
        QVERIFY(!QFileInfo::exists(endedFile));
        QVERIFY(QFileInfo::exists(livingFile));
        QFile::remove(livingFile);
    }

    void folderIsPrivate()
    {
        const QFileInfo folder(QString::fromStdString(WindowsFolder()));
        QVERIFY(folder.isDir());
        QCOMPARE(folder.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
    }
};

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--helper") == 0) return RunHelper(argc, argv);
    QApplication app(argc, argv);
    TestTopWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestQTopWindows.moc"
