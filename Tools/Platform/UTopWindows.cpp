#include "UTopWindows.h"

#include "UException.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace tv {

namespace {

constexpr const char* SocketPrefix = "win-";
constexpr const char* OrderFileName = "order";
constexpr qsizetype MaxRequestSize = 64 * 1024;

// The next number of the window order, counted for all of the user's
// processes in a file beside the sockets; always above this process's last.
// Without the file the process counts on its own.
std::int64_t NextActivation()
{
    static std::mutex lock;
    static std::int64_t last = 0;
    std::lock_guard<std::mutex> guard(lock);
    std::int64_t next = last + 1;
    const std::string folder = WindowsFolder();
    const int fd = folder.empty() ? -1
                                  : ::open((folder + "/" + OrderFileName).c_str(),
                                           O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        if (::flock(fd, LOCK_EX) == 0) {
            std::int64_t stored = 0;
            if (::pread(fd, &stored, sizeof stored, 0) != sizeof stored) stored = 0;
            next = std::max(stored, last) + 1;
            // A failed write only lets another process count from an older number.
            [[maybe_unused]] const ssize_t written = ::pwrite(fd, &next, sizeof next, 0);
        }
        ::close(fd);
    }
    last = next;
    return next;
}

struct TEntry {
    std::string ClassName;
    std::string Caption;
    std::uint64_t ThreadId = 0;
    QPointer<QWidget> Widget;
    QPointer<QObject> Filter;
    TMessageHandler Handler;
    std::int64_t LastActive = 0;
    bool Plain = false;
};

struct TListed {
    TTopWindowInfo Info;
    std::int64_t LastActive = 0;
};

QString ToText(std::uint64_t value) { return QString::number(value); }
std::uint64_t FromText(const QJsonValue& v) { return v.toString().toULongLong(); }

class TDirectory {
public:
    static TDirectory& Instance()
    {
        static TDirectory directory;
        return directory;
    }

    TWindow Add(const std::string& className, const std::string& caption, QWidget* widget,
                TMessageHandler handler, bool plain);
    void Remove(TWindow window);
    void SetCaption(TWindow window, const std::string& caption);
    void Touch(TWindow window);
    TWindow FindByWidget(const QWidget* widget);
    QWidget* Widget(TWindow window);
    std::vector<TListed> Snapshot();
    bool Dispatch(TWindow window, TMessage& msg);
    bool Raise(TWindow window);

private:
    TDirectory() = default;
    void StartServer();
    void StopServer();
    void ServeLine(QLocalSocket* socket, const QByteArray& line);
    void Reply(QPointer<QLocalSocket> socket, const QJsonObject& reply);

    std::mutex FLock;
    std::map<TWindow, TEntry> FEntries;
    std::uint32_t FSerial = 0;
    QThread* FThread = nullptr;
    QObject* FContext = nullptr;  // lives in FThread; touched only from the GUI thread
    QString FSocketPath;
    bool FPostRoutine = false;
};

class TActivationFilter : public QObject {
public:
    TActivationFilter(TWindow window, QObject* parent) : QObject(parent), FWindow(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate) TDirectory::Instance().Touch(FWindow);
        return false;
    }

private:
    TWindow FWindow;
};

void StopServerAtExit() { TDirectory::Instance().Remove(0); }

TWindow TDirectory::Add(const std::string& className, const std::string& caption, QWidget* widget,
                        TMessageHandler handler, bool plain)
{
    TV_ASSERT(QCoreApplication::instance() != nullptr, "Top-level windows need an application object");
    TWindow window;
    const std::int64_t order = NextActivation();
    {
        std::lock_guard<std::mutex> guard(FLock);
        window = (static_cast<TWindow>(::getpid()) << 32) | ++FSerial;
        TEntry& entry = FEntries[window];
        entry.ClassName = className;
        entry.Caption = caption;
        entry.ThreadId = CurrentThreadId();
        entry.Widget = widget;
        entry.Handler = std::move(handler);
        entry.LastActive = order;
        entry.Plain = plain;
    }
    if (widget != nullptr) {
        auto* filter = new TActivationFilter(window, widget);
        widget->installEventFilter(filter);
        std::lock_guard<std::mutex> guard(FLock);
        FEntries[window].Filter = filter;
    }
    if (plain && widget != nullptr)
        QObject::connect(widget, &QObject::destroyed, [window] { TDirectory::Instance().Remove(window); });
    StartServer();
    return window;
}

