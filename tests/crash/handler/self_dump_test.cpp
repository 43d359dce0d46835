// The crash handler against real crashes of zelkor-crash-probe: the dump
// that lldb opens, the crash journal, the report that reaches the local
// TLS webhook, the agent's log tool, the notice, and the process dying by
// its signal.
#include "tests/crash/handler/crash_fixture.h"
#include "tests/support/child_process.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using crashtest::kReportText;
using testsupport::CChildProcess;

const char* const kProbe = ZELKOR_CRASH_PROBE_EXE;
constexpr int kKilledBy = 128; // CChildProcess::Wait: 128 + the signal

class CrashHandlerTest : public crashtest::CrashFixture
{
protected:
    void SetUp() override
    {
        CrashFixture::SetUp();
        // The program file whose digest the report carries.
        m_Folder.WriteFile("Zelkor", "the program file\n");
    }

    // Runs the probe to its end; bKillWhenReady: kill -SEGV once it waits.
    // The exit status as CChildProcess::Wait gives it.
    int RunProbe(const std::vector<std::string>& vArgs, bool bKillWhenReady = false)
    {
        std::vector<std::string> vCommand{kProbe};
        vCommand.insert(vCommand.end(), vArgs.begin(), vArgs.end());
        CChildProcess probe(vCommand,
                            {"ZELKOR_MESSAGEBOX_JOURNAL=" + m_Folder.File("boxes.jsonl"),
                             "ZELKOR_MESSAGEBOX_ANSWERS"},
                            m_Folder.File("probe.out"));
        if (bKillWhenReady) {
            EXPECT_TRUE(testsupport::WaitUntil(
                [&] { return m_Folder.ReadFile("probe.out").find("ready") != std::string::npos; },
                20000));
            probe.Signal(SIGSEGV);
        }
        return probe.Wait(60000);
    }
};

TEST_F(CrashHandlerTest, KillSegvOfARunningProgram)
{
    EXPECT_EQ(RunProbe({"wait"}, true), kKilledBy + SIGSEGV);
    ExpectReportedCrash("kill -SEGV", kProbe);
    std::vector<std::string> vDumps = Dumps();
    ASSERT_EQ(vDumps.size(), 1u);
    std::string strLldb = Lldb(TodayFolder() + "/" + vDumps[0], kProbe, "-o 'bt 8'");
    EXPECT_NE(strLldb.find("stop reason = signal SIGSEGV"), std::string::npos) << strLldb;
    EXPECT_NE(strLldb.find("CrashProbeWaitForSignal"), std::string::npos) << strLldb;
    EXPECT_NE(strLldb.find("main("), std::string::npos) << strLldb;
}

// Each kind of crash, on the thread it happens on: the process dies by its
// signal, the dump's backtrace names the crashing function, and the crash
// is reported even when the toast worker is the crashed thread or never
// ran (the reporter then posts the report itself).
struct SCrashCase
{
    const char* pszName;
    std::vector<std::string> vArgs;
    int nSignal;
    const char* pszFunction; // in the crashing thread's backtrace
    const char* pszLogLine;  // one more line the log must hold ("" none)
};

