// The agent watchdog's loop with a scripted process test and a short check
// time: which test results count as losses, the daily run forced at the
// third loss, the give-up at the fourth, the pause flag, bad records, and
// a stop that ends the sleep.
#include "app/process_watchdog.h"
#include "app/watchdog_flag.h"
#include "app/window_messages.h"
#include "foundation/message_box.h"
#include "foundation/tesk_thread.h"
#include "foundation/window_sink.h"
#include "tests/support/child_process.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_data.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace {

using testsupport::ReadJsonLines;
using testsupport::WaitUntil;

// The process test's answers, one per call; "running" once they are used up.
std::vector<int> g_vScript;
std::atomic<size_t> g_nCalls{0};

int ScriptedProcessTest(const char* /*pszExeName*/)
{
    size_t nCall = g_nCalls.fetch_add(1);
    return nCall < g_vScript.size() ? g_vScript[nCall] : 1;
}

class ProcessWatchDogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        m_Folder.WriteFile("Config.ini", "[ORDER]\r\nLastDate=20240102\r\nLastNo=7\r\n");
        SetMessageBoxPresenter(MakeJournalMessageBoxPresenter(m_Folder.File("boxes.jsonl"), {}));
        InstallMainWindowSink(
            [this](unsigned nMsg, uintptr_t, intptr_t) {
                std::lock_guard lock(m_Lock);
                m_vPosts.push_back(nMsg);
                return true;
            },
            [](unsigned, uintptr_t, intptr_t) -> intptr_t { return 0; });
        SetProcessWatchDogThreadRun(1);
        g_nCalls = 0;
    }
    void TearDown() override
    {
        RemoveMainWindowSink();
        SetMessageBoxPresenter(nullptr);
        SetProcessWatchDogThreadRun(0);
    }

    static ProcessWatchDogInfo* NewRecord(uint32_t nCheckTimeMs = 2)
    {
        auto* pInfo = new ProcessWatchDogInfo{};
        std::strcpy(pInfo->szProcessName, "NUBEQ.exe");
        pInfo->nCheckTimeMs = nCheckTimeMs;
        pInfo->hNotiWnd = 1;
        pInfo->nNotiMessage = WM_NUBEQ_RUN;
        pInfo->pfnProcessTest = &ScriptedProcessTest;
        return pInfo;
    }

    // Runs the watchdog over the script, then a few more cycles (the agent
    // running), and stops it.
    void RunScript(std::vector<int> vScript)
    {
        g_vScript = std::move(vScript);
        CTeskThread thread(&ThreadProcessWatchDog);
        ASSERT_EQ(thread.Start(NewRecord()), 1);
        const size_t nEnough = g_vScript.size() + 5;
        EXPECT_TRUE(WaitUntil(
            [&] { return g_nCalls >= nEnough || thread.GetThreadStatus() == TESK_THREAD_ENDED; },
            10000));
        thread.Stop();
    }

    int Posts(unsigned nMsg)
    {
        std::lock_guard lock(m_Lock);
        return static_cast<int>(std::count(m_vPosts.begin(), m_vPosts.end(), nMsg));
    }
    std::string Log() const { return m_Folder.ReadCurrentLog(); }
    static size_t Count(const std::string& strText, const std::string& strPart)
    {
        size_t nCount = 0;
        for (size_t nAt = strText.find(strPart); nAt != std::string::npos;
             nAt = strText.find(strPart, nAt + 1)) {
            ++nCount;
        }
        return nCount;
    }

    testsupport::CTempProgramFolder m_Folder;
    std::mutex m_Lock;
    std::vector<unsigned> m_vPosts;
};

