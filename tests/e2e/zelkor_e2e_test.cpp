// The program end to end, with real processes: Zelkor in its own program
// folder and runtime directory, the stand-in agent (libNUBEQ_IF.so and the
// NUBEQ process it starts), nubeq-send delivering events as the agent does,
// and two virtual printers on loopback TCP.
#include "platform/instance_lock.h"
#include "platform/local_clock.h"
#include "platform/window_endpoint_client.h"
#include "tests/e2e/zelkor_session.h"
#include "tests/support/child_process.h"
#include "tests/support/cp949.h"
#include "tests/support/printer_config.h"
#include "tests/support/program_folder.h"
#include "tests/support/runtime_dir.h"
#include "tests/support/test_data.h"
#include "tests/support/vprinter_process.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::CChildProcess;
using testsupport::CTempProgramFolder;
using testsupport::CTempRuntimeDir;
using testsupport::CVirtualPrinter;
using testsupport::ReadJsonLines;
using testsupport::RunProgram;
using testsupport::TestDataFile;
using testsupport::UnnumberedPickupOrders;
using testsupport::Utf8FromCp949;
using testsupport::WaitUntil;

constexpr int kWaitMs = 20000;
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_COMMAND = 0x0111;
const char* const kWindowTitle = "젤코르";

std::string Today()
{
    platform::LocalTime now = platform::GetLocalTime();
    char szDate[16];
    std::snprintf(szDate, sizeof(szDate), "%04d%02d%02d", now.nYear, now.nMonth, now.nDay);
    return szDate;
}

class ZelkorE2ETest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        m_pKitchen =
            std::make_unique<CVirtualPrinter>(ZELKOR_VPRINTER_EXE, m_Folder.File("kitchen"));
        m_pCounter =
            std::make_unique<CVirtualPrinter>(ZELKOR_VPRINTER_EXE, m_Folder.File("counter"));
        m_Folder.WriteFile("Store_Orgin.dat", TestDataFile("store/Store_Orgin.dat"));
        m_Folder.WriteFile("Config.ini",
                           TestDataFile("store/Config.ini") +
                               "[ORDER]\r\nStartNo=1\r\nLastNo=1\r\nLastDate=" + Today() +
                               "\r\n[WEBHOOK]\r\nHost=https://127.0.0.1:1\r\n"
                               "PathRelease=/services/1234567890123456789/9876543210987654321/"
                               "SecretSecretSecret0001\r\n");
        ASSERT_TRUE(testsupport::WritePrinterConfig(m_Folder.File("Config.ini"),
                                                    {.nUse = 1, .nLanPort = m_pKitchen->Port()},
                                                    {.nRcp = 1, .nLanPort = m_pCounter->Port()}));
        for (const auto& [pszBuilt, pszName] : {std::pair{ZELKOR_STUB_AGENT_LIB, "libNUBEQ_IF.so"},
                                                {ZELKOR_NUBEQ_EXE, "NUBEQ"},
                                                {ZELKOR_NUBEQ_LOG_EXE, "NUBEQ_LOG"},
                                                {ZELKOR_EXE, "Zelkor"}}) {
            fs::create_symlink(pszBuilt, m_Folder.File(pszName));
        }
    }

    void TearDown() override
    {
        m_vPrograms.clear();
        // An agent left behind (the end of session does not stop it).
        std::string strPid = m_Folder.ReadFile("NUBEQ.pid");
        if (!strPid.empty()) {
            kill(std::stoi(strPid), SIGKILL);
        }
    }

    // Starts Zelkor without a display (offscreen), message boxes into the
    // journal; vEnv: further changes.
    CChildProcess& StartZelkor(std::vector<std::string> vEnv = {})
    {
        vEnv.insert(vEnv.begin(), {"QT_QPA_PLATFORM=offscreen", "DISPLAY", "WAYLAND_DISPLAY",
                                   "ZELKOR_MESSAGEBOX_JOURNAL=" + m_Folder.File("boxes.jsonl")});
        m_vPrograms.push_back(std::make_unique<CChildProcess>(std::vector<std::string>{ZELKOR_EXE},
                                                              vEnv, m_Folder.File("zelkor.out")));
        return *m_vPrograms.back();
    }

    // The main window is registered: the endpoint takes frames.
    static bool WaitReady()
    {
        return WaitUntil([] { return platform::FindRegisteredWindow("Zelkor", kWindowTitle) != 0; },
                         kWaitMs);
    }

    CChildProcess& StartReady()
    {
        CChildProcess& zelkor = StartZelkor();
        EXPECT_TRUE(WaitReady()) << m_Folder.ReadFile("zelkor.out");
        return zelkor;
    }

    // nubeq-send with the arguments; its exit status, its output in *pstrOut.
    int Send(const std::vector<std::string>& vArgs, std::string* pstrOut = nullptr)
    {
        std::vector<std::string> vCommand = {ZELKOR_NUBEQ_SEND_EXE};
        vCommand.insert(vCommand.end(), vArgs.begin(), vArgs.end());
        return RunProgram(vCommand, {}, pstrOut);
    }

    int SendOrders(int nCount)
    {
        m_Folder.WriteFile("orders.json", UnnumberedPickupOrders(nCount));
        return Send({"36001", m_Folder.File("orders.json")});
    }

    std::vector<Json::Value> Calls(const std::string& strCall) const
    {
        std::vector<Json::Value> vCalls;
        for (const Json::Value& line : ReadJsonLines(m_Folder.File("agent_journal.jsonl"))) {
            if (line["call"].asString() == strCall) {
                vCalls.push_back(line);
            }
        }
        return vCalls;
    }

    // The program's log (one day's file, read as written: CP949).
    std::string Log() const { return e2e::ProgramLog(m_Folder); }

    int AgentPid() const
    {
        std::string strPid = m_Folder.ReadFile("NUBEQ.pid");
        int nPid = strPid.empty() ? 0 : std::stoi(strPid);
        return nPid > 0 && kill(nPid, 0) == 0 ? nPid : 0;
    }

    CTempProgramFolder m_Folder;
    CTempRuntimeDir m_Runtime;
    std::unique_ptr<CVirtualPrinter> m_pKitchen;
    std::unique_ptr<CVirtualPrinter> m_pCounter;
    std::vector<std::unique_ptr<CChildProcess>> m_vPrograms;
};

