// One setup program at a time: the lock is refused while held and comes
// free when its holder ends, however it ends. A lock folder that cannot be
// used gives way to a private one in the temporary folder; when neither can
// be had the setup program says so instead of ending.

#include "USetupLock.h"
#include "UTopWindows.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace tv;

TEST(SetupLock, SecondHolderIsRefusedUntilTheFirstLetsGo)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    auto first = std::make_unique<TSetupLock>(SetupLockName, folder);
    ASSERT_TRUE(first->Acquired());
    EXPECT_FALSE(TSetupLock(SetupLockName, folder).Acquired());
    EXPECT_TRUE(TSetupLock("another name", folder).Acquired());
    first.reset();
    EXPECT_TRUE(TSetupLock(SetupLockName, folder).Acquired());
}

TEST(SetupLock, KilledHolderReleasesIt)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TSetupLock lock(SetupLockName, folder);
        const char answer = lock.Acquired() ? 'y' : 'n';
        (void)::write(ready[1], &answer, 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    EXPECT_FALSE(TSetupLock(SetupLockName, folder).Acquired());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(TSetupLock(SetupLockName, folder).Acquired());
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(SetupLock, UnusableFolderRefusesWithTheReason)
{
    const TSetupLock lock(SetupLockName, "/nonexistent/folder");
    EXPECT_FALSE(lock.Acquired());
    EXPECT_FALSE(lock.HeldByAnother());
    EXPECT_EQ(lock.Error(), "/nonexistent/folder/tvSetupStopSecondStart.lock: No such file or directory");
}

namespace {

namespace fs = std::filesystem;

// XDG_RUNTIME_DIR and TMPDIR in a temporary folder, restored at the end.
class LockFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* v = std::getenv("XDG_RUNTIME_DIR"))
            FOldRuntime = v;
        if (const char* v = std::getenv("TMPDIR"))
            FOldTmp = v;
        Runtime = FDir.path().toStdString() + "/runtime";
        Tmp = FDir.path().toStdString() + "/tmp";
        ::mkdir(Runtime.c_str(), 0700);
        ::mkdir(Tmp.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", Runtime.c_str(), 1);
        ::setenv("TMPDIR", Tmp.c_str(), 1);
    }
    void TearDown() override
    {
        for (const std::string& f : {Runtime, Tmp})
            ::chmod(f.c_str(), 0700);
        Restore("XDG_RUNTIME_DIR", FOldRuntime);
        Restore("TMPDIR", FOldTmp);
    }
    static void Restore(const char* name, const std::string& value)
    {
        if (value.empty())
            ::unsetenv(name);
        else
            ::setenv(name, value.c_str(), 1);
    }

    // The folder cannot take our folder: as root it holds one of another
    // user, else it refuses to be written.
    static void Spoil(const std::string& folder, const std::string& name)
    {
        if (::geteuid() == 0) {
            ::mkdir((folder + "/" + name).c_str(), 0700);
            ASSERT_EQ(::chown((folder + "/" + name).c_str(), 65534, 65534), 0);
        } else {
            ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
        }
    }
    std::string TmpFolder() const { return "tarnovell-" + std::to_string(::getuid()); }

    std::string Runtime;
    std::string Tmp;

private:
    QTemporaryDir FDir;
    std::string FOldRuntime;
    std::string FOldTmp;
};

// Runs the setup program offscreen; true when it ended within the time,
// with its exit code.
bool SetupEnds(int& code, int waitMs)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(TV_SETUP_PROGRAM), nullptr};
    if (::posix_spawn(&pid, TV_SETUP_PROGRAM, nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    for (int waited = 0; waited < waitMs; waited += 50) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return false;
}

} // namespace

TEST_F(LockFolders, UnusableRuntimeFolderGivesWayToAPrivateTemporaryOne)
{
    Spoil(Runtime, "tarnovell");
    const bool rootBefore = fs::exists("/tvSetupStopSecondStart.lock");
    EXPECT_EQ(WindowsFolder(), Tmp + "/" + TmpFolder());
    const TSetupLock lock;
    EXPECT_TRUE(lock.Acquired());
    EXPECT_TRUE(fs::exists(Tmp + "/" + TmpFolder() + "/tvSetupStopSecondStart.lock"));
    EXPECT_EQ(fs::exists("/tvSetupStopSecondStart.lock"), rootBefore);
}

TEST_F(LockFolders, NoUsableFolderIsReportedAndTheSetupSaysSo)
{
    Spoil(Runtime, "tarnovell");
    Spoil(Tmp, TmpFolder());
    const bool rootBefore = fs::exists("/tvSetupStopSecondStart.lock");
    EXPECT_EQ(WindowsFolder(), "");
    {
        const TSetupLock lock;
        EXPECT_FALSE(lock.Acquired());
        EXPECT_FALSE(lock.HeldByAnother());
        // Both folders tried, each with its reason.
        const std::string reason = ::geteuid() == 0 ? "a folder of another user" : std::strerror(EACCES);
        EXPECT_EQ(lock.Error(), Runtime + "/tarnovell: " + reason + "\n" + Tmp + "/" + TmpFolder() + ": " + reason);
    }
    // The setup program stays with its message instead of ending silently.
    int code = 0;
    EXPECT_FALSE(SetupEnds(code, 3000)) << "ended with " << code;
    EXPECT_EQ(fs::exists("/tvSetupStopSecondStart.lock"), rootBefore);
}

TEST_F(LockFolders, SecondSetupEndsSilently)
{
    const TSetupLock first;
    ASSERT_TRUE(first.Acquired());
    int code = -1;
    ASSERT_TRUE(SetupEnds(code, 10000));
    EXPECT_EQ(code, 0);
}