// What each run of test results adds up to, in restart requests (6024).
TEST_F(ProcessWatchDogTest, TestResultsCountAsLosses)
{
    struct SCase
    {
        const char* pszName;
        std::vector<int> vScript;
        int nLosses;
    } cases[] = {
        {"a test error between two running results", {1, -1, 1}, 0},
        {"two test errors in a row", {-1, -1}, 1},
        {"a -2 counts as nothing", {-2}, 0},
        {"a -2 does not reset the error count", {-1, -2, -1}, 1},
        {"running resets the error count", {-1, 1, -1}, 0},
        {"each test that finds it gone is a loss", {1, 0, 0}, 2},
        {"four test errors in a row", {-1, -1, -1, -1}, 2},
    };
    for (const SCase& c : cases) {
        {
            std::lock_guard lock(m_Lock);
            m_vPosts.clear();
        }
        g_nCalls = 0;
        RunScript(c.vScript);
        EXPECT_EQ(Posts(WM_NUBEQ_RUN), c.nLosses) << c.pszName;
        EXPECT_EQ(Posts(WM_ZELKOR_END), 0) << c.pszName;
    }
    std::string strLog = Log();
    EXPECT_NE(strLog.find("[DEBUG] [CZelkorDlg::ThreadProcessWatchDog] Start WatchDog ThreadID ["),
              std::string::npos);
    EXPECT_NE(strLog.find("] Process [NUBEQ.exe] CheckTime [0]"), std::string::npos);
    EXPECT_NE(strLog.find("[CZelkorDlg::ThreadProcessWatchDog] Not Running Process [NUBEQ.exe]"),
              std::string::npos);
    EXPECT_NE(strLog.find("[CZelkorDlg::ThreadProcessWatchDog] Message [6024] Send Success"),
              std::string::npos);
}

// Losses one and two ask for a plain restart; the third deletes LastDate
// first (the next start is a daily run); the fourth gives up: the box,
// then 3026. Running in between gives no loss back.
TEST_F(ProcessWatchDogTest, ThirdLossForcesADailyRunTheFourthGivesUp)
{
    g_vScript = {0, 1, 0, 1, 0, 1, 1, 0};
    CTeskThread thread(&ThreadProcessWatchDog);
    ASSERT_EQ(thread.Start(NewRecord()), 1);
    ASSERT_TRUE(WaitUntil([&] { return thread.GetThreadStatus() == TESK_THREAD_ENDED; }, 10000));
    EXPECT_EQ(thread.GetExitCode(), 0);
    EXPECT_EQ(g_nCalls, g_vScript.size()); // no test after giving up
    EXPECT_EQ(Posts(WM_NUBEQ_RUN), 3);
    EXPECT_EQ(Posts(WM_ZELKOR_END), 1);
    std::string strConfig = m_Folder.ReadFile("Config.ini");
    EXPECT_EQ(strConfig.find("LastDate"), std::string::npos);
    EXPECT_NE(strConfig.find("LastNo=7"), std::string::npos);

    std::vector<Json::Value> vBoxes = ReadJsonLines(m_Folder.File("boxes.jsonl"));
    ASSERT_EQ(vBoxes.size(), 1u);
    EXPECT_EQ(vBoxes[0]["text"].asString(),
              "미르벨 실행에 문제가 발생했습니다.\r\n프로그램 종료 후 고객센터(1599-0000)로 "
              "연락주세요.");
    EXPECT_EQ(vBoxes[0]["caption"].asString(), "Zelkor");
    EXPECT_EQ(vBoxes[0]["buttons"].asString(), "OK");
    EXPECT_EQ(vBoxes[0]["icon"].asString(), "none");
    EXPECT_FALSE(vBoxes[0]["owner"].asBool());

    std::string strLog = Log();
    for (int nCount : {1, 2, 3, 100}) {
        EXPECT_NE(strLog.find("NUBEQ.exe execute count : " + std::to_string(nCount) +
                              " (100 is defined exit code)."),
                  std::string::npos)
            << nCount;
    }
    size_t nDaily = strLog.find("[CZelkorDlg::ThreadProcessWatchDog] Try to run NUBEQ.exe with "
                                "dailyrun.");
    size_t nGiveUp = strLog.find("Some problem occured with execute NUBEQ.exe.");
    size_t nConfirmed = strLog.find("[INFO ] [CZelkorDlg::ThreadProcessWatchDog] 미르벨 "
                                    "종료메세지 창 확인.");
    ASSERT_NE(nDaily, std::string::npos);
    EXPECT_LT(nDaily, nGiveUp);
    EXPECT_LT(nGiveUp, nConfirmed);
    EXPECT_EQ(Count(strLog, "Try to run NUBEQ.exe with dailyrun."), 1u);
    // The value changes are logged, not every test.
    EXPECT_EQ(Count(strLog, "Process RunningValue Change [1]"), 3u);
}

// A failed post is logged and counted as a loss all the same.
TEST_F(ProcessWatchDogTest, FailedPostStillCountsAsALoss)
{
    RemoveMainWindowSink();
    RunScript({0, 0, 0, 0});
    std::string strLog = Log();
    EXPECT_EQ(Count(strLog, "[ERROR] [CZelkorDlg::ThreadProcessWatchDog] Message [6024] Send "
                            "Fail... [0x00000578]"),
              3u);
    EXPECT_NE(strLog.find("NUBEQ.exe execute count : 100"), std::string::npos);
}