void PrintTo(const SCrashCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class CrashKindTest : public CrashHandlerTest, public ::testing::WithParamInterface<SCrashCase>
{
};

TEST_P(CrashKindTest, DumpJournalReportLogToolAndNotice)
{
    const SCrashCase& c = GetParam();
    EXPECT_EQ(RunProbe(c.vArgs), kKilledBy + c.nSignal) << c.pszName;
    ExpectReportedCrash(c.pszName, kProbe);
    if (*c.pszLogLine != '\0') {
        EXPECT_NE(Log().find(c.pszLogLine), std::string::npos) << c.pszName;
    }
    std::vector<std::string> vDumps = Dumps();
    ASSERT_EQ(vDumps.size(), 1u);
    std::string strLldb = Lldb(TodayFolder() + "/" + vDumps[0], kProbe, "-o 'bt 12'");
    EXPECT_NE(strLldb.find(c.pszFunction), std::string::npos) << c.pszName << "\n" << strLldb;
}

INSTANTIATE_TEST_SUITE_P(
    Crashes, CrashKindTest,
    ::testing::Values(
        SCrashCase{"MainThreadNull", {"main-null"}, SIGSEGV, "CrashProbeNullWrite", ""},
        SCrashCase{"OwnThreadNull", {"thread-null"}, SIGSEGV, "CrashProbeNullWrite", ""},
        SCrashCase{"Abort", {"abort"}, SIGABRT, "CrashProbeAbort", ""},
        SCrashCase{
            "UncaughtException",
            {"exception"},
            SIGABRT,
            "CrashProbeThrow",
            "[CSelfDump::TerminateHandler] Unhandled exception : probe: nobody catches this"},
        SCrashCase{"PrintWorker", {"print-worker"}, SIGSEGV, "CProbePrint::HandleQueueData", ""},
        SCrashCase{"ToastWorker",
                   {"toast-worker"},
                   SIGSEGV,
                   "CProbeToast::HandleToastData",
                   "ToastCtrlProcess not running, the report is posted directly"},
        // The second thread waits while the first is handled: one report.
        SCrashCase{"TwoThreadsAtOnce", {"two-threads"}, SIGSEGV, "CrashProbeNullWrite", ""},
        // The thread's own signal stack takes the handler.
        SCrashCase{"StackOverflowOnAThread", {"overflow"}, SIGSEGV, "CrashProbeRecurse", ""},
        SCrashCase{"ToastWorkerNeverStarted",
                   {"main-null", "--no-toast"},
                   SIGSEGV,
                   "CrashProbeNullWrite",
                   "ToastCtrlProcess not running, the report is posted directly"}),
    [](const ::testing::TestParamInfo<SCrashCase>& info) { return info.param.pszName; });

// Older dumps of the prefix beyond 1 MiB go, oldest first, before the new
// one is written; another prefix's dump is not counted and stays.
TEST_F(CrashHandlerTest, OldDumpsOfThePrefixMakeRoomForTheNewOne)
{
    std::filesystem::create_directories(TodayFolder());
    const std::string strHalfMiB(512 * 1024, 'd');
    const char* const pszOld[] = {"Zelkor_20200101000001.dmp", "Zelkor_20200101000002.dmp",
                                  "Zelkor_20200101000003.dmp", "Other_20200101000000.dmp"};
    for (const char* pszName : pszOld) {
        std::ofstream(TodayFolder() + "/" + pszName, std::ios::binary) << strHalfMiB;
    }
    EXPECT_EQ(RunProbe({"main-null"}), kKilledBy + SIGSEGV);
    std::vector<std::string> vDumps = Dumps();
    ASSERT_EQ(vDumps.size(), 3u);
    EXPECT_EQ(vDumps[0], "Other_20200101000000.dmp");
    EXPECT_EQ(vDumps[1], "Zelkor_20200101000003.dmp");
    EXPECT_NE(vDumps[2].find("Zelkor_20"), std::string::npos);
    EXPECT_GT(std::filesystem::file_size(TodayFolder() + "/" + vDumps[2]), 0u);
}

// A crash whose day has no log folder leaves no dump and no journal, but is
// still reported, logged by the log tool and noticed.
TEST_F(CrashHandlerTest, WithoutTodaysFolderTheCrashIsStillReported)
{
    EXPECT_EQ(RunProbe({"main-null", "--remove-today"}), kKilledBy + SIGSEGV);
    EXPECT_FALSE(std::filesystem::exists(TodayFolder()));
    std::vector<std::string> vRequests = WebhookRequests(1);
    ASSERT_EQ(vRequests.size(), 1u);
    EXPECT_NE(vRequests[0].find(kReportText), std::string::npos);
    EXPECT_EQ(LogToolStarts().size(), 1u);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("\"id\":121"), std::string::npos);
}

// A program that is ending normally only dumps: the journal and the log
// line, no report, no log tool, no notice.
TEST_F(CrashHandlerTest, DumpOnlyWritesDumpJournalAndTheSkippedLine)
{
    EXPECT_EQ(RunProbe({"main-null", "--dump-only"}), kKilledBy + SIGSEGV);
    ExpectDumpOnlyCrash("dump only");
    EXPECT_TRUE(WebhookRequests(0).empty());
}

} // namespace
