// What the stand-in agent's pieces share: the program folder, the settings
// file, the journal, and the agent process's pid and window files.
//
// Program folder: $ZELKOR_HOME when set, else the folder given by the
// caller (the library's or the executable's own).
//
// Settings: agent_stub.ini in the program folder, read at every use so a
// test can change it between calls:
//   [RESULTS] Export=N, or Export.FirstArgument=N (wins): the result of an
//             export (default 1; GetInfo and GetData always 0)
//   [DELAYS]  Export=ms: the export waits that long before answering
//   [NUBEQ]   Mode=ignore-end (the agent ignores the end request) or
//             exit-at-once (it ends right after its start);
//             EndWaitMs=ms: how long ProcessEnd waits for the agent to go
//             (default 3000)
//
// Journal: agent_journal.jsonl in the program folder, one JSON object per
// line, written with one write call:
//   {"call":"SendData","args":{"command":"ACCEPTED","data":"..."},
//    "result":1,"pid":1234,"ms":5678}
// "ms" is the monotonic clock in milliseconds (comparable between the
// processes of one machine). Texts are CP949 bytes as received; only
// quote, backslash and control characters are escaped. The value of the
// "userpw" key is never written: it appears as "****".
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace agentstub {

constexpr const char* kJournalName = "agent_journal.jsonl";
constexpr const char* kSettingsName = "agent_stub.ini";
// The running agent: its process id, and the window it delivers to.
constexpr const char* kAgentPidName = "NUBEQ.pid";
constexpr const char* kAgentWindowName = "NUBEQ.window";
constexpr const char* kAgentProgram = "NUBEQ";

// $ZELKOR_HOME, else strOwnFolder.
std::string ProgramFolder(const std::string& strOwnFolder);
// The folder of the file that holds pAnchor (a function of the module).
std::string ModuleFolder(const void* pAnchor);

std::string Setting(const std::string& strFolder, const char* pszSection,
                    const std::string& strKey);
long IntSetting(const std::string& strFolder, const char* pszSection, const std::string& strKey,
                long nDefault);

// A text as a JSON string, or null for a null pointer.
std::string Quoted(const char* pszText);

// Name and JSON value of each argument, in order.
using Args = std::vector<std::pair<std::string, std::string>>;
// vExtra: members after "result" (name and JSON value), e.g. the agent
// process's state after a run call.
void Journal(const std::string& strFolder, const char* pszCall, const Args& args, long nResult,
             const Args& vExtra = {});

long long MonotonicMs();
void SleepMs(long nMs);

std::string ReadTextFile(const std::string& strPath);
// Written to a temporary file and renamed over the old one.
bool WriteTextFile(const std::string& strPath, const std::string& strText);

// The process id in the agent's pid file when that process is alive and is
// the agent; 0 otherwise.
int RunningAgentPid(const std::string& strFolder);
// The window id the agent was last bound to (0 when none).
long long BoundWindow(const std::string& strFolder);

} // namespace agentstub
