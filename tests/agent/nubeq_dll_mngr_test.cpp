// CNubeqDllMngr against the real stand-in agent library copied into a
// program folder: every wrapper reaches its export, results come back as
// the library gives them, missing libraries and exports give -1.
#include "agent/nubeq_dll_mngr.h"
#include "tests/support/program_folder.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/value.h>
#include <json/writer.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testsupport::CTempProgramFolder;

const char* const kJournal = "agent_journal.jsonl";

// Every line of the stand-in's journal, parsed.
std::vector<Json::Value> ReadJournal(const CTempProgramFolder& folder)
{
    std::vector<Json::Value> vecLines;
    std::istringstream stream(folder.ReadFile(kJournal));
    std::string strLine;
    while (std::getline(stream, strLine)) {
        Json::CharReaderBuilder builder;
        std::unique_ptr<Json::CharReader> pReader(builder.newCharReader());
        Json::Value line;
        std::string strErrors;
        EXPECT_TRUE(
            pReader->parse(strLine.data(), strLine.data() + strLine.size(), &line, &strErrors))
            << strLine;
        vecLines.push_back(line);
    }
    return vecLines;
}

class NubeqDllMngrTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_Folder.StartLog()); }

    void InstallLibrary(const char* pszBuiltLibrary)
    {
        std::filesystem::copy_file(pszBuiltLibrary, m_Folder.File("libNUBEQ_IF.so"),
                                   std::filesystem::copy_options::overwrite_existing);
    }

    CTempProgramFolder m_Folder;
};

struct SWrapperCase
{
    const char* pszCall;
    std::function<int(CNubeqDllMngr&)> fnCall;
    const char* pszArgs; // the journal's "args" object, compact
};

TEST_F(NubeqDllMngrTest, EveryWrapperReachesItsExportWithItsArguments)
{
    InstallLibrary(ZELKOR_STUB_AGENT_LIB);
    const std::string strOrder = "[{\"desc\":\"양념치킨 \\\"반반\\\"\"}]";
    const SWrapperCase cases[] = {
        {"ProcessRun", [](CNubeqDllMngr& m) { return m.Call_ProcessRun(0x2a); }, "{\"hWnd\":42}"},
        {"DailyRun", [](CNubeqDllMngr& m) { return m.Call_DailyRun(7); }, "{\"hWnd\":7}"},
        {"SendData", [&](CNubeqDllMngr& m) { return m.Call_SendData("ACCEPTED", strOrder); },
         nullptr},
        {"SetData", [](CNubeqDllMngr& m) { return m.Call_SetData("loginType", "bsnum"); },
         "{\"key\":\"loginType\",\"value\":\"bsnum\"}"},
        {"RequestJob", [](CNubeqDllMngr& m) { return m.Call_RequestJob("WIDGET_INIT", ""); },
         "{\"key\":\"WIDGET_INIT\",\"type\":\"\"}"},
        {"RegisterShopEx", [](CNubeqDllMngr& m) { return m.Call_RegisterShopEx(); }, "{}"},
        {"ProcessEnd", [](CNubeqDllMngr& m) { return m.Call_ProcessEnd(); }, "{}"},
    };
    CNubeqDllMngr mngr;
    ASSERT_TRUE(mngr.IsLoaded());
    for (const char* pszExport :
         {"ProcessRun", "DailyRun", "ProcessEnd", "SendData", "SetData", "RequestJob",
          "RegisterShopEx", "GetInfo", "IsRegisterShop", "RegisterShop", "GetData"}) {
        EXPECT_TRUE(mngr.HasExport(pszExport)) << pszExport;
    }
    for (const SWrapperCase& c : cases) {
        EXPECT_EQ(1, c.fnCall(mngr)) << c.pszCall;
    }

    std::vector<Json::Value> journal = ReadJournal(m_Folder);
    ASSERT_EQ(std::size(cases), journal.size());
    Json::StreamWriterBuilder compact;
    compact["indentation"] = "";
    compact["emitUTF8"] = true;
    for (size_t i = 0; i < journal.size(); ++i) {
        SCOPED_TRACE(cases[i].pszCall);
        EXPECT_EQ(cases[i].pszCall, journal[i]["call"].asString());
        EXPECT_EQ(1, journal[i]["result"].asInt());
        if (cases[i].pszArgs != nullptr) {
            EXPECT_EQ(cases[i].pszArgs, Json::writeString(compact, journal[i]["args"]));
        }
    }
    // The data goes through byte for byte (CP949, quotes and all).
    EXPECT_EQ("ACCEPTED", journal[2]["args"]["command"].asString());
    EXPECT_EQ(strOrder, journal[2]["args"]["data"].asString());

    const std::string strLog = m_Folder.ReadCurrentLog();
    for (const char* pszLine :
         {"[CNubeqDllMngr::Call_ProcessRun]", "[CNubeqDllMngr::Call_DailyRun]",
          "[CNubeqDllMngr::Call_ProcessEnd]",
          "[CNubeqDllMngr::Call_RequestJob] key : WIDGET_INIT strType : \r\n"}) {
        EXPECT_NE(std::string::npos, strLog.find(pszLine)) << pszLine;
    }
    EXPECT_EQ(std::string::npos, strLog.find("Function Point NULL"));
}

