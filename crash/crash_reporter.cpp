// The crash reporter thread and the handler's bounded waits on it.
#include "crash/crash_reporter.h"

#include "crash/crash_report.h"
#include "foundation/process_util.h"
#include "foundation/simple_log.h"
#include "platform/local_clock.h"
#include "platform/process_spawn.h"
#include "platform/signal_safe.h"
#include "platform/thread_start_hook.h"

#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

const char* const kTag = "CSelfDump::CbTopLevelExceptionFilter";

// The agent's log tool and what it is told about the crash.
const char* const kLogTool = "NUBEQ_LOG.exe";
const char* const kLogToolArguments = "WEEK -et \"APP CRASH\" -ed \"비정상적인 종료가 발견 됨.\"";
constexpr unsigned kLogToolSleepMs = 1000;
constexpr unsigned kLogToolIdleWaitMs = 1000;

// While no crash comes, the thread wakes this often to refresh the
// cached UTC offset (a change of daylight saving time).
constexpr int kOffsetRefreshMs = 10 * 60 * 1000;

constexpr unsigned kPollMs = 10;

} // namespace

bool CCrashReporter::Start(const SSettings& settings)
{
    m_Settings = settings;
    if (!m_Pipe.Open()) {
        return false;
    }
    try {
        std::thread([this] { Run(); }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CCrashReporter::Run()
{
    platform::RunThreadStartHook();
    for (;;) {
        uint32_t nCrashThreadId = 0;
        int nResult = m_Pipe.Wait(nCrashThreadId, kOffsetRefreshMs);
        if (nResult < 0) {
            return;
        }
        if (nResult == 0) {
            platform::CacheUtcOffset();
            continue;
        }
        m_nState.store(STATE_WOKEN);
        try {
            Report(nCrashThreadId);
        } catch (...) {
            // Whatever failed, the handler must not wait for it.
        }
        m_nState.store(STATE_DONE);
        return; // one crash per process
    }
}

void CCrashReporter::Report(uint32_t nCrashThreadId)
{
    const std::string strMsg = std::string("[") + kTag + "] Zelkor App crash occured.";
    ICrashReport* pReport = m_Settings.pReport != nullptr ? m_Settings.pReport->load() : nullptr;
    ICrashReport::EPush ePush = ICrashReport::EPush::WorkerGone;
    if (pReport != nullptr) {
        ePush = pReport->PushReport(0, strMsg, nCrashThreadId);
        m_nReportDeadlineMs.store(platform::GetMonotonicMs() +
                                  static_cast<uint64_t>(pReport->RequestTimeoutMs()));
    }
    if (ePush == ICrashReport::EPush::Refused || pReport == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] ToastCtrlProcess Push Data FAIL!!", kTag);
    } else if (ePush == ICrashReport::EPush::WorkerGone) {
        LOG_PRINT(LOG_WARN, "[%s] ToastCtrlProcess not running, the report is posted directly",
                  kTag);
    }

    RunProcess(kLogTool, kLogToolArguments, nullptr, kLogToolSleepMs, kLogToolIdleWaitMs);
    m_hNoticeWatch.store(StartNotice());

    if (pReport != nullptr && ePush != ICrashReport::EPush::Queued) {
        // The toast worker cannot post it: this thread does, while the
        // notice is open.
        m_nReportDeadlineMs.store(platform::GetMonotonicMs() +
                                  static_cast<uint64_t>(pReport->RequestTimeoutMs()));
        m_nState.store(STATE_ACTED);
        bool bPosted = pReport->PostReport(0, strMsg);
        LOG_PRINT(bPosted ? LOG_INFO : LOG_ERROR, "[%s] Crash report posted by the reporter : %s",
                  kTag, bPosted ? "SUCCESS" : "FAIL");
        return;
    }
    m_nState.store(STATE_ACTED);
    if (pReport != nullptr) {
        uint64_t nNow = platform::GetMonotonicMs();
        uint64_t nDeadline = m_nReportDeadlineMs.load();
        pReport->WaitReportHandled(nDeadline > nNow ? static_cast<int>(nDeadline - nNow) : 0);
    }
}

// The notice comes from a process of its own: the crashed thread may be
// the one that owns the user interface.
int CCrashReporter::StartNotice()
{
    if (m_Settings.strNoticeHelper.empty()) {
        return kNoticeNone;
    }
    std::vector<std::string> vArgs{m_Settings.strNoticeHelper,
                                   std::to_string(m_Settings.nNoticeId)};
    int nPid = 0;
    int nError = platform::SpawnProcess(m_Settings.strNoticeHelper, vArgs,
                                        m_Settings.strProgramFolder, 1000, &nPid);
    if (nError != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] ErrorMessageBox [%s] Fail... LastError [%d]", kTag,
                  m_Settings.strNoticeHelper.c_str(), nError);
        return kNoticeNone;
    }
    LOG_PRINT(LOG_INFO, "[%s] ErrorMessageBox Start... (pid %d)", kTag, nPid);
    int hWatch = platform::OpenProcessWatch(nPid);
    return hWatch >= 0 ? hWatch : kNoticeEnded; // gone (and reaped) already
}

bool CCrashReporter::WaitForState(int nState, uint64_t nDeadlineMs) const
{
    while (m_nState.load() < nState) {
        if (platform::GetMonotonicMs() >= nDeadlineMs) {
            return false;
        }
        platform::SafeSleepMs(kPollMs);
    }
    return true;
}

void CCrashReporter::Wake(uint32_t nCrashThreadId)
{
    m_Pipe.Wake(nCrashThreadId);
}

bool CCrashReporter::WaitNoticeClosed()
{
    if (!WaitForState(STATE_ACTED, platform::GetMonotonicMs() + kActedWaitMs)) {
        return false;
    }
    int hWatch = m_hNoticeWatch.load();
    if (hWatch == kNoticeNone) {
        return false;
    }
    if (hWatch != kNoticeEnded) {
        platform::SafeWaitProcessWatch(hWatch, -1); // the user's pace
    }
    return true;
}

void CCrashReporter::WaitReportPosted()
{
    WaitForState(STATE_DONE, m_nReportDeadlineMs.load());
}
