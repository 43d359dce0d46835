// zelkor-print EVENT_ID FILE: puts one agent event through the real event
// and print workers of the program folder (ZELKOR_HOME or the executable's
// directory), for reprints and printer trials from a shell.
#include "agent/nubeq_dll_mngr.h"
#include "foundation/simple_log.h"
#include "foundation/wait.h"
#include "foundation/window_sink.h"
#include "pipeline/event_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "platform/instance_lock.h"
#include "platform/program_folder.h"
#include "printing/printer_setting.h"
#include "tools/print/print_job_watch.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace {

const char* const kUsage =
    "usage: zelkor-print EVENT_ID FILE\n"
    "  pushes the event (FILE holds its JSON) through the event and print\n"
    "  workers of the program folder. Exit codes:\n"
    "    0 every chosen printer printed\n"
    "    1 a printer did not print after every retry (or none is configured)\n"
    "    2 usage, or FILE cannot be read\n"
    "    3 set-up failure (no Config.ini, log, agent library or workers)\n"
    "    4 the event id is not supported\n"
    "    5 not printed: unreadable data, the agent refused the answer, or an\n"
    "      outside-app order\n"
    "    6 the wait number could not be saved in Config.ini (the next run\n"
    "      would hand it out again); what printed is on stderr\n"
    "    7 the program's instance lock stayed held (Zelkor or another\n"
    "      zelkor-print runs): nothing was numbered or printed\n"
    "  Only one process hands out wait numbers: the run waits up to 10 s\n"
    "  (ZELKOR_PRINT_LOCK_WAIT_MS) for the program's instance lock.\n";

// How long a run waits for a Zelkor or zelkor-print that holds the lock:
// a run on working printers takes a few seconds, so a second run started
// beside it gets its turn; a held lock beyond that is the program itself.
constexpr int kDefaultLockWaitMs = 10000;

int LockWaitMs()
{
    const char* pszValue = std::getenv("ZELKOR_PRINT_LOCK_WAIT_MS");
    if (pszValue == nullptr || *pszValue == '\0') {
        return kDefaultLockWaitMs;
    }
    char* pEnd = nullptr;
    long nValue = std::strtol(pszValue, &pEnd, 10);
    return *pEnd == '\0' && nValue >= 0 && nValue <= 600000 ? static_cast<int>(nValue)
                                                            : kDefaultLockWaitMs;
}

