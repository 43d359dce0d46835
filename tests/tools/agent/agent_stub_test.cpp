// The stand-in agent as real processes: the library's run calls start the
// NUBEQ process or re-bind the one that runs, the end call ends it, its
// test modes, configurable results and delays, the masked password, the
// log tool's journal, and nubeq-send's refusals.
#include "tests/support/child_process.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_data.h"

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread> // the clocks and durations (<chrono> itself does not build as CP949)

namespace {

using testsupport::ReadJsonLines;

class AgentStubTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(ZELKOR_STUB_AGENT_LIB, m_Folder.File("libNUBEQ_IF.so"));
        std::filesystem::create_symlink(ZELKOR_NUBEQ_EXE, m_Folder.File("NUBEQ"));
        m_hLibrary = dlopen(m_Folder.File("libNUBEQ_IF.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_hLibrary, nullptr) << dlerror();
        m_pfnProcessRun = reinterpret_cast<RunFn>(dlsym(m_hLibrary, "ProcessRun"));
        m_pfnProcessEnd = reinterpret_cast<EndFn>(dlsym(m_hLibrary, "ProcessEnd"));
        m_pfnSetData = reinterpret_cast<SetFn>(dlsym(m_hLibrary, "SetData"));
        ASSERT_TRUE(m_pfnProcessRun && m_pfnProcessEnd && m_pfnSetData);
    }
    void TearDown() override
    {
        if (int nPid = AgentPid()) {
            kill(nPid, SIGKILL);
        }
        dlclose(m_hLibrary);
    }

    int AgentPid() const
    {
        std::string strPid = m_Folder.ReadFile("NUBEQ.pid");
        int nPid = strPid.empty() ? 0 : std::stoi(strPid);
        return nPid > 0 && kill(nPid, 0) == 0 ? nPid : 0;
    }
    // The journal's calls in order; "call:agent" where the line says.
    std::vector<std::string> Calls() const
    {
        std::vector<std::string> vCalls;
        for (const Json::Value& line : ReadJsonLines(m_Folder.File("agent_journal.jsonl"))) {
            std::string strCall = line["call"].asString();
            if (line.isMember("agent")) {
                strCall += ":" + line["agent"].asString();
            }
            vCalls.push_back(strCall);
        }
        return vCalls;
    }

    using RunFn = int32_t (*)(intptr_t);
    using EndFn = int32_t (*)();
    using SetFn = int32_t (*)(const char*, const char*);

    testsupport::CTempProgramFolder m_Folder;
    void* m_hLibrary = nullptr;
    RunFn m_pfnProcessRun = nullptr;
    EndFn m_pfnProcessEnd = nullptr;
    SetFn m_pfnSetData = nullptr;
};

TEST_F(AgentStubTest, RunStartsTheAgentAgainRebindsItEndEndsIt)
{
    EXPECT_EQ(m_pfnProcessRun(101), 1);
    int nAgent = AgentPid();
    ASSERT_NE(nAgent, 0); // running when the call returns
    EXPECT_EQ(m_Folder.ReadFile("NUBEQ.window"), "101\n");
    EXPECT_EQ(m_pfnProcessRun(202), 1);
    EXPECT_EQ(AgentPid(), nAgent);
    EXPECT_EQ(m_Folder.ReadFile("NUBEQ.window"), "202\n");
    EXPECT_EQ(m_pfnProcessEnd(), 1);
    EXPECT_EQ(AgentPid(), 0);
    EXPECT_FALSE(std::filesystem::exists(m_Folder.File("NUBEQ.pid")));
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"NUBEQ.Start", "ProcessRun:started", "ProcessRun:rebound",
                                        "NUBEQ.End", "ProcessEnd:ended"}));
    std::vector<Json::Value> vLines = ReadJsonLines(m_Folder.File("agent_journal.jsonl"));
    EXPECT_EQ(vLines[0]["args"]["window"].asInt(), 101);
    EXPECT_EQ(vLines[0]["pid"].asInt(), nAgent);
    EXPECT_EQ(vLines[1]["pid"].asInt(), getpid());
    EXPECT_LE(vLines[0]["ms"].asInt64(), vLines[1]["ms"].asInt64());
}

