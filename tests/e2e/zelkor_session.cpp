// CZelkorSession and the log helpers of the end-to-end tests.
#include "tests/e2e/zelkor_session.h"

#include "platform/local_clock.h"
#include "platform/window_endpoint_client.h"
#include "tests/support/test_data.h"

#include <csignal>
#include <cstdio>
#include <filesystem>

namespace e2e {

const char* const kWindowTitle = "젤코르";

CZelkorSession::CZelkorSession(const std::string& strConfig)
{
    namespace fs = std::filesystem;
    m_Folder.WriteFile(
        "Config.ini", !strConfig.empty()
                          ? strConfig
                          : "[POS]\r\nNobizer=1234567890\r\nStoreId=ST1\r\n[ORDER]\r\nStartNo=1\r\n"
                            "LastNo=1\r\nLastDate=" +
                                Today() + "\r\n");
    for (const auto& [pszBuilt, pszName] : {std::pair{ZELKOR_STUB_AGENT_LIB, "libNUBEQ_IF.so"},
                                            {ZELKOR_NUBEQ_EXE, "NUBEQ"},
                                            {ZELKOR_NUBEQ_LOG_EXE, "NUBEQ_LOG"},
                                            {ZELKOR_EXE, "Zelkor"}}) {
        fs::create_symlink(pszBuilt, m_Folder.File(pszName));
    }
}

CZelkorSession::~CZelkorSession()
{
    m_vPrograms.clear();
    if (int nPid = AgentPid()) {
        kill(nPid, SIGKILL);
    }
}

testsupport::CChildProcess& CZelkorSession::Start(const std::vector<std::string>& vEnv)
{
    std::vector<std::string> vAll;
    bool bDisplay = false;
    for (const std::string& strChange : vEnv) {
        bDisplay |= strChange.rfind("DISPLAY=", 0) == 0;
    }
    if (!bDisplay) {
        vAll = {"QT_QPA_PLATFORM=offscreen", "DISPLAY", "WAYLAND_DISPLAY"};
    }
    vAll.push_back("ZELKOR_MESSAGEBOX_JOURNAL=" + m_Folder.File("boxes.jsonl"));
    vAll.insert(vAll.end(), vEnv.begin(), vEnv.end());
    m_vPrograms.push_back(std::make_unique<testsupport::CChildProcess>(
        std::vector<std::string>{ZELKOR_EXE}, vAll, m_Folder.File("zelkor.out")));
    return *m_vPrograms.back();
}

bool CZelkorSession::WaitReady(int nTimeoutMs)
{
    return testsupport::WaitUntil(
        [] { return platform::FindRegisteredWindow("Zelkor", kWindowTitle) != 0; }, nTimeoutMs);
}

int CZelkorSession::Send(const std::vector<std::string>& vArgs, std::string* pstrOut) const
{
    std::vector<std::string> vCommand = {ZELKOR_NUBEQ_SEND_EXE};
    vCommand.insert(vCommand.end(), vArgs.begin(), vArgs.end());
    return testsupport::RunProgram(vCommand, {}, pstrOut);
}

std::string CZelkorSession::Log() const
{
    return ProgramLog(m_Folder);
}

bool CZelkorSession::WaitLog(const std::string& strPart, size_t nCount, int nTimeoutMs) const
{
    return testsupport::WaitUntil([&] { return Count(Log(), strPart) >= nCount; }, nTimeoutMs);
}

std::vector<Json::Value> CZelkorSession::Calls(const std::string& strCall) const
{
    std::vector<Json::Value> vCalls;
    for (const Json::Value& line :
         testsupport::ReadJsonLines(m_Folder.File("agent_journal.jsonl"))) {
        if (line["call"].asString() == strCall) {
            vCalls.push_back(line);
        }
    }
    return vCalls;
}

std::vector<Json::Value> CZelkorSession::Boxes() const
{
    return testsupport::ReadJsonLines(m_Folder.File("boxes.jsonl"));
}

int CZelkorSession::AgentPid() const
{
    std::string strPid = m_Folder.ReadFile("NUBEQ.pid");
    int nPid = strPid.empty() ? 0 : std::stoi(strPid);
    return nPid > 0 && kill(nPid, 0) == 0 ? nPid : 0;
}

bool CZelkorSession::KillAgent()
{
    int nPid = AgentPid();
    if (nPid == 0) {
        return false;
    }
    kill(nPid, SIGKILL);
    // The agent is detached: its parent reaps it, and the pid file stays.
    return testsupport::WaitUntil(
        [&] {
            std::string strStat =
                testsupport::ReadWholeFile("/proc/" + std::to_string(nPid) + "/stat");
            return strStat.empty() || strStat.find(") Z ") != std::string::npos;
        },
        10000);
}

std::string Today()
{
    platform::LocalTime now = platform::GetSystemLocalTime();
    char szDate[16];
    std::snprintf(szDate, sizeof(szDate), "%04d%02d%02d", now.nYear, now.nMonth, now.nDay);
    return szDate;
}

std::string ProgramLog(const testsupport::CTempProgramFolder& folder)
{
    std::string strLog;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(folder.File("Log"), ec)) {
        if (entry.path().extension() == ".log") {
            strLog += testsupport::ReadWholeFile(entry.path().string());
        }
    }
    return strLog;
}

double StampAt(const std::string& strLog, size_t nPos)
{
    size_t nLineStart = strLog.rfind('\n', nPos);
    nLineStart = nLineStart == std::string::npos ? 0 : nLineStart + 1;
    int nHour = 0;
    int nMinute = 0;
    double dSecond = 0;
    std::sscanf(strLog.c_str() + nLineStart, "[%d:%d:%lf]", &nHour, &nMinute, &dSecond);
    return nHour * 3600.0 + nMinute * 60.0 + dSecond;
}

double NowSecondsOfDay()
{
    platform::LocalTime now = platform::GetSystemLocalTime();
    return now.nHour * 3600.0 + now.nMinute * 60.0 + now.nSecond + now.nMilli / 1000.0;
}

} // namespace e2e