// Removing window 0 only stops the server (at the application's end).
void TDirectory::Remove(TWindow window)
{
    QPointer<QObject> filter;
    bool empty;
    {
        std::lock_guard<std::mutex> guard(FLock);
        auto it = FEntries.find(window);
        if (it != FEntries.end()) {
            filter = it->second.Filter;
            FEntries.erase(it);
        }
        empty = FEntries.empty() || window == 0;
    }
    delete filter.data();
    if (empty) StopServer();
}

void TDirectory::SetCaption(TWindow window, const std::string& caption)
{
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FEntries.find(window);
    if (it != FEntries.end()) it->second.Caption = caption;
}

void TDirectory::Touch(TWindow window)
{
    const std::int64_t order = NextActivation();
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FEntries.find(window);
    if (it != FEntries.end()) it->second.LastActive = order;
}

TWindow TDirectory::FindByWidget(const QWidget* widget)
{
    std::lock_guard<std::mutex> guard(FLock);
    for (const auto& [window, entry] : FEntries)
        if (entry.Widget == widget) return window;
    return 0;
}

QWidget* TDirectory::Widget(TWindow window)
{
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FEntries.find(window);
    return it == FEntries.end() ? nullptr : it->second.Widget.data();
}

std::vector<TListed> TDirectory::Snapshot()
{
    std::lock_guard<std::mutex> guard(FLock);
    std::vector<TListed> list;
    for (const auto& [window, entry] : FEntries)
        list.push_back({{window, entry.ClassName, entry.Caption, entry.ThreadId}, entry.LastActive});
    return list;
}

bool TDirectory::Dispatch(TWindow window, TMessage& msg)
{
    TMessageHandler handler;
    {
        std::lock_guard<std::mutex> guard(FLock);
        auto it = FEntries.find(window);
        if (it == FEntries.end()) return false;
        handler = it->second.Handler;
    }
    if (handler) handler(msg);
    return true;
}

bool TDirectory::Raise(TWindow window)
{
    QWidget* widget = Widget(window);
    if (widget == nullptr || !widget->isVisible()) return false;
    if (widget->isMinimized()) widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
    widget->raise();
    widget->activateWindow();
    return true;
}