// nubeq-send 36001 -> the agent's ACCEPTED answer with the wait numbers ->
// sheets at the kitchen printer, receipts at the counter printer.
TEST_F(ZelkorE2ETest, AcceptedOrdersAreAnsweredAndPrintedOnBothPrinters)
{
    StartReady();
    ASSERT_EQ(Calls("NUBEQ.Start").size(), 1u); // the agent runs, bound to the window
    ASSERT_EQ(SendOrders(2), 0);

    ASSERT_TRUE(WaitUntil([&] { return !Calls("SendData").empty(); }, kWaitMs));
    Json::Value answer = Calls("SendData")[0]["args"];
    EXPECT_EQ(answer["command"].asString(), "ACCEPTED");
    Json::Value orders = testsupport::ParseJson(answer["data"].asString());
    ASSERT_EQ(orders.size(), 2u);
    EXPECT_EQ(orders[0]["waitNo"].asString(), "1");
    EXPECT_EQ(orders[1]["waitNo"].asString(), "2");

    for (CVirtualPrinter* pPrinter : {m_pKitchen.get(), m_pCounter.get()}) {
        std::vector<std::string> vReceipts = pPrinter->WaitForReceipts(2, kWaitMs);
        ASSERT_EQ(vReceipts.size(), 2u);
        EXPECT_NE(vReceipts[1].find(Utf8FromCp949("주문번호:2")), std::string::npos)
            << vReceipts[1];
    }
    EXPECT_NE(m_pCounter->WaitForReceipts(1, kWaitMs)[0].find(Utf8FromCp949("영수증")),
              std::string::npos);

    // The start-up banner, with the webhook's secret path masked.
    std::string strLog = Log();
    EXPECT_NE(strLog.find("[CZelkorApp::InitInstance] Process Start. File ["), std::string::npos);
    EXPECT_NE(strLog.find("PathRelease=****"), std::string::npos);
    EXPECT_EQ(strLog.find("SecretSecretSecret0001"), std::string::npos);
}

