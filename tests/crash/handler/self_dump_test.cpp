// The crash handler against real crashes of zelkor-crash-probe: the dump
// that lldb opens, the crash journal, the report that reaches the local
// TLS webhook, the agent's log tool, the notice, and the process dying by
// its signal. Core files are off for the probe.
#include "foundation/module_util.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"
#include "tests/support/text_lines.h"
#include "tests/support/tls_server.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using testsupport::CTestCertificateAuthority;
using testsupport::CTlsServer;
using testsupport::SplitLines;

const char* const kProbe = ZELKOR_CRASH_PROBE_EXE;
const char* const kWebhookPath =
    "/services/1234567890123456789/9876543210987654321/abcdefghij_KLMNOP-1234";
const char* const kReportText = "[CSelfDump::CbTopLevelExceptionFilter] Zelkor App crash occured.";
const char* const kSkippedLine =
    "[CSelfDump::CbTopLevelExceptionFilter] Zelkor App crash occured. Skipped customize function.";
const char* const kBoxEndLine = "[CSelfDump::CbTopLevelExceptionFilter] ErrorMessageBox End...";
// What the agent's log tool is started with, one argument per field.
const char* const kLogToolLine = "WEEK\t-et\tAPP CRASH\t-ed\t비정상적인 종료가 발견 됨.";
// The notice in the message box journal: id, text, caption and buttons.
const char* const kNoticeEntry =
    "\"id\":121,\"text\":\"일시적인 문제가 발생하여 Zelkor를 종료합니다\\r\\n"
    "다시 시도해주세요.\\r\\n전화 장애접수 : 1599-0000\",\"caption\":\"Zelkor\","
    "\"buttons\":\"OK\"";
const char* const kJournalKeys[] = {"Prefix", "DumpPath", "ProcessId", "CrashModulePath",
                                    "SuccessWriteDump"};

// The stand-in for the agent's log tool: one line per start, its arguments
// separated by tabs.
const char* const kLogToolScript =
    "#!/bin/sh\n"
    "{ first=1; for a in \"$@\"; do [ $first = 1 ] || printf '\\t'; printf '%s' \"$a\"; first=0; "
    "done; printf '\\n'; } >> \"$ZELKOR_HOME/nubeq_log_journal.txt\"\n";

struct SProbeRun
{
    int nPid = 0;
    int nSignal = 0;    // the signal that ended it, 0 when it exited
    int nExitCode = -1; // when it exited
    bool bTimedOut = false;
};

// The sections of CrashDmp.log, each a key-value map.
std::vector<std::map<std::string, std::string>> JournalSections(const std::string& strText,
                                                                std::vector<std::string>* pNames)
{
    std::vector<std::map<std::string, std::string>> vSections;
    for (std::string strLine : SplitLines(strText)) {
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        if (!strLine.empty() && strLine.front() == '[' && strLine.back() == ']') {
            vSections.emplace_back();
            if (pNames != nullptr) {
                pNames->push_back(strLine.substr(1, strLine.size() - 2));
            }
        } else if (size_t nEq = strLine.find('='); nEq != std::string::npos && !vSections.empty()) {
            vSections.back()[strLine.substr(0, nEq)] = strLine.substr(nEq + 1);
        }
    }
    return vSections;
}

class CrashHandlerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Folder.WriteFile("ca.pem", m_Ca.CertificatePem());
        CTlsServer::Options options;
        options.strReply = CTlsServer::HttpReply("200 OK", "ok");
        m_pServer = std::make_unique<CTlsServer>(m_Ca, options);
        m_Folder.WriteFile("Config.ini", "[WEBHOOK]\r\nHost=https://127.0.0.1:" +
                                             std::to_string(m_pServer->Port()) +
                                             "\r\nPathRelease=" + kWebhookPath +
                                             "\r\nCaFile=" + m_Folder.File("ca.pem") + "\r\n");
        // The program file whose digest the report carries.
        m_Folder.WriteFile("Zelkor", "the program file\n");
        ASSERT_TRUE(GetMD5(m_Folder.File("Zelkor").c_str(), m_strDigest));
        m_Folder.WriteFile("NUBEQ_LOG", kLogToolScript);
        std::filesystem::permissions(m_Folder.File("NUBEQ_LOG"), std::filesystem::perms::owner_all);
    }

    // Runs the probe to its end (at most 60 s). fnRunning is called once it
    // has printed its first line, with its pid.
    SProbeRun RunProbe(const std::vector<std::string>& vArgs,
                       const std::function<void(int nPid)>& fnRunning = {})
    {
        std::vector<std::string> vArgv{kProbe};
        vArgv.insert(vArgv.end(), vArgs.begin(), vArgs.end());
        std::vector<char*> vArgPointers;
        for (std::string& strArg : vArgv) {
            vArgPointers.push_back(strArg.data());
        }
        vArgPointers.push_back(nullptr);
        // The environment is made before the fork: the child only execs.
        std::vector<std::string> vEnv;
        for (char** p = environ; *p != nullptr; ++p) {
            if (std::strncmp(*p, "ZELKOR_MESSAGEBOX_", 18) != 0) {
                vEnv.emplace_back(*p);
            }
        }
        vEnv.push_back("ZELKOR_MESSAGEBOX_JOURNAL=" + m_Folder.File("boxes.jsonl"));
        std::vector<char*> vEnvPointers;
        for (std::string& strVar : vEnv) {
            vEnvPointers.push_back(strVar.data());
        }
        vEnvPointers.push_back(nullptr);

        int hPipe[2];
        EXPECT_EQ(pipe2(hPipe, O_CLOEXEC), 0);
        SProbeRun run;
        run.nPid = fork();
        if (run.nPid == 0) {
            rlimit noCore{0, 0}; // ulimit -c 0
            setrlimit(RLIMIT_CORE, &noCore);
            dup2(hPipe[1], STDOUT_FILENO);
            execve(vArgPointers[0], vArgPointers.data(), vEnvPointers.data());
            _exit(127);
        }
        close(hPipe[1]);
        if (fnRunning) {
            pollfd fd{hPipe[0], POLLIN, 0};
            char szLine[64] = {};
            if (poll(&fd, 1, 20000) == 1 && read(hPipe[0], szLine, sizeof(szLine) - 1) > 0) {
                fnRunning(run.nPid);
            }
        }
        int nStatus = 0;
        for (int i = 0; i < 600; ++i) {
            if (waitpid(run.nPid, &nStatus, WNOHANG) == run.nPid) {
                close(hPipe[0]);
                if (WIFSIGNALED(nStatus)) {
                    run.nSignal = WTERMSIG(nStatus);
                } else if (WIFEXITED(nStatus)) {
                    run.nExitCode = WEXITSTATUS(nStatus);
                }
                return run;
            }
            usleep(100 * 1000);
        }
        kill(run.nPid, SIGKILL);
        waitpid(run.nPid, &nStatus, 0);
        close(hPipe[0]);
        run.bTimedOut = true;
        return run;
    }

    std::string TodayFolder() const
    {
        time_t nNow = time(nullptr);
        tm parts{};
        localtime_r(&nNow, &parts);
        char szDate[40];
        std::snprintf(szDate, sizeof(szDate), "%04d%02d%02d", parts.tm_year + 1900,
                      parts.tm_mon + 1, parts.tm_mday);
        return m_Folder.LogRoot() + "/" + szDate;
    }

    // The dump files of the day's folder, sorted by name.
    std::vector<std::string> Dumps() const
    {
        std::vector<std::string> vDumps;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(TodayFolder(), ec)) {
            if (entry.path().extension() == ".dmp") {
                vDumps.push_back(entry.path().filename().string());
            }
        }
        std::sort(vDumps.begin(), vDumps.end());
        return vDumps;
    }

    std::string Log() const
    {
        std::string strLog;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(TodayFolder(), ec)) {
            if (entry.path().extension() == ".log" && entry.path().filename() != "CrashDmp.log") {
                strLog += testsupport::ReadWholeFile(entry.path().string());
            }
        }
        return strLog;
    }

    // What lldb prints for the commands on the dump opened with the probe.
    static std::string Lldb(const std::string& strDump, const std::string& strCommands)
    {
        return testsupport::CommandOutput("timeout 120 lldb --batch --no-lldbinit -c '" + strDump +
                                          "' '" + kProbe + "' " + strCommands + " 2>&1");
    }

    // The requests the webhook got, after the probe has ended.
    std::vector<std::string> WebhookRequests(int nExpected) const
    {
        m_pServer->WaitForConnectionsEnded(nExpected, 5000);
        return m_pServer->Requests();
    }

    void ExpectOneNotice(const char* pszCase) const
    {
        std::vector<std::string> vBoxes = SplitLines(m_Folder.ReadFile("boxes.jsonl"));
        ASSERT_EQ(vBoxes.size(), 1u) << pszCase;
        EXPECT_NE(vBoxes[0].find(kNoticeEntry), std::string::npos) << pszCase << " " << vBoxes[0];
    }

    // Everything a reported crash leaves: one dump whose journal section
    // says it was written, one report with the digest at the webhook, one
    // start of the log tool, one notice and the line after it.
    void ExpectReportedCrash(const char* pszCase)
    {
        std::vector<std::string> vDumps = Dumps();
        ASSERT_EQ(vDumps.size(), 1u) << pszCase;
        std::vector<std::string> vNames;
        auto vSections =
            JournalSections(testsupport::ReadWholeFile(TodayFolder() + "/CrashDmp.log"), &vNames);
        ASSERT_EQ(vSections.size(), 1u) << pszCase;
        for (const char* pszKey : kJournalKeys) {
            EXPECT_EQ(vSections[0].count(pszKey), 1u) << pszCase << " " << pszKey;
        }
        EXPECT_EQ(vSections[0]["Prefix"], "Zelkor") << pszCase;
        EXPECT_EQ(vSections[0]["DumpPath"], TodayFolder() + "/" + vDumps[0]) << pszCase;
        EXPECT_EQ(vSections[0]["CrashModulePath"], std::filesystem::canonical(kProbe).string())
            << pszCase;
        EXPECT_EQ(vSections[0]["SuccessWriteDump"], "yes") << pszCase;
        // The section is named after the dump's time, with milliseconds.
        ASSERT_EQ(vNames[0].size(), 18u) << pszCase;
        EXPECT_EQ("Zelkor_" + vNames[0].substr(0, 8) + vNames[0].substr(9, 6) + ".dmp", vDumps[0])
            << pszCase;

        std::vector<std::string> vRequests = WebhookRequests(1);
        ASSERT_EQ(vRequests.size(), 1u) << pszCase;
        EXPECT_NE(vRequests[0].find(kReportText), std::string::npos) << pszCase;
        EXPECT_NE(vRequests[0].find("Hash : " + m_strDigest), std::string::npos) << pszCase;
        EXPECT_NE(vRequests[0].find("\"color\" : \"red\""), std::string::npos) << pszCase;

        EXPECT_EQ(SplitLines(m_Folder.ReadFile("nubeq_log_journal.txt")),
                  std::vector<std::string>{kLogToolLine})
            << pszCase;
        ExpectOneNotice(pszCase);
        EXPECT_NE(Log().find(kBoxEndLine), std::string::npos) << pszCase;
        EXPECT_EQ(Log().find(kSkippedLine), std::string::npos) << pszCase;
    }

    testsupport::CTempProgramFolder m_Folder;
    CTestCertificateAuthority m_Ca{"Zelkor Test CA"};
    std::unique_ptr<CTlsServer> m_pServer;
    std::string m_strDigest;
};

