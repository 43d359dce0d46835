// The main window on a test host: copy-data intake (and the full queue),
// the run request timer, power events, the exit question, the messages the
// endpoint takes from other processes, and the agent start.
#include "app/poll_window_host.h"
#include "app/shell_parts.h"
#include "app/watchdog_flag.h"
#include "app/zelkor_dlg.h"
#include "foundation/message_box.h"
#include "foundation/simple_log.h"
#include "foundation/window_sink.h"
#include "pipeline/ctrl_processes.h"
#include "pipeline/event_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "platform/window_endpoint_client.h"
#include "printing/printer_setting.h"
#include "res/string_table.h"
#include "tests/support/agent_journal.h"
#include "tests/support/program_folder.h"
#include "tests/support/runtime_dir.h"
#include "tests/support/test_data.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

using testsupport::ReadJsonLines;
using testsupport::TodayDate;

// The poll host, except that the end of the session is only recorded.
class CTestWindowHost : public CPollWindowHost
{
public:
    void ExitProcessNow(int nExitCode) override
    {
        if (m_fnAtExit) {
            m_fnAtExit();
        }
        m_nExitCode = nExitCode;
        EndLoop(-1);
    }
    int m_nExitCode = -1;
    std::function<void()> m_fnAtExit; // what the test looks at when the exit comes
};

// Counts what the main window asks of the shell pieces.
class CCountingParts : public CShellParts
{
public:
    void ShowSettingsDialog(CZelkorDlg&) override { ++nSettingsShown; }
    int nSettingsShown = 0;
};

class ZelkorDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        RegisterStringTable();
        std::filesystem::copy_file(ZELKOR_STUB_AGENT_LIB, m_Folder.File("libNUBEQ_IF.so"));
        WriteConfig("[POS]\r\nNobizer=1234567890\r\nStoreId=ST1\r\nUserId=boss\r\n[ORDER]\r\n"
                    "LastDate=" +
                    TodayDate() + "\r\n");
        SetMessageBoxPresenter(MakeJournalMessageBoxPresenter(m_Folder.File("boxes.jsonl"), {}));
    }
    void TearDown() override
    {
        SetMessageBoxPresenter(nullptr);
        int nType = 0;
        std::string strData;
        while (EventCtrlProcess().DataQueueCount() > 0) {
            EventCtrlProcess().PopQueueCtrlData(nType, strData);
        }
    }

    void WriteConfig(const std::string& strText) { m_Folder.WriteFile("Config.ini", strText); }
    std::string Log() const { return m_Folder.ReadCurrentLog(); }
    std::vector<std::string> JournalCalls() const
    {
        return testsupport::AgentJournalCalls(m_Folder.File("agent_journal.jsonl"));
    }

    testsupport::CTempProgramFolder m_Folder;
    testsupport::CTempRuntimeDir m_Runtime;
    CTestWindowHost m_Host;
    CCountingParts m_Parts;
};

TEST_F(ZelkorDlgTest, CopyDataGoesToTheEventQueueAsText)
{
    CZelkorDlg dlg(m_Host, m_Parts);
    const char aBlock[] = "[{\"a\":1}]\0tail";
    struct SCase
    {
        const char* pszName;
        bool bRecord;
        const void* pData;
        uint32_t nSize;
        const char* pszQueued; // null: nothing queued
        const char* pszLog;
    } cases[] = {
        {"null record", false, nullptr, 0, nullptr,
         "[ERROR] [CZelkorDlg::OnCopyData] CopyDataStruct NULL"},
        {"null data", true, nullptr, 0, "",
         "[WARN ] [CZelkorDlg::OnCopyData] CopyDataStruct lpData NULL, Type [36001] !!!"},
        {"up to the first NUL", true, aBlock, sizeof(aBlock), "[{\"a\":1}]",
         "Push Data Success Type [36001] Data [[{\"a\":1}]]"},
        {"no NUL: the block's end", true, aBlock, 5, "[{\"a\"", "Data [[{\"a\"]"},
    };
    for (const SCase& c : cases) {
        COPYDATASTRUCT record;
        record.dwData = 36001;
        record.cbData = c.nSize;
        record.lpData = c.pData;
        EXPECT_EQ(dlg.OnCopyData(c.bRecord ? &record : nullptr), 1) << c.pszName;
        int nType = 0;
        std::string strData;
        if (c.pszQueued == nullptr) {
            EXPECT_EQ(EventCtrlProcess().DataQueueCount(), 0) << c.pszName;
        } else {
            ASSERT_EQ(EventCtrlProcess().PopQueueCtrlData(nType, strData), 1) << c.pszName;
            EXPECT_EQ(nType, 36001);
            EXPECT_EQ(strData, c.pszQueued) << c.pszName;
        }
        EXPECT_NE(Log().find(c.pszLog), std::string::npos) << c.pszName;
    }
}

