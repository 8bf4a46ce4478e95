// One setup program at a time: the lock is refused while held and comes
// free when its holder ends, however it ends.

#include "USetupLock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(SetupLock, UnusableFolderRefuses)
{
    EXPECT_FALSE(TSetupLock(SetupLockName, "/nonexistent/folder").Acquired());
}
