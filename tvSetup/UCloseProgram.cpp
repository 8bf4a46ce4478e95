#include "UCloseProgram.h"

#include "UAppSelect.h"
#include "UInstallation.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

namespace tv {

namespace {

namespace fs = std::filesystem;

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

std::vector<std::int64_t> ProcessesOf(const std::string& program)
{
    std::vector<std::int64_t> found;
    std::error_code ec;
    const fs::path wanted = fs::weakly_canonical(program, ec);
    if (ec)
        return found;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code linkError;
        std::string exe = fs::read_symlink(entry.path() / "exe", linkError).string();
        if (linkError)
            continue;
        // A program whose file was replaced or removed since it started.
        const std::string deleted = " (deleted)";
        if (exe.ends_with(deleted))
            exe.erase(exe.size() - deleted.size());
        const std::int64_t pid = std::stoll(name);
        if (exe == wanted.string() && ProcessRuns(pid))
            found.push_back(pid);
    }
    return found;
}

bool CloseRunningProgram(const std::string& folder, const TCloseTiming& timing)
{
    if (QCoreApplication::instance() != nullptr && QThread::currentThread() == qApp->thread()) {
        // The search and the waits block; the window goes on painting and
        // answering meanwhile.
        std::atomic<bool> closed = false;
        QEventLoop loop;
        QThread* worker = QThread::create([&] { closed = CloseRunningProgram(folder, timing); });
        QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
        worker->start();
        loop.exec();
        worker->wait();
        delete worker;
        return closed;
    }
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
    // A copy that gave no answer was not listed, but it runs all the same.
    return ProcessesOf(WithoutDelimiter(folder) + "/" + ProgramFileName).empty();
}

} // namespace tv