// A full queue: the agent is told the event was not taken (0) so it can
// send it again, and a level-0 report goes to the webhook.
TEST_F(ZelkorDlgTest, FullEventQueueAnswersZeroAndReports)
{
    CZelkorDlg dlg(m_Host, m_Parts);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(EventCtrlProcess().PushQueueCtrlData(36001, "[]"), 1);
    }
    const int nReports = ToastCtrlProcess().ToastQueueCount();
    COPYDATASTRUCT record;
    record.dwData = 36003;
    record.cbData = 3;
    record.lpData = "[]";
    EXPECT_EQ(dlg.OnCopyData(&record), 0);
    EXPECT_EQ(ToastCtrlProcess().ToastQueueCount(), nReports + 1);
    int nLevel = -1;
    std::string strReport;
    ASSERT_EQ(ToastCtrlProcess().PopToastQueueCtrlData(nLevel, strReport), 1);
    EXPECT_EQ(nLevel, 0);
    EXPECT_EQ(strReport, "[CZelkorDlg::OnCopyData] EventCtrlProcess Push Data Fail Type [36003]");
    EXPECT_NE(
        Log().find("Queue Put Fail... EventType [36003] Queue MaxSize [100], Current Cnt [100]"),
        std::string::npos);
}

// 6024 asks for an agent check 100 ms later (several requests, one check);
// the tick checks, starts the agent and lets the watchdog test again.
// Suspend kills the timer and pauses the watchdog; resume sets it to 10 s.
TEST_F(ZelkorDlgTest, RunRequestsPowerEventsAndTheTimer)
{
    CZelkorDlg dlg(m_Host, m_Parts);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dlg.WindowProc(WM_NUBEQ_RUN, 0, 0), 0);
    }
    EXPECT_EQ(m_Host.TimerElapse(TIMER_NUBEQ_RUN), 100);
    SetProcessWatchDogThreadRun(0);
    ASSERT_EQ(m_Host.TimerSets(), 3);
    dlg.WindowProc(WM_TIMER, TIMER_NUBEQ_RUN, 0);       // the tick
    EXPECT_EQ(m_Host.TimerElapse(TIMER_NUBEQ_RUN), -1); // one tick only
    EXPECT_EQ(GetProcessWatchDogThreadRun(), 1);
    std::vector<std::string> vCalls = JournalCalls();
    ASSERT_FALSE(vCalls.empty());
    EXPECT_EQ(vCalls.back(), "ProcessRun");
    EXPECT_EQ(std::count(vCalls.begin(), vCalls.end(), "ProcessRun"), 1);

    dlg.WindowProc(WM_NUBEQ_RUN, 0, 0);
    dlg.WindowProc(WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(m_Host.TimerElapse(TIMER_NUBEQ_RUN), -1);
    EXPECT_EQ(GetProcessWatchDogThreadRun(), 0);
    dlg.WindowProc(WM_POWERBROADCAST, 10, 0); // another power event: nothing
    EXPECT_EQ(m_Host.TimerElapse(TIMER_NUBEQ_RUN), -1);
    dlg.WindowProc(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(m_Host.TimerElapse(TIMER_NUBEQ_RUN), 10000);
    EXPECT_EQ(GetProcessWatchDogThreadRun(), 0); // until the tick
    std::string strLog = Log();
    EXPECT_NE(strLog.find("[TRACE] [CZelkorDlg::OnPowerBroadcast] Call EventID [4]"),
              std::string::npos);
    EXPECT_NE(strLog.find("[TRACE] [CZelkorDlg::OnPowerBroadcast] KillTimer TIMER_NUBEQ_RUN"),
              std::string::npos);
    EXPECT_NE(
        strLog.find("[TRACE] [CZelkorDlg::OnPowerBroadcast] SetTimer TIMER_NUBEQ_RUN 10 second"),
        std::string::npos);
}

// The tray's exit command asks first: No keeps the program (and the
// watchdog) running, Yes ends the dialog.
TEST_F(ZelkorDlgTest, ExitQuestionNoKeepsRunningYesEnds)
{
    SetMessageBoxPresenter(
        MakeJournalMessageBoxPresenter(m_Folder.File("boxes.jsonl"), {IDNO, IDYES}));
    CZelkorDlg dlg(m_Host, m_Parts);
    dlg.WindowProc(WM_COMMAND, ID_TRAY_CLOSE, 0);
    EXPECT_FALSE(dlg.IsEnded());
    EXPECT_EQ(GetProcessWatchDogThreadRun(), 1);
    dlg.WindowProc(WM_COMMAND, ID_TRAY_CLOSE, 0);
    EXPECT_TRUE(dlg.IsEnded());

    std::vector<Json::Value> vBoxes = ReadJsonLines(m_Folder.File("boxes.jsonl"));
    ASSERT_EQ(vBoxes.size(), 2u);
    EXPECT_EQ(vBoxes[0]["id"].asInt(), 109);
    EXPECT_EQ(vBoxes[0]["text"].asString(), "Zelkor 프로그램을 종료하시겠습니까?");
    EXPECT_EQ(vBoxes[0]["buttons"].asString(), "YESNO");
    EXPECT_EQ(vBoxes[0]["icon"].asString(), "information");
    EXPECT_TRUE(vBoxes[0]["topmost"].asBool());
    EXPECT_TRUE(vBoxes[0]["owner"].asBool());
    std::string strLog = Log();
    EXPECT_NE(strLog.find("[INFO ] [CZelkorDlg::OnTrayMenuClose] Messagebox : Zelkor 프로그램을 "
                          "종료하시겠습니까?"),
              std::string::npos);
    EXPECT_NE(strLog.find("Process Close Check Value [7] (YES(6) = Close)"), std::string::npos);
    EXPECT_NE(strLog.find("[CZelkorDlg::OnTrayMenuClose] Process Close Cancel"), std::string::npos);
    EXPECT_NE(strLog.find("[CZelkorDlg::OnTrayMenuClose] Process Close End"), std::string::npos);
}

// The window's whole life with a peer process on its endpoint: copy-data
// and the settings command are taken, the toast message (a pointer in
// lParam) and unknown commands are refused, WM_CLOSE ends it; the agent is
// ended and the endpoint's files go.
TEST_F(ZelkorDlgTest, EndpointTakesOnlyItsMessagesAndCloseEndsTheWindow)
{
    std::vector<platform::SWindowReply> vReplies;
    std::thread peer([&] {
        intptr_t hWnd = 0;
        for (int i = 0; i < 2000 && hWnd == 0; ++i) {
            hWnd = platform::FindRegisteredWindow(ZELKOR_WINDOW_CLASS, ZELKOR_WINDOW_TITLE);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        auto fnSend = [&](unsigned nMsg, uint64_t wParam, int64_t lParam, std::string strPayload) {
            platform::SWindowFrame frame;
            frame.nMessage = nMsg;
            frame.wParam = wParam;
            frame.lParam = lParam;
            frame.strPayload = std::move(strPayload);
            platform::SWindowReply reply{9, -9};
            std::string strError;
            platform::SendWindowMessage(hWnd, frame, reply, 10000, strError);
            vReplies.push_back(reply);
        };
        fnSend(WM_COPYDATA, 0, 36004, std::string("{}\0", 3));
        fnSend(WM_TRAY_SHOW_TOAST, 0, 0x12345678, "");
        fnSend(WM_COMMAND, 40000, 0, "");
        fnSend(WM_COMMAND, ID_TRAY_PRINTSETTING, 0, "");
        fnSend(WM_CLOSE, 0, 0, "");
    });
    std::string strSocket;
    {
        CZelkorDlg dlg(m_Host, m_Parts);
        EXPECT_EQ(dlg.DoModal(), IDD_RESULT_CANCEL);
        peer.join();
        EXPECT_EQ(dlg.GetSafeHwnd(), 0);
    }
    ASSERT_EQ(vReplies.size(), 5u);
    EXPECT_EQ(vReplies[0].nStatus, platform::WINDOW_REPLY_HANDLED);
    EXPECT_EQ(vReplies[0].nResult, 1);
    EXPECT_EQ(vReplies[1].nStatus, platform::WINDOW_REPLY_REFUSED);
    EXPECT_EQ(vReplies[1].nResult, 0);
    EXPECT_EQ(vReplies[2].nStatus, platform::WINDOW_REPLY_REFUSED);
    EXPECT_EQ(vReplies[3].nStatus, platform::WINDOW_REPLY_HANDLED);
    EXPECT_EQ(vReplies[4].nStatus, platform::WINDOW_REPLY_HANDLED);
    EXPECT_EQ(m_Parts.nSettingsShown, 1);
    EXPECT_EQ(m_Host.LoopRuns(), 1);

    std::vector<std::string> vCalls = JournalCalls();
    EXPECT_EQ(vCalls.back(), "ProcessEnd");
    EXPECT_EQ(platform::FindRegisteredWindow(ZELKOR_WINDOW_CLASS, ZELKOR_WINDOW_TITLE), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_Runtime.Path()),
                            std::filesystem::directory_iterator()),
              0);
    std::string strLog = Log();
    EXPECT_NE(strLog.find("[WARN ] [CZelkorDlg::OnEndpointMessage] Message [10025] wParam [0] "
                          "lParam [305419896] from pid ["),
              std::string::npos);
    EXPECT_NE(strLog.find("[INFO ] [CZelkorDlg::OnDestroy] Destroy Process."), std::string::npos);
    EXPECT_FALSE(HasMainWindowSink());
}

