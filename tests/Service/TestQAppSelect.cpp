// Finding a running copy across real processes: the test program starts
// copies of itself in helper mode, each publishing its windows.

#include "UAppSelect.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace tv;

namespace {

// Helper modes: "main" (application and main form), "pass" (application and
// a password prompt shown modally), "apponly" (application window only),
// "forms" (a main form with an application window of the caption given
// plus "-other"), "silent" (like main, but never answers the restore message).
int RunHelper(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string mode = argv[2];
    const std::string caption = argv[3];
    const bool silent = mode == "silent";
    auto handler = [silent](TMessage& msg) {
        if (msg.Msg == WM_RESTOREINSTANCE) {
            if (silent) QThread::sleep(30);
            AnswerActivate(msg);
        } else if (msg.Msg == WM_TERMINATEINSTANCE) {
            AnswerClose();
        }
    };
    auto ready = [] {
        std::printf("ready\n");
        std::fflush(stdout);
    };
    const std::string appCaption = mode == "forms" ? caption + "-other" : caption;
    TTopWindow application("TApplication", appCaption, nullptr, handler);
    if (mode == "pass") {
        QDialog prompt;
        prompt.setWindowTitle("Password");
        TTopWindow pass("TFormPass", "Password", &prompt, handler);
        QTimer::singleShot(0, ready);
        prompt.exec();
        return 0;
    }
    QWidget form;
    form.setWindowTitle(QString::fromStdString(caption));
    std::unique_ptr<TTopWindow> main;
    if (mode != "apponly") main = std::make_unique<TTopWindow>("TMainFormStore", caption, &form, handler);
    form.show();
    QTimer::singleShot(0, ready);
    return app.exec();
}

} // namespace

class TestAppSelect : public QObject {
    Q_OBJECT

private:
    std::vector<std::unique_ptr<QProcess>> FHelpers;
    int FCount = 0;

    QString UniqueCaption()
    {
        return QString("Tarnovell - /tmp/Shop-%1-%2").arg(QCoreApplication::applicationPid()).arg(++FCount);
    }

    QProcess* Start(const QString& mode, const QString& caption)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(), {"--helper", mode, caption});
        if (!process->waitForStarted(5000)) return nullptr;
        QElapsedTimer timer;
        timer.start();
        while (!process->canReadLine() && timer.elapsed() < 10000) process->waitForReadyRead(200);
        if (process->readLine().trimmed() != "ready") return nullptr;
        FHelpers.push_back(std::move(process));
        return FHelpers.back().get();
    }

    static TWindow Find(const QString& caption)
    {
        return FindRunningCopy(caption.toStdString(), "TApplication", {"TMainFormStore", "TFormPass"});
    }

    static std::string ClassOf(TWindow window)
    {
        for (const TTopWindowInfo& info : EnumTopWindows())
            if (info.Handle == window) return info.ClassName;
        return {};
    }

