// The instance lock: one holder at a time, another process sees it held,
// a started program never inherits it, a killed holder frees it.
#include "platform/instance_lock.h"
#include "tests/support/runtime_dir.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const kName = "hMutex_Test.exe";

TEST(InstanceLockTest, OneHolderAtATimeAndTheFileStays)
{
    testsupport::CTempRuntimeDir runtime;
    platform::CInstanceLock first(kName);
    std::string strError;
    ASSERT_EQ(first.Acquire(&strError), platform::EInstanceLockResult::Acquired) << strError;
    EXPECT_TRUE(first.IsHeld());
    EXPECT_EQ(first.Path(), runtime.Path() + "/hMutex_Test.exe.lock");
    // Taking it again through the same object keeps it.
    EXPECT_EQ(first.Acquire(), platform::EInstanceLockResult::Acquired);

    platform::CInstanceLock second(kName);
    EXPECT_EQ(second.Acquire(), platform::EInstanceLockResult::HeldByOther);
    EXPECT_FALSE(second.IsHeld());
    EXPECT_TRUE(platform::IsInstanceLockHeld(kName));

    first.Release();
    EXPECT_TRUE(std::filesystem::exists(first.Path())); // never unlinked
    EXPECT_FALSE(platform::IsInstanceLockHeld(kName));
    EXPECT_EQ(second.Acquire(), platform::EInstanceLockResult::Acquired);
}

// A program started while the lock is held (here through the shell, which
// passes on every descriptor that is not close-on-exec) must not keep the
// lock once its starter lets it go.
TEST(InstanceLockTest, StartedProgramsDoNotInheritIt)
{
    testsupport::CTempRuntimeDir runtime;
    platform::CInstanceLock lock(kName);
    ASSERT_EQ(lock.Acquire(), platform::EInstanceLockResult::Acquired);
    ASSERT_EQ(std::system("sleep 3 </dev/null >/dev/null 2>&1 &"), 0);
    lock.Release();
    EXPECT_FALSE(platform::IsInstanceLockHeld(kName));
}

TEST(InstanceLockTest, AnotherProcessHoldsItUntilKilled)
{
    testsupport::CTempRuntimeDir runtime;
    int aPipe[2];
    ASSERT_EQ(pipe(aPipe), 0);
    pid_t nChild = fork();
    ASSERT_GE(nChild, 0);
    if (nChild == 0) {
        close(aPipe[0]);
        platform::CInstanceLock held(kName);
        char chState = held.Acquire() == platform::EInstanceLockResult::Acquired ? 'y' : 'n';
        (void)!write(aPipe[1], &chState, 1);
        pause(); // until killed
        _exit(0);
    }
    close(aPipe[1]);
    char chState = 0;
    ASSERT_EQ(read(aPipe[0], &chState, 1), 1);
    close(aPipe[0]);
    ASSERT_EQ(chState, 'y');

    platform::CInstanceLock mine(kName);
    EXPECT_EQ(mine.Acquire(), platform::EInstanceLockResult::HeldByOther);

    kill(nChild, SIGKILL);
    int nStatus = 0;
    waitpid(nChild, &nStatus, 0);
    EXPECT_EQ(mine.Acquire(), platform::EInstanceLockResult::Acquired);
}

} // namespace
