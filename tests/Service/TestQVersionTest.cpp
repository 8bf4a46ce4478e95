#include "UVersionTest.h"

#include "UException.h"
#include "UVersionInfo.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtTest>
#include <memory>

using namespace tv;

// An HTTP server on 127.0.0.1 that answers every request with one fixed
// response and keeps the request line it received.
class TestServer : public QObject {
public:
    explicit TestServer(QByteArray response) : FResponse(std::move(response))
    {
        connect(&FServer, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = FServer.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    FRequest += socket->readAll();
                    if (!FRequest.contains("\r\n\r\n"))
                        return;
                    socket->write(FResponse);
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

private:
    QTcpServer FServer;
    QByteArray FResponse;
    QByteArray FRequest;
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
        QTest::newRow("same version with a line end")
            << Response("200 OK", own + "\r\n") << false << "" << true << true << own + "\r\n";
        QTest::newRow("other version, blanks around the address")
            << Response("200 OK", "0.9") << false << "  " << true << true << QByteArray("0.9");
        QTest::newRow("not found") << Response("404 Not Found", own) << false << "" << false << false << QByteArray();
        QTest::newRow("server error") << Response("500 Internal Server Error", own) << false << "" << false << false
                                      << QByteArray();
        QTest::newRow("broken transfer") << Response("200 OK", own, 100) << false << "" << false << false
                                         << QByteArray();
        QTest::newRow("connection refused") << QByteArray() << true << "" << false << false << QByteArray();
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
