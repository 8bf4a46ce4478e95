// The about box: its texts, the new-version mark, the links, and the
// version check's thread against a local HTTP server.

#include "UAboutForm.h"

#include "DialogTestKit.h"
#include "MessagesTestKit.h"
#include "UCardinalDate.h"
#include "UDateTime.h"
#include "UException.h"
#include "UExeFile.h"
#include "UMessages.h"
#include "UProgOptions.h"
#include "UShell.h"
#include "UStringUtils.h"
#include "UTextConst.h"
#include "UVersion.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

using namespace tv;

namespace {

std::string OwnVersion() { return GetProductVersion(ExeFileName()); }

// Answers each GET with a fixed status and body, or never answers.
class TVersionServer : public QObject {
public:
    TVersionServer(int status, QByteArray body, bool answer = true)
        : FStatus(status), FBody(std::move(body)), FAnswer(answer)
    {
        QVERIFY(FServer.listen(QHostAddress::LocalHost, 0));
        connect(&FServer, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = FServer.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    FPending += socket->readAll();
                    if (!FPending.contains("\r\n\r\n")) return;
                    Requests.push_back(FPending.left(FPending.indexOf("\r\n")));
                    FPending.clear();
                    if (!FAnswer) return;
                    QByteArray reply = "HTTP/1.1 " + QByteArray::number(FStatus) + " X\r\nContent-Length: " +
                                       QByteArray::number(FBody.size()) + "\r\nConnection: close\r\n\r\n" + FBody;
                    socket->write(reply);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    std::string Address() const
    {
        return "http://127.0.0.1:" + std::to_string(FServer.serverPort()) + "/download/store.ver?" + VersionQuery();
    }

    std::vector<QByteArray> Requests;

private:
    QTcpServer FServer;
    int FStatus;
    QByteArray FBody;
    bool FAnswer;
    QByteArray FPending;
};

// An address on 127.0.0.1 where nothing listens.
std::string ClosedAddress()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return "http://127.0.0.1:" + std::to_string(port) + "/download/store.ver?" + VersionQuery();
}

bool WaitForCheck(TFormAbout& form) { return QTest::qWaitFor([&form] { return form.VersionThread() == nullptr; }, 10000); }

QString ShownMark(TFormAbout& form)
{
    QString mark;
    QTimer::singleShot(0, &form, [&form, &mark] {
        mark = form.LbNewVersion->text();
        form.BtnOK->click();
    });
    form.exec();
    return mark;
}

} // namespace

class TestQAboutForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(testkit::UseConfigHome(FDir));
        LoadEnglishTexts();
    }
    void init()
    {
        FCfg = testkit::FreshConfigPath(FDir, "about");
        FOptions = std::make_unique<TProgOptions>(FCfg, ProgRegKeyName);
    }
    void cleanup() { FOptions.reset(); }

    void Texts()
    {
        FOptions->SetTestDate(Now());
        TFormAbout form(FOptions.get(), nullptr, ClosedAddress());
        QVERIFY(form.VersionThread() == nullptr);
        QCOMPARE(form.windowTitle(), QString("About Tarnovell"));
        QCOMPARE(form.BtnOK->text(), QString("OK"));
        QCOMPARE(form.BtnOK->toolTip(), QString("Close software information window"));
        QCOMPARE(form.LbAddr->toolTip(), QString("Visit software page"));
        QCOMPARE(form.LbMail->toolTip(), QString("Apply to the Support Service"));
        QCOMPARE(form.LbVersion->text().toStdString(), "Version " + OwnVersion());
        QCOMPARE(form.LbCopyright->text().toStdString(), GetLegalCopyright(ExeFileName()));
        QCOMPARE(form.LbAddr->text(), QString("www.example.org"));
        QCOMPARE(form.LbMail->text(), QString("tarnovell@example.org"));
        QCOMPARE(form.size(), QSize(253, 180));
        QCOMPARE(form.LbNewVersion->x(), form.LbAddr->x() + form.LbAddr->width() + 2);
        QCOMPARE(form.LbNewVersion->x() + form.LbNewVersion->width(), 253 - 2);
        LoadUkrainianTexts();
        form.ApplyLanguage();
        QCOMPARE(form.windowTitle().toStdString(), TextTable[SlotAboutCaption]);
        QCOMPARE(form.LbVersion->text().toStdString(), TextTable[SlotVersionPrefix] + OwnVersion());
        LoadEnglishTexts();
    }

    void NeedsOptions()
    {
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, TFormAbout(nullptr, nullptr, ClosedAddress()));
        try {
            TFormAbout form(nullptr, nullptr, ClosedAddress());
        } catch (const EAssertionFailed& e) {
            QVERIFY(std::string(e.what()).find("ProgOptions must be assigned") != std::string::npos);
        }
    }

    void NewVersionMark_data()
    {
        QTest::addColumn<QString>("lastVersion");
        QTest::addColumn<bool>("marked");
        QTest::newRow("never checked") << "" << false;
        QTest::newRow("another version") << "99.1.2.3" << true;
        QTest::newRow("another version with blanks") << "  99.1.2.3 " << true;
        QTest::newRow("own version") << QString::fromStdString(OwnVersion()) << false;
        QTest::newRow("own version with blanks") << QString::fromStdString(" " + OwnVersion() + "\t") << false;
    }
    void NewVersionMark()
    {
        QFETCH(QString, lastVersion);
        QFETCH(bool, marked);
        FOptions->SetTestDate(Now());
        FOptions->SetLastVersion(lastVersion.toStdString());
        TFormAbout form(FOptions.get(), nullptr, ClosedAddress());
        QCOMPARE(form.NewVersionFlag(), marked);
        QCOMPARE(ShownMark(form), marked ? QString("<- new version") : QString());
    }

    void VersionCheck_data()
    {
        QTest::addColumn<int>("daysAgo");        // of the last check; -1 never
        QTest::addColumn<QString>("lastBefore");
        QTest::addColumn<int>("status");         // 0: nothing listens
        QTest::addColumn<QString>("body");       // "=" stands for the program's own version
        QTest::addColumn<int>("requests");
        QTest::addColumn<bool>("dateMoves");
        QTest::addColumn<QString>("lastAfter");
        QTest::addColumn<bool>("marked");
        QTest::newRow("first start, newer version") << -1 << "" << 200 << "99.0.0.1" << 1 << true << "99.0.0.1" << true;
        QTest::newRow("answer is the own version") << -1 << "" << 200 << "=" << 1 << true << "" << false;
        QTest::newRow("own version keeps an older note") << 40 << "98.0" << 200 << "=" << 1 << true << "98.0" << true;
        QTest::newRow("server unreachable") << -1 << "" << 0 << "" << 0 << false << "" << false;
        QTest::newRow("server error status") << 40 << "" << 404 << "99" << 1 << false << "" << false;
        QTest::newRow("checked this month") << 10 << "" << 200 << "99" << 0 << false << "" << false;
        QTest::newRow("checked over a month ago") << 40 << "" << 200 << "99" << 1 << true << "99" << true;
        // A version file as an editor saves it, with a line end: the check
        // counts, and the version is stored without the line end.
        QTest::newRow("newer version with CR LF") << 40 << "" << 200 << "99.0.0.1\r\n" << 1 << true << "99.0.0.1"
                                                  << true;
        QTest::newRow("newer version with LF") << -1 << "" << 200 << "99.0.0.1\n" << 1 << true << "99.0.0.1" << true;
        QTest::newRow("own version with CR LF")
            << 40 << "98.0" << 200 << "=\r\n" << 1 << true << QString::fromStdString(OwnVersion()) << false;
        QTest::newRow("control bytes store nothing") << 40 << "98.0" << 200 << "99\x1b[2J\x07" << 1 << false << "98.0"
                                                     << true;
        QTest::newRow("a long reply stores nothing")
            << -1 << "" << 200 << QString(int(MaxVersionLength) + 1, '9') << 1 << false << "" << false;
    }
    void VersionCheck()
    {
        QFETCH(int, daysAgo);
        QFETCH(QString, lastBefore);
        QFETCH(int, status);
        QFETCH(QString, body);
        QFETCH(int, requests);
        QFETCH(bool, dateMoves);
        QFETCH(QString, lastAfter);
        QFETCH(bool, marked);
        const TDateTime before = daysAgo < 0 ? 0.0 : Now() - daysAgo;
        if (daysAgo >= 0) FOptions->SetTestDate(before);
        FOptions->SetLastVersion(lastBefore.toStdString());
        const TDateTime stored = FOptions->GetTestDate();
        const QByteArray reply =
            body.startsWith("=") ? QByteArray::fromStdString(OwnVersion()) + body.mid(1).toUtf8() : body.toUtf8();
        TVersionServer server(status, reply);
        {
            TFormAbout form(FOptions.get(), nullptr, status == 0 ? ClosedAddress() : server.Address());
            QVERIFY(WaitForCheck(form));
            QCOMPARE(int(server.Requests.size()), requests);
            if (requests > 0)
                QCOMPARE(server.Requests[0].toStdString(),
                         "GET /download/store.ver?" + VersionQuery() + " HTTP/1.1");
            QCOMPARE(form.NewVersionFlag(), marked);
            QCOMPARE(ShownMark(form), marked ? QString("<- new version") : QString());
        }
        TProgOptions again(FCfg, ProgRegKeyName);
        if (dateMoves) {
            QVERIFY(again.GetTestDate() > Now() - 1.0 / 24);
            QVERIFY(again.GetTestDate() <= Now());
        } else {
            QCOMPARE(again.GetTestDate(), stored);
        }
        QCOMPARE(QString::fromStdString(again.GetLastVersion()), lastAfter);
    }

    // The next check falls due on the same day of the next month, from its
    // start: a check late on this day last month is due, one early on the
    // day after it is not.
    void ScheduleByCalendarMonth_data()
    {
        QTest::addColumn<int>("dayAfter");  // days after this day last month
        QTest::addColumn<double>("time");   // time of day of the check
        QTest::addColumn<int>("requests");
        QTest::newRow("this day last month, late") << 0 << 23.5 / 24 << 1;
        QTest::newRow("the day after it, early") << 1 << 0.5 / 24 << 0;
    }
    void ScheduleByCalendarMonth()
    {
        QFETCH(int, dayAfter);
        QFETCH(double, time);
        QFETCH(int, requests);
        const TDateTime today = Date();
        int year, month, day;
        QVERIFY(TryDecodeDate(today, year, month, day));
        const int lastYear = month == 1 ? year - 1 : year;
        const int lastMonth = month == 1 ? 12 : month - 1;
        if (day + dayAfter > DaysInMonth(lastYear, lastMonth) || day + dayAfter > DaysInMonth(year, month))
            QSKIP("the day is not in both months");
        FOptions->SetTestDate(EncodeDate(lastYear, lastMonth, day + dayAfter) + time);
        TVersionServer server(200, "99");
        TFormAbout form(FOptions.get(), nullptr, server.Address());
        QVERIFY(WaitForCheck(form));
        // Past midnight the check of the day after is due as well.
        if (Date() != today && int(server.Requests.size()) == 1) return;
        QCOMPARE(int(server.Requests.size()), requests);
    }

    // A check that waits on a silent server does not hold up the end of the
    // program and stores nothing.
    void ExitWhileChecking()
    {
        TVersionServer server(200, "99", false);
        QElapsedTimer timer;
        {
            TFormAbout form(FOptions.get(), nullptr, server.Address());
            QVERIFY(form.VersionThread() != nullptr);
            QVERIFY(QTest::qWaitFor([&server] { return !server.Requests.empty(); }, 5000));
            timer.start();
        }
        QVERIFY(timer.elapsed() < 2000);
        QCOMPARE(FOptions->GetTestDate(), 0.0);
        QCOMPARE(FOptions->GetLastVersion(), std::string());
    }

    // The check's thread writes no settings: its result waits for the GUI
    // thread, which stores it. The server answers from a thread of its own
    // while the GUI thread waits for the check.
    void ResultStoredOnTheGuiThread()
    {
        std::string address;
        QSemaphore listening;
        std::unique_ptr<QThread> serving(QThread::create([&] {
            TVersionServer server(200, "99.0.0.7");
            address = server.Address();
            listening.release();
            QEventLoop().exec();
        }));
        serving->start();
        listening.acquire();
        {
            TFormAbout form(FOptions.get(), nullptr, address);
            QVERIFY(form.VersionThread() != nullptr);
            QVERIFY(form.VersionThread()->wait(10000));
            QCOMPARE(FOptions->GetTestDate(), 0.0);
            QCOMPARE(FOptions->GetLastVersion(), std::string());
            QVERIFY(WaitForCheck(form));
            QVERIFY(FOptions->GetTestDate() > Now() - 1.0 / 24);
            QCOMPARE(FOptions->GetLastVersion(), std::string("99.0.0.7"));
            QVERIFY(form.NewVersionFlag());
        }
        serving->quit();
        QVERIFY(serving->wait(5000));
    }

    void Links()
    {
        FOptions->SetTestDate(Now());
        std::vector<TShellRequest> opened;
        bool accept = true;
        const TShellLauncher previous = SetShellLauncher([&](const TShellRequest& r) {
            opened.push_back(r);
            return accept;
        });
        {
            testkit::TRecordingMessages messages;
            TFormAbout form(FOptions.get(), nullptr, ClosedAddress());
            form.show();
            QTest::mouseClick(form.LbAddr, Qt::LeftButton);
            QCOMPARE(int(opened.size()), 1);
            QCOMPARE(opened[0].Url, UnscrambleText(TextTable.SiteAddressBytes));
            QCOMPARE(opened[0].Url, std::string("http://www.example.org/tarnovell/en/index.htm"));

            const TDateTime clicked = Date();
            QTest::mouseClick(form.LbMail, Qt::LeftButton);
            QCOMPARE(int(opened.size()), 2);
            // The subject holds the day of the click, or the next one past midnight.
            const auto mail = [](TDateTime day) {
                const std::string subject = FormatText(
                    TextTable[SlotSupportSubject], {OwnVersion(), DateToStr(day, TextTable.LangFormatSettings)});
                return "mailto:tarnovell@example.org?subject=" + UrlEncodeText(subject) +
                       "&body=" + UrlEncodeText("Enter the reason for apply here...");
            };
            if (opened[1].Url != mail(clicked)) QCOMPARE(opened[1].Url, mail(Date()));
            QVERIFY(messages.Boxes.empty());

            accept = false;
            QTest::mouseClick(form.LbMail, Qt::LeftButton);
            QCOMPARE(int(messages.Boxes.size()), 1);
            const testkit::TBox& box = messages.Boxes[0];
            QCOMPARE(box.Text, TextTable[SlotSendFailed]);
            QCOMPARE(box.Caption, std::string("Sending message"));
            QCOMPARE(box.Flags, MB_ONEBUTTON | MB_ICONEXCLAMATION);
            QCOMPARE(box.First, std::string("OK"));
            QCOMPARE(box.FirstHint, std::string("Close message window"));
        }
        SetShellLauncher(previous);
    }

private:
    QTemporaryDir FDir;
    std::string FCfg;
    std::unique_ptr<TProgOptions> FOptions;
};

QTEST_MAIN(TestQAboutForm)
#include "TestQAboutForm.moc"
