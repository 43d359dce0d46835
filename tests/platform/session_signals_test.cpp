// Session-end signals reach the main loop through the pipe; programs
// started by the process get default signals and an empty mask.
#include "platform/process_spawn.h"
#include "platform/session_signals.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

TEST(SessionSignalsTest, SignalsArriveThroughThePipe)
{
    std::string strError;
    ASSERT_TRUE(platform::InstallSessionEndSignals(strError)) << strError;
    ASSERT_TRUE(platform::InstallSessionEndSignals(strError)); // again: no second pipe
    int hFd = platform::SessionSignalFd();
    ASSERT_GE(hFd, 0);
    EXPECT_EQ(platform::TakeSessionSignal(), 0);

    for (int nSignal : {SIGTERM, SIGHUP, SIGINT}) {
        ASSERT_EQ(kill(getpid(), nSignal), 0);
        pollfd entry = {hFd, POLLIN, 0};
        ASSERT_EQ(poll(&entry, 1, 5000), 1) << nSignal;
        EXPECT_EQ(platform::TakeSessionSignal(), nSignal);
    }
    platform::RemoveSessionEndSignals();
    struct sigaction current = {};
    sigaction(SIGTERM, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

// The started program copies its own status, blocked and ignored sets
// included.
TEST(SessionSignalsTest, StartedProgramsGetDefaultSignals)
{
    const std::string strOut =
        (std::filesystem::temp_directory_path() / ("zelkor-sig-" + std::to_string(getpid())))
            .string();
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    sigaddset(&blocked, SIGTERM);
    sigset_t old;
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &blocked, &old), 0);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction oldPipe = {};
    sigaction(SIGPIPE, &ignore, &oldPipe);

    int nPid = 0;
    int nResult =
        platform::SpawnProcess("/bin/cp", {"cp", "/proc/self/status", strOut}, "/", 2000, &nPid);

    sigaction(SIGPIPE, &oldPipe, nullptr);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ASSERT_EQ(nResult, 0);
    std::string strStatus;
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(strOut);
        std::stringstream text;
        text << in.rdbuf();
        strStatus = text.str();
        if (strStatus.find("SigIgn") != std::string::npos) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::filesystem::remove(strOut);
    // Signals 1 to 31; glibc's own signals 32 and 33 are its business.
    auto fnMask = [&strStatus](const char* pszField) {
        size_t nAt = strStatus.find(pszField);
        return nAt == std::string::npos
                   ? ~0ull
                   : std::stoull(strStatus.substr(nAt + std::strlen(pszField)), nullptr, 16);
    };
    EXPECT_EQ(fnMask("SigBlk:\t") & 0x7FFFFFFFull, 0u) << strStatus;
    EXPECT_EQ(fnMask("SigIgn:\t") & 0x7FFFFFFFull, 0u) << strStatus;
}

} // namespace
