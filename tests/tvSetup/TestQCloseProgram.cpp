// Step 1 closes the program that runs from the installation folder and
// waits until its process has ended; one running from another folder is
// not touched. The running programs are copies of this test in helper mode,
// publishing the windows the program publishes, and the built program itself.

#include "SetupTestHome.h"
#include "UAppSelect.h"
#include "UCloseProgram.h"
#include "UInstallation.h"
#include "USetupTextConst.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <csignal>

#include <cstdio>
#include <memory>

using namespace tv;

namespace {

// Helper: "closing <folder> <marker>" answers the end request, then takes
// half a second more before it writes the marker and ends; "stubborn
// <folder>" never ends on request.
int RunHelper(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string mode = argv[2];
    const std::string caption = RunningCopyCaption(argv[3]);
    auto handler = [mode](TMessage& msg) {
        if (msg.Msg == WM_TERMINATEINSTANCE && mode == "closing")
            AnswerClose();
    };
    TTopWindow application("TApplication", caption, nullptr, handler);
    QWidget form;
    TTopWindow main("TMainFormStore", caption, &form, handler);
    std::printf("ready\n");
    std::fflush(stdout);
    app.exec();
    QThread::msleep(500);
    if (argc > 4)
        TSetupTestHome::Write(argv[4], "ended");
    return 0;
}

} // namespace

class TestCloseProgram : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QProcess> Start(const QStringList& args)
    {
        auto process = std::make_unique<QProcess>();
        process->start(QCoreApplication::applicationFilePath(), QStringList{"helper"} + args);
        if (!process->waitForStarted() || !process->waitForReadyRead(10000))
            return nullptr;
        return process;
    }

    static std::string RunStepOne(const std::string& folder, TMemoView& view)
    {
        TInstallation steps(view);
        steps.FreeSpace = [](const std::string&, std::string&) -> std::int64_t { throw Exception("stop"); };
        try {
            steps.Install({folder, 2, false, false});
        } catch (const Exception& e) {
            return e.Message();
        }
        return "";
    }

private slots:
    void initTestCase() { SetEngText(); }

    void programInTheFolderEndsBeforeTheStepSucceeds()
    {
        TSetupTestHome home;
        const std::string marker = home.Home() + "/ended";
        auto here = Start({"closing", QString::fromStdString(home.Folder()), QString::fromStdString(marker)});
        auto elsewhere = Start({"closing", QString::fromStdString(home.Home() + "/Other/")});
        QVERIFY(here && elsewhere);
        QVERIFY(FindProgramIn(home.Folder()) != 0);

        TMemoView view;
        QCOMPARE(RunStepOne(home.Folder(), view), std::string("stop"));
        QCOMPARE(view.Lines.at(0), std::string("Checking working software availability   - Ok"));
        QVERIFY2(TSetupTestHome::Exists(marker), "the step waited until the process ended");
        // The wait let the event loop run, so the end may be known already.
        QVERIFY(here->state() == QProcess::NotRunning || here->waitForFinished(5000));
        QCOMPARE(elsewhere->state(), QProcess::Running);
        QVERIFY(FindProgramIn(home.Home() + "/Other") != 0);
        elsewhere->kill();
        elsewhere->waitForFinished();
    }

    void programThatStaysFailsTheStep()
    {
        TSetupTestHome home;
        auto stubborn = Start({"stubborn", QString::fromStdString(home.Folder())});
        QVERIFY(stubborn);
        TMemoView view;
        QElapsedTimer took;
        took.start();
        QCOMPARE(RunStepOne(home.Folder(), view), std::string("errCloseRunProgram"));
        QVERIFY2(took.elapsed() >= 1900, "twenty requests 100 ms apart");
        QCOMPARE(view.Lines, (std::vector<std::string>{"Checking working software availability   - Error",
                                                       "    Can't close a working copy"}));
        stubborn->kill();
        stubborn->waitForFinished();
    }

    void installedProgramIsClosedByTheNextInstallation()
    {
        TSetupTestHome home;
        TMemoView first;
        TInstallation steps(first);
        steps.Install({home.Folder(), 2, false, false});
        QProcess program;
        program.start(QString::fromStdString(home.Folder() + ProgramFileName), {});
        QVERIFY(program.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (FindProgramIn(home.Folder()) == 0 && waited.elapsed() < 15000)
            QThread::msleep(50);
        if (FindProgramIn(home.Folder()) == 0) {
            program.kill();
            program.waitForFinished();
            QSKIP("the built program publishes no window here");
        }
        const qint64 pid = program.processId();
        TMemoView second;
        TInstallation again(second);
        again.Install({home.Folder(), 2, false, false});
        QCOMPARE(second.Lines.at(0), std::string("Checking working software availability   - Ok"));
        QVERIFY2(!ProcessRuns(pid), "the program ended before the step went on");
        QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(5000));
    }

    // A copy that answers nothing (stopped) still runs: the step fails and
    // nothing of the folder is replaced; the wizard's events go on meanwhile.
    void stoppedCopyFailsTheStepAndItsFilesStay()
    {
        TSetupTestHome home;
        TMemoView first;
        TInstallation steps(first);
        steps.Install({home.Folder(), 2, false, false});
        const std::string program = home.Folder() + ProgramFileName;
        const std::string cfg = home.Folder() + CfgFileName;
        QProcess running;
        running.start(QString::fromStdString(program), {});
        QVERIFY(running.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (FindProgramIn(home.Folder()) == 0 && waited.elapsed() < 15000)
            QThread::msleep(50);
        const qint64 pid = running.processId();
        QCOMPARE(::kill(static_cast<pid_t>(pid), SIGSTOP), 0);
        const std::string programBytes = TSetupTestHome::Read(program);
        const std::string cfgBytes = TSetupTestHome::Read(cfg);

        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(50);
        TMemoView second;
        second.Answer = [](const std::string&) { return true; };
        TInstallation again(second);
        std::string key;
        try {
            again.Install({home.Folder(), 0, false, false});
        } catch (const Exception& e) {
            key = e.Message();
        }
        timer.stop();
        ::kill(static_cast<pid_t>(pid), SIGKILL);
        ::kill(static_cast<pid_t>(pid), SIGCONT);
        running.waitForFinished();
        QCOMPARE(key, std::string("errCloseRunProgram"));
        QCOMPARE(second.Lines, (std::vector<std::string>{"Checking working software availability   - Error",
                                                         "    Can't close a working copy"}));
        QVERIFY(second.Asked.empty());
        QCOMPARE(TSetupTestHome::Read(program), programBytes);
        QCOMPARE(TSetupTestHome::Read(cfg), cfgBytes);
        QVERIFY2(ticks >= 5, "the event loop ran while the step waited");
    }
};

int main(int argc, char** argv)
{
    if (argc >= 4 && std::string(argv[1]) == "helper")
        return RunHelper(argc, argv);
    QApplication app(argc, argv);
    TestCloseProgram test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestQCloseProgram.moc"
