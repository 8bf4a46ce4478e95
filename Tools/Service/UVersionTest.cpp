#include "UVersionTest.h"

#include "UException.h"
#include "UExeFile.h"
#include "UVersion.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <string_view>

namespace tv {

std::string VersionCheckAddress()
{
    return std::string("http://") + MakerServer + "/download/store.ver?" + VersionQuery();
}

namespace {

// A version text, a line end and one byte more, which shows the reply too
// long.
constexpr std::size_t MaxReplyLength = MaxVersionLength + 3;

// The body of a successful GET, at most MaxReplyLength bytes of it; false on
// any failure or when the whole reply has not come within timeoutMs.
bool HttpGet(const std::string& address, int timeoutMs, std::string& body)
{
    if (!QCoreApplication::instance())
        return false;
    const QUrl url(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())).trimmed());
    if (!url.isValid())
        return false;
    constexpr qsizetype Keep = static_cast<qsizetype>(MaxReplyLength);
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
    // Qt holds no more of the reply than this while it waits to be read.
    reply->setReadBufferSize(Keep);
    QByteArray data;
    const auto take = [&] {
        data += reply->read(Keep - data.size());
        if (data.size() >= Keep && !reply->isFinished())
            reply->abort();
    };
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, take);
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &loop, [&reply] { reply->abort(); });
        loop.exec();
    }
    if (!reply->isFinished() || reply->error() != QNetworkReply::NoError)
        return false;
    take();
    body.assign(data.constData(), static_cast<size_t>(data.size()));
    return true;
}

// The body without the one line end (CR LF or LF) an editor saves after
// the version.
std::string_view WithoutLineEnd(std::string_view body)
{
    if (body.ends_with("\r\n"))
        body.remove_suffix(2);
    else if (body.ends_with('\n'))
        body.remove_suffix(1);
    return body;
}

// A short line of printable ASCII that is not all blanks.
bool IsVersionText(std::string_view text)
{
    if (text.empty() || text.size() > MaxVersionLength)
        return false;
    const auto printable = [](char c) { return c >= 0x20 && c <= 0x7E; };
    return std::all_of(text.begin(), text.end(), printable) &&
           text.find_first_not_of(' ') != std::string::npos;
}

} // namespace

TVersionTest::TVersionTest(const std::string& address, int timeoutMs)
{
    std::string body;
    try {
        if (!HttpGet(address, timeoutMs, body) || !IsVersionText(WithoutLineEnd(body)))
            return;
    } catch (...) {
        return;
    }
    FNewVersion = WithoutLineEnd(body);
    // The whole body is compared: one with a line end differs from the own
    // version.
    FNewVersionAvailable = body != GetProductVersion(ExeFileName());
    FTested = true;
}

const std::string& TVersionTest::GetNewVersion() const
{
    TV_ASSERT(FNewVersionAvailable, "Before get new version number need test NewVersionAvailable property");
    return FNewVersion;
}

} // namespace tv
