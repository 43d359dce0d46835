// The main window's part in agent supervision, on a test host: the
// watchdog's start (and a thread that cannot start), a failed restart
// reported before the end, the toast hand-off (one toast at a time, the
// sender held, the record freed on every path), the start guard, and the
// two re-registration messages with the scripted registration.
#include "app/poll_window_host.h"
#include "app/scripted_shop_registration.h"
#include "app/shell_parts.h"
#include "app/shop_registration.h"
#include "app/toast_hand_off.h"
#include "app/watchdog_flag.h"
#include "app/zelkor_dlg.h"
#include "foundation/message_box.h"
#include "foundation/tesk_thread.h"
#include "foundation/wait.h"
#include "pipeline/ctrl_processes.h"
#include "pipeline/event_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "res/string_table.h"
#include "tests/support/agent_journal.h"
#include "tests/support/child_process.h"
#include "tests/support/program_folder.h"
#include "tests/support/runtime_dir.h"
#include "tests/support/test_data.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>

namespace {

using testsupport::AgentJournalCalls;
using testsupport::TodayDate;
using testsupport::WaitUntil;
using Clock = std::chrono::steady_clock;

// The host whose loop the waits of the main thread pump.
CPollWindowHost* g_pPumpHost = nullptr;

void PumpPollHost(int nMaxWaitMs)
{
    if (g_pPumpHost != nullptr) {
        g_pPumpHost->RunPending(nMaxWaitMs);
    }
}

// A toast window that closes by itself nCloseMs after it was shown.
class CFakeToastWindow : public IToastWindow
{
public:
    bool IsToastOpen() override { return m_bShown && Clock::now() < m_CloseAt; }
    void RaiseToast() override { ++m_nRaised; }
    void ShowToast(const std::string& strTitle, const std::string& strBody,
                   int32_t nAutoCloseSec) override
    {
        ++m_nShown;
        m_bShown = true;
        m_strTitle = strTitle;
        m_strBody = strBody;
        m_nAutoCloseSec = nAutoCloseSec;
        m_CloseAt = Clock::now() + std::chrono::milliseconds(m_nCloseMs);
    }

    int m_nCloseMs = 300;
    std::atomic<bool> m_bShown{false};
    Clock::time_point m_CloseAt;
    int m_nShown = 0;
    int m_nRaised = 0;
    std::string m_strTitle;
    std::string m_strBody;
    int32_t m_nAutoCloseSec = -1;
};

// The shell with a tray (or none) and the fake toast behind it.
class CTrayParts : public CShellParts
{
public:
    bool HasTrayIcon() const override { return m_bTray; }
    void ShowToastNotify(CZelkorDlg&, const ToastRequestInfo& info) override
    {
        ::ShowToastNotify(m_Toast, &info);
    }
    std::unique_ptr<IShopRegistration>
    CreateShopRegistration(CZelkorDlg& dlg, const std::string& strBizNo,
                           const std::string& strStoreId) override
    {
        if (m_pfnRegistration) {
            return m_pfnRegistration(dlg);
        }
        return CShellParts::CreateShopRegistration(dlg, strBizNo, strStoreId);
    }

    bool m_bTray = true;
    CFakeToastWindow m_Toast;
    std::function<std::unique_ptr<IShopRegistration>(CZelkorDlg&)> m_pfnRegistration;
};

class ZelkorDlgSupervisionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        RegisterStringTable();
        std::filesystem::copy_file(ZELKOR_STUB_AGENT_LIB, m_Folder.File("libNUBEQ_IF.so"));
        WriteConfig(strIdentity + "[ORDER]\r\nLastDate=" + TodayDate() + "\r\n");
        SetMessageBoxPresenter(MakeJournalMessageBoxPresenter(m_Folder.File("boxes.jsonl"), {}));
        g_pPumpHost = &m_Host;
        SetMessagePumpHook(&PumpPollHost);
        unsetenv("ZELKOR_WATCHDOG_CHECK_MS");
    }
    void TearDown() override
    {
        SetMessagePumpHook(nullptr);
        g_pPumpHost = nullptr;
        SetMessageBoxPresenter(nullptr);
        unsetenv("ZELKOR_SHOP_REGISTRATION");
    }

    void WriteConfig(const std::string& strText) { m_Folder.WriteFile("Config.ini", strText); }
    std::string Log() const { return m_Folder.ReadCurrentLog(); }
    std::vector<std::string> JournalCalls() const
    {
        return AgentJournalCalls(m_Folder.File("agent_journal.jsonl"));
    }

    const std::string strIdentity = "[POS]\r\nNobizer=1234567890\r\nStoreId=ST1\r\n";
    testsupport::CTempProgramFolder m_Folder;
    testsupport::CTempRuntimeDir m_Runtime;
    CPollWindowHost m_Host;
    CTrayParts m_Parts;
};

