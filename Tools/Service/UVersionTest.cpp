#include "UVersionTest.h"

#include "UException.h"
#include "UExeFile.h"
#include "UVersion.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <memory>

namespace tv {

std::string VersionCheckAddress()
{
    return std::string("http://") + MakerServer + "/download/store.ver?" + VersionQuery();
}

namespace {

// The body of a successful GET; false on any failure.
bool HttpGet(const std::string& address, std::string& body)
{
    if (!QCoreApplication::instance())
        return false;
    const QUrl url(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())).trimmed());
    if (!url.isValid())
        return false;
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!reply->isFinished() || reply->error() != QNetworkReply::NoError)
        return false;
    const QByteArray data = reply->readAll();
    body.assign(data.constData(), static_cast<size_t>(data.size()));
    return true;
}

} // namespace

TVersionTest::TVersionTest(const std::string& address)
{
    std::string body;
    try {
        if (!HttpGet(address, body))
            return;
    } catch (...) {
        return;
    }
    FNewVersion = body;
    FNewVersionAvailable = FNewVersion != GetProductVersion(ExeFileName());
    FTested = true;
}

const std::string& TVersionTest::GetNewVersion() const
{
    TV_ASSERT(FNewVersionAvailable, "Before get new version number need test NewVersionAvailable property");
    return FNewVersion;
}

} // namespace tv