TEST_F(CrashHandlerTest, KillSegvOfARunningProgram)
{
    SProbeRun run = RunProbe({"wait"}, [](int nPid) { kill(nPid, SIGSEGV); });
    ASSERT_FALSE(run.bTimedOut);
    EXPECT_EQ(run.nSignal, SIGSEGV);
    ExpectReportedCrash("kill -SEGV");

    std::vector<std::string> vDumps = Dumps();
    ASSERT_EQ(vDumps.size(), 1u);
    std::string strLldb = Lldb(TodayFolder() + "/" + vDumps[0], "-o 'bt 8'");
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
    SProbeRun run = RunProbe(c.vArgs);
    ASSERT_FALSE(run.bTimedOut) << c.pszName;
    EXPECT_EQ(run.nSignal, c.nSignal) << c.pszName;
    ExpectReportedCrash(c.pszName);
    if (*c.pszLogLine != '\0') {
        EXPECT_NE(Log().find(c.pszLogLine), std::string::npos) << c.pszName;
    }
    std::vector<std::string> vDumps = Dumps();
    ASSERT_EQ(vDumps.size(), 1u);
    std::string strLldb = Lldb(TodayFolder() + "/" + vDumps[0], "-o 'bt 12'");
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
    SProbeRun run = RunProbe({"main-null"});
    ASSERT_FALSE(run.bTimedOut);
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
    SProbeRun run = RunProbe({"main-null", "--remove-today"});
    ASSERT_FALSE(run.bTimedOut);
    EXPECT_EQ(run.nSignal, SIGSEGV);
    EXPECT_FALSE(std::filesystem::exists(TodayFolder()));
    std::vector<std::string> vRequests = WebhookRequests(1);
    ASSERT_EQ(vRequests.size(), 1u);
    EXPECT_NE(vRequests[0].find(kReportText), std::string::npos);
    EXPECT_EQ(SplitLines(m_Folder.ReadFile("nubeq_log_journal.txt")),
              std::vector<std::string>{kLogToolLine});
    ExpectOneNotice("no folder");
}

// A program that is ending normally only dumps: the journal and the log
// line, no report, no log tool, no notice.
TEST_F(CrashHandlerTest, DumpOnlyWritesDumpJournalAndTheSkippedLine)
{
    SProbeRun run = RunProbe({"main-null", "--dump-only"});
    ASSERT_FALSE(run.bTimedOut);
    EXPECT_EQ(run.nSignal, SIGSEGV);
    EXPECT_EQ(Dumps().size(), 1u);
    auto vSections =
        JournalSections(testsupport::ReadWholeFile(TodayFolder() + "/CrashDmp.log"), nullptr);
    ASSERT_EQ(vSections.size(), 1u);
    EXPECT_EQ(vSections[0]["SuccessWriteDump"], "yes");
    EXPECT_NE(Log().find(kSkippedLine), std::string::npos);
    EXPECT_TRUE(WebhookRequests(0).empty());
    EXPECT_FALSE(std::filesystem::exists(m_Folder.File("nubeq_log_journal.txt")));
    EXPECT_FALSE(std::filesystem::exists(m_Folder.File("boxes.jsonl")));
}

} // namespace