// Takes the instance lock, waiting up to nWaitMs. 0, 3 (no lock file) or 7.
int TakeInstanceLock(platform::CInstanceLock& lock, int nWaitMs)
{
    const uint64_t nDeadline = GetTickCount64Safe() + static_cast<uint64_t>(nWaitMs);
    bool bToldWaiting = false;
    for (;;) {
        std::string strError;
        switch (lock.Acquire(&strError)) {
        case platform::EInstanceLockResult::Acquired:
            return 0;
        case platform::EInstanceLockResult::Failed:
            std::fprintf(stderr, "zelkor-print: cannot take the instance lock: %s\n",
                         strError.c_str());
            return 3;
        case platform::EInstanceLockResult::HeldByOther:
            break;
        }
        if (GetTickCount64Safe() >= nDeadline) {
            std::fprintf(stderr,
                         "zelkor-print: Zelkor or another zelkor-print holds the instance lock "
                         "%s; gave up after %d ms, nothing was printed\n",
                         lock.Path().c_str(), nWaitMs);
            return 7;
        }
        if (!bToldWaiting) {
            std::fprintf(stderr,
                         "zelkor-print: waiting for the instance lock %s (Zelkor or another "
                         "zelkor-print runs)\n",
                         lock.Path().c_str());
            bToldWaiting = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// The outcome of the one event, filled on the event worker thread.
struct SEventOutcome
{
    std::mutex lock;
    std::condition_variable done;
    bool bHandled = false;
    int nResult = 0;
    bool bForwarded = false;
};

bool ReadWholeFile(const char* pszPath, std::string& strText)
{
    std::ifstream file(pszPath, std::ios::binary);
    if (!file) {
        return false;
    }
    strText.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

bool ParseEventId(const char* pszText, int& nEventId)
{
    char* pEnd = nullptr;
    long nValue = std::strtol(pszText, &pEnd, 10);
    if (pEnd == pszText || *pEnd != '\0' || nValue < 0 || nValue > 99999) {
        return false;
    }
    nEventId = static_cast<int>(nValue);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int nEventId = 0;
    std::string strData;
    if (argc != 3 || !ParseEventId(argv[1], nEventId)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!ReadWholeFile(argv[2], strData)) {
        std::fprintf(stderr, "zelkor-print: cannot read %s\n", argv[2]);
        return 2;
    }

    // Wait numbers are read, counted and written back: only the holder of
    // the program's instance lock may do that (the program, or one run of
    // this tool), or two processes hand out the same number.
    platform::CInstanceLock instanceLock(platform::kZelkorInstanceLockName);
    const int nLocked = TakeInstanceLock(instanceLock, LockWaitMs());
    if (nLocked != 0) {
        return nLocked;
    }

    const std::string strFolder = platform::GetProgramFolder();
    const std::string strConfig = platform::JoinPath(strFolder, "Config.ini");
    if (!std::filesystem::exists(strConfig)) {
        std::fprintf(stderr, "zelkor-print: no Config.ini in %s\n", strFolder.c_str());
        return 3;
    }
    const std::string strLogRoot = platform::JoinPath(strFolder, "Log/NubeqLog");
    std::error_code error;
    std::filesystem::create_directories(strLogRoot, error);
    if (!SimpleLog().Start(strLogRoot.c_str())) {
        std::fprintf(stderr, "zelkor-print: cannot start the log in %s\n", strLogRoot.c_str());
        return 3;
    }

    CPrinterSetting& setting = PrinterSetting();
    setting.SetConfigFilePath(strConfig.c_str());
    setting.ReadFilePrintInfo(1);

    CNubeqDllMngr& agent = NubeqDllMngr();
    if (!agent.IsLoaded()) {
        std::fprintf(stderr, "zelkor-print: the agent library libNUBEQ_IF.so cannot be loaded\n");
        return 3;
    }

    // Without a main window the print-failure toasts are counted here, and
    // report messages stay in the (not started) toast control's queue.
    std::atomic<int> nFailToasts{0};
    InstallMainWindowSink([](unsigned, uintptr_t, intptr_t) { return true; },
                          [&nFailToasts](unsigned nMsg, uintptr_t, intptr_t lParam) -> intptr_t {
                              if (nMsg == WM_TRAY_SHOW_TOAST) {
                                  delete reinterpret_cast<ToastRequestInfo*>(lParam);
                                  ++nFailToasts;
                              }
                              return 0;
                          });

    int nExit = 0;
    {
        // Declared first: the event worker's observer writes into it until
        // the workers are destroyed.
        SEventOutcome outcome;
        CToastCtrlProcess toast;
        CPrintJobWatch print(toast, agent, setting);
        CEventCtrlProcess event(print, &toast, agent, setting);
        event.SetEventObserver([&outcome](int, int nResult, bool bForwarded) {
            std::lock_guard<std::mutex> guard(outcome.lock);
            outcome.bHandled = true;
            outcome.nResult = nResult;
            outcome.bForwarded = bForwarded;
            outcome.done.notify_all();
        });
        if (print.StartCtrlProcess() != 0 || event.StartCtrlProcess() != 0) {
            std::fputs("zelkor-print: the workers cannot be started\n", stderr);
            RemoveMainWindowSink();
            return 3;
        }
        if (event.PushQueueCtrlData(nEventId, strData) != 1) {
            std::fputs("zelkor-print: the event queue refused the event\n", stderr);
            RemoveMainWindowSink();
            return 3;
        }
        {
            std::unique_lock<std::mutex> guard(outcome.lock);
            outcome.done.wait(guard, [&outcome] { return outcome.bHandled; });
        }
        if (outcome.bForwarded) {
            print.WaitJobs(1);
        }

        if (outcome.nResult == EVENT_RESULT_UNSUPPORTED) {
            std::fprintf(stderr, "zelkor-print: event id %d is not supported\n", nEventId);
            nExit = 4;
        } else if (outcome.nResult != EVENT_RESULT_PRINT) {
            std::fprintf(stderr,
                         "zelkor-print: event %d not printed (unreadable data, the agent refused "
                         "the answer, or an outside-app order; see the log)\n",
                         nEventId);
            nExit = 5;
        } else if (outcome.bForwarded) {
            std::ostringstream reasons;
            if (print.LastResult() != 0) {
                reasons << " print result " << print.LastResult() << ";";
            }
            // A printer that failed a pass and printed on a retry counts as
            // printed; the failed passes are in the log and the report
            // messages.
            if (print.LastJobUnprintedCount() > 0) {
                reasons << " " << print.LastJobUnprintedCount()
                        << " printer(s) did not print after every retry, or none is configured"
                        << " (FailCount " << print.FailCount() << ", " << toast.ToastQueueCount()
                        << " report message(s));";
            }
            if (!reasons.str().empty()) {
                std::fprintf(stderr, "zelkor-print: event %d not printed everywhere:%s\n", nEventId,
                             reasons.str().c_str());
                nExit = 1;
            }
        }
        if (event.WaitNoSaveFailures() > 0) {
            // This tool keeps no number between runs: the next run reads
            // the old one from Config.ini and would hand it out again.
            std::fprintf(stderr,
                         "zelkor-print: the wait number could not be saved in %s; the next run "
                         "would hand it out again (see the log)\n",
                         strConfig.c_str());
            nExit = 6;
        }
    }
    RemoveMainWindowSink();
    return nExit;
}
