// zelkor-crash-probe SCENARIO [OPTIONS]: a Qt-free program that sets up
// the crash handler the way the program does (installed first, prefix
// "Zelkor"), starts the log in its program folder (ZELKOR_HOME), the
// toast and print workers and the crash report through the toast worker,
// and then crashes as told. The crash handler's tests run it.
//
// Scenarios: main-null, thread-null (a write through a null pointer on
// the main thread or a thread of its own), abort, exception (one nothing
// catches), overflow (unbounded recursion on a thread), two-threads (two
// threads crash at once), print-worker, toast-worker (the worker crashes
// handling its item), wait (prints "ready" and waits for a signal).
// Options: --dump-only (the program is ending normally), --no-toast (the
// toast worker is never started), --remove-today (today's log folder is
// removed before the crash).
#include "crash/self_dump.h"
#include "foundation/simple_log.h"
#include "pipeline/print_ctrl_process.h"
#include "pipeline/toast_crash_report.h"
#include "pipeline/toast_ctrl_process.h"
#include "platform/local_clock.h"
#include "platform/program_folder.h"
#include "platform/thread_start_hook.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <latch>
#include <stdexcept>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kCrashEvent = 99999;
const char* const kCrashReport = "probe: crash the toast worker";

// Read through a volatile pointer, so that no compiler turns the write
// into a trap instruction.
int* volatile g_pNull = nullptr;
std::atomic<int> g_nSink{0};

extern "C" {
__attribute__((noinline)) void CrashProbeNullWrite()
{
    *g_pNull = 1;
}

__attribute__((noinline)) void CrashProbeAbort()
{
    std::abort();
}

__attribute__((noinline)) void CrashProbeThrow()
{
    throw std::runtime_error("probe: nobody catches this");
}

// Ends only where the stack does; the depth test keeps the compiler from
// seeing that.
__attribute__((noinline)) int CrashProbeRecurse(int nDepth)
{
    volatile char buffer[1024];
    buffer[0] = static_cast<char>(nDepth);
    if (nDepth < 0) {
        return buffer[0];
    }
    return CrashProbeRecurse(nDepth + 1) + buffer[0];
}

__attribute__((noinline)) void CrashProbeWaitForSignal()
{
    for (;;) {
        ::pause();
    }
}
}

// Workers whose handlers crash on the probe's item.
class CProbeToast : public CToastCtrlProcess
{
public:
    ~CProbeToast() override { StopWorker(); }

protected:
    void HandleToastData(int nLevel, const std::string& strMsg) override
    {
        if (strMsg == kCrashReport) {
            CrashProbeNullWrite();
        }
        CToastCtrlProcess::HandleToastData(nLevel, strMsg);
    }
};

class CProbePrint : public CPrintCtrlProcess
{
public:
    using CPrintCtrlProcess::CPrintCtrlProcess;
    ~CProbePrint() override { StopWorker(); }

protected:
    void HandleQueueData(int nEventType, const std::string& strData) override
    {
        if (nEventType == kCrashEvent) {
            CrashProbeNullWrite();
        }
        CPrintCtrlProcess::HandleQueueData(nEventType, strData);
    }
};

// A thread of the program: the thread-start hook first, as every thread does.
template <typename F>
std::thread ProgramThread(F fnWork)
{
    return std::thread([fnWork] {
        platform::RunThreadStartHook();
        fnWork();
    });
}

void WaitForever()
{
    for (;;) {
        ::sleep(60);
    }
}

bool MainThreadIsPausing()
{
    const std::string strPath = "/proc/self/task/" + std::to_string(::getpid()) + "/syscall";
    std::ifstream in(strPath);
    long nSyscall = -1;
    return (in >> nSyscall) && nSyscall == SYS_pause;
}

bool HasOption(int argc, char** argv, const char* pszOption)
{
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], pszOption) == 0) {
            return true;
        }
    }
    return false;
}

std::string TodayFolder(const std::string& strLogRoot)
{
    platform::LocalTime now = platform::GetLocalTime();
    char szDate[16];
    std::snprintf(szDate, sizeof(szDate), "%04d%02d%02d", now.nYear, now.nMonth, now.nDay);
    return strLogRoot + "/" + szDate;
}

} // namespace

int main(int argc, char** argv)
{
    if (!CSelfDump::Install("Zelkor")) {
        std::fprintf(stderr, "zelkor-crash-probe: the crash handler is not installed\n");
        return 3;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: zelkor-crash-probe SCENARIO [--dump-only] [--no-toast] "
                             "[--remove-today]\n");
        return 2;
    }
    const std::string strScenario = argv[1];
    const std::string strLogRoot = platform::GetProgramFolder() + "/Log/NubeqLog";
    std::filesystem::create_directories(strLogRoot);
    SimpleLog().Start(strLogRoot.c_str());
    if (HasOption(argc, argv, "--dump-only")) {
        CSelfDump::SetDumpOnly();
    }

    CProbeToast toast;
    CToastCrashReport report(toast);
    if (!HasOption(argc, argv, "--no-toast")) {
        toast.StartCtrlProcess();
    }
    CProbePrint print(toast);
    print.StartCtrlProcess();
    if (HasOption(argc, argv, "--remove-today")) {
        std::filesystem::remove_all(TodayFolder(strLogRoot));
    }

    if (strScenario == "main-null") {
        CrashProbeNullWrite();
    } else if (strScenario == "thread-null") {
        ProgramThread([] { CrashProbeNullWrite(); }).join();
    } else if (strScenario == "abort") {
        CrashProbeAbort();
    } else if (strScenario == "exception") {
        CrashProbeThrow();
    } else if (strScenario == "overflow") {
        ProgramThread([] { g_nSink += CrashProbeRecurse(0); }).join();
    } else if (strScenario == "two-threads") {
        std::latch start(2);
        std::thread first = ProgramThread([&start] {
            start.arrive_and_wait();
            CrashProbeNullWrite();
        });
        std::thread second = ProgramThread([&start] {
            start.arrive_and_wait();
            CrashProbeNullWrite();
        });
        first.join();
        second.join();
    } else if (strScenario == "print-worker") {
        print.PushQueueCtrlData(kCrashEvent, "");
        WaitForever();
    } else if (strScenario == "toast-worker") {
        toast.PushToastQueueCtrlData(0, kCrashReport);
        WaitForever();
    } else if (strScenario == "wait") {
        // "ready" once the main thread sits in pause(), so that a signal
        // finds it there and its backtrace is the same every time.
        ProgramThread([] {
            while (!MainThreadIsPausing()) {
                ::usleep(1000);
            }
            std::printf("ready\n");
            std::fflush(stdout);
        }).detach();
        CrashProbeWaitForSignal();
    } else {
        std::fprintf(stderr, "zelkor-crash-probe: unknown scenario %s\n", strScenario.c_str());
        return 2;
    }
    return 1; // not reached: every scenario crashes
}
