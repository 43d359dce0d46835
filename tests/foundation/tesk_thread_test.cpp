// The status thread object: start, run again, stop in each status, the
// stop request to a running thread, letting a stuck thread go, self-deletion.
#include "foundation/tesk_event.h"
#include "foundation/tesk_thread.h"
#include "tests/support/program_folder.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace {

// What a thread function is handed: it records the run and waits until the
// test lets it return (or, when bHonourStop, until it is asked to stop).
struct SWork
{
    int nValue = 0;
    bool bHonourStop = true;
    CTeskEvent release{true};
    CTeskEvent entered{true};
    CTeskEvent left{true};
    std::atomic<int> nRuns{0};
    std::atomic<int> nLastValue{0};
    std::atomic<bool> bSawStop{false};
};

int32_t WorkThread(void* pUserData)
{
    auto* pWork = static_cast<SWork*>(pUserData);
    pWork->nRuns.fetch_add(1);
    pWork->nLastValue = pWork->nValue;
    pWork->entered.Set();
    while (!pWork->release.Wait(5)) {
        if (pWork->bHonourStop && CTeskThread::WaitForStopRequest(5)) {
            pWork->bSawStop = true;
            break;
        }
    }
    int32_t nResult = pWork->nValue * 10;
    pWork->left.Set();
    return nResult;
}

int32_t ThrowingThread(void* /*pUserData*/)
{
    throw std::runtime_error("worker failed");
}

bool WaitForStatus(const CTeskThread& thread, int nStatus)
{
    for (int i = 0; i < 2000 && thread.GetThreadStatus() != nStatus; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return thread.GetThreadStatus() == nStatus;
}

class TeskThreadTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_Folder.StartLog()); }
    std::string Log() const { return m_Folder.ReadCurrentLog(); }

    testsupport::CTempProgramFolder m_Folder;
};

TEST_F(TeskThreadTest, WithoutFunctionThereIsNoThread)
{
    CTeskThread thread(nullptr);
    EXPECT_EQ(thread.GetThreadStatus(), TESK_THREAD_NONE);
    EXPECT_EQ(thread.Start(nullptr), 0);
    EXPECT_EQ(thread.Stop(), 0);
    EXPECT_EQ(thread.GetThreadStatus(), TESK_THREAD_NONE);
}

