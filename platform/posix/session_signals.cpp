// Self-pipe for the session-end signals.
#include "platform/session_signals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

std::atomic<int> g_hReadFd{-1};
std::atomic<int> g_hWriteFd{-1};

// Async-signal-safe: one write of one byte, errno preserved. A full pipe
// drops the byte; the reader sees the earlier ones.
void OnSessionSignal(int nSignal)
{
    int nSavedErrno = errno;
    unsigned char chSignal = static_cast<unsigned char>(nSignal);
    int hFd = g_hWriteFd.load(std::memory_order_relaxed);
    if (hFd >= 0) {
        ssize_t nWritten = ::write(hFd, &chSignal, 1);
        (void)nWritten;
    }
    errno = nSavedErrno;
}

} // namespace

bool InstallSessionEndSignals(std::string& strError)
{
    if (g_hReadFd.load() < 0) {
        int aPipe[2];
        if (::pipe2(aPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            strError = std::string("signal pipe cannot be created: ") + std::strerror(errno);
            return false;
        }
        g_hWriteFd.store(aPipe[1]);
        g_hReadFd.store(aPipe[0]);
    }
    struct sigaction action = {};
    action.sa_handler = &OnSessionSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int nSignal : kSignals) {
        if (::sigaction(nSignal, &action, nullptr) != 0) {
            strError = std::string("signal handler cannot be installed: ") + std::strerror(errno);
            return false;
        }
    }
    return true;
}

int SessionSignalFd()
{
    return g_hReadFd.load();
}

int TakeSessionSignal()
{
    int hFd = g_hReadFd.load();
    int nLast = 0;
    unsigned char aBuffer[64];
    for (;;) {
        ssize_t nRead = hFd >= 0 ? ::read(hFd, aBuffer, sizeof(aBuffer)) : -1;
        if (nRead > 0) {
            nLast = aBuffer[nRead - 1];
            continue;
        }
        if (nRead < 0 && errno == EINTR) {
            continue;
        }
        return nLast;
    }
}

void RemoveSessionEndSignals()
{
    for (int nSignal : kSignals) {
        ::signal(nSignal, SIG_DFL);
    }
}

} // namespace platform
