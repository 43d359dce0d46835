// CBaseCtrlProcess through a small worker: order, full queues, empty pops,
// start, stop (prompt and timed out) and the one toast target.
#include "foundation/simple_log.h"
#include "pipeline/base_ctrl_process.h"
#include "platform/thread_id.h"
#include "tests/support/program_folder.h"

#include <algorithm>
// <chrono> itself cannot be compiled with the CP949 narrow charset (its "\u00b5s"
// literal); steady_clock and the durations come with <condition_variable>.
#include <condition_variable>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int CountOf(const std::string& strText, const std::string& strNeedle)
{
    int nCount = 0;
    for (size_t nPos = strText.find(strNeedle); nPos != std::string::npos;
         nPos = strText.find(strNeedle, nPos + strNeedle.size())) {
        ++nCount;
    }
    return nCount;
}

// What the worker saw. Owned jointly by the test and the worker's thread,
// so a handler released after its object was abandoned still has it.
struct SProbe
{
    std::mutex lock;
    std::condition_variable changed;
    std::vector<int> vecHandled; // event types (data) or levels (toast)
    std::vector<std::string> vecTexts;
    std::vector<Clock::time_point> vecHandledAt;
    std::atomic<int> nBlockOn{-1};    // this item waits at the gate
    std::atomic<int> nPopInside{-1};  // this item's handler pops the next item itself
    std::function<void()> fnOnHandle; // set before the start; runs in every handler
    CTeskEvent gate{true, false};     // opened by the test
    CTeskEvent entered{true, false};  // the blocking item has reached its handler
    CTeskEvent finished{true, false}; // the thread function has returned

    bool WaitHandled(size_t nCount)
    {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, std::chrono::seconds(10),
                                [&] { return vecHandled.size() >= nCount; });
    }
    std::vector<int> Handled()
    {
        std::lock_guard guard(lock);
        return vecHandled;
    }
};

class CTestWorker : public CBaseCtrlProcess
{
public:
    explicit CTestWorker(EWorkerQueue eQueue = EWorkerQueue::Data, bool bToastTarget = false)
        : m_eQueue(eQueue), m_bToastTarget(bToastTarget)
    {
        if (m_bToastTarget) {
            RegisterToastTarget(this);
        }
    }
    ~CTestWorker() override
    {
        if (m_bToastTarget) {
            UnregisterToastTarget(this);
        }
        StopWorker();
    }

    int StartCtrlProcess() override { return StartWorkerThread("CTestWorker::StartCtrlProcess"); }

    std::shared_ptr<SProbe> Probe() const { return m_pProbe; }

    using CBaseCtrlProcess::EWorkerQueue;

protected:
    void WorkerThreadMain() override
    {
        std::shared_ptr<SProbe> pProbe = m_pProbe;
        if (RunWorkerLoop("CTestWorker::WorkerThread", m_eQueue)) {
            LOG_PRINT(LOG_INFO, "[%s] Thread Exit", "CTestWorker::WorkerThread");
        }
        pProbe->finished.Set();
    }

    void HandleQueueData(int nEventType, const std::string& strData) override
    {
        Handle(nEventType, strData);
    }
    void HandleToastData(int nLevel, const std::string& strMsg) override { Handle(nLevel, strMsg); }

private:
    void Handle(int nKind, const std::string& strText)
    {
        // Only the local copy is used after the gate: the object may be gone.
        std::shared_ptr<SProbe> pProbe = m_pProbe;
        {
            std::lock_guard guard(pProbe->lock);
            pProbe->vecHandled.push_back(nKind);
            pProbe->vecTexts.push_back(strText);
            pProbe->vecHandledAt.push_back(Clock::now());
        }
        if (pProbe->fnOnHandle) {
            pProbe->fnOnHandle();
        }
        pProbe->changed.notify_all();
        if (nKind == pProbe->nBlockOn.load()) {
            pProbe->entered.Set();
            pProbe->gate.Wait(-1);
            return;
        }
        if (nKind == pProbe->nPopInside.load()) {
            int nEventType = 0;
            std::string strData;
            PopQueueCtrlData(nEventType, strData);
        }
    }

    const EWorkerQueue m_eQueue;
    const bool m_bToastTarget;
    std::shared_ptr<SProbe> m_pProbe = std::make_shared<SProbe>();
};

class BaseCtrlProcessTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_Folder.StartLog()); }
    std::string Log() const { return m_Folder.ReadCurrentLog(); }
    testsupport::CTempProgramFolder m_Folder;
};

TEST_F(BaseCtrlProcessTest, HundredPushesWhileBusyFitTheHundredFirstIsRefusedOrderKept)
{
    CTestWorker worker;
    std::shared_ptr<SProbe> pProbe = worker.Probe();
    pProbe->nBlockOn = 0;
    ASSERT_EQ(worker.StartCtrlProcess(), 0);
    ASSERT_EQ(worker.PushQueueCtrlData(0, "first"), 1);
    ASSERT_TRUE(pProbe->entered.Wait(10000));

    for (int i = 1; i <= 100; ++i) {
        ASSERT_EQ(worker.PushQueueCtrlData(i, "order " + std::to_string(i)), 1) << i;
    }
    EXPECT_EQ(worker.PushQueueCtrlData(101, "refused"), 0);
    EXPECT_EQ(worker.DataQueueCount(), 100);
    EXPECT_NE(Log().find("[ERROR] [CBaseCtrlProcess::PushQueueCtrlData] Queue Put Fail... "
                         "EventType [101] Queue MaxSize [100], Current Cnt [100]\r\n"),
              std::string::npos);

    pProbe->gate.Set();
    ASSERT_TRUE(pProbe->WaitHandled(101));
    std::vector<int> vecExpected(101);
    for (int i = 0; i <= 100; ++i) {
        vecExpected[i] = i;
    }
    EXPECT_EQ(pProbe->Handled(), vecExpected);
    std::lock_guard guard(pProbe->lock);
    EXPECT_EQ(pProbe->vecTexts[100], "order 100");
}

TEST_F(BaseCtrlProcessTest, FullToastQueueRefusesWithItsLine)
{
    CTestWorker worker;
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(worker.PushToastQueueCtrlData(1, "용지 없음"), 1) << i;
    }
    EXPECT_EQ(worker.PushToastQueueCtrlData(1, "용지 없음"), 0);
    EXPECT_NE(Log().find("[ERROR] [CBaseCtrlProcess::PushToastQueueCtrlData] Queue Put Fail... "
                         "Queue MaxSize [100], Current Cnt [100]\r\n"),
              std::string::npos);
}

TEST_F(BaseCtrlProcessTest, PopFromEmptyQueueFailsAndLogs)
{
    CTestWorker worker;
    int nKind = 7;
    std::string strText = "unchanged";
    EXPECT_EQ(worker.PopQueueCtrlData(nKind, strText), 0);
    EXPECT_EQ(worker.PopToastQueueCtrlData(nKind, strText), 0);
    EXPECT_EQ(nKind, 7);
    EXPECT_EQ(strText, "unchanged");
    for (const char* pszName :
         {"CBaseCtrlProcess::PopQueueCtrlData", "CBaseCtrlProcess::PopToastQueueCtrlData"}) {
        EXPECT_NE(Log().find(std::string("[ERROR] [") + pszName +
                             "] QueuePrint Pop QueueData Fail Queue Count [0]\r\n"),
                  std::string::npos)
            << pszName;
    }

    ASSERT_EQ(worker.PushQueueCtrlData(5, "주문"), 1);
    ASSERT_EQ(worker.PopQueueCtrlData(nKind, strText), 1);
    EXPECT_EQ(nKind, 5);
    EXPECT_EQ(strText, "주문");
}