// With the flag at 0 (exit question open, suspended) nothing is tested.
TEST_F(ProcessWatchDogTest, PausedWatchDogDoesNotTest)
{
    SetProcessWatchDogThreadRun(0);
    g_vScript = {0, 0, 0, 0};
    CTeskThread thread(&ThreadProcessWatchDog);
    ASSERT_EQ(thread.Start(NewRecord()), 1);
    EXPECT_TRUE(WaitUntil(
        [&] { return Count(Log(), "GetProcessWatchDogThreadRun FALSE... Not Check") >= 5; },
        10000));
    thread.Stop();
    EXPECT_EQ(g_nCalls, 0u);
    EXPECT_EQ(Posts(WM_NUBEQ_RUN), 0);
}

TEST_F(ProcessWatchDogTest, BadRecordsEndTheThreadAtOnce)
{
    struct SCase
    {
        const char* pszName;
        void (*pfnBreak)(ProcessWatchDogInfo&);
        const char* pszLog;
    } cases[] = {
        {"empty name", [](ProcessWatchDogInfo& info) { info.szProcessName[0] = '\0'; },
         "[ERROR] [CZelkorDlg::ThreadProcessWatchDog] Check ProcessName Empty"},
        {"no window", [](ProcessWatchDogInfo& info) { info.hNotiWnd = 0; },
         "[ERROR] [CZelkorDlg::ThreadProcessWatchDog] NotiMessageHandle NULL"},
        {"no check time", [](ProcessWatchDogInfo& info) { info.nCheckTimeMs = 0; },
         "[ERROR] [CZelkorDlg::ThreadProcessWatchDog] CheckTime Zero"},
    };
    for (const SCase& c : cases) {
        ProcessWatchDogInfo* pInfo = NewRecord();
        c.pfnBreak(*pInfo);
        EXPECT_EQ(ThreadProcessWatchDog(pInfo), 0) << c.pszName; // frees the record
        EXPECT_NE(Log().find(c.pszLog), std::string::npos) << c.pszName;
    }
    EXPECT_EQ(ThreadProcessWatchDog(nullptr), 0);
    EXPECT_NE(Log().find("[ERROR] [CZelkorDlg::ThreadProcessWatchDog] Input Param NULL!!!"),
              std::string::npos);
    EXPECT_EQ(g_nCalls, 0u);
}

std::atomic<bool> g_bReturned{false};

int32_t ObservedWatchDog(void* pParam)
{
    int32_t nResult = ThreadProcessWatchDog(pParam);
    g_bReturned = true;
    return nResult;
}

// A stop during the 120 s sleep ends the thread at once: with a stop
// time-out of 100 ms the routine has returned by the time Stop does,
// instead of the thread being let go still asleep.
TEST_F(ProcessWatchDogTest, StopDuringTheSleepEndsTheThreadWithin100Ms)
{
    g_bReturned = false;
    CTeskThread thread(&ObservedWatchDog);
    thread.SetStopTimeoutMs(100);
    ASSERT_EQ(thread.Start(NewRecord(120000)), 1);
    ASSERT_TRUE(
        WaitUntil([&] { return Log().find("CheckTime [120]") != std::string::npos; }, 10000));
    EXPECT_EQ(thread.Stop(), 1);
    EXPECT_TRUE(g_bReturned);
    EXPECT_EQ(g_nCalls, 0u);
}

TEST(WatchDogCheckTimeTest, TwoMinutesUnlessTheEnvironmentSaysOtherwise)
{
    struct SCase
    {
        const char* pszValue; // null: unset
        uint32_t nExpected;
    } cases[] = {
        {nullptr, 120000}, {"250", 250},   {"", 120000},       {"0", 120000},
        {"12x", 120000},   {"-5", 120000}, {"999999", 120000},
    };
    for (const SCase& c : cases) {
        if (c.pszValue == nullptr) {
            unsetenv("ZELKOR_WATCHDOG_CHECK_MS");
        } else {
            setenv("ZELKOR_WATCHDOG_CHECK_MS", c.pszValue, 1);
        }
        EXPECT_EQ(WatchDogCheckTimeMs(), c.nExpected) << (c.pszValue ? c.pszValue : "unset");
    }
    unsetenv("ZELKOR_WATCHDOG_CHECK_MS");
}

} // namespace
