#include "UVersionTest.h"

#include "UException.h"
#include "UVersionInfo.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtTest>
#include <memory>

using namespace tv;

// An HTTP server on 127.0.0.1 that answers every request with one fixed
// response and keeps the request line it received. A silent one never
// answers, a stalling one sends the response and then nothing while it
// keeps the connection open, a flooding one follows the response with body
// bytes until the client hangs up (or FloodLimit went out).
class TestServer : public QObject {
public:
    enum TMode { Answer, Silent, Stall, Flood };
    static constexpr qint64 FloodLimit = 300LL * 1024 * 1024;

    explicit TestServer(QByteArray response, TMode mode = Answer) : FResponse(std::move(response)), FMode(mode)
    {
        connect(&FServer, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = FServer.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    FRequest += socket->readAll();
                    if (!FRequest.contains("\r\n\r\n") || FMode == Silent || FAnswered)
                        return;
                    FAnswered = true;
                    socket->write(FResponse);
                    if (FMode == Stall)
                        return;
                    if (FMode == Flood) {
                        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket](qint64 written) {
                            FSent += written;
                            if (socket->bytesToWrite() < 65536 && FSent < FloodLimit)
                                socket->write(QByteArray(65536, '7'));
                        });
                        return;
                    }
                    socket->flush();
                    socket->disconnectFromHost();
                });
            }
        });
    }
    bool Listen() { return FServer.listen(QHostAddress::LocalHost, 0); }
    quint16 Port() const { return FServer.serverPort(); }
    void Close() { FServer.close(); }
    QByteArray RequestLine() const { return FRequest.left(FRequest.indexOf("\r\n")); }
    std::string Address() const
    {
        return "http://127.0.0.1:" + std::to_string(Port()) + "/download/store.ver?ver=" + TV_PRODUCT_VERSION;
    }
    // Bytes the system took from the flooding server.
    qint64 Sent() const { return FSent; }

private:
    QTcpServer FServer;
    QByteArray FResponse;
    TMode FMode;
    bool FAnswered = false;
    QByteArray FRequest;
    qint64 FSent = 0;
};

class TestQVersionTest : public QObject {
    Q_OBJECT

private:
    static QByteArray Response(const QByteArray& status, const QByteArray& body, int length = -1)
    {
        return "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
               QByteArray::number(length < 0 ? body.size() : length) + "\r\nConnection: close\r\n\r\n" + body;
    }

private slots:
    void Check_data()
    {
        const QByteArray own = TV_PRODUCT_VERSION;
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QString>("padding");
        QTest::addColumn<bool>("tested");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QByteArray>("version");
        QTest::newRow("same version") << Response("200 OK", own) << false << "" << true << false << own;
        // A version file as an editor saves it: one line end, CR LF or LF,
        // after the version; a line end still makes the own version differ.
        QTest::newRow("other version with CR LF")
            << Response("200 OK", "0.9\r\n") << false << "" << true << true << QByteArray("0.9");
        QTest::newRow("other version with LF")
            << Response("200 OK", "0.9\n") << false << "" << true << true << QByteArray("0.9");
        QTest::newRow("own version with CR LF") << Response("200 OK", own + "\r\n") << false << "" << true << true
                                                << own;
        QTest::newRow("other version, blanks around the address")
            << Response("200 OK", "0.9") << false << "  " << true << true << QByteArray("0.9");
        QTest::newRow("not found") << Response("404 Not Found", own) << false << "" << false << false << QByteArray();
        QTest::newRow("server error") << Response("500 Internal Server Error", own) << false << "" << false << false
                                      << QByteArray();
        QTest::newRow("broken transfer") << Response("200 OK", own, 100) << false << "" << false << false
                                         << QByteArray();
        QTest::newRow("connection refused") << QByteArray() << true << "" << false << false << QByteArray();
        // What a server or anyone on the way may send instead of a version.
        const QByteArray longest(qsizetype(MaxVersionLength), '9');
        QTest::newRow("longest version text") << Response("200 OK", longest) << false << "" << true << true << longest;
        QTest::newRow("one character too long")
            << Response("200 OK", longest + "9") << false << "" << false << false << QByteArray();
        QTest::newRow("longest version text with CR LF")
            << Response("200 OK", longest + "\r\n") << false << "" << true << true << longest;
        QTest::newRow("one character too long with CR LF")
            << Response("200 OK", longest + "9\r\n") << false << "" << false << false << QByteArray();
        // Only one line end, and only at the end.
        QTest::newRow("two line ends") << Response("200 OK", "0.9\r\n\r\n") << false << "" << false << false
                                       << QByteArray();
        QTest::newRow("CR alone") << Response("200 OK", "0.9\r") << false << "" << false << false << QByteArray();
        QTest::newRow("LF CR") << Response("200 OK", "0.9\n\r") << false << "" << false << false << QByteArray();
        QTest::newRow("only a line end") << Response("200 OK", "\r\n") << false << "" << false << false
                                         << QByteArray();
        QTest::newRow("a second line after the line end")
            << Response("200 OK", "0.9\r\n[Security]\r\n") << false << "" << false << false << QByteArray();
        QTest::newRow("a page instead of the version")
            << Response("200 OK", "<html><body>" + QByteArray(2000, 'x') + "</body></html>") << false << ""
            << false << false << QByteArray();
        QTest::newRow("NUL byte") << Response("200 OK", QByteArray("1.0\0", 4)) << false << "" << false << false
                                  << QByteArray();
        QTest::newRow("escape sequence") << Response("200 OK", "1.\x1b[2J0") << false << "" << false << false
                                         << QByteArray();
        QTest::newRow("line break inside") << Response("200 OK", "1.0\n[Security]") << false << "" << false
                                           << false << QByteArray();
        QTest::newRow("byte above ASCII") << Response("200 OK", "1.0\xa0") << false << "" << false << false
                                          << QByteArray();
        QTest::newRow("empty body") << Response("200 OK", "") << false << "" << false << false << QByteArray();
        QTest::newRow("only blanks") << Response("200 OK", "   ") << false << "" << false << false << QByteArray();
        QTest::newRow("blanks around a version")
            << Response("200 OK", " 2.0 ") << false << "" << true << true << QByteArray(" 2.0 ");
    }