// The pass pops as many items as it counted; when another consumer took
// one meanwhile, that position is logged and the loop goes on.
TEST_F(BaseCtrlProcessTest, PassGoesOnWhenAnotherConsumerEmptiedTheQueue)
{
    CTestWorker worker;
    std::shared_ptr<SProbe> pProbe = worker.Probe();
    pProbe->nBlockOn = 1;
    pProbe->nPopInside = 2;
    ASSERT_EQ(worker.StartCtrlProcess(), 0);
    worker.PushQueueCtrlData(1, "");
    ASSERT_TRUE(pProbe->entered.Wait(10000));
    worker.PushQueueCtrlData(2, ""); // its handler takes 3 out of the queue
    worker.PushQueueCtrlData(3, "");
    pProbe->gate.Set();
    const std::string strFailLine =
        "[ERROR] [CTestWorker::WorkerThread] QueueEvent Get QueueData Fail Index [1]\r\n";
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    while (Log().find(strFailLine) == std::string::npos && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_NE(Log().find(strFailLine), std::string::npos);
    worker.PushQueueCtrlData(4, "");
    ASSERT_TRUE(pProbe->WaitHandled(3));
    EXPECT_EQ(pProbe->Handled(), (std::vector<int>{1, 2, 4}));
}

TEST_F(BaseCtrlProcessTest, SecondStartReturnsZeroAndLogs)
{
    CTestWorker worker;
    EXPECT_FALSE(worker.IsRunning());
    ASSERT_EQ(worker.StartCtrlProcess(), 0);
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_EQ(worker.StartCtrlProcess(), 0);
    EXPECT_EQ(CountOf(Log(), "[INFO ] [CTestWorker::StartCtrlProcess] Already Running Thread\r\n"),
              1);
}

TEST_F(BaseCtrlProcessTest, NeverStartedControlLogsOneLineAndFreesItsItems)
{
    {
        CTestWorker worker;
        worker.PushQueueCtrlData(1, std::string(1000, 'x'));
        worker.PushQueueCtrlData(2, "주문서");
        worker.PushToastQueueCtrlData(3, "출력 실패"); // no toast control: own queue
        EXPECT_EQ(worker.DataQueueCount(), 2);
        EXPECT_EQ(worker.ToastQueueCount(), 1);
    } // the leak checker of the sanitizer build proves the items are freed
    std::string strLog = Log();
    EXPECT_EQ(CountOf(strLog, "Destructor Thread Exit"), 1);
    EXPECT_EQ(CountOf(strLog, "[INFO ] [CBaseCtrlProcess::~CBaseCtrlProcess] Destructor Thread "
                              "Exit Start\r\n"),
              1);
}

TEST_F(BaseCtrlProcessTest, RunningControlStopsWithinTheTimeout)
{
    std::shared_ptr<SProbe> pProbe;
    {
        CTestWorker worker;
        pProbe = worker.Probe();
        ASSERT_EQ(worker.StartCtrlProcess(), 0);
        worker.PushQueueCtrlData(1, "");
        ASSERT_TRUE(pProbe->WaitHandled(1));
    }
    EXPECT_TRUE(pProbe->finished.IsSet());
    std::string strLog = Log();
    EXPECT_EQ(CountOf(strLog, "[CBaseCtrlProcess::~CBaseCtrlProcess] Destructor Thread Exit Start"),
              2);
    EXPECT_EQ(CountOf(strLog, "[INFO ] [CBaseCtrlProcess::~CBaseCtrlProcess] Destructor Thread "
                              "Exit End\r\n"),
              1);
    EXPECT_EQ(CountOf(strLog, "Timeout"), 0);
    EXPECT_EQ(CountOf(strLog, "[INFO ] [CTestWorker::WorkerThread] Thread Exit\r\n"), 1);
}

// A worker stuck in a handler past the 3000 ms is abandoned: the WARN line,
// and once released its thread neither handles the queued item nor calls
// into the destroyed object.
TEST_F(BaseCtrlProcessTest, WorkerStuckPastTimeoutIsAbandonedSafely)
{
    auto pWorker = std::make_unique<CTestWorker>();
    std::shared_ptr<SProbe> pProbe = pWorker->Probe();
    pProbe->nBlockOn = 1;
    ASSERT_EQ(pWorker->StartCtrlProcess(), 0);
    pWorker->PushQueueCtrlData(1, "");
    ASSERT_TRUE(pProbe->entered.Wait(10000));
    pWorker->PushQueueCtrlData(2, "never handled");

    Clock::time_point start = Clock::now();
    pWorker.reset();
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(2900));

    std::string strLog = Log();
    EXPECT_NE(strLog.find("[WARN ] [CBaseCtrlProcess::~CBaseCtrlProcess] Destructor Thread Exit "
                          "Timeout. Terminate [1] [0x00000000]\r\n"),
              std::string::npos);
    EXPECT_EQ(CountOf(strLog, "Destructor Thread Exit End"), 1);

    pProbe->gate.Set();
    ASSERT_TRUE(pProbe->finished.Wait(10000));
    EXPECT_EQ(pProbe->Handled(), (std::vector<int>{1}));
    EXPECT_EQ(CountOf(Log(), "Thread Exit\r\n"), 0);
}