TEST_F(ZelkorE2ETest, TwentyOrdersBackToBackGetConsecutiveNumbersAndPrintInOrder)
{
    StartReady();
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(SendOrders(1), 0) << i;
    }
    std::vector<std::string> vSheets = m_pKitchen->WaitForReceipts(20, kWaitMs * 2);
    ASSERT_EQ(vSheets.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        std::string strNumber = "주문번호:" + std::to_string(i + 1) + "{";
        EXPECT_NE(vSheets[i].find(Utf8FromCp949(strNumber)), std::string::npos) << i;
    }
    std::vector<Json::Value> vAnswers = Calls("SendData");
    ASSERT_EQ(vAnswers.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        Json::Value orders = testsupport::ParseJson(vAnswers[i]["args"]["data"].asString());
        EXPECT_EQ(orders[0]["waitNo"].asString(), std::to_string(i + 1));
    }
    EXPECT_EQ(m_pCounter->WaitForReceipts(20, kWaitMs).size(), 20u);
}

// Each broken delivery is dropped or logged, the program stays up, and a
// good order from another connection still prints.
TEST_F(ZelkorE2ETest, BrokenInputNeverStallsIntake)
{
    CChildProcess& zelkor = StartReady();
    platform::SWindowFrame good;
    good.nMessage = 0x004A;
    good.lParam = 36001;
    const std::string strOrders = UnnumberedPickupOrders(1);
    good.strPayload = strOrders + std::string(1, '\0');
    platform::SWindowFrame noNul = good;
    noNul.strPayload = strOrders;
    platform::SWindowFrame embeddedNul = good;
    embeddedNul.strPayload = strOrders.substr(0, 20) + std::string(1, '\0') + strOrders.substr(20);
    platform::SWindowFrame noData = good;
    noData.nFlags = platform::WINDOW_FRAME_NO_DATA;
    noData.strPayload.clear();
    platform::SWindowFrame noRecord = noData;
    noRecord.nFlags = platform::WINDOW_FRAME_NO_RECORD;
    std::string strOversize = platform::EncodeWindowFrame(good).substr(0, 32);
    strOversize[12] = 1;
    strOversize[15] = 1;

    struct SCase
    {
        const char* pszName;
        std::string strBytes;
        const char* pszLogLine; // what the log says about it
        bool bPrints;           // the broken delivery itself prints an order
    } cases[] = {
        {"no data", platform::EncodeWindowFrame(noData), "lpData NULL, Type [36001] !!!", false},
        {"no record", platform::EncodeWindowFrame(noRecord),
         "[CZelkorDlg::OnCopyData] CopyDataStruct NULL", false},
        {"no NUL", platform::EncodeWindowFrame(noNul), "Push Data Success Type [36001]", true},
        {"embedded NUL", platform::EncodeWindowFrame(embeddedNul), "Push Data Success", false},
        {"oversize", strOversize, "payload bytes (at most 16777216)", false},
        {"bad magic", "POST / HTTP/1.1\r\n\r\n", "bad magic", false},
        {"half a frame", platform::EncodeWindowFrame(good).substr(0, 40), "inside a frame", false},
    };
    size_t nPrinted = 0;
    for (const SCase& c : cases) {
        platform::CWindowEndpointClient broken;
        std::string strError;
        intptr_t hWnd = platform::FindRegisteredWindow("Zelkor", kWindowTitle);
        ASSERT_TRUE(broken.Connect(hWnd, strError)) << c.pszName << ": " << strError;
        ASSERT_TRUE(broken.SendRaw(c.strBytes, strError)) << c.pszName;
        if (c.bPrints) {
            ++nPrinted;
        }
        // A good order from another connection while the broken one is
        // still open (half a frame: it waits for the rest meanwhile).
        platform::SWindowReply reply;
        ASSERT_TRUE(platform::SendWindowMessage(hWnd, good, reply, kWaitMs, strError))
            << c.pszName << ": " << strError;
        EXPECT_EQ(reply.nResult, 1) << c.pszName;
        ++nPrinted;
        EXPECT_EQ(m_pKitchen->WaitForReceipts(static_cast<int>(nPrinted), kWaitMs).size(), nPrinted)
            << c.pszName;
        broken.Close();
        EXPECT_TRUE(
            WaitUntil([&] { return Log().find(c.pszLogLine) != std::string::npos; }, kWaitMs))
            << c.pszName;
        ASSERT_TRUE(zelkor.IsRunning()) << c.pszName;
    }
}

