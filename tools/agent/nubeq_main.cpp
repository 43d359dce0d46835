// NUBEQ: the stand-in agent process. Started by the stand-in library's run
// calls with the program's window id, it detaches itself, keeps its pid in
// NUBEQ.pid and its window in NUBEQ.window (both in the program folder),
// journals its start and its end, and ends on the end request (SIGTERM,
// sent by ProcessEnd). Test modes ([NUBEQ] Mode in agent_stub.ini):
// ignore-end keeps running through the end request (only SIGKILL ends it),
// exit-at-once ends right after the start.
//
//   NUBEQ --home FOLDER --window ID [--foreground]
#include "tools/agent/agent_common.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

volatile sig_atomic_t g_nEndRequests = 0;

void OnEndRequest(int)
{
    g_nEndRequests = g_nEndRequests + 1;
}

// The first process waits for the agent's "ready" byte (its pid file is
// written by then), so whoever started NUBEQ finds it running. Returns the
// descriptor to write that byte to, or -1.
int Detach()
{
    int aPipe[2];
    if (pipe2(aPipe, O_CLOEXEC) != 0) {
        return -1;
    }
    pid_t nChild = fork();
    if (nChild < 0) {
        return -1;
    }
    if (nChild > 0) {
        close(aPipe[1]);
        char chReady = 0;
        ssize_t nRead = read(aPipe[0], &chReady, 1);
        _exit(nRead == 1 ? 0 : 1);
    }
    close(aPipe[0]);
    setsid();
    // The starter's output stays the starter's: a test reading the
    // program's output to its end must not wait for the agent.
    int hNull = open("/dev/null", O_RDWR);
    if (hNull >= 0) {
        dup2(hNull, 0);
        dup2(hNull, 1);
        dup2(hNull, 2);
        if (hNull > 2) {
            close(hNull);
        }
    }
    return aPipe[1];
}

} // namespace

int main(int argc, char** argv)
{
    std::string strHome;
    std::string strWindow = "0";
    bool bForeground = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc) {
            strHome = argv[++i];
        } else if (std::strcmp(argv[i], "--window") == 0 && i + 1 < argc) {
            strWindow = argv[++i];
        } else if (std::strcmp(argv[i], "--foreground") == 0) {
            bForeground = true;
        } else {
            std::fprintf(stderr, "usage: NUBEQ --home FOLDER --window ID [--foreground]\n");
            return 2;
        }
    }
    if (strHome.empty()) {
        strHome = agentstub::ProgramFolder(agentstub::ModuleFolder(reinterpret_cast<void*>(&main)));
    }
    int hReady = -1;
    if (!bForeground && (hReady = Detach()) < 0) {
        return 1;
    }
    const std::string strMode = agentstub::Setting(strHome, "NUBEQ", "Mode");
    const std::string strPidFile = strHome + "/" + agentstub::kAgentPidName;
    const std::string strPid = std::to_string(getpid());
    agentstub::WriteTextFile(strPidFile, strPid + "\n");
    agentstub::WriteTextFile(strHome + "/" + agentstub::kAgentWindowName, strWindow + "\n");

    struct sigaction action = {};
    action.sa_handler = &OnEndRequest;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigset_t blocked;
    sigset_t waiting;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &waiting); // no request lost before the wait

    agentstub::Journal(strHome, "NUBEQ.Start",
                       {{"window", strWindow},
                        {"mode", agentstub::Quoted(strMode.empty() ? "normal" : strMode.c_str())}},
                       0);
    if (hReady >= 0) {
        ssize_t nWritten = write(hReady, "r", 1);
        (void)nWritten;
        close(hReady);
    }
    if (strMode != "exit-at-once") {
        int nSeen = 0;
        for (;;) {
            sigsuspend(&waiting);
            if (g_nEndRequests == nSeen) {
                continue;
            }
            nSeen = g_nEndRequests;
            if (strMode != "ignore-end") {
                break;
            }
            agentstub::Journal(strHome, "NUBEQ.EndIgnored", {}, 0);
        }
    }
    // Journaled first: once the pid file is gone, the agent counts as ended.
    agentstub::Journal(strHome, "NUBEQ.End", {}, 0);
    // The pid file goes only when it still names this process.
    if (agentstub::ReadTextFile(strPidFile) == strPid + "\n") {
        std::remove(strPidFile.c_str());
    }
    return 0;
}
