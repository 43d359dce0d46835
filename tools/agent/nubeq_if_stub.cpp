// Stand-in for the agent's interface library (libNUBEQ_IF.so): every export
// the program resolves, each call recorded in the journal (agent_common.h
// for the files and settings). The run calls start the stand-in agent
// process NUBEQ with the window id, or re-bind the one that runs; the end
// call asks it to end.
#include "tools/agent/agent_common.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#define NUBEQ_EXPORT extern "C" __attribute__((visibility("default")))

extern char** environ;

namespace {

// The agent process is started, re-bound and ended by one call at a time;
// the other exports run side by side, each journal line one write.
std::mutex g_AgentLock;

std::string Folder()
{
    return agentstub::ProgramFolder(agentstub::ModuleFolder(reinterpret_cast<void*>(&Folder)));
}

// [RESULTS] "Export.FirstArgument" wins over "Export"; default 1.
long Result(const std::string& strFolder, const char* pszCall, const char* pszFirstArg)
{
    if (pszFirstArg != nullptr) {
        std::string strValue =
            agentstub::Setting(strFolder, "RESULTS", std::string(pszCall) + "." + pszFirstArg);
        if (!strValue.empty()) {
            return std::strtol(strValue.c_str(), nullptr, 10);
        }
    }
    return agentstub::IntSetting(strFolder, "RESULTS", pszCall, 1);
}

void Delay(const std::string& strFolder, const char* pszCall)
{
    agentstub::SleepMs(agentstub::IntSetting(strFolder, "DELAYS", pszCall, 0));
}

std::string Handle(intptr_t hWnd)
{
    return std::to_string(static_cast<long long>(hWnd));
}

// The agent program: in the program folder, else beside this library.
std::string AgentProgram(const std::string& strFolder)
{
    for (const std::string& strDir :
         {strFolder, agentstub::ModuleFolder(reinterpret_cast<void*>(&Folder))}) {
        std::string strPath = strDir + "/" + agentstub::kAgentProgram;
        if (access(strPath.c_str(), X_OK) == 0) {
            return strPath;
        }
    }
    return "";
}

// Starts NUBEQ, which detaches itself (its first process ends once the
// agent has written its pid file): the caller reaps that first process
// here and keeps no child. Empty signal mask and default signal actions,
// no descriptor of the caller's beyond the standard three.
const char* StartAgent(const std::string& strFolder, intptr_t hWnd)
{
    std::string strProgram = AgentProgram(strFolder);
    if (strProgram.empty()) {
        return "\"missing\"";
    }
    std::string strWindow = Handle(hWnd);
    std::string strHome = strFolder;
    char* aArgv[] = {const_cast<char*>(agentstub::kAgentProgram),
                     const_cast<char*>("--home"),
                     strHome.data(),
                     const_cast<char*>("--window"),
                     strWindow.data(),
                     nullptr};
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_init(&actions);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t nPid = 0;
    int nResult = posix_spawn(&nPid, strProgram.c_str(), &actions, &attributes, aArgv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (nResult != 0) {
        return "\"failed\"";
    }
    int nStatus = 0;
    while (waitpid(nPid, &nStatus, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0 ? "\"started\"" : "\"failed\"";
}

int32_t RunCall(const char* pszCall, intptr_t hWnd)
{
    const std::string strFolder = Folder();
    Delay(strFolder, pszCall);
    std::lock_guard lock(g_AgentLock);
    long nResult = Result(strFolder, pszCall, nullptr);
    std::string strAgent = "null";
    if (nResult == 1) {
        // The window the agent delivers to from now on.
        agentstub::WriteTextFile(strFolder + "/" + agentstub::kAgentWindowName,
                                 Handle(hWnd) + "\n");
        strAgent = agentstub::RunningAgentPid(strFolder) != 0 ? "\"rebound\""
                                                              : StartAgent(strFolder, hWnd);
    }
    agentstub::Journal(strFolder, pszCall, {{"hWnd", Handle(hWnd)}}, nResult,
                       {{"agent", strAgent}});
    return static_cast<int32_t>(nResult);
}

int32_t PlainCall(const char* pszCall, const agentstub::Args& args, const char* pszResultArg,
                  long nDefault = 1)
{
    const std::string strFolder = Folder();
    Delay(strFolder, pszCall);
    long nResult = nDefault == 1 ? Result(strFolder, pszCall, pszResultArg) : nDefault;
    agentstub::Journal(strFolder, pszCall, args, nResult);
    return static_cast<int32_t>(nResult);
}

} // namespace

NUBEQ_EXPORT int32_t ProcessRun(intptr_t hWnd)
{
    return RunCall("ProcessRun", hWnd);
}

NUBEQ_EXPORT int32_t DailyRun(intptr_t hWnd)
{
    return RunCall("DailyRun", hWnd);
}

NUBEQ_EXPORT int32_t ProcessEnd()
{
    const std::string strFolder = Folder();
    Delay(strFolder, "ProcessEnd");
    std::lock_guard lock(g_AgentLock);
    long nResult = Result(strFolder, "ProcessEnd", nullptr);
    std::string strAgent = "\"none\"";
    if (int nPid = agentstub::RunningAgentPid(strFolder)) {
        kill(nPid, SIGTERM);
        long long nDeadline =
            agentstub::MonotonicMs() + agentstub::IntSetting(strFolder, "NUBEQ", "EndWaitMs", 3000);
        while (agentstub::RunningAgentPid(strFolder) != 0 && agentstub::MonotonicMs() < nDeadline) {
            agentstub::SleepMs(10);
        }
        strAgent = agentstub::RunningAgentPid(strFolder) != 0 ? "\"running\"" : "\"ended\"";
    }
    agentstub::Journal(strFolder, "ProcessEnd", {}, nResult, {{"agent", strAgent}});
    return static_cast<int32_t>(nResult);
}

#ifndef ZELKOR_AGENT_STUB_WITHOUT_SEND_DATA
NUBEQ_EXPORT int32_t SendData(const char* pszCommand, const char* pszData)
{
    return PlainCall(
        "SendData",
        {{"command", agentstub::Quoted(pszCommand)}, {"data", agentstub::Quoted(pszData)}},
        pszCommand);
}
#endif

NUBEQ_EXPORT int32_t SetData(const char* pszKey, const char* pszValue)
{
    // A password never goes into the journal.
    bool bSecret = pszKey != nullptr && std::strcmp(pszKey, "userpw") == 0;
    return PlainCall("SetData",
                     {{"key", agentstub::Quoted(pszKey)},
                      {"value", bSecret ? "\"****\"" : agentstub::Quoted(pszValue)}},
                     pszKey);
}

NUBEQ_EXPORT int32_t RequestJob(const char* pszKey, const char* pszType)
{
    return PlainCall("RequestJob",
                     {{"key", agentstub::Quoted(pszKey)}, {"type", agentstub::Quoted(pszType)}},
                     pszKey);
}

#ifndef ZELKOR_AGENT_STUB_WITHOUT_REGISTER_SHOP_EX
NUBEQ_EXPORT int32_t RegisterShopEx()
{
    return PlainCall("RegisterShopEx", {}, nullptr);
}
#endif

// Resolved by the program but never called; they answer empty.
NUBEQ_EXPORT int32_t GetInfo(const char* pszKey, char* pszBuffer, int32_t nSize)
{
    if (pszBuffer != nullptr && nSize > 0) {
        pszBuffer[0] = '\0';
    }
    return PlainCall("GetInfo", {{"key", agentstub::Quoted(pszKey)}}, nullptr, 0);
}

NUBEQ_EXPORT int32_t IsRegisterShop()
{
    return PlainCall("IsRegisterShop", {}, nullptr);
}

NUBEQ_EXPORT int32_t RegisterShop()
{
    return PlainCall("RegisterShop", {}, nullptr);
}

NUBEQ_EXPORT int32_t GetData(const char* pszKey, char* pszBuffer, int32_t nSize)
{
    if (pszBuffer != nullptr && nSize > 0) {
        pszBuffer[0] = '\0';
    }
    return PlainCall("GetData", {{"key", agentstub::Quoted(pszKey)}}, nullptr, 0);
}