// From another process only copy-data, 6024, WM_CLOSE and the tray
// commands are taken.
TEST_F(ZelkorE2ETest, OtherMessagesFromOutsideAreRefused)
{
    CChildProcess& zelkor = StartReady();
    std::string strOut;
    // The print-failure toast carries a pointer in its lParam.
    EXPECT_EQ(Send({"--message", "10025", "--lparam", "42"}, &strOut), 4) << strOut;
    EXPECT_NE(strOut.find("refused"), std::string::npos);
    EXPECT_EQ(Send({"--message", std::to_string(WM_COMMAND), "--wparam", "40000"}, &strOut), 4);
    EXPECT_EQ(Send({"--message", "3026"}, &strOut), 4); // the end message is the program's own
    std::string strLog = Log();
    EXPECT_NE(strLog.find("[WARN ] [CZelkorDlg::OnEndpointMessage] Message [10025] wParam [0] "
                          "lParam [42] from pid ["),
              std::string::npos);
    EXPECT_NE(strLog.find("Message [273] wParam [40000]"), std::string::npos);
    EXPECT_TRUE(zelkor.IsRunning());
}

// WM_CLOSE: ProcessEnd, the workers stop, the STOP banner last, exit 0;
// the agent is gone, the endpoint's files removed, the lock free.
TEST_F(ZelkorE2ETest, CloseEndsTheProgramAndTheAgentCleanly)
{
    CChildProcess& zelkor = StartReady();
    ASSERT_NE(AgentPid(), 0);
    intptr_t hWnd = platform::FindRegisteredWindow("Zelkor", kWindowTitle);
    std::string strSocket = platform::WindowEndpointPath(m_Runtime.Path(), hWnd);
    ASSERT_TRUE(std::filesystem::exists(strSocket));

    EXPECT_EQ(Send({"--message", std::to_string(WM_CLOSE)}), 3); // handled, result 0
    EXPECT_EQ(zelkor.Wait(kWaitMs), 0);

    ASSERT_EQ(Calls("ProcessEnd").size(), 1u);
    EXPECT_EQ(Calls("ProcessEnd")[0]["agent"].asString(), "ended");
    EXPECT_EQ(AgentPid(), 0);
    EXPECT_EQ(Calls("NUBEQ.End").size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(strSocket));
    EXPECT_FALSE(std::filesystem::exists(
        platform::WindowRegistrationPath(m_Runtime.Path(), "Zelkor", kWindowTitle)));
    EXPECT_FALSE(platform::IsInstanceLockHeld(platform::kZelkorInstanceLockName));

    std::string strLog = Log();
    size_t nClose = strLog.find("[CZelkorDlg::OnClose] Catched WM_CLOSE message.");
    size_t nEnd = strLog.find("[CNubeqDllMngr::Call_ProcessEnd]");
    size_t nWorkers = strLog.rfind("Destructor Thread Exit End");
    size_t nStop = strLog.rfind("CSimpleLog STOP");
    ASSERT_NE(nClose, std::string::npos);
    EXPECT_LT(nClose, nEnd);
    EXPECT_LT(nEnd, nWorkers);
    EXPECT_LT(nWorkers, nStop);
    EXPECT_EQ(strLog.find("[", nStop), std::string::npos) << "the STOP banner is the last line";
}

// The end of the session (SIGTERM): exit 1 at once, the agent is left alone.
TEST_F(ZelkorE2ETest, EndOfSessionExitsWithOneWithoutEndingTheAgent)
{
    CChildProcess& zelkor = StartReady();
    zelkor.Signal(SIGTERM);
    EXPECT_EQ(zelkor.Wait(kWaitMs), 1);
    EXPECT_TRUE(Calls("ProcessEnd").empty());
    EXPECT_NE(AgentPid(), 0);
    std::string strLog = Log();
    EXPECT_NE(strLog.find("[CZelkorDlg::OnQueryEndSession] Exiting Process."), std::string::npos);
    EXPECT_EQ(strLog.find("CSimpleLog STOP"), std::string::npos);
}