// The agent start: the shop identity handed to the library in its order,
// a plain run on a day the agent already ran, a daily run otherwise; a
// shop that must register first, or a failed run, ends the program.
// The end of the session exits without destructors, so the wait numbers'
// sync still pending then is waited for first; one that hangs holds the
// exit for two seconds at most, and says so. The process-wide workers can
// be started once per process, so this runs where the agent start has not.
TEST_F(ZelkorDlgTest, EndOfSessionSyncsTheWaitNumbersFirst)
{
    if (EventCtrlProcess().IsRunning()) {
        GTEST_SKIP() << "the workers already run in this process";
    }
    std::mutex lock;
    std::condition_variable changed;
    bool bHold = true;
    int nEntered = 0;
    int nSynced = 0;
    EventCtrlProcess().SetConfigSync([&] {
        std::unique_lock<std::mutex> guard(lock);
        ++nEntered;
        changed.notify_all();
        changed.wait(guard, [&] { return !bHold; });
        ++nSynced;
        return true;
    });
    WriteConfig("[POS]\r\nNobizer=1234567890\r\nStoreId=ST1\r\nUserId=boss\r\n[ORDER]\r\n"
                "StartNo=1\r\nLastNo=1\r\nLastDate=" +
                TodayDate() + "\r\n");
    PrinterSetting().SetConfigFilePath(m_Folder.File("Config.ini").c_str());
    ASSERT_EQ(PrinterSetting().ReadFilePrintInfo(1), 1);
    CZelkorDlg dlg(m_Host, m_Parts);
    ASSERT_EQ(dlg.RunFenwaAgentStartProcess(1), 0);
    auto acceptAndWaitForTheSync = [&](int nSyncs) {
        ASSERT_EQ(
            EventCtrlProcess().PushQueueCtrlData(36001, testsupport::UnnumberedPickupOrders(1)), 1);
        std::unique_lock<std::mutex> guard(lock);
        ASSERT_TRUE(
            changed.wait_for(guard, std::chrono::seconds(10), [&] { return nEntered == nSyncs; }));
    };
    auto release = [&] {
        std::lock_guard<std::mutex> guard(lock);
        bHold = false;
        changed.notify_all();
    };

    // A slow sync: released while the exit waits for it.
    acceptAndWaitForTheSync(1);
    int nSyncedAtExit = -1;
    m_Host.m_fnAtExit = [&] {
        std::lock_guard<std::mutex> guard(lock);
        nSyncedAtExit = nSynced;
    };
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        release();
    });
    dlg.OnQueryEndSession();
    releaser.join();
    EXPECT_EQ(m_Host.m_nExitCode, 1);
    EXPECT_EQ(nSyncedAtExit, 1);
    EXPECT_EQ(Log().find("Sync Not Finished"), std::string::npos);

    // A sync that hangs: the exit comes anyway, after the time limit.
    {
        std::lock_guard<std::mutex> guard(lock);
        bHold = true;
    }
    acceptAndWaitForTheSync(2);
    m_Host.m_nExitCode = -1;
    dlg.OnQueryEndSession();
    EXPECT_EQ(m_Host.m_nExitCode, 1);
    EXPECT_EQ(nSyncedAtExit, 1);
    EXPECT_NE(Log().find("[ERROR] [CZelkorDlg::OnQueryEndSession] Config.ini Sync Not Finished In "
                         "[2000] ms"),
              std::string::npos);
    release();
    EXPECT_TRUE(EventCtrlProcess().DrainConfigSync(10000));
}