TEST_F(AgentStubTest, TestModesOfTheAgent)
{
    m_Folder.WriteFile("agent_stub.ini", "[NUBEQ]\r\nMode=ignore-end\r\nEndWaitMs=300\r\n");
    ASSERT_EQ(m_pfnProcessRun(7), 1);
    int nAgent = AgentPid();
    ASSERT_NE(nAgent, 0);
    EXPECT_EQ(m_pfnProcessEnd(), 1);
    EXPECT_EQ(AgentPid(), nAgent); // still there
    kill(nAgent, SIGKILL);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return AgentPid() == 0; }, 10000));

    EXPECT_EQ(Calls(), (std::vector<std::string>{"NUBEQ.Start", "ProcessRun:started",
                                                 "NUBEQ.EndIgnored", "ProcessEnd:running"}));

    // Ends right after its start (its end and the run call's line may come
    // in either order).
    m_Folder.WriteFile("agent_stub.ini", "[NUBEQ]\r\nMode=exit-at-once\r\n");
    ASSERT_EQ(m_pfnProcessRun(8), 1);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Calls().size() == 7; }, 10000));
    EXPECT_EQ(AgentPid(), 0);
    std::vector<std::string> vCalls = Calls();
    std::vector<std::string> vLast(vCalls.begin() + 5, vCalls.end());
    std::sort(vLast.begin(), vLast.end());
    EXPECT_EQ(vLast, (std::vector<std::string>{"NUBEQ.End", "ProcessRun:started"}));
}

TEST_F(AgentStubTest, ResultsDelaysAndTheMaskedPassword)
{
    m_Folder.WriteFile("agent_stub.ini",
                       "[RESULTS]\r\nProcessRun=0\r\nSetData=5\r\nProcessEnd=-2\r\n"
                       "[DELAYS]\r\nSetData=200\r\n");
    EXPECT_EQ(m_pfnProcessRun(9), 0);
    EXPECT_EQ(AgentPid(), 0); // a failed run starts nothing
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m_pfnSetData("userpw", "s3cret-pw"), 5);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
    EXPECT_EQ(m_pfnProcessEnd(), -2);
    std::string strJournal = m_Folder.ReadFile("agent_journal.jsonl");
    EXPECT_EQ(strJournal.find("s3cret-pw"), std::string::npos);
    EXPECT_NE(strJournal.find("{\"key\":\"userpw\",\"value\":\"****\"}"), std::string::npos);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"ProcessRun:", "SetData", "ProcessEnd:none"}));
}

TEST(AgentToolsTest, LogToolJournalsItsArguments)
{
    testsupport::CTempProgramFolder folder;
    std::string strOut;
    ASSERT_EQ(testsupport::RunProgram({ZELKOR_NUBEQ_LOG_EXE, "WEEK", "-et", "APP CRASH", "-ed",
                                       "비정상적인 종료가 발견 됨."},
                                      {}, &strOut),
              0);
    std::vector<Json::Value> vLines = ReadJsonLines(folder.File("agent_journal.jsonl"));
    ASSERT_EQ(vLines.size(), 1u);
    EXPECT_EQ(vLines[0]["call"].asString(), "NUBEQ_LOG");
    ASSERT_EQ(vLines[0]["args"]["argv"].size(), 5u);
    EXPECT_EQ(vLines[0]["args"]["argv"][2].asString(), "APP CRASH");
    EXPECT_EQ(vLines[0]["args"]["argv"][4].asString(), "비정상적인 종료가 발견 됨.");
}

TEST(AgentToolsTest, SendRefusesBadUseAndAMissingProgram)
{
    testsupport::CTempProgramFolder folder;
    struct SCase
    {
        std::vector<std::string> vArgs;
        int nExit;
    } cases[] = {
        {{}, 2},
        {{"36001"}, 2},
        {{"x", "file"}, 2},
        {{"36001", "/nonexistent/orders.json"}, 2},
        {{"--no-data", "36001"}, 1}, // nothing runs: no window
        {{"--window", "12345", "--message", "16"}, 1},
    };
    for (const SCase& c : cases) {
        std::vector<std::string> vCommand = {ZELKOR_NUBEQ_SEND_EXE};
        vCommand.insert(vCommand.end(), c.vArgs.begin(), c.vArgs.end());
        std::string strOut;
        EXPECT_EQ(testsupport::RunProgram(vCommand, {}, &strOut), c.nExit) << strOut;
    }
}

} // namespace
