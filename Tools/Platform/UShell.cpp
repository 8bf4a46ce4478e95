#include "UShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace tv {

namespace {

bool DesktopLaunch(const TShellRequest& request)
{
    if (request.Kind == TShellRequest::TKind::Open)
        return QDesktopServices::openUrl(QUrl(QString::fromStdString(request.Url), QUrl::TolerantMode));
    QStringList arguments;
    for (const std::string& parameter : request.Parameters) arguments << QString::fromStdString(parameter);
    return QProcess::startDetached(QString::fromStdString(request.Target), arguments,
                                   QString::fromStdString(request.Folder));
}

TShellLauncher& Launcher()
{
    static TShellLauncher launcher = DesktopLaunch;
    return launcher;
}

bool HasScheme(const QString& text)
{
    const qsizetype colon = text.indexOf(':');
    if (colon < 2) return false;  // none, or a drive letter
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = text[i];
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != '+' && c != '-' && c != '.') return false;
    }
    return text[0].isLetter();
}

} // namespace

TShellLauncher SetShellLauncher(TShellLauncher launcher)
{
    TShellLauncher previous = Launcher();
    Launcher() = launcher ? std::move(launcher) : TShellLauncher(DesktopLaunch);
    return previous;
}

bool ShellOpen(const std::string& fileOrAddress)
{
    const QString text = QString::fromStdString(fileOrAddress).trimmed();
    if (text.isEmpty()) return false;
    const QUrl url = HasScheme(text) ? QUrl(text, QUrl::TolerantMode)
                                     : QUrl::fromLocalFile(QDir::current().absoluteFilePath(text));
    if (!url.isValid()) return false;
    TShellRequest request;
    request.Kind = TShellRequest::TKind::Open;
    request.Target = fileOrAddress;
    request.Url = url.toString(QUrl::FullyEncoded).toStdString();
    return Launcher()(request);
}

bool ShellStart(const std::string& program, const std::vector<std::string>& parameters, const std::string& folder)
{
    if (program.empty()) return false;
    TShellRequest request;
    request.Kind = TShellRequest::TKind::Start;
    request.Target = program;
    request.Parameters = parameters;
    request.Folder = folder;
    return Launcher()(request);
}

} // namespace tv
