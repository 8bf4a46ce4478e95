#pragma once
// The top-level windows of this user's running programs and the messages
// sent to them.
//
// Every process that registers a window publishes its windows through one
// local socket under WindowsFolder(); other processes list them and send
// messages through it. A message to a window of another process is handled
// on that process's GUI thread; the sender waits for the answer for a
// bounded time.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace tv {

// Names a top-level window across processes: the process id in the high
// half, a number of that process in the low half. 0 is no window.
using TWindow = std::uint64_t;

// One window message and its answer.
struct TMessage {
    unsigned Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

using TMessageHandler = std::function<void(TMessage&)>;

// A window as the directory lists it.
struct TTopWindowInfo {
    TWindow Handle = 0;
    std::string ClassName;
    std::string Caption;
    std::uint64_t ThreadId = 0;  // system-wide id of the creating thread
};

// How long a listing asks each process and a send waits for its answer.
constexpr int ListTimeoutMs = 1000;
constexpr int SendTimeoutMs = 5000;

// One registered top-level window of this process, published while the
// object lives. Create and destroy it on the GUI thread of a running
// QApplication / QCoreApplication; that thread becomes the creating thread.
// The widget (may be null, e.g. for the application window) is what
// SetForegroundWindow brings forward; its activations move the window to
// the front of the listing. The handler answers messages on the GUI thread.
class TTopWindow {
public:
    TTopWindow(const std::string& className, const std::string& caption,
               QWidget* widget, TMessageHandler handler);
    ~TTopWindow();
    TTopWindow(const TTopWindow&) = delete;
    TTopWindow& operator=(const TTopWindow&) = delete;

    TWindow Handle() const { return FHandle; }
    void SetCaption(const std::string& caption);

private:
    TWindow FHandle;
};

// The window that shows the top-level widget of this process: its
// registration, or else a plain one made for it (class name of its Qt
// class, caption its title) that lasts as long as the widget. 0 for null.
TWindow WindowOfWidget(QWidget* widget);

// The registered widget of a window of this process, null otherwise.
QWidget* WidgetOfWindow(TWindow window);

// All windows of the user's programs, front to back: ordered by their last
// activation (or registration), newest first. Processes that do not answer
// within timeoutMs are left out; sockets of ended processes are removed.
std::vector<TTopWindowInfo> EnumTopWindows(int timeoutMs = ListTimeoutMs);

// Sends a message to a window and waits for its handler to answer. True
// with msg.Result set when it answered; false when the window is gone, its
// program ended meanwhile or gave no answer within timeoutMs. A window of
// this process is handled at once on the calling thread.
bool SendWindowMessage(TWindow window, TMessage& msg, int timeoutMs = SendTimeoutMs);

// Asks the window's program to restore, raise and activate it. False when
// it did not answer in time or the window has no visible widget.
bool SetForegroundWindow(TWindow window, int timeoutMs = SendTimeoutMs);

// Process id of the program that owns the window.
inline std::int64_t WindowProcessId(TWindow window) { return static_cast<std::int64_t>(window >> 32); }

// Folder of the sockets: $XDG_RUNTIME_DIR/tarnovell, or when that cannot be
// used, tarnovell-<uid> in the temporary folder ($TMPDIR, /tmp); created with
// owner-only access when missing. "" when neither is a folder of this user;
// problem, when given, then gets each folder tried with its reason.
std::string WindowsFolder(std::string* problem = nullptr);

// System-wide id of the calling thread.
std::uint64_t CurrentThreadId();

} // namespace tv