TEST_F(BaseCtrlProcessTest, ToastPushReachesTheOneToastControlFromAnyObject)
{
    CTestWorker producer;
    std::shared_ptr<SProbe> pToastProbe;
    {
        CTestWorker toast(CTestWorker::EWorkerQueue::Toast, true);
        pToastProbe = toast.Probe();
        ASSERT_EQ(toast.StartCtrlProcess(), 0);
        EXPECT_EQ(producer.PushToastQueueCtrlData(2, "프린터 연결 실패"), 1);
        EXPECT_EQ(toast.PushToastQueueCtrlData(4, "own"), 1);
        ASSERT_TRUE(pToastProbe->WaitHandled(2));
        EXPECT_EQ(producer.ToastQueueCount(), 0);
    }
    {
        std::lock_guard guard(pToastProbe->lock);
        EXPECT_EQ(pToastProbe->vecHandled, (std::vector<int>{2, 4}));
        EXPECT_EQ(pToastProbe->vecTexts[0], "프린터 연결 실패");
    }
    // The toast control is gone: the report stays with the caller.
    EXPECT_EQ(producer.PushToastQueueCtrlData(1, "after"), 1);
    int nLevel = 0;
    std::string strMsg;
    ASSERT_EQ(producer.PopToastQueueCtrlData(nLevel, strMsg), 1);
    EXPECT_EQ(nLevel, 1);
    EXPECT_EQ(strMsg, "after");
}

// The wait between passes ends when an item arrives. An item pushed just
// after a pass (the worker has gone to wait) would sit for a whole poll
// period in a polling worker; here it is handled at once. Generous bound.
TEST_F(BaseCtrlProcessTest, ItemPushedAfterAPassIsHandledWithoutPollDelay)
{
    CTestWorker worker;
    std::shared_ptr<SProbe> pProbe = worker.Probe();
    ASSERT_EQ(worker.StartCtrlProcess(), 0);
    std::vector<Clock::duration> vecLatency;
    for (int i = 0; i < 7; ++i) {
        Clock::time_point pushed = Clock::now();
        ASSERT_EQ(worker.PushQueueCtrlData(i, ""), 1);
        ASSERT_TRUE(pProbe->WaitHandled(static_cast<size_t>(i) + 1));
        std::lock_guard guard(pProbe->lock);
        vecLatency.push_back(pProbe->vecHandledAt[i] - pushed);
    }
    std::sort(vecLatency.begin(), vecLatency.end());
    EXPECT_LT(vecLatency[vecLatency.size() / 2], std::chrono::milliseconds(50));
}

// The kernel's count of times a thread of this process gave up the CPU
// of its own accord (a wait that slept); -1 when unreadable.
long VoluntarySwitches(uint32_t nThreadId)
{
    std::ifstream status("/proc/self/task/" + std::to_string(nThreadId) + "/status");
    for (std::string strLine; std::getline(status, strLine);) {
        if (strLine.rfind("voluntary_ctxt_switches:", 0) == 0) {
            return std::stol(strLine.substr(24));
        }
    }
    return -1;
}

// An idle worker sleeps until something happens: it does not wake up to
// look at an empty queue.
TEST_F(BaseCtrlProcessTest, IdleWorkerSleepsUntilAPush)
{
    CTestWorker worker;
    std::shared_ptr<SProbe> pProbe = worker.Probe();
    std::atomic<uint32_t> nWorkerThread{0};
    pProbe->fnOnHandle = [&nWorkerThread] { nWorkerThread = platform::GetCurrentThreadId(); };
    ASSERT_EQ(worker.StartCtrlProcess(), 0);
    ASSERT_EQ(worker.PushQueueCtrlData(1, ""), 1);
    ASSERT_TRUE(pProbe->WaitHandled(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // back in its wait
    long nBefore = VoluntarySwitches(nWorkerThread);
    ASSERT_GE(nBefore, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(650)); // six polls' worth
    EXPECT_LE(VoluntarySwitches(nWorkerThread) - nBefore, 1);

    ASSERT_EQ(worker.PushQueueCtrlData(2, ""), 1);
    ASSERT_TRUE(pProbe->WaitHandled(2));
}

} // namespace
