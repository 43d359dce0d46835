// The thread that carries out what a crash needs beyond the dump: the
// report message, the agent's log tool and the notice to the user. It is
// prepared at start and woken from the signal handler through a pipe, so
// the crashed thread itself only waits, with bounds.
#pragma once

#include "platform/wake_pipe.h"

#include <atomic>
#include <cstdint>
#include <string>

class ICrashReport;

class CCrashReporter
{
public:
    struct SSettings
    {
        std::string strProgramFolder; // working directory of the helpers
        std::string strNoticeHelper;  // the notice program's path
        int nNoticeId = 0;            // string table id of the notice text
        // Where the report message goes, read at the crash (null: nowhere).
        const std::atomic<ICrashReport*>* pReport = nullptr;
    };

    // How long the handler waits for the report, the log tool and the
    // notice to be under way.
    static constexpr int kActedWaitMs = 5000;

    // Starts the thread, which waits for a crash. False when the pipe or
    // the thread cannot be made.
    bool Start(const SSettings& settings);

    // Signal context, in this order, once. Wake: the thread starts on the
    // crash of nCrashThreadId. WaitNoticeClosed: waits until the thread
    // has acted (at most kActedWaitMs), then until the notice has closed;
    // true when a notice was shown. WaitReportPosted: gives the report
    // until its request time-out to be posted.
    void Wake(uint32_t nCrashThreadId);
    bool WaitNoticeClosed();
    void WaitReportPosted();

private:
    enum EState
    {
        STATE_IDLE = 0,
        STATE_WOKEN = 1,
        STATE_ACTED = 2, // report handed over, log tool and notice started
        STATE_DONE = 3,  // report posted or given up
    };

    // m_hNoticeWatch besides a process watch: no notice was started, or
    // it has ended already.
    static constexpr int kNoticeNone = -1;
    static constexpr int kNoticeEnded = -2;

    void Run();
    void Report(uint32_t nCrashThreadId);
    int StartNotice();
    bool WaitForState(int nState, uint64_t nDeadlineMs) const;

    SSettings m_Settings;
    platform::CWakePipe m_Pipe;
    std::atomic<int> m_nState{STATE_IDLE};
    std::atomic<int> m_hNoticeWatch{kNoticeNone};
    std::atomic<uint64_t> m_nReportDeadlineMs{0};
};