TEST_F(NubeqDllMngrTest, ResultsAreTheLibrarysOwn)
{
    InstallLibrary(ZELKOR_STUB_AGENT_LIB);
    m_Folder.WriteFile("agent_stub.ini", "[RESULTS]\r\nSendData=0\r\nSendData.FAILED=-3\r\n"
                                         "RequestJob=2\r\nRegisterShopEx=-2\r\nProcessRun=0\r\n"
                                         "DailyRun=5\r\n");
    CNubeqDllMngr mngr;
    struct SCase
    {
        const char* pszName;
        int nResult;
        int nExpected;
    } cases[] = {
        {"SendData ACCEPTED refused", mngr.Call_SendData("ACCEPTED", "[]"), 0},
        {"SendData FAILED by its own key", mngr.Call_SendData("FAILED", "[]"), -3},
        {"RequestJob", mngr.Call_RequestJob("SHOW_POPUP", "{}"), 2},
        {"RegisterShopEx failure code", mngr.Call_RegisterShopEx(), -2},
        {"ProcessRun", mngr.Call_ProcessRun(1), 0},
        {"DailyRun", mngr.Call_DailyRun(1), 5},
        {"SetData always 1", mngr.Call_SetData("orgno", "1"), 1},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(c.nExpected, c.nResult) << c.pszName;
    }
    std::vector<Json::Value> journal = ReadJournal(m_Folder);
    ASSERT_EQ(std::size(cases), journal.size());
    EXPECT_EQ(-3, journal[1]["result"].asInt());
    EXPECT_EQ(-2, journal[3]["result"].asInt());
}

TEST_F(NubeqDllMngrTest, MissingExportIsLoggedAndItsCallGivesMinusOne)
{
    InstallLibrary(ZELKOR_STUB_AGENT_LIB_WITHOUT_SEND_DATA);
    CNubeqDllMngr mngr;
    EXPECT_TRUE(mngr.IsLoaded());
    EXPECT_FALSE(mngr.HasExport("SendData"));
    EXPECT_EQ(NUBEQ_CALL_MISSING, mngr.Call_SendData("ACCEPTED", "[]"));
    EXPECT_EQ(NUBEQ_CALL_MISSING, mngr.Call_SendData("COMPLETED", "[]"));
    EXPECT_EQ(1, mngr.Call_RequestJob("SHOW_POPUP", "{}"));

    std::vector<Json::Value> journal = ReadJournal(m_Folder);
    ASSERT_EQ(1u, journal.size());
    EXPECT_EQ("RequestJob", journal[0]["call"].asString());
    const std::string strLog = m_Folder.ReadCurrentLog();
    const std::string strMissing = "[CNubeqDllMngr::InitFunction] SendData Function Point NULL";
    size_t nFirst = strLog.find(strMissing);
    EXPECT_NE(std::string::npos, nFirst);
    // Loaded once: the retry of a call site does not resolve again.
    EXPECT_EQ(std::string::npos, strLog.find(strMissing, nFirst + 1));
    EXPECT_EQ(std::string::npos, strLog.find("RequestJob Function Point NULL"));
}

TEST_F(NubeqDllMngrTest, LibraryThatAppearsLaterIsLoadedByTheNextCall)
{
    CNubeqDllMngr mngr;
    EXPECT_FALSE(mngr.IsLoaded());
    EXPECT_EQ(NUBEQ_CALL_MISSING, mngr.Call_SendData("ACCEPTED", "[]"));
    EXPECT_EQ(NUBEQ_CALL_MISSING, mngr.Call_ProcessRun(1));
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(std::string::npos,
              strLog.find("[CNubeqDllMngr::InitFunction] NUBEQ_IF.dll Load Fail !!! WinError [2]"));

    InstallLibrary(ZELKOR_STUB_AGENT_LIB);
    EXPECT_EQ(1, mngr.Call_SendData("ACCEPTED", "[]"));
    EXPECT_TRUE(mngr.IsLoaded());
    std::vector<Json::Value> journal = ReadJournal(m_Folder);
    ASSERT_EQ(1u, journal.size());
    EXPECT_EQ("SendData", journal[0]["call"].asString());
}

TEST_F(NubeqDllMngrTest, ReleasedManagerNeverCallsIntoTheLibraryAgain)
{
    InstallLibrary(ZELKOR_STUB_AGENT_LIB);
    CNubeqDllMngr mngr;
    mngr.Release();
    EXPECT_FALSE(mngr.IsLoaded());
    EXPECT_EQ(NUBEQ_CALL_MISSING, mngr.Call_ProcessEnd());
    EXPECT_EQ(NUBEQ_CALL_MISSING, mngr.Call_RequestJob("SHOW_POPUP", "{}"));
    EXPECT_TRUE(ReadJournal(m_Folder).empty());
}

} // namespace