void TDirectory::StartServer()
{
    if (FThread != nullptr) return;
    const std::string folder = WindowsFolder();
    if (folder.empty()) return;
    FSocketPath = QString::fromStdString(folder) + "/" + SocketPrefix + QString::number(::getpid());
    if (!FPostRoutine) {
        qAddPostRoutine(StopServerAtExit);
        FPostRoutine = true;
    }
    FThread = new QThread;
    FThread->setObjectName("tvTopWindows");
    FContext = new QObject;
    FContext->moveToThread(FThread);
    FThread->start();
    QObject* context = FContext;
    const QString path = FSocketPath;
    QMetaObject::invokeMethod(context, [this, context, path] {
        QLocalServer::removeServer(path);
        auto* server = new QLocalServer(context);
        server->setSocketOptions(QLocalServer::UserAccessOption);
        if (!server->listen(path)) return;
        QObject::connect(server, &QLocalServer::newConnection, context, [this, server] {
            while (QLocalSocket* socket = server->nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer] {
                    buffer->append(socket->readAll());
                    if (buffer->size() > MaxRequestSize) {
                        socket->abort();
                        return;
                    }
                    qsizetype end;
                    while ((end = buffer->indexOf('\n')) >= 0) {
                        const QByteArray line = buffer->left(end);
                        buffer->remove(0, end + 1);
                        ServeLine(socket, line);
                    }
                });
                QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }, Qt::BlockingQueuedConnection);
}

void TDirectory::StopServer()
{
    if (FThread == nullptr) return;
    QObject* context = FContext;
    FContext = nullptr;
    QMetaObject::invokeMethod(context, [context] { delete context; }, Qt::BlockingQueuedConnection);
    FThread->quit();
    FThread->wait();
    delete FThread;
    FThread = nullptr;
    QFile::remove(FSocketPath);
}

// Runs on the server thread. Listing is answered there; messages and
// raising go to the GUI thread, whose answer comes back through Reply.
void TDirectory::ServeLine(QLocalSocket* socket, const QByteArray& line)
{
    const QJsonObject request = QJsonDocument::fromJson(line).object();
    const QString op = request.value("op").toString();
    if (op == "list") {
        QJsonArray windows;
        for (const TListed& item : Snapshot()) {
            QJsonObject w;
            w["h"] = ToText(item.Info.Handle);
            w["cls"] = QString::fromStdString(item.Info.ClassName);
            w["cap"] = QString::fromStdString(item.Info.Caption);
            w["tid"] = ToText(item.Info.ThreadId);
            w["act"] = QString::number(item.LastActive);
            windows.append(w);
        }
        QJsonObject reply;
        reply["windows"] = windows;
        socket->write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
        return;
    }
    if (op != "send" && op != "raise") {
        socket->write("{}\n");
        return;
    }
    QPointer<QLocalSocket> target(socket);
    const TWindow window = FromText(request.value("h"));
    TMessage msg;
    msg.Msg = static_cast<unsigned>(request.value("msg").toInt());
    msg.WParam = static_cast<std::uintptr_t>(FromText(request.value("wp")));
    msg.LParam = request.value("lp").toString().toLongLong();
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    QMetaObject::invokeMethod(app, [this, target, window, msg, op]() mutable {
        QJsonObject reply;
        bool ok = op == "send" ? Dispatch(window, msg) : Raise(window);
        reply["ok"] = ok;
        reply["result"] = QString::number(static_cast<qlonglong>(msg.Result));
        Reply(target, reply);
    }, Qt::QueuedConnection);
}

// GUI thread.
void TDirectory::Reply(QPointer<QLocalSocket> socket, const QJsonObject& reply)
{
    if (FContext == nullptr) return;
    const QByteArray data = QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n';
    QMetaObject::invokeMethod(FContext, [socket, data] {
        if (socket) {
            socket->write(data);
            socket->flush();
        }
    }, Qt::QueuedConnection);
}

enum class TRequestResult { Answered, NoServer, NoAnswer };

TRequestResult Request(const QString& path, const QJsonObject& request, int timeoutMs, QJsonObject& reply)
{
    QDeadlineTimer deadline(std::max(timeoutMs, 1));
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(std::max(timeoutMs, 1))) {
        const auto error = socket.error();
        return error == QLocalSocket::ConnectionRefusedError || error == QLocalSocket::ServerNotFoundError
                   ? TRequestResult::NoServer
                   : TRequestResult::NoAnswer;
    }
    socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    QByteArray buffer;
    while (!buffer.contains('\n')) {
        if (socket.bytesAvailable() == 0) {
            const int left = static_cast<int>(deadline.remainingTime());
            if (left <= 0 || !socket.waitForReadyRead(left)) return TRequestResult::NoAnswer;
        }
        buffer.append(socket.readAll());
    }
    reply = QJsonDocument::fromJson(buffer.left(buffer.indexOf('\n'))).object();
    return TRequestResult::Answered;
}

QString SocketOf(std::int64_t pid)
{
    return QString::fromStdString(WindowsFolder()) + "/" + SocketPrefix + QString::number(pid);
}

bool ProcessGone(std::int64_t pid) { return ::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH; }

} // namespace

TTopWindow::TTopWindow(const std::string& className, const std::string& caption, QWidget* widget,
                       TMessageHandler handler)
    : FHandle(TDirectory::Instance().Add(className, caption, widget, std::move(handler), false))
{
}

TTopWindow::~TTopWindow() { TDirectory::Instance().Remove(FHandle); }

void TTopWindow::SetCaption(const std::string& caption) { TDirectory::Instance().SetCaption(FHandle, caption); }

TWindow WindowOfWidget(QWidget* widget)
{
    if (widget == nullptr) return 0;
    TDirectory& directory = TDirectory::Instance();
    if (TWindow window = directory.FindByWidget(widget)) return window;
    return directory.Add(widget->metaObject()->className(), widget->windowTitle().toStdString(), widget,
                         nullptr, true);
}

QWidget* WidgetOfWindow(TWindow window) { return TDirectory::Instance().Widget(window); }