TEST_F(ZelkorDlgSupervisionTest, WatchDogRunsWithTheWindowAndStopsWithIt)
{
    SetProcessWatchDogThreadRun(0);
    {
        CZelkorDlg dlg(m_Host, m_Parts);
        bool bStarted = false;
        m_Host.PostToMainThread([&] {
            bStarted = WaitUntil(
                [&] {
                    return Log().find("Process [NUBEQ.exe] CheckTime [120]") != std::string::npos;
                },
                10000);
            EXPECT_EQ(GetProcessWatchDogThreadRun(), 1);
            dlg.EndDialog(IDD_RESULT_OK);
        });
        EXPECT_EQ(dlg.DoModal(), IDD_RESULT_OK);
        EXPECT_TRUE(bStarted);
    }
    // The destructor paused it and ended its 120 s sleep at once.
    EXPECT_EQ(GetProcessWatchDogThreadRun(), 0);
    EXPECT_NE(Log().find("[CTeskThread::Stop] TerminateThread !!!"), std::string::npos);
}

// Starting the watchdog checks that its thread started: a thread object
// that cannot start (or none at all) gives FALSE, the record is freed
// (LeakSanitizer), the window logs it and the flag stays 0.
TEST_F(ZelkorDlgSupervisionTest, WatchDogThatCannotStartIsReportedNotPretended)
{
    class CDlgWithoutThread : public CZelkorDlg
    {
    public:
        CDlgWithoutThread(IWindowHost& host, CShellParts& parts, bool bObject)
            : CZelkorDlg(host, parts), m_bObject(bObject)
        {
        }

    protected:
        CTeskThread* NewWatchDogThread() override
        {
            return m_bObject ? new CTeskThread(nullptr) : nullptr; // no routine: no thread
        }

    private:
        bool m_bObject;
    };
    for (bool bObject : {true, false}) {
        SetProcessWatchDogThreadRun(0);
        CDlgWithoutThread dlg(m_Host, m_Parts, bObject);
        EXPECT_EQ(dlg.OnInitDialog(), 1);
        EXPECT_FALSE(dlg.IsEnded());
        EXPECT_EQ(GetProcessWatchDogThreadRun(), 0) << bObject;
        EXPECT_NE(Log().find("[ERROR] [CZelkorDlg::OnInitDialog] Start Failed NUBEQ WatchDog "
                             "Thread"),
                  std::string::npos);
    }
    EXPECT_NE(Log().find("[ERROR] [CZelkorDlg::StartNUBEQProcessWatchDogThread] "
                         "TeskThreadProcessWatchDog NULL Pointer !!!"),
              std::string::npos);
}

