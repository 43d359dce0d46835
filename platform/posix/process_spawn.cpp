// posix_spawn with a working directory, default signals and a background
// reaper.
#include "platform/process_spawn.h"

#include "platform/thread_start_hook.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace platform {

int InitDefaultSignals(posix_spawnattr_t& attributes)
{
    int nResult = posix_spawnattr_init(&attributes);
    if (nResult != 0) {
        return nResult;
    }
    sigset_t emptySet;
    sigset_t allSignals;
    sigemptyset(&emptySet);
    sigfillset(&allSignals);
    nResult = posix_spawnattr_setsigmask(&attributes, &emptySet);
    if (nResult == 0) {
        nResult = posix_spawnattr_setsigdefault(&attributes, &allSignals);
    }
    if (nResult == 0) {
        nResult =
            posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    if (nResult != 0) {
        posix_spawnattr_destroy(&attributes);
    }
    return nResult;
}

int SpawnProcess(const std::string& strProgram, const std::vector<std::string>& vArgs,
                 const std::string& strWorkDir, unsigned nWaitMs, int* pnPid)
{
    // glibc's posix_spawn returns only after the child has executed the
    // program or failed to (the failure is its result), so the wait for a
    // started program is over when it returns; nWaitMs bounds nothing more.
    (void)nWaitMs;

    std::vector<std::string> vArgCopy = vArgs;
    if (vArgCopy.empty()) {
        vArgCopy.push_back(strProgram);
    }
    std::vector<char*> vArgv;
    for (std::string& strArg : vArgCopy) {
        vArgv.push_back(strArg.data());
    }
    vArgv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    int nResult = posix_spawn_file_actions_init(&actions);
    if (nResult != 0) {
        return nResult;
    }
    if (!strWorkDir.empty()) {
        nResult = posix_spawn_file_actions_addchdir_np(&actions, strWorkDir.c_str());
    }
    // Descriptors of this process (log, sockets, lock files) stay here.
    if (nResult == 0) {
        nResult = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    }
    posix_spawnattr_t attributes;
    bool bAttributes = false;
    if (nResult == 0) {
        nResult = InitDefaultSignals(attributes);
        bAttributes = nResult == 0;
    }
    pid_t nPid = 0;
    if (nResult == 0) {
        nResult =
            posix_spawn(&nPid, strProgram.c_str(), &actions, &attributes, vArgv.data(), environ);
    }
    if (bAttributes) {
        posix_spawnattr_destroy(&attributes);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (nResult != 0) {
        return nResult;
    }
    if (pnPid != nullptr) {
        *pnPid = nPid;
    }
    // The started program runs on its own, as a Windows process whose
    // handles were closed; this thread only collects its exit status.
    std::thread([nPid] {
        RunThreadStartHook();
        int nStatus = 0;
        while (::waitpid(nPid, &nStatus, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return 0;
}

} // namespace platform