// A second start while the agent runs asks the agent for its widget and
// ends at once, without a display.
TEST_F(ZelkorE2ETest, SecondStartWithTheAgentRunningAsksForTheWidget)
{
    CChildProcess& first = StartReady();
    ASSERT_NE(AgentPid(), 0);
    std::string strOut;
    int nExit = RunProgram({ZELKOR_EXE}, {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}, &strOut,
                           kWaitMs);
    EXPECT_EQ(nExit, 0) << strOut;
    std::vector<Json::Value> vJobs = Calls("RequestJob");
    ASSERT_EQ(vJobs.size(), 1u);
    EXPECT_EQ(vJobs[0]["args"]["key"].asString(), "WIDGET_INIT");
    EXPECT_EQ(vJobs[0]["args"]["type"].asString(), "");
    EXPECT_NE(vJobs[0]["pid"].asInt(), first.Pid());
    EXPECT_TRUE(first.IsRunning());
}

// Without the agent, a second start hands 6024 to the first copy, which
// checks and starts the agent about 100 ms later.
TEST_F(ZelkorE2ETest, SecondStartWithoutTheAgentMakesTheFirstCopyRunIt)
{
    CChildProcess& first = StartReady();
    int nAgent = AgentPid();
    ASSERT_NE(nAgent, 0);
    kill(nAgent, SIGKILL);
    ASSERT_TRUE(WaitUntil([&] { return AgentPid() == 0; }, kWaitMs));
    size_t nRunsBefore = Calls("ProcessRun").size() + Calls("DailyRun").size();

    std::string strOut;
    EXPECT_EQ(RunProgram({ZELKOR_EXE}, {"QT_QPA_PLATFORM", "DISPLAY"}, &strOut, kWaitMs), 0)
        << strOut;
    ASSERT_TRUE(WaitUntil(
        [&] { return Calls("ProcessRun").size() + Calls("DailyRun").size() > nRunsBefore; },
        kWaitMs));
    std::vector<Json::Value> vRuns = Calls("ProcessRun");
    ASSERT_FALSE(vRuns.empty());
    EXPECT_EQ(vRuns.back()["pid"].asInt(), first.Pid());
    EXPECT_EQ(vRuns.back()["agent"].asString(), "started");
    std::string strLog = Log();
    size_t nRequest = strLog.find("[CZelkorDlg::Msg_NubeqRun] Call");
    size_t nTimer = strLog.find("[CZelkorDlg::OnTimer] TIMER_NUBEQ_RUN");
    ASSERT_NE(nRequest, std::string::npos);
    ASSERT_NE(nTimer, std::string::npos);
    EXPECT_LT(nRequest, nTimer);
    EXPECT_TRUE(first.IsRunning());
}

// Without the agent library: one warning box with string 112, no log
// folder, no window.
TEST_F(ZelkorE2ETest, MissingAgentLibraryShowsOneBoxAndEnds)
{
    std::filesystem::remove(m_Folder.File("libNUBEQ_IF.so"));
    CChildProcess& zelkor = StartZelkor();
    EXPECT_EQ(zelkor.Wait(kWaitMs), 0);
    std::vector<Json::Value> vBoxes = ReadJsonLines(m_Folder.File("boxes.jsonl"));
    ASSERT_EQ(vBoxes.size(), 1u);
    EXPECT_EQ(vBoxes[0]["id"].asInt(), 112);
    EXPECT_EQ(vBoxes[0]["caption"].asString(), "Zelkor");
    EXPECT_EQ(vBoxes[0]["buttons"].asString(), "OK");
    EXPECT_EQ(vBoxes[0]["icon"].asString(), "warning");
    EXPECT_EQ(vBoxes[0]["text"].asString(),
              "NubeqDll을 로드할 수 없습니다.\r\n프로그램을 종료합니다.");
    EXPECT_FALSE(std::filesystem::exists(m_Folder.File("Log")));
    EXPECT_EQ(platform::FindRegisteredWindow("Zelkor", kWindowTitle), 0);
}