// A worker whose thread cannot be created (no address space left for its
// stack): string 119 in an error box, and the start goes on as a success
// (the program keeps running with the watchdog, that worker missing).
TEST_F(ZelkorDlgSupervisionTest, WorkerThatCannotStartShowsString119AndGoesOn)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers own the address space";
#else
    CZelkorDlg dlg(m_Host, m_Parts);
    std::string strStatus = testsupport::ReadWholeFile("/proc/self/status");
    size_t nAt = strStatus.find("VmSize:");
    ASSERT_NE(nAt, std::string::npos);
    const rlim_t nUsed = std::strtoull(strStatus.c_str() + nAt + 7, nullptr, 10) * 1024;
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    // Room for small allocations, none for an 8 MiB thread stack.
    rlimit tight{nUsed + 2 * 1024 * 1024, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    int nResult = dlg.RunFenwaAgentStartProcess(1);
    setrlimit(RLIMIT_AS, &old);
    EXPECT_EQ(nResult, 0);
    EXPECT_FALSE(dlg.IsEnded());
    EXPECT_FALSE(EventCtrlProcess().IsRunning());

    std::vector<Json::Value> vBoxes = testsupport::ReadJsonLines(m_Folder.File("boxes.jsonl"));
    ASSERT_EQ(vBoxes.size(), 1u);
    EXPECT_EQ(vBoxes[0]["id"].asInt(), 119);
    EXPECT_EQ(vBoxes[0]["text"].asString(),
              "기능이 정상 실행되지 않았습니다.\r\n미르벨 '장애접수'를 진행해주시기 바랍니다.");
    EXPECT_EQ(vBoxes[0]["buttons"].asString(), "OK");
    EXPECT_EQ(vBoxes[0]["icon"].asString(), "error");
    EXPECT_TRUE(vBoxes[0]["owner"].asBool());
    std::string strLog = Log();
    size_t nFail =
        strLog.find("[ERROR] [CZelkorDlg::FenwaAgentStartProcess] Start EventCtrl Thread "
                    "Fail!!! Result [1444] ");
    size_t nBox = strLog.find("[ERROR] [CZelkorDlg::RunFenwaAgentStartProcess] Messagebox : 기능이 "
                              "정상 실행되지 않았습니다.");
    size_t nGoesOn = strLog.find("[INFO ] [CZelkorDlg::RunFenwaAgentStartProcess] "
                                 "FenwaAgentStartProcess Success !!!");
    ASSERT_NE(nFail, std::string::npos) << strLog;
    EXPECT_LT(nFail, nBox);
    EXPECT_LT(nBox, nGoesOn);
    EXPECT_NE(nGoesOn, std::string::npos);
    // With room again, the next start check starts the worker.
    EXPECT_EQ(dlg.RunFenwaAgentStartProcess(1), 0);
    EXPECT_TRUE(EventCtrlProcess().IsRunning());
#endif
}

// A restart that fails while the program runs sends a level-0 report
// before the program ends.
TEST_F(ZelkorDlgSupervisionTest, FailedRestartIsReportedBeforeTheProgramEnds)
{
    ASSERT_EQ(ToastCtrlProcess().StartCtrlProcess(), 0);
    m_Folder.WriteFile("agent_stub.ini", "[RESULTS]\r\nProcessRun=0\r\n");
    CZelkorDlg dlg(m_Host, m_Parts);
    EXPECT_EQ(dlg.RunFenwaAgentStartProcess(1), -1);
    EXPECT_TRUE(dlg.IsEnded());
    const std::string strReport = "[CZelkorDlg::RunFenwaAgentStartProcess] 미르벨 재실행 실패 "
                                  "(RunNubeqProcess Fail) : 프로그램 종료";
    EXPECT_NE(
        Log().find("[ToastPush] ToastCtrlProcess Push Data Success Type Data [" + strReport + "]"),
        std::string::npos);
    // The toast worker takes it up for the webhook.
    EXPECT_TRUE(WaitUntil(
        [&] { return Log().find("nLevel : 0 strMsg : " + strReport) != std::string::npos; },
        10000));
}

// 10025 frees the record whatever happens to it: no tray, no record, shown.
TEST_F(ZelkorDlgSupervisionTest, ToastRecordIsFreedOnEveryPath)
{
    CZelkorDlg dlg(m_Host, m_Parts);
    struct SCase
    {
        const char* pszName;
        bool bTray;
        bool bRecord;
        intptr_t nResult;
        const char* pszLog;
    } cases[] = {
        {"no tray", false, true, -1, "[ERROR] [CZelkorDlg::Msg_TrayShowToastNotify] m_pTray NULL"},
        {"no record", true, false, -1, "[ERROR] [CZelkorDlg::Msg_TrayShowToastNotify] lParam NULL"},
        {"shown", true, true, 0, nullptr},
    };
    for (const SCase& c : cases) {
        m_Parts.m_bTray = c.bTray;
        auto* pInfo = c.bRecord ? new ToastRequestInfo{} : nullptr;
        if (pInfo != nullptr) {
            std::strcpy(pInfo->szTitle, "T");
            std::strcpy(pInfo->szBody, "B");
        }
        EXPECT_EQ(dlg.WindowProc(WM_TRAY_SHOW_TOAST, 0, reinterpret_cast<intptr_t>(pInfo)),
                  c.nResult)
            << c.pszName;
        if (c.pszLog != nullptr) {
            EXPECT_NE(Log().find(c.pszLog), std::string::npos) << c.pszName;
        }
    }
    EXPECT_EQ(m_Parts.m_Toast.m_nShown, 1);
    EXPECT_EQ(m_Parts.m_Toast.m_strTitle, "T");
    EXPECT_EQ(m_Parts.m_Toast.m_strBody, "B");
}