private slots:
    void cleanup()
    {
        for (auto& process : FHelpers) {
            process->kill();
            process->waitForFinished(5000);
        }
        FHelpers.clear();
    }

    void sameWindowName_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<bool>("same");
        QTest::newRow("equal") << "TApplication" << "TApplication" << true;
        QTest::newRow("latin case") << "tapplication" << "TApplication" << true;
        QTest::newRow("cyrillic case") << "Тарновелл - /Склад" << "ТАРНОВЕЛЛ - /склад" << true;
        QTest::newRow("longer text") << "Tarnovell - /Shop/Old" << "Tarnovell - /Shop" << false;
        QTest::newRow("shorter text") << "Tarnovell - /Sho" << "Tarnovell - /Shop" << false;
        QTest::newRow("both empty") << "" << "" << true;
    }

    void sameWindowName()
    {
        QFETCH(QString, text);
        QFETCH(QString, wanted);
        QFETCH(bool, same);
        QCOMPARE(SameWindowName(text.toStdString(), wanted.toStdString()), same);
    }

    void findRunningCopy_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("suffix");     // appended to the helper's caption
        QTest::addColumn<bool>("searchUpper");   // search the caption in upper case
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("formClass");
        QTest::newRow("main form") << "main" << "" << false << true << "TMainFormStore";
        QTest::newRow("caption in other case: another folder") << "main" << "" << true << false << "";
        QTest::newRow("at its password prompt") << "pass" << "" << false << true << "TFormPass";
        QTest::newRow("caption with more characters") << "main" << "/Old" << false << false << "";
        QTest::newRow("other caption") << "main" << "-2" << false << false << "";
        QTest::newRow("application without form") << "apponly" << "" << false << false << "";
        QTest::newRow("form of another application") << "forms" << "" << false << false << "";
    }

    void findRunningCopy()
    {
        QFETCH(QString, mode);
        QFETCH(QString, suffix);
        QFETCH(bool, searchUpper);
        QFETCH(bool, found);
        QFETCH(QString, formClass);
        const QString caption = UniqueCaption();
        QProcess* helper = Start(mode, caption + suffix);
        QVERIFY(helper != nullptr);
        const TWindow window = Find(searchUpper ? caption.toUpper() : caption);
        if (!found) {
            QCOMPARE(window, TWindow(0));
            return;
        }
        QVERIFY(window != 0);
        QCOMPARE(WindowProcessId(window), helper->processId());
        QCOMPARE(ClassOf(window), formClass.toStdString());
    }

    void formOfAnotherProgramIsNeverTaken()
    {
        const QString caption = UniqueCaption();
        QVERIFY(Start("forms", caption) != nullptr);    // main form, application of another caption
        QVERIFY(Start("apponly", caption) != nullptr);  // the wanted application, no form
        QCOMPARE(Find(caption), TWindow(0));
    }

    void twoCopiesTheBackmostApplicationDecides()
    {
        const QString caption = UniqueCaption();
        QProcess* first = Start("main", caption);
        QVERIFY(first != nullptr);
        QVERIFY(Start("main", caption) != nullptr);
        const TWindow window = Find(caption);
        QCOMPARE(WindowProcessId(window), first->processId());
    }

    void restoreAnswersTheWindowToBringForward_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("main form") << "main";
        QTest::newRow("password prompt") << "pass";
    }

    void restoreAnswersTheWindowToBringForward()
    {
        QFETCH(QString, mode);
        const QString caption = UniqueCaption();
        QVERIFY(Start(mode, caption) != nullptr);
        const TWindow window = Find(caption);
        QVERIFY(window != 0);
        TMessage msg;
        msg.Msg = WM_RESTOREINSTANCE;
        QVERIFY(SendWindowMessage(window, msg));
        QCOMPARE(static_cast<TWindow>(msg.Result), window);
        QVERIFY(SetForegroundWindow(window));
        ActivateRunningCopy(window);
    }

    void terminateEndsTheOtherProgram_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("main form") << "main";
        QTest::newRow("password prompt") << "pass";
    }

    void terminateEndsTheOtherProgram()
    {
        QFETCH(QString, mode);
        const QString caption = UniqueCaption();
        QProcess* helper = Start(mode, caption);
        QVERIFY(helper != nullptr);
        const TWindow window = Find(caption);
        QVERIFY(window != 0);
        TMessage msg;
        msg.Msg = WM_TERMINATEINSTANCE;
        SendWindowMessage(window, msg);
        QVERIFY(helper->waitForFinished(5000));
        QCOMPARE(helper->exitStatus(), QProcess::NormalExit);
        QCOMPARE(helper->exitCode(), 0);
        QCOMPARE(Find(caption), TWindow(0));
        const QString socket = QString::fromStdString(WindowsFolder()) + "/win-" + QString::number(WindowProcessId(window));
        QVERIFY(!QFileInfo::exists(socket));
    }

    void sendToSilentProgramGivesUp()
    {
        const QString caption = UniqueCaption();
        QVERIFY(Start("silent", caption) != nullptr);
        const TWindow window = Find(caption);
        QVERIFY(window != 0);
        TMessage msg;
        msg.Msg = WM_RESTOREINSTANCE;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!SendWindowMessage(window, msg, 300));
        QVERIFY2(timer.elapsed() < 3000, "the send waited far beyond its bound");
        // Its windows are still listed while its GUI thread is busy.
        QCOMPARE(Find(caption), window);
    }

    void socketOfEndedProgramIsRemoved()
    {
        const QString caption = UniqueCaption();
        QProcess* helper = Start("main", caption);
        QVERIFY(helper != nullptr);
        const QString socket = QString::fromStdString(WindowsFolder()) + "/win-" + QString::number(helper->processId());
        QVERIFY(QFileInfo::exists(socket));
        helper->kill();
        QVERIFY(helper->waitForFinished(5000));
        QCOMPARE(Find(caption), TWindow(0));
        QVERIFY(!QFileInfo::exists(socket));
    }

    void sendToMissingWindowFails()
    {
        TMessage msg;
        msg.Msg = WM_RESTOREINSTANCE;
        QVERIFY(!SendWindowMessage(0, msg));
        QVERIFY(!SendWindowMessage((TWindow(0x7ffffff0) << 32) | 1, msg, 300));
    }

    // The receiving side of the restore message: a minimised program comes
    // back; the answer is the dialog open on top, else the form, and 0 when
    // that window cannot take the user's input.
    void answerActivateRestoresAndAnswersTheWindowInUse()
    {
        QWidget form;
        form.setWindowTitle("main");
        TTopWindow main("TMainFormStore", "main", &form, nullptr);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.showMinimized();
        QVERIFY(form.isMinimized());
        TMessage msg;
        msg.Msg = WM_RESTOREINSTANCE;
        msg.Result = -1;
        AnswerActivate(msg);
        QVERIFY(!form.isMinimized());
        QCOMPARE(static_cast<TWindow>(msg.Result), main.Handle());

        QDialog prompt(&form);
        prompt.setWindowModality(Qt::ApplicationModal);
        prompt.show();
        QVERIFY(QTest::qWaitForWindowExposed(&prompt));
        AnswerActivate(msg);
        QCOMPARE(static_cast<TWindow>(msg.Result), WindowOfWidget(&prompt));
        prompt.hide();

        form.setEnabled(false);
        msg.Result = -1;
        AnswerActivate(msg);
        QCOMPARE(msg.Result, std::intptr_t(0));
        form.setEnabled(true);
        form.hide();
        msg.Result = -1;
        AnswerActivate(msg);
        QCOMPARE(msg.Result, std::intptr_t(0));
    }

    void ownWindowsAreListedAndAnsweredDirectly()
    {
        QWidget form;
        int received = 0;
        TTopWindow window("TMainFormStore", "own", &form, [&received](TMessage& msg) {
            ++received;
            msg.Result = 42;
        });
        bool listed = false;
        for (const TTopWindowInfo& info : EnumTopWindows())
            if (info.Handle == window.Handle())
                listed = info.ClassName == "TMainFormStore" && info.ThreadId == CurrentThreadId();
        QVERIFY(listed);
        TMessage msg;
        QVERIFY(SendWindowMessage(window.Handle(), msg));
        QCOMPARE(received, 1);
        QCOMPARE(msg.Result, std::intptr_t(42));
        QCOMPARE(WindowOfWidget(&form), window.Handle());
    }
};

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--helper") == 0) return RunHelper(argc, argv);
    QApplication app(argc, argv);
    TestAppSelect test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestQAppSelect.moc"
