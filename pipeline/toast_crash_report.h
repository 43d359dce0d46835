// The crash report through the toast worker: the message is queued for
// the worker, or posted on the crash reporter's thread when the worker
// cannot post it (never started, ended, or itself the crashed thread).
#pragma once

#include "crash/crash_report.h"

#include <condition_variable>
#include <mutex>
#include <string>

class CToastCtrlProcess;

// Registers itself as the crash handler's report while it lives.
class CToastCrashReport : public ICrashReport
{
public:
    explicit CToastCrashReport(CToastCtrlProcess& toast);
    ~CToastCrashReport() override;
    CToastCrashReport(const CToastCrashReport&) = delete;
    CToastCrashReport& operator=(const CToastCrashReport&) = delete;

    EPush PushReport(int nLevel, const std::string& strMsg, uint32_t nCrashThreadId) override;
    bool WaitReportHandled(int nTimeoutMs) override;
    bool PostReport(int nLevel, const std::string& strMsg) override;
    int RequestTimeoutMs() const override;

private:
    void OnReportHandled(const std::string& strMsg);

    CToastCtrlProcess& m_Toast;
    std::mutex m_Lock;
    std::condition_variable m_Handled;
    std::string m_strPending; // the pushed message, until the worker has handled it
    bool m_bPending = false;
};

// The report of the process-wide toast worker, registered on first use
// and removed at exit before the worker goes.
CToastCrashReport& ToastCrashReport();