// The print worker's way in, without a tray: the send is answered and the
// record does not leak.
TEST_F(ZelkorDlgSupervisionTest, PrintFailToastWithoutTrayIsRefusedAndFreed)
{
    m_Parts.m_bTray = false;
    CZelkorDlg dlg(m_Host, m_Parts);
    dlg.OnInitDialog(); // installs the main-window sink
    std::atomic<int> nSent{-1};
    std::thread sender([&] { nSent = ToastCtrlProcess().ShowPrintFailToast("", 0x100); });
    EXPECT_TRUE(WaitUntil(
        [&] {
            m_Host.RunPending(5);
            return nSent != -1;
        },
        10000));
    sender.join();
    EXPECT_EQ(nSent, 1);
    EXPECT_NE(Log().find("[CZelkorDlg::Msg_TrayShowToastNotify] m_pTray NULL"), std::string::npos);
}

// One toast at a time: the first sender is held until its toast closed; a
// second request while it is open raises it and is dropped, and its sender
// goes on at once. Auto-close 0 does not hold the sender.
TEST_F(ZelkorDlgSupervisionTest, ToastHandOffHoldsTheSenderAndDropsASecondRequest)
{
    CZelkorDlg dlg(m_Host, m_Parts);
    dlg.OnInitDialog();
    CFakeToastWindow& toast = m_Parts.m_Toast;
    toast.m_nCloseMs = 400;
    Clock::time_point firstBack;
    Clock::time_point secondBack;
    std::atomic<int> nDone{0};
    std::thread first([&] {
        ToastCtrlProcess().ShowPrintFailToast("", 0x100); // auto-close 5
        firstBack = Clock::now();
        ++nDone;
    });
    std::thread second([&] {
        while (!toast.m_bShown) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ToastCtrlProcess().ShowPrintFailToast("", 0x100);
        secondBack = Clock::now();
        ++nDone;
    });
    EXPECT_TRUE(WaitUntil(
        [&] {
            m_Host.RunPending(5);
            return nDone == 2;
        },
        10000));
    first.join();
    second.join();
    EXPECT_EQ(toast.m_nShown, 1);
    EXPECT_EQ(toast.m_nRaised, 1);
    EXPECT_EQ(toast.m_nAutoCloseSec, 5);
    EXPECT_GE(firstBack, toast.m_CloseAt);
    EXPECT_LT(secondBack, toast.m_CloseAt);
    EXPECT_NE(Log().find("[CTrayIcon::ShowToastNotify] A toast is open: raised, this one dropped"),
              std::string::npos);

    // Auto-close 0: shown, and the handler returns while it is open.
    auto* pInfo = new ToastRequestInfo{};
    EXPECT_EQ(dlg.WindowProc(WM_TRAY_SHOW_TOAST, 0, reinterpret_cast<intptr_t>(pInfo)), 0);
    EXPECT_EQ(toast.m_nShown, 2);
    EXPECT_TRUE(toast.IsToastOpen());
}