// The agent interface library comes from the program folder first, else
// from the system's library path (an agent vendor's package installs it
// system-wide): the library the process maps is the folder's copy (here
// the variant without SendData) even when a full one is on the path.
TEST_F(ZelkorE2ETest, AgentLibraryFromTheProgramFolderElseTheLibraryPath)
{
    namespace fs = std::filesystem;
    const fs::path full = fs::canonical(ZELKOR_STUB_AGENT_LIB);
    const fs::path variant = fs::canonical(ZELKOR_STUB_AGENT_LIB_WITHOUT_SEND_DATA);
    struct SCase
    {
        const char* pszWhat;
        bool bFolderCopy; // the variant linked into the program folder
    };
    for (const SCase& c : {SCase{"library path only", false}, SCase{"folder copy", true}}) {
        SCOPED_TRACE(c.pszWhat);
        fs::remove(m_Folder.File("libNUBEQ_IF.so"));
        if (c.bFolderCopy) {
            fs::create_symlink(variant, m_Folder.File("libNUBEQ_IF.so"));
        }
        CChildProcess& zelkor = StartZelkor({"LD_LIBRARY_PATH=" + full.parent_path().string()});
        ASSERT_TRUE(WaitReady()) << m_Folder.ReadFile("zelkor.out");
        EXPECT_FALSE(Calls("ProcessRun").empty());
        std::string strMaps =
            testsupport::ReadWholeFile("/proc/" + std::to_string(zelkor.Pid()) + "/maps");
        EXPECT_EQ(strMaps.find(variant.string()) != std::string::npos, c.bFolderCopy);
        EXPECT_EQ(strMaps.find(full.string()) != std::string::npos, !c.bFolderCopy);
        Send({"--message", "16"}); // WM_CLOSE: the program and the agent end
        EXPECT_EQ(zelkor.Wait(kWaitMs), 0);
        m_vPrograms.clear();
        fs::remove(m_Folder.File("agent_journal.jsonl"));
    }
}

// The agent's run call fails: the program ends by itself.
TEST_F(ZelkorE2ETest, FailedAgentRunEndsTheProgram)
{
    m_Folder.WriteFile("agent_stub.ini", "[RESULTS]\r\nProcessRun=0\r\nDailyRun=0\r\n");
    CChildProcess& zelkor = StartZelkor();
    EXPECT_EQ(zelkor.Wait(kWaitMs), 0);
    EXPECT_TRUE(Calls("NUBEQ.Start").empty());
    std::string strLog = Log();
    EXPECT_NE(
        strLog.find("[CZelkorDlg::FenwaAgentStartProcess] RunNubeqProcess Fail!!! Result [0]"),
        std::string::npos);
    EXPECT_NE(strLog.find("CSimpleLog STOP"), std::string::npos);
    EXPECT_EQ(platform::FindRegisteredWindow("Zelkor", kWindowTitle), 0);
}

// kill -9 leaves a lock file, a socket and a registration behind; the next
// start is a first copy all the same, and prints.
TEST_F(ZelkorE2ETest, NextStartAfterAKillIsAFirstCopyAndPrints)
{
    CChildProcess& killed = StartReady();
    intptr_t hOld = platform::FindRegisteredWindow("Zelkor", kWindowTitle);
    killed.Signal(SIGKILL);
    ASSERT_EQ(killed.Wait(kWaitMs), 128 + SIGKILL);
    EXPECT_TRUE(std::filesystem::exists(platform::WindowEndpointPath(m_Runtime.Path(), hOld)));
    EXPECT_EQ(platform::FindRegisteredWindow("Zelkor", kWindowTitle), 0); // stale: not found

    CChildProcess& next = StartReady();
    EXPECT_NE(platform::FindRegisteredWindow("Zelkor", kWindowTitle), hOld);
    EXPECT_EQ(Calls("ProcessRun").back()["agent"].asString(), "rebound"); // the agent lived on
    ASSERT_EQ(SendOrders(1), 0);
    EXPECT_EQ(m_pKitchen->WaitForReceipts(1, kWaitMs).size(), 1u);
    EXPECT_TRUE(next.IsRunning());
}

} // namespace
