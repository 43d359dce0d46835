// The crash tests' fixture and checks.
#include "tests/crash/handler/crash_fixture.h"

#include "foundation/module_util.h"
#include "tests/support/test_data.h"
#include "tests/support/text_lines.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <sys/resource.h>

namespace crashtest {

const char* const kReportText = "[CSelfDump::CbTopLevelExceptionFilter] Zelkor App crash occured.";
const char* const kSkippedLine =
    "[CSelfDump::CbTopLevelExceptionFilter] Zelkor App crash occured. Skipped customize function.";
const char* const kBoxEndLine = "[CSelfDump::CbTopLevelExceptionFilter] ErrorMessageBox End...";

namespace {

const char* const kWebhookPath =
    "/services/1234567890123456789/9876543210987654321/abcdefghij_KLMNOP-1234";
const char* const kJournalKeys[] = {"Prefix", "DumpPath", "ProcessId", "CrashModulePath",
                                    "SuccessWriteDump"};
// What the agent's log tool is started with.
const std::vector<std::string> kLogToolArgs = {"WEEK", "-et", "APP CRASH", "-ed",
                                               "비정상적인 종료가 발견 됨."};
// The notice in the message box journal: id, text, caption and buttons.
const char* const kNoticeEntry =
    "\"id\":121,\"text\":\"일시적인 문제가 발생하여 Zelkor를 종료합니다\\r\\n"
    "다시 시도해주세요.\\r\\n전화 장애접수 : 1599-0000\",\"caption\":\"Zelkor\","
    "\"buttons\":\"OK\"";

} // namespace

CrashFixture::CrashFixture(bool bStallWebhook) : m_bStallWebhook(bStallWebhook) {}

void CrashFixture::SetUp()
{
    // ulimit -c 0: the crashes of the programs under test leave no core.
    rlimit noCore{0, 0};
    ASSERT_EQ(setrlimit(RLIMIT_CORE, &noCore), 0);
    m_Folder.WriteFile("ca.pem", m_Ca.CertificatePem());
    testsupport::CTlsServer::Options options;
    options.eMode = m_bStallWebhook ? testsupport::CTlsServer::EMode::Stall
                                    : testsupport::CTlsServer::EMode::Reply;
    options.strReply = testsupport::CTlsServer::HttpReply("200 OK", "ok");
    m_pServer = std::make_unique<testsupport::CTlsServer>(m_Ca, options);
    WriteConfig();
    std::filesystem::create_symlink(ZELKOR_NUBEQ_LOG_EXE, m_Folder.File("NUBEQ_LOG"));
}

void CrashFixture::WriteConfig(const std::string& strMore) const
{
    m_Folder.WriteFile("Config.ini",
                       "[WEBHOOK]\r\nHost=https://127.0.0.1:" + std::to_string(m_pServer->Port()) +
                           "\r\nPathRelease=" + kWebhookPath +
                           "\r\nCaFile=" + m_Folder.File("ca.pem") + "\r\n" + strMore);
}

std::string CrashFixture::TodayFolder() const
{
    time_t nNow = time(nullptr);
    tm parts{};
    localtime_r(&nNow, &parts);
    char szDate[40];
    std::snprintf(szDate, sizeof(szDate), "%04d%02d%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday);
    return m_Folder.LogRoot() + "/" + szDate;
}

std::vector<std::string> CrashFixture::Dumps() const
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

std::vector<SJournalSection> CrashFixture::Journal(std::vector<std::string>* pNames) const
{
    std::vector<SJournalSection> vSections;
    for (std::string strLine :
         testsupport::SplitLines(testsupport::ReadWholeFile(TodayFolder() + "/CrashDmp.log"))) {
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

std::string CrashFixture::Log() const
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

std::string CrashFixture::Lldb(const std::string& strDump, const std::string& strExe,
                               const std::string& strCommands)
{
    return testsupport::CommandOutput("timeout 120 lldb --batch --no-lldbinit -c '" + strDump +
                                      "' '" + strExe + "' " + strCommands + " 2>&1");
}

std::vector<std::string> CrashFixture::WebhookRequests(int nExpected) const
{
    m_pServer->WaitForConnectionsEnded(nExpected, 5000);
    return m_pServer->Requests();
}

std::vector<std::vector<std::string>> CrashFixture::LogToolStarts() const
{
    std::vector<std::vector<std::string>> vStarts;
    const std::string strJournal = m_Folder.File("agent_journal.jsonl");
    if (!std::filesystem::exists(strJournal)) {
        return vStarts;
    }
    for (const Json::Value& line : testsupport::ReadJsonLines(strJournal)) {
        if (line["call"].asString() == "NUBEQ_LOG") {
            std::vector<std::string> vArgs;
            for (const Json::Value& arg : line["args"]["argv"]) {
                vArgs.push_back(arg.asString());
            }
            vStarts.push_back(vArgs);
        }
    }
    return vStarts;
}

std::vector<std::string> CrashFixture::Boxes() const
{
    return testsupport::SplitLines(m_Folder.ReadFile("boxes.jsonl"));
}

void CrashFixture::ExpectReportedCrash(const char* pszCase, const std::string& strExe)
{
    std::vector<std::string> vDumps = Dumps();
    ASSERT_EQ(vDumps.size(), 1u) << pszCase;
    std::vector<std::string> vNames;
    std::vector<SJournalSection> vSections = Journal(&vNames);
    ASSERT_EQ(vSections.size(), 1u) << pszCase;
    for (const char* pszKey : kJournalKeys) {
        EXPECT_EQ(vSections[0].count(pszKey), 1u) << pszCase << " " << pszKey;
    }
    EXPECT_EQ(vSections[0]["Prefix"], "Zelkor") << pszCase;
    EXPECT_EQ(vSections[0]["DumpPath"], TodayFolder() + "/" + vDumps[0]) << pszCase;
    EXPECT_EQ(vSections[0]["CrashModulePath"], std::filesystem::canonical(strExe).string())
        << pszCase;
    EXPECT_EQ(vSections[0]["SuccessWriteDump"], "yes") << pszCase;
    // The section is named after the dump's time, with milliseconds.
    ASSERT_EQ(vNames[0].size(), 18u) << pszCase;
    EXPECT_EQ("Zelkor_" + vNames[0].substr(0, 8) + vNames[0].substr(9, 6) + ".dmp", vDumps[0])
        << pszCase;

    std::string strDigest;
    ASSERT_TRUE(GetMD5(m_Folder.File("Zelkor").c_str(), strDigest)) << pszCase;
    std::vector<std::string> vRequests = WebhookRequests(1);
    ASSERT_EQ(vRequests.size(), 1u) << pszCase;
    EXPECT_NE(vRequests[0].find(kReportText), std::string::npos) << pszCase;
    EXPECT_NE(vRequests[0].find("Hash : " + strDigest), std::string::npos) << pszCase;
    EXPECT_NE(vRequests[0].find("\"color\" : \"red\""), std::string::npos) << pszCase;

    EXPECT_EQ(LogToolStarts(), std::vector<std::vector<std::string>>{kLogToolArgs}) << pszCase;
    std::vector<std::string> vNotices;
    for (const std::string& strBox : Boxes()) {
        if (strBox.find("\"id\":121,") != std::string::npos) {
            vNotices.push_back(strBox);
        }
    }
    ASSERT_EQ(vNotices.size(), 1u) << pszCase;
    EXPECT_NE(vNotices[0].find(kNoticeEntry), std::string::npos) << pszCase << " " << vNotices[0];
    const std::string strLog = Log();
    EXPECT_NE(strLog.find(kBoxEndLine), std::string::npos) << pszCase;
    EXPECT_EQ(strLog.find(kSkippedLine), std::string::npos) << pszCase;
}

void CrashFixture::ExpectDumpOnlyCrash(const char* pszCase)
{
    EXPECT_EQ(Dumps().size(), 1u) << pszCase;
    std::vector<SJournalSection> vSections = Journal();
    ASSERT_EQ(vSections.size(), 1u) << pszCase;
    EXPECT_EQ(vSections[0]["SuccessWriteDump"], "yes") << pszCase;
    const std::string strLog = Log();
    EXPECT_NE(strLog.find(kSkippedLine), std::string::npos) << pszCase;
    EXPECT_EQ(strLog.find(kBoxEndLine), std::string::npos) << pszCase;
    for (const std::string& strRequest : m_pServer->Requests()) {
        EXPECT_EQ(strRequest.find(kReportText), std::string::npos) << pszCase;
    }
    EXPECT_TRUE(LogToolStarts().empty()) << pszCase;
    for (const std::string& strBox : Boxes()) {
        EXPECT_EQ(strBox.find("\"id\":121,"), std::string::npos) << pszCase;
    }
}

} // namespace crashtest