// A check that sits in the registration (a modal run, during which timer
// ticks arrive) refuses a second one; afterwards checks run again.
TEST_F(ZelkorDlgSupervisionTest, StartGuardRefusesASecondCheckDuringTheFirst)
{
    class CReenteringRegistration : public IShopRegistration
    {
    public:
        explicit CReenteringRegistration(CZelkorDlg& dlg) : m_Dlg(dlg) {}
        int DoModal() override
        {
            m_nInner = m_Dlg.NUBEQRunningCheckAndStart(1);
            return REGISTER_RESULT_BSNUM;
        }
        int RunRegisterShop(const std::string&, const std::string&, int) override { return -1; }
        CZelkorDlg& m_Dlg;
        int m_nInner = -1;
    };
    CReenteringRegistration* pRegistration = nullptr;
    m_Parts.m_pfnRegistration = [&](CZelkorDlg& dlg) {
        auto p = std::make_unique<CReenteringRegistration>(dlg);
        pRegistration = p.get();
        return p;
    };
    WriteConfig("[ORDER]\r\nLastDate=" + TodayDate() + "\r\n"); // a new shop
    CZelkorDlg dlg(m_Host, m_Parts);
    EXPECT_EQ(dlg.NUBEQRunningCheckAndStart(1), 0);
    EXPECT_FALSE(dlg.IsEnded());
    std::string strLog = Log();
    EXPECT_NE(strLog.find("[DEBUG] [CZelkorDlg::NUBEQRunningCheckAndStart] Already NUBEQ Start "
                          "Check"),
              std::string::npos);
    EXPECT_NE(strLog.find("[CZelkorDlg::NUBEQRunningCheckAndStart] RunFenwaAgentStartProcess "
                          "Result [0]"),
              std::string::npos);
    m_Parts.m_pfnRegistration = nullptr;
    WriteConfig(strIdentity + "[ORDER]\r\nLastDate=" + TodayDate() + "\r\n");
    EXPECT_EQ(dlg.NUBEQRunningCheckAndStart(1), 0);
    ASSERT_FALSE(JournalCalls().empty());
    EXPECT_EQ(JournalCalls().back(), "ProcessRun"); // the guard was given back
}

// 3024 clears the identity and starts again (the registration first, when
// the shop is new); 3025 registers silently with both stored values and
// shows the registration otherwise. A cancelled registration ends the
// program.
TEST_F(ZelkorDlgSupervisionTest, ShopRegistrationMessages)
{
    const std::string strToday = "[ORDER]\r\nLastDate=" + TodayDate() + "\r\n";
    const std::vector<std::string> vRegister = {"SetData registernumber=1234567890",
                                                "SetData posid=ST9",
                                                "SetData loginType=bsnum",
                                                "SetData orgno=1",
                                                "SetData pos_type=install",
                                                "SetData REQ_HANDLE=00",
                                                "RegisterShopEx"};
    const std::vector<std::string> vSilent = {"SetData registernumber=1234567890",
                                              "SetData posid=ST1",
                                              "SetData loginType=bsnum",
                                              "SetData orgno=1",
                                              "SetData pos_type=install",
                                              "SetData REQ_HANDLE=00",
                                              "RegisterShopEx"};
    const std::vector<std::string> vRun = {"SetData registernumber=1234567890", "SetData posid=ST1",
                                           "SetData orgno=1", "SetData pos_type=install",
                                           "ProcessRun"};
    auto fnJoin = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct SCase
    {
        const char* pszName;
        unsigned nMsg;
        std::string strConfig;
        const char* pszScript;
        const char* pszResults;
        bool bEnded;
        std::vector<std::string> vCalls;
        const char* pszStoreId; // [POS] StoreId afterwards ("" : none)
    } cases[] = {
        {"3024: the shop registers again", WM_NUBEQ_NEWSHOP, strIdentity + strToday,
         "1234567890/ST9", "", false, vRegister, "ST9"},
        {"3024 with a manager id: not new, the agent runs",
         WM_NUBEQ_NEWSHOP,
         strIdentity + "UserId=boss\r\n" + strToday,
         "",
         "",
         false,
         {"SetData userid=boss", "SetData orgno=1", "SetData pos_type=install", "ProcessRun"},
         ""},
        {"3024 cancelled: the program ends",
         WM_NUBEQ_NEWSHOP,
         strIdentity + strToday,
         "cancel",
         "",
         true,
         {},
         ""},
        {"3025 with both values: silent, then the run", WM_NUBEQ_UPDATESHOP, strIdentity + strToday,
         "", "", false, fnJoin(vSilent, vRun), "ST1"},
        {"3025 refused: the dialog, cancelled", WM_NUBEQ_UPDATESHOP, strIdentity + strToday,
         "cancel", "[RESULTS]\r\nRegisterShopEx=-2\r\n", true, vSilent, "ST1"},
        {"3025 without a store id: the dialog", WM_NUBEQ_UPDATESHOP,
         "[POS]\r\nNobizer=1234567890\r\n" + strToday, "1234567890/ST9", "", false,
         fnJoin(vRegister, {"SetData registernumber=1234567890", "SetData posid=ST9",
                            "SetData orgno=1", "SetData pos_type=install", "ProcessRun"}),
         "ST9"},
    };
    for (const SCase& c : cases) {
        WriteConfig(c.strConfig);
        m_Folder.WriteFile("agent_stub.ini", c.pszResults);
        std::filesystem::remove(m_Folder.File("agent_journal.jsonl"));
        setenv("ZELKOR_SHOP_REGISTRATION", c.pszScript, 1);
        CScriptedShopRegistration::RestartScript();
        CZelkorDlg dlg(m_Host, m_Parts);
        EXPECT_EQ(dlg.WindowProc(c.nMsg, 0, 0), 0) << c.pszName;
        EXPECT_EQ(dlg.IsEnded(), c.bEnded) << c.pszName;
        EXPECT_EQ(JournalCalls(), c.vCalls) << c.pszName;
        std::string strConfig = m_Folder.ReadFile("Config.ini");
        if (*c.pszStoreId == '\0') {
            EXPECT_EQ(strConfig.find("StoreId"), std::string::npos) << c.pszName;
        } else {
            EXPECT_NE(strConfig.find(std::string("StoreId=") + c.pszStoreId), std::string::npos)
                << c.pszName << "\n"
                << strConfig;
        }
    }
    std::string strLog = Log();
    EXPECT_NE(strLog.find("[INFO ] [CZelkorDlg::Msg_NubeqNewShop] Call"), std::string::npos);
    EXPECT_NE(strLog.find("[INFO ] [CZelkorDlg::Msg_NubeqUpdateShop] Start"), std::string::npos);
    EXPECT_NE(strLog.find("[WARN ] [CZelkorDlg::Msg_NubeqUpdateShop] RegisterPos Fail !!! [2] "
                          "Process Close !!!"),
              std::string::npos);
    EXPECT_NE(strLog.find("[WARN ] [CZelkorDlg::FenwaAgentStartProcess] RegisterPos Fail !!! [2] "
                          "Process Close !!!"),
              std::string::npos);
}

