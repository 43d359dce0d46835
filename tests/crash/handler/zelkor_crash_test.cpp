// The crash handler in the program: Zelkor in its own program folder and
// runtime directory, with the stand-in agent and a printer on loopback,
// crashed by SIGSEGV while it runs and while it ends after WM_CLOSE.
#include "platform/window_endpoint_client.h"
#include "tests/crash/handler/crash_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/printer_config.h"
#include "tests/support/runtime_dir.h"
#include "tests/support/tcp_listener.h"
#include "tests/support/test_data.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::CChildProcess;
using testsupport::RunProgram;
using testsupport::WaitUntil;

constexpr int kWaitMs = 20000;
constexpr int kKilledBy = 128; // CChildProcess::Wait: 128 + the signal
constexpr unsigned WM_CLOSE = 0x0010;
const char* const kWindowTitle = "젤코르";
const char* const kDumpOnlyLine =
    "[CZelkorDlg::OnDestroy] SelfDump customized function disabled. (Only create dumpfile)";

class ZelkorCrashTest : public crashtest::CrashFixture
{
protected:
    explicit ZelkorCrashTest(bool bStallWebhook = false) : CrashFixture(bStallWebhook) {}

    void SetUp() override
    {
        CrashFixture::SetUp();
        // A registered shop with one printer, so that start-up goes the
        // whole way to the running agent and workers.
        WriteConfig(testsupport::TestDataFile("store/Config.ini"));
        ASSERT_TRUE(testsupport::WritePrinterConfig(
            m_Folder.File("Config.ini"), {.nUse = 1, .nRcp = 1, .nLanPort = m_Printer.Port()}, {}));
        for (const auto& [pszBuilt, pszName] : {std::pair{ZELKOR_STUB_AGENT_LIB, "libNUBEQ_IF.so"},
                                                {ZELKOR_NUBEQ_EXE, "NUBEQ"},
                                                {ZELKOR_EXE, "Zelkor"}}) {
            std::filesystem::create_symlink(pszBuilt, m_Folder.File(pszName));
        }
    }

    void TearDown() override
    {
        m_pZelkor.reset();
        std::string strPid = m_Folder.ReadFile("NUBEQ.pid");
        if (!strPid.empty()) {
            kill(std::stoi(strPid), SIGKILL);
        }
    }

    // Zelkor without a display, its boxes into the journal, its main
    // window registered.
    CChildProcess& StartReady()
    {
        m_pZelkor = std::make_unique<CChildProcess>(
            std::vector<std::string>{ZELKOR_EXE},
            std::vector<std::string>{"QT_QPA_PLATFORM=offscreen", "DISPLAY", "WAYLAND_DISPLAY",
                                     "ZELKOR_MESSAGEBOX_JOURNAL=" + m_Folder.File("boxes.jsonl"),
                                     "ZELKOR_MESSAGEBOX_ANSWERS"},
            m_Folder.File("zelkor.out"));
        EXPECT_TRUE(WaitUntil(
            [] { return platform::FindRegisteredWindow("Zelkor", kWindowTitle) != 0; }, kWaitMs))
            << m_Folder.ReadFile("zelkor.out");
        return *m_pZelkor;
    }

    int Send(const std::vector<std::string>& vArgs)
    {
        std::vector<std::string> vCommand = {ZELKOR_NUBEQ_SEND_EXE};
        vCommand.insert(vCommand.end(), vArgs.begin(), vArgs.end());
        return RunProgram(vCommand, {}, nullptr);
    }

    testsupport::CTempRuntimeDir m_Runtime;
    testsupport::CTcpListener m_Printer;
    std::unique_ptr<CChildProcess> m_pZelkor;
};

TEST_F(ZelkorCrashTest, KillSegvOfTheRunningProgram)
{
    CChildProcess& zelkor = StartReady();
    zelkor.Signal(SIGSEGV);
    EXPECT_EQ(zelkor.Wait(60000), kKilledBy + SIGSEGV);
    ExpectReportedCrash("Zelkor", ZELKOR_EXE);

    // The dump opens with the program's binary; the main thread, where the
    // signal landed, unwinds to main.
    std::vector<std::string> vDumps = Dumps();
    ASSERT_EQ(vDumps.size(), 1u);
    std::string strLldb = Lldb(TodayFolder() + "/" + vDumps[0], ZELKOR_EXE, "-o 'bt 40'");
    EXPECT_NE(strLldb.find("stop reason = signal SIGSEGV"), std::string::npos) << strLldb;
    EXPECT_NE(strLldb.find("Zelkor`main"), std::string::npos) << strLldb;
}

// The webhook keeps each post waiting, so the toast worker is still busy
// when the program ends and its stop takes its 3 s: time for a crash after
// OnDestroy has made the handler dump-only.
class ZelkorTeardownCrashTest : public ZelkorCrashTest
{
protected:
    ZelkorTeardownCrashTest() : ZelkorCrashTest(true) {}
};

TEST_F(ZelkorTeardownCrashTest, CrashWhileEndingAfterCloseOnlyDumps)
{
    CChildProcess& zelkor = StartReady();
    // A sales report the printer cannot print: its failure reports keep
    // the toast worker posting.
    m_Folder.WriteFile("sales.json", "[1]");
    ASSERT_EQ(Send({"36105", m_Folder.File("sales.json")}), 0);
    ASSERT_TRUE(WaitUntil([&] { return !m_pServer->Requests().empty(); }, kWaitMs));

    Send({"--message", std::to_string(WM_CLOSE)});
    ASSERT_TRUE(WaitUntil([&] { return Log().find(kDumpOnlyLine) != std::string::npos; }, kWaitMs));
    zelkor.Signal(SIGSEGV);
    EXPECT_EQ(zelkor.Wait(60000), kKilledBy + SIGSEGV);
    ExpectDumpOnlyCrash("teardown");
}

} // namespace