TEST_F(TeskThreadTest, RunsOnceStartedAndAgainAfterItEnded)
{
    SWork first;
    first.nValue = 4;
    CTeskThread thread(&WorkThread);
    EXPECT_EQ(thread.GetThreadStatus(), TESK_THREAD_CREATED);
    EXPECT_NE(thread.GetThreadId(), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(first.nRuns.load(), 0); // created suspended

    EXPECT_EQ(thread.Start(&first), 1);
    ASSERT_TRUE(first.entered.Wait(10000));
    EXPECT_EQ(thread.GetThreadStatus(), TESK_THREAD_RUNNING);
    EXPECT_EQ(thread.Start(&first), 0); // already running
    first.release.Set();
    ASSERT_TRUE(WaitForStatus(thread, TESK_THREAD_ENDED));
    EXPECT_EQ(thread.GetExitCode(), 40);
    EXPECT_EQ(first.nRuns.load(), 1);

    SWork second;
    second.nValue = 7;
    uint32_t nFirstId = thread.GetThreadId();
    EXPECT_EQ(thread.Start(&second), 1); // a new thread with the new data
    ASSERT_TRUE(second.entered.Wait(10000));
    EXPECT_EQ(second.nLastValue.load(), 7);
    EXPECT_NE(thread.GetThreadId(), 0u);
    (void)nFirstId; // the kernel may hand the old id out again
    second.release.Set();
    ASSERT_TRUE(WaitForStatus(thread, TESK_THREAD_ENDED));
    EXPECT_EQ(thread.GetExitCode(), 70);
    EXPECT_EQ(first.nRuns.load(), 1);
}

TEST_F(TeskThreadTest, StopAfterTheFunctionReturnedReleasesOnce)
{
    SWork work;
    work.release.Set();
    CTeskThread thread(&WorkThread);
    ASSERT_EQ(thread.Start(&work), 1);
    ASSERT_TRUE(WaitForStatus(thread, TESK_THREAD_ENDED));
    EXPECT_EQ(thread.Stop(), 0);
    EXPECT_EQ(thread.Stop(), 0);
    EXPECT_EQ(thread.GetThreadStatus(), TESK_THREAD_ENDED);
    EXPECT_EQ(Log().find("TerminateThread"), std::string::npos);
}

TEST_F(TeskThreadTest, StopBeforeStartEndsThreadWithoutRunning)
{
    SWork work;
    {
        CTeskThread thread(&WorkThread);
        EXPECT_EQ(thread.Stop(), 1);
        EXPECT_EQ(thread.GetThreadStatus(), TESK_THREAD_ENDED);
        EXPECT_EQ(thread.Stop(), 0);
        // Ended: Start makes a new thread, which does run.
        work.release.Set();
        EXPECT_EQ(thread.Start(&work), 1);
        ASSERT_TRUE(WaitForStatus(thread, TESK_THREAD_ENDED));
        EXPECT_EQ(work.nRuns.load(), 1);
    }
    {
        CTeskThread never(&WorkThread); // the destructor ends the waiting thread
    }
    EXPECT_EQ(work.nRuns.load(), 1);
}

TEST_F(TeskThreadTest, StopAsksRunningThreadToEndAndLogsItsId)
{
    SWork work;
    CTeskThread thread(&WorkThread);
    ASSERT_EQ(thread.Start(&work), 1);
    ASSERT_TRUE(work.entered.Wait(10000));
    EXPECT_EQ(thread.Stop(), 1);
    EXPECT_TRUE(work.bSawStop.load());
    EXPECT_TRUE(work.left.IsSet()); // it has ended, not been left behind
    EXPECT_EQ(thread.GetThreadStatus(), TESK_THREAD_ENDED);
    EXPECT_NE(Log().find("[DEBUG] [CTeskThread::Stop] TerminateThread !!! [" +
                         std::to_string(thread.GetThreadId()) + "]\r\n"),
              std::string::npos)
        << Log();
    EXPECT_EQ(thread.Stop(), 0);
}

TEST_F(TeskThreadTest, ThreadThatIgnoresStopIsLetGo)
{
    auto pWork = std::make_unique<SWork>();
    pWork->bHonourStop = false;
    {
        auto pThread = std::make_unique<CTeskThread>(&WorkThread);
        pThread->SetStopTimeoutMs(100);
        ASSERT_EQ(pThread->Start(pWork.get()), 1);
        ASSERT_TRUE(pWork->entered.Wait(10000));
        EXPECT_EQ(pThread->Stop(), 1);
        EXPECT_EQ(pThread->GetThreadStatus(), TESK_THREAD_ENDED);
        EXPECT_EQ(pThread->GetExitCode(), -1);
        EXPECT_FALSE(pWork->left.IsSet());
        EXPECT_NE(Log().find("TerminateThread !!!"), std::string::npos);
    } // the object is gone while its former thread still runs
    pWork->release.Set();
    ASSERT_TRUE(pWork->left.Wait(10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // let it finish its return
}

TEST_F(TeskThreadTest, WithoutTerminateStopLeavesThreadRunning)
{
    SWork work;
    CTeskThread thread(&WorkThread);
    thread.SetTerminateAllowed(false);
    ASSERT_EQ(thread.Start(&work), 1);
    ASSERT_TRUE(work.entered.Wait(10000));
    EXPECT_EQ(thread.Stop(), 1);
    EXPECT_EQ(thread.GetThreadStatus(), TESK_THREAD_ENDED);
    EXPECT_FALSE(thread.IsStopRequested());
    EXPECT_EQ(Log().find("TerminateThread"), std::string::npos);
    work.release.Set();
    ASSERT_TRUE(work.left.Wait(10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

// Tells the test when an object is destroyed.
class CProbeThread : public CTeskThread
{
public:
    CProbeThread(CTeskEvent& destroyed) : CTeskThread(&WorkThread, true), m_Destroyed(destroyed) {}
    ~CProbeThread() override { m_Destroyed.Set(); }

private:
    CTeskEvent& m_Destroyed;
};

TEST_F(TeskThreadTest, AutoDeleteObjectDeletesItselfWhenFunctionReturns)
{
    SWork work;
    CTeskEvent destroyed(true);
    auto* pThread = new CProbeThread(destroyed);
    EXPECT_TRUE(pThread->IsAutoDelete());
    ASSERT_EQ(pThread->Start(&work), 1);
    ASSERT_TRUE(work.entered.Wait(10000));
    EXPECT_FALSE(destroyed.IsSet());
    work.release.Set();
    EXPECT_TRUE(destroyed.Wait(10000));
    EXPECT_EQ(Log().find("TerminateThread"), std::string::npos);
}

TEST_F(TeskThreadTest, AutoDeleteObjectStoppedByOwnerStaysAlive)
{
    SWork work;
    CTeskEvent destroyed(true);
    {
        CProbeThread thread(destroyed);
        ASSERT_EQ(thread.Start(&work), 1);
        ASSERT_TRUE(work.entered.Wait(10000));
        EXPECT_EQ(thread.Stop(), 1);
        EXPECT_TRUE(work.bSawStop.load());
        EXPECT_FALSE(destroyed.IsSet()); // the thread did not delete it
    }
    EXPECT_TRUE(destroyed.IsSet());
}

TEST_F(TeskThreadTest, ExceptionInFunctionEndsThreadNormally)
{
    CTeskThread thread(&ThrowingThread);
    ASSERT_EQ(thread.Start(nullptr), 1);
    ASSERT_TRUE(WaitForStatus(thread, TESK_THREAD_ENDED));
    EXPECT_EQ(thread.GetExitCode(), -1);
    EXPECT_NE(Log().find("[ERROR] [stThreadProc()] Unknown Exception Occured !!!\r\n"),
              std::string::npos);
}

TEST(TeskThreadStopRequestTest, OutsideThreadObjectIsPlainSleep)
{
    EXPECT_FALSE(CTeskThread::IsCurrentStopRequested());
    EXPECT_FALSE(CTeskThread::WaitForStopRequest(1));
}

} // namespace