    void Check()
    {
        QFETCH(QByteArray, response);
        QFETCH(bool, refuse);
        QFETCH(QString, padding);
        QFETCH(bool, tested);
        QFETCH(bool, available);
        QFETCH(QByteArray, version);

        TestServer server(response);
        QVERIFY(server.Listen());
        const quint16 port = server.Port();
        if (refuse)
            server.Close();
        const std::string address = padding.toStdString() + "http://127.0.0.1:" + std::to_string(port) +
                                    "/download/store.ver?ver=" + TV_PRODUCT_VERSION + padding.toStdString();
        TVersionTest test(address);
        QCOMPARE(test.Tested(), tested);
        QCOMPARE(test.NewVersionAvailable(), available);
        QCOMPARE(QByteArray::fromStdString(test.NewVersion()), version);
        if (!refuse)
            QCOMPARE(server.RequestLine(),
                     QByteArray("GET /download/store.ver?ver=") + TV_PRODUCT_VERSION + " HTTP/1.1");
        if (available) {
            QCOMPARE(QByteArray::fromStdString(test.GetNewVersion()), version);
        } else {
            try {
                (void)test.GetNewVersion();
                QFAIL("no assertion");
            } catch (const EAssertionFailed& e) {
                QCOMPARE(QString::fromStdString(e.Text()),
                         QString("Before get new version number need test NewVersionAvailable property"));
            }
        }
    }

    // A reply of 300 MB is given up after its first bytes, without waiting
    // for the rest.
    void HugeReplyIsNotRead()
    {
        TestServer server(Response("200 OK", "1.0", int(TestServer::FloodLimit)), TestServer::Flood);
        QVERIFY(server.Listen());
        QElapsedTimer timer;
        timer.start();
        TVersionTest test(server.Address());
        QVERIFY(!test.Tested());
        QVERIFY(!test.NewVersionAvailable());
        QCOMPARE(test.NewVersion(), std::string());
        QVERIFY2(server.Sent() < TestServer::FloodLimit / 10, qPrintable(QString::number(server.Sent())));
        QVERIFY(timer.elapsed() < 10000);
    }

    // A server that stays silent, before its headers or in the middle of
    // the body, is given up after the time-out.
    void SilentServerTimesOut_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("response");
        QTest::newRow("no answer at all") << int(TestServer::Silent) << QByteArray();
        QTest::newRow("stops in the body")
            << int(TestServer::Stall)
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 10\r\n\r\n1.0");
    }
    void SilentServerTimesOut()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, response);
        TestServer server(response, TestServer::TMode(mode));
        QVERIFY(server.Listen());
        QElapsedTimer timer;
        timer.start();
        TVersionTest test(server.Address(), 500);
        QVERIFY(!test.Tested());
        QCOMPARE(test.NewVersion(), std::string());
        QVERIFY(timer.elapsed() >= 400);
        QVERIFY(timer.elapsed() < 5000);
    }

    void RunsOnAWorkerThread()
    {
        TestServer server(Response("200 OK", "7.0"));
        QVERIFY(server.Listen());
        const std::string address = "http://127.0.0.1:" + std::to_string(server.Port()) + "/download/store.ver";
        std::unique_ptr<TVersionTest> test;
        std::unique_ptr<QThread> worker(QThread::create([&] { test = std::make_unique<TVersionTest>(address); }));
        worker->start();
        QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 20000);
        QVERIFY(test);
        QVERIFY(test->Tested());
        QCOMPARE(test->GetNewVersion(), std::string("7.0"));
    }
};

QTEST_GUILESS_MAIN(TestQVersionTest)
#include "TestQVersionTest.moc"
