#pragma once
// A virtual X server for a test program that needs a real X server: started
// when Xvfb is installed, with DISPLAY and the xcb platform set to it; without
// it the program runs offscreen and Display() is empty, so its tests can skip.
// Make it before the application object and drop it after, as
// ExecOnVirtualX does.

#include <QApplication>
#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTest>

#include <memory>

namespace tv::testkit {

class TVirtualXServer {
public:
    // screen as Xvfb reads it, as "1024x768x24".
    explicit TVirtualXServer(const QString& screen)
    {
        const QString program = QStandardPaths::findExecutable("Xvfb");
        if (!program.isEmpty()) {
            FServer = std::make_unique<QProcess>();
            FServer->start(program, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", screen});
            if (FServer->waitForStarted(5000)) {
                while (!FServer->canReadLine() && FServer->waitForReadyRead(10000)) {}
                const QByteArray number = FServer->readLine().trimmed();
                if (!number.isEmpty()) {
                    FDisplay = ":" + QString::fromLatin1(number);
                    qputenv("DISPLAY", FDisplay.toLatin1());
                }
            }
        }
        qputenv("QT_QPA_PLATFORM", FDisplay.isEmpty() ? "offscreen" : "xcb");
    }

    ~TVirtualXServer()
    {
        if (!FServer) return;
        FServer->terminate();
        if (!FServer->waitForFinished(5000)) FServer->kill();
        FServer->waitForFinished(5000);
    }

    TVirtualXServer(const TVirtualXServer&) = delete;
    TVirtualXServer& operator=(const TVirtualXServer&) = delete;

    // ":N" of the started server, empty when none.
    const QString& Display() const { return FDisplay; }

private:
    std::unique_ptr<QProcess> FServer;
    QString FDisplay;
};

// Runs the QtTest object of type TTest on a virtual X server of the given
// screen; display gets the server's ":N", or stays empty without a server.
template <class TTest>
int ExecOnVirtualX(int argc, char** argv, const QString& screen, QString& display)
{
    TVirtualXServer server(screen);
    display = server.Display();
    QApplication app(argc, argv);
    TTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace tv::testkit
