// Where the crash report message goes: the program's toast worker, or a
// post of the reporter's own when that worker cannot take it.
#pragma once

#include <cstdint>
#include <string>

// Called on the crash reporter thread, never in the signal handler.
class ICrashReport
{
public:
    enum class EPush
    {
        Queued,     // the worker has it and will post it
        Refused,    // its queue refused it
        WorkerGone, // the worker is not running, or it is the crashed thread
    };

    virtual ~ICrashReport() = default;

    // Hands the message to the worker without waiting for the post.
    virtual EPush PushReport(int nLevel, const std::string& strMsg, uint32_t nCrashThreadId) = 0;
    // Waits until the worker has posted the pushed message or given up,
    // at most nTimeoutMs. True when it has.
    virtual bool WaitReportHandled(int nTimeoutMs) = 0;
    // Posts the message on the calling thread. True when it was posted.
    virtual bool PostReport(int nLevel, const std::string& strMsg) = 0;
    // How long one post may take.
    virtual int RequestTimeoutMs() const = 0;
};
