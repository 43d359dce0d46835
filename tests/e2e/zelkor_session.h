// One Zelkor of an end-to-end test in its own program folder and runtime
// directory, beside the stand-in agent (libNUBEQ_IF.so and the NUBEQ
// process it starts): starting it, reading its log and the agent's
// journal, killing the agent, and the time stamps of log lines.
#pragma once

#include "tests/support/child_process.h"
#include "tests/support/program_folder.h"
#include "tests/support/runtime_dir.h"
#include "tests/support/text_lines.h"

#include <json/json.h>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

// The main window's title (CP949), as a second start looks for it.
extern const char* const kWindowTitle;

class CZelkorSession
{
public:
    // The program folder holds Config.ini with strConfig (the shop's
    // identity and today's LastDate when empty) and links to Zelkor, the
    // agent library, NUBEQ and NUBEQ_LOG.
    explicit CZelkorSession(const std::string& strConfig = "");
    // Ends the programs still running and an agent left behind.
    ~CZelkorSession();
    CZelkorSession(const CZelkorSession&) = delete;
    CZelkorSession& operator=(const CZelkorSession&) = delete;

    testsupport::CTempProgramFolder& Folder() { return m_Folder; }
    const testsupport::CTempRuntimeDir& Runtime() const { return m_Runtime; }

    // Starts Zelkor with message boxes into boxes.jsonl; offscreen unless
    // vEnv sets DISPLAY. vEnv: further changes ("NAME=value", "NAME" unsets).
    testsupport::CChildProcess& Start(const std::vector<std::string>& vEnv = {});
    // The main window is registered: the endpoint takes frames.
    static bool WaitReady(int nTimeoutMs = 20000);

    // nubeq-send with the arguments: its exit status, its output in *pstrOut.
    int Send(const std::vector<std::string>& vArgs, std::string* pstrOut = nullptr) const;

    // The program's log (every day's file, CP949 as written).
    std::string Log() const;
    bool WaitLog(const std::string& strPart, size_t nCount = 1, int nTimeoutMs = 20000) const;
    // The agent journal's lines of one call ("ProcessRun", "NUBEQ.Start", ...).
    std::vector<Json::Value> Calls(const std::string& strCall) const;
    // The message boxes shown, from boxes.jsonl.
    std::vector<Json::Value> Boxes() const;

    // The running agent's pid, 0 when none.
    int AgentPid() const;
    // SIGKILL to the agent, and waits until it is gone. False when none ran.
    bool KillAgent();

private:
    testsupport::CTempProgramFolder m_Folder;
    testsupport::CTempRuntimeDir m_Runtime;
    std::vector<std::unique_ptr<testsupport::CChildProcess>> m_vPrograms;
};

// Today as "%04d%02d%02d" (local time).
std::string Today();
using testsupport::Count;
using testsupport::NthPos;
// The log of the program in folder (every day's file, CP949 as written).
std::string ProgramLog(const testsupport::CTempProgramFolder& folder);
// Seconds since midnight in the stamp "[HH:MM:SS.mmm]" of the log line
// that holds nPos.
double StampAt(const std::string& strLog, size_t nPos);
// Seconds since midnight now, local time (comparable with StampAt).
double NowSecondsOfDay();

} // namespace e2e
