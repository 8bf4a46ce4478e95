#include "UAppSelect.h"

#include "UCodePage.h"

#include <QApplication>
#include <QWidget>

namespace tv {

namespace {

// The search state of the running search.
struct TSearch {
    std::string Caption;
    std::string AppClass;
    std::vector<std::string> FormClasses;
    std::uint64_t ThreadFound = 0;
    std::vector<TTopWindowInfo> Forms;
};

TSearch Search;

void Examine(const TTopWindowInfo& window)
{
    if (window.ClassName.empty()) return;
    if (SameWindowName(window.ClassName, Search.AppClass)) {
        // The caption names the program's folder, and /x/Shop and /x/shop are
        // two folders: it compares exactly, as file names do.
        if (window.Caption == Search.Caption) Search.ThreadFound = window.ThreadId;
        return;
    }
    for (const std::string& formClass : Search.FormClasses)
        if (SameWindowName(window.ClassName, formClass)) Search.Forms.push_back(window);
}

// The window the user last worked in: the modal dialog on top, else the
// active window, else a visible dialog, else a visible window.
QWidget* LastActivePopup()
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    QWidget* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible()) continue;
        const Qt::WindowType type = widget->windowType();
        if (type == Qt::Dialog) return widget;
        if (type == Qt::Window && found == nullptr) found = widget;
    }
    return found;
}

} // namespace

bool SameWindowName(const std::string& windowText, const std::string& wanted)
{
    return Utf8Length(windowText) == Utf8Length(wanted) && AnsiSameText(windowText, wanted);
}

TWindow FindRunningCopy(const std::string& caption, const std::string& appClass,
                        const std::vector<std::string>& formClasses)
{
    Search.ThreadFound = 0;
    Search.Forms.clear();
    Search.Caption = caption;
    Search.AppClass = appClass;
    Search.FormClasses = formClasses;
    for (const TTopWindowInfo& window : EnumTopWindows()) Examine(window);
    TWindow answer = 0;
    if (Search.ThreadFound != 0) {
        for (const TTopWindowInfo& form : Search.Forms) {
            if (form.ThreadId == Search.ThreadFound) {
                answer = form.Handle;
                break;
            }
        }
    }
    Search.Forms.clear();
    return answer;
}

void ActivateRunningCopy(TWindow window)
{
    TMessage message;
    message.Msg = WM_RESTOREINSTANCE;
    if (SendWindowMessage(window, message) && message.Result != 0)
        SetForegroundWindow(static_cast<TWindow>(message.Result));
}

void AnswerActivate(TMessage& message)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isMinimized()) widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
    message.Result = 0;
    QWidget* popup = LastActivePopup();
    if (popup == nullptr || !popup->isVisible() || !popup->isEnabled()) return;
    popup->raise();
    popup->activateWindow();
    message.Result = static_cast<std::intptr_t>(WindowOfWidget(popup));
}

void AnswerClose() { QCoreApplication::exit(0); }

void AnswerInstanceMessage(TMessage& message)
{
    if (message.Msg == WM_RESTOREINSTANCE)
        AnswerActivate(message);
    else if (message.Msg == WM_TERMINATEINSTANCE)
        AnswerClose();
}

} // namespace tv
