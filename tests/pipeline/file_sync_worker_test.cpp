// CFileSyncWorker with a sync function the test holds: requests never wait,
// one sync covers the requests made while another ran, the stop drains, a
// failure is counted and the next request syncs again.
#include "pipeline/file_sync_worker.h"

// <chrono> cannot be compiled with the CP949 narrow charset; the durations
// come with <condition_variable>.
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

// A sync that can be held: each call announces itself and waits while
// bHold is set, then returns bResult.
struct SGate
{
    std::mutex lock;
    std::condition_variable changed;
    bool bHold = false;
    bool bResult = true;
    int nEntered = 0;
    int nFinished = 0;

    bool Sync()
    {
        std::unique_lock<std::mutex> guard(lock);
        ++nEntered;
        changed.notify_all();
        changed.wait(guard, [this] { return !bHold; });
        ++nFinished;
        return bResult;
    }
    void Hold(bool bOn)
    {
        std::lock_guard<std::mutex> guard(lock);
        bHold = bOn;
        changed.notify_all();
    }
    void WaitEntered(int nCount)
    {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [&] { return nEntered >= nCount; });
    }
};

TEST(FileSyncWorkerTest, RequestsDuringASyncShareTheNextOne)
{
    SGate gate;
    CFileSyncWorker worker([&gate] { return gate.Sync(); });
    gate.Hold(true);
    worker.RequestSync();
    gate.WaitEntered(1);
    // The disk is "slow": the writer goes on regardless.
    for (int i = 0; i < 5; ++i) {
        worker.RequestSync();
    }
    EXPECT_EQ(0u, worker.SyncRuns());
    EXPECT_FALSE(worker.Drain(0));
    gate.Hold(false);
    ASSERT_TRUE(worker.Drain(-1));
    // The first sync began before the five, so one more covers them all.
    EXPECT_EQ(2u, worker.SyncRuns());
    EXPECT_EQ(0, worker.Failures());
}

TEST(FileSyncWorkerTest, StopWaitsForThePendingSync)
{
    SGate gate;
    CFileSyncWorker worker([&gate] { return gate.Sync(); });
    gate.Hold(true);
    worker.RequestSync();
    gate.WaitEntered(1);
    worker.RequestSync(); // waits behind the held one
    std::thread release([&gate] { gate.Hold(false); });
    worker.Stop();
    release.join();
    EXPECT_EQ(2, gate.nFinished);
    EXPECT_EQ(2u, worker.SyncRuns());
    // Stopped: a late request is synced on the caller's thread.
    worker.RequestSync();
    EXPECT_EQ(3, gate.nFinished);
}

TEST(FileSyncWorkerTest, FailedSyncIsCountedAndTheNextRequestSyncsAgain)
{
    SGate gate;
    gate.bResult = false;
    CFileSyncWorker worker([&gate] { return gate.Sync(); });
    worker.RequestSync();
    ASSERT_TRUE(worker.Drain(-1));
    EXPECT_EQ(1, worker.Failures());
    {
        std::lock_guard<std::mutex> guard(gate.lock);
        gate.bResult = true;
    }
    worker.RequestSync();
    ASSERT_TRUE(worker.Drain(-1));
    EXPECT_EQ(2u, worker.SyncRuns());
    EXPECT_EQ(1, worker.Failures());
}

TEST(FileSyncWorkerTest, StopWithoutRequestsStartsNoSync)
{
    SGate gate;
    CFileSyncWorker worker([&gate] { return gate.Sync(); });
    worker.Stop();
    worker.Stop();
    EXPECT_EQ(0, gate.nEntered);
}

// The syncs run at background priority on their own thread; the thread
// that asks for them keeps its own.
TEST(FileSyncWorkerTest, SyncsRunAtBackgroundPriority)
{
    auto niceOfThisThread = [] {
        errno = 0;
        return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
    };
    const int nCallerNice = niceOfThisThread();
    int nSyncNice = 0;
    CFileSyncWorker worker([&] {
        nSyncNice = niceOfThisThread();
        return true;
    });
    worker.RequestSync();
    ASSERT_TRUE(worker.Drain(5000));
    EXPECT_GE(nSyncNice, 10);
    EXPECT_EQ(niceOfThisThread(), nCallerNice);
}

} // namespace