// The stand-in plays the user: a refused login keeps the "dialog" open for
// the next answer; no script at all cancels.
TEST_F(ZelkorDlgSupervisionTest, ScriptedRegistrationPlaysTheUser)
{
    m_Folder.WriteFile("agent_stub.ini", "[RESULTS]\r\nRegisterShopEx=-1\r\n");
    struct SCase
    {
        const char* pszScript; // null: none
        int nResult;
        int nRegisterCalls;
    } cases[] = {
        {nullptr, REGISTER_RESULT_CANCEL, 0},
        {"cancel", REGISTER_RESULT_CANCEL, 0},
        {"1/2,given,cancel", REGISTER_RESULT_CANCEL, 2},
        {"/2", REGISTER_RESULT_CANCEL, 0}, // an empty field: no registration
    };
    for (const SCase& c : cases) {
        if (c.pszScript == nullptr) {
            unsetenv("ZELKOR_SHOP_REGISTRATION");
        } else {
            setenv("ZELKOR_SHOP_REGISTRATION", c.pszScript, 1);
        }
        CScriptedShopRegistration::RestartScript();
        std::filesystem::remove(m_Folder.File("agent_journal.jsonl"));
        CScriptedShopRegistration registration(0x2A, "1234567890", "ST1");
        EXPECT_EQ(registration.DoModal(), c.nResult) << (c.pszScript ? c.pszScript : "none");
        std::vector<std::string> vCalls = JournalCalls();
        EXPECT_EQ(std::count(vCalls.begin(), vCalls.end(), "RegisterShopEx"), c.nRegisterCalls)
            << (c.pszScript ? c.pszScript : "none");
    }
    m_Folder.WriteFile("agent_stub.ini", "");
    setenv("ZELKOR_SHOP_REGISTRATION", "given", 1);
    CScriptedShopRegistration::RestartScript();
    std::filesystem::remove(m_Folder.File("agent_journal.jsonl"));
    CScriptedShopRegistration registration(0x2A, "1234567890", "ST1");
    EXPECT_EQ(registration.DoModal(), REGISTER_RESULT_BSNUM);
    EXPECT_EQ(JournalCalls()[5], "SetData REQ_HANDLE=2A");
    std::string strConfig = m_Folder.ReadFile("Config.ini");
    EXPECT_NE(strConfig.find("TYPE=bsnum"), std::string::npos);
    EXPECT_NE(strConfig.find("LastNo=1"), std::string::npos);
}

} // namespace
