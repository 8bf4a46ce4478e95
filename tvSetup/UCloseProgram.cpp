#include "UCloseProgram.h"

#include "UAppSelect.h"

#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

namespace tv {

namespace {

std::string WithoutDelimiter(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

TWindow FindByCaption(const std::string& folder)
{
    return FindRunningCopy(RunningCopyCaption(folder), "TApplication", {"TMainFormStore", "TFormPass"});
}

} // namespace

std::string RunningCopyCaption(const std::string& folder) { return "Tarnovell - " + WithoutDelimiter(folder); }

TWindow FindProgramIn(const std::string& folder)
{
    if (const TWindow window = FindByCaption(folder))
        return window;
    std::error_code ec;
    const std::string resolved = std::filesystem::canonical(WithoutDelimiter(folder), ec).string();
    if (ec || resolved == WithoutDelimiter(folder))
        return 0;
    return FindByCaption(resolved);
}

void TerminateInstance(TWindow window)
{
    TMessage message;
    message.Msg = WM_TERMINATEINSTANCE;
    SendWindowMessage(window, message);
}

bool ProcessRuns(std::int64_t pid)
{
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
        return false;
    // "pid (name) S ...": the state follows the last parenthesis.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const auto close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

bool CloseRunningProgram(const std::string& folder, const TCloseTiming& timing)
{
    std::set<std::int64_t> asked;
    TWindow window = FindProgramIn(folder);
    for (int sent = 0; window != 0 && sent < timing.Requests; ++sent) {
        asked.insert(WindowProcessId(window));
        TerminateInstance(window);
        QThread::msleep(static_cast<unsigned long>(timing.PauseMs));
        window = FindProgramIn(folder);
    }
    if (window != 0)
        return false;
    QElapsedTimer waited;
    waited.start();
    for (const std::int64_t pid : asked) {
        while (ProcessRuns(pid)) {
            if (waited.elapsed() >= timing.EndWaitMs)
                return false;
            QThread::msleep(20);
        }
    }
    return true;
}

} // namespace tv