std::vector<TTopWindowInfo> EnumTopWindows(int timeoutMs)
{
    std::vector<TListed> all = TDirectory::Instance().Snapshot();
    const std::string folder = WindowsFolder();
    if (!folder.empty()) {
        const QDir dir(QString::fromStdString(folder));
        const auto names = dir.entryList({QString(SocketPrefix) + "*"}, QDir::System | QDir::Files);
        for (const QString& name : names) {
            bool isNumber = false;
            const std::int64_t pid = name.mid(static_cast<int>(std::strlen(SocketPrefix))).toLongLong(&isNumber);
            if (!isNumber || pid <= 0 || pid == ::getpid()) continue;
            const QString path = dir.filePath(name);
            QJsonObject reply;
            const TRequestResult result = Request(path, QJsonObject{{"op", "list"}}, timeoutMs, reply);
            if (result != TRequestResult::Answered && ProcessGone(pid)) QFile::remove(path);
            if (result != TRequestResult::Answered) continue;
            for (const QJsonValue& value : reply.value("windows").toArray()) {
                const QJsonObject w = value.toObject();
                TListed item;
                item.Info.Handle = FromText(w.value("h"));
                item.Info.ClassName = w.value("cls").toString().toStdString();
                item.Info.Caption = w.value("cap").toString().toStdString();
                item.Info.ThreadId = FromText(w.value("tid"));
                item.LastActive = w.value("act").toString().toLongLong();
                if (WindowProcessId(item.Info.Handle) == pid) all.push_back(item);
            }
        }
    }
    std::sort(all.begin(), all.end(), [](const TListed& a, const TListed& b) {
        if (a.LastActive != b.LastActive) return a.LastActive > b.LastActive;
        return a.Info.Handle > b.Info.Handle;
    });
    std::vector<TTopWindowInfo> windows;
    windows.reserve(all.size());
    for (TListed& item : all) windows.push_back(std::move(item.Info));
    return windows;
}

namespace {

bool RemoteCall(TWindow window, const QString& op, TMessage& msg, int timeoutMs)
{
    QJsonObject request{{"op", op},
                        {"h", ToText(window)},
                        {"msg", static_cast<int>(msg.Msg)},
                        {"wp", ToText(msg.WParam)},
                        {"lp", QString::number(static_cast<qlonglong>(msg.LParam))}};
    QJsonObject reply;
    if (Request(SocketOf(WindowProcessId(window)), request, timeoutMs, reply) != TRequestResult::Answered)
        return false;
    if (!reply.value("ok").toBool()) return false;
    msg.Result = static_cast<std::intptr_t>(reply.value("result").toString().toLongLong());
    return true;
}

} // namespace

bool SendWindowMessage(TWindow window, TMessage& msg, int timeoutMs)
{
    if (window == 0) return false;
    if (WindowProcessId(window) == ::getpid()) return TDirectory::Instance().Dispatch(window, msg);
    return RemoteCall(window, "send", msg, timeoutMs);
}

bool SetForegroundWindow(TWindow window, int timeoutMs)
{
    if (window == 0) return false;
    if (WindowProcessId(window) == ::getpid()) return TDirectory::Instance().Raise(window);
    TMessage msg;
    return RemoteCall(window, "raise", msg, timeoutMs);
}

namespace {

// The folder, made owner-only when missing; "" when it cannot be made or is
// not a folder of this user, with the reason added to problem.
std::string PrivateFolder(const std::string& folder, std::string* problem)
{
    struct stat info {};
    std::string reason;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        reason = std::strerror(errno);
    else if (::lstat(folder.c_str(), &info) != 0)
        reason = std::strerror(errno);
    else if (!S_ISDIR(info.st_mode))
        reason = "not a folder";
    else if (info.st_uid != ::getuid())
        reason = "a folder of another user";
    else
        return folder;
    if (problem != nullptr) *problem += (problem->empty() ? "" : "\n") + folder + ": " + reason;
    return {};
}

} // namespace

std::string WindowsFolder(std::string* problem)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (!runtime.isEmpty() && ::stat(runtime.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        const std::string folder = PrivateFolder(runtime.toStdString() + "/tarnovell", problem);
        if (!folder.empty()) return folder;
    }
    return PrivateFolder(QDir::tempPath().toStdString() + "/tarnovell-" + std::to_string(::getuid()), problem);
}

std::uint64_t CurrentThreadId() { return static_cast<std::uint64_t>(::gettid()); }

} // namespace tv