TEST_F(ZelkorDlgTest, AgentStartCases)
{
    const std::string strIdentity = "[POS]\r\nNobizer=1234567890\r\nStoreId=ST1\r\nUserId=boss\r\n";
    struct SCase
    {
        const char* pszName;
        std::string strConfig;
        std::string strResults; // agent_stub.ini
        int nStart;             // RunFenwaAgentStartProcess
        bool bEnded;
        std::vector<std::string> vCalls;
    } cases[] = {
        {"same day: plain run",
         strIdentity + "[ORDER]\r\nLastDate=" + TodayDate() + "\r\n",
         "",
         0,
         false,
         {"SetData userid=boss", "SetData registernumber=1234567890", "SetData posid=ST1",
          "SetData orgno=1", "SetData pos_type=install", "ProcessRun"}},
        {"new day: daily run",
         "[POS]\r\nStoreId=ST1\r\n[ORDER]\r\nLastDate=20200101\r\n",
         "",
         0,
         false,
         {"SetData posid=ST1", "SetData orgno=1", "SetData pos_type=install", "DailyRun"}},
        {"no shop identity: registration (none in this build) cancelled",
         "[ORDER]\r\nLastDate=20200101\r\n",
         "",
         -1,
         true,
         {}},
        {"the run fails",
         strIdentity + "[ORDER]\r\nLastDate=" + TodayDate() + "\r\n",
         "[RESULTS]\r\nProcessRun=0\r\n",
         -1,
         true,
         {"SetData userid=boss", "SetData registernumber=1234567890", "SetData posid=ST1",
          "SetData orgno=1", "SetData pos_type=install", "ProcessRun"}},
    };
    for (const SCase& c : cases) {
        WriteConfig(c.strConfig);
        m_Folder.WriteFile("agent_stub.ini", c.strResults);
        std::filesystem::remove(m_Folder.File("agent_journal.jsonl"));
        CZelkorDlg dlg(m_Host, m_Parts);
        EXPECT_EQ(dlg.RunFenwaAgentStartProcess(1), c.nStart) << c.pszName;
        EXPECT_EQ(dlg.IsEnded(), c.bEnded) << c.pszName;
        EXPECT_EQ(JournalCalls(), c.vCalls) << c.pszName;
    }
    // The workers run after a good start.
    EXPECT_TRUE(EventCtrlProcess().IsRunning());
}

} // namespace
