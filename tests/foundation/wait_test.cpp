// Waits on events, the pumping of the installing thread's messages, and
// the tick count.
#include "foundation/simple_log.h"
#include "foundation/tesk_event.h"
#include "foundation/wait.h"
#include "tests/support/program_folder.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

std::atomic<int> g_nHookCalls{0};
void CountingHook(int /*nMaxWaitMs*/)
{
    g_nHookCalls.fetch_add(1);
}

// Installs the counting hook on the test's thread for one test.
class PumpHookTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_nHookCalls = 0;
        SetMessagePumpHook(&CountingHook);
    }
    void TearDown() override { SetMessagePumpHook(nullptr); }
};

TEST(WaitForEventTest, SignalledEventReturnsAtOnce)
{
    struct SCase
    {
        bool bManualReset;
        int nSecondWait; // result of a second wait right after the first
    };
    const SCase cases[] = {{true, WAIT_RESULT_SIGNALLED}, {false, WAIT_RESULT_TIMEOUT}};
    for (const SCase& c : cases) {
        CTeskEvent event(c.bManualReset, true);
        uint64_t nStart = GetTickCount64Safe();
        EXPECT_EQ(WaitForEvent(&event, 60000), WAIT_RESULT_SIGNALLED);
        EXPECT_LT(GetTickCount64Safe() - nStart, 10000u);
        EXPECT_EQ(WaitForEvent(&event, 0), c.nSecondWait) << "manual " << c.bManualReset;
    }
}

TEST(WaitForEventTest, NeverSignalledEventTimesOut)
{
    CTeskEvent event(true);
    uint64_t nStart = GetTickCount64Safe();
    EXPECT_EQ(WaitForEvent(&event, 300), WAIT_RESULT_TIMEOUT);
    uint64_t nElapsed = GetTickCount64Safe() - nStart;
    EXPECT_GE(nElapsed, 300u);
    EXPECT_LT(nElapsed, 10000u);
}

TEST(WaitForEventTest, EventSetByAnotherThreadEndsTheWait)
{
    CTeskEvent event(false);
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        event.Set();
    });
    EXPECT_EQ(WaitForEvent(&event, 60000), WAIT_RESULT_SIGNALLED);
    setter.join();
    EXPECT_FALSE(event.IsSet()); // the wait consumed the automatic event
}

TEST(WaitForEventTest, NullEventFailsAndIsLogged)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    EXPECT_EQ(WaitForEvent(nullptr, 1000), WAIT_RESULT_FAILED);
    EXPECT_NE(folder.ReadCurrentLog().find("[ERROR] [WaitForEvent] Input handle NULL\r\n"),
              std::string::npos);
}

TEST_F(PumpHookTest, WaitPumpsOnTheInstallingThreadOnly)
{
    CTeskEvent event(true);
    EXPECT_EQ(WaitForEvent(&event, 200), WAIT_RESULT_TIMEOUT);
    int nOnOwnThread = g_nHookCalls.exchange(0);
    EXPECT_GT(nOnOwnThread, 1); // the window keeps being served while it waits

    std::thread other([&] {
        EXPECT_EQ(WaitForEvent(&event, 100), WAIT_RESULT_TIMEOUT);
        PumpMessagesFor(50);
    });
    other.join();
    EXPECT_EQ(g_nHookCalls.load(), 0);
}

TEST_F(PumpHookTest, PumpMessagesForRunsForTheGivenTime)
{
    PumpMessagesFor(1);
    EXPECT_GE(g_nHookCalls.exchange(0), 1);

    uint64_t nStart = GetTickCount64Safe();
    PumpMessagesFor(100);
    uint64_t nElapsed = GetTickCount64Safe() - nStart;
    EXPECT_GE(nElapsed, 100u);
    EXPECT_LT(nElapsed, 10000u);
    EXPECT_GT(g_nHookCalls.load(), 1);
}

TEST(TickCountTest, NeverRunsBackwards)
{
    uint64_t nPrevious = GetTickCount64Safe();
    for (int i = 0; i < 1000; ++i) {
        uint64_t nNow = GetTickCount64Safe();
        ASSERT_GE(nNow, nPrevious);
        nPrevious = nNow;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(GetTickCount64Safe() - nPrevious, 20u);
}

} // namespace
