// Crash report hand-over to the toast worker.
#include "pipeline/toast_crash_report.h"

#include "crash/self_dump.h"
#include "pipeline/ctrl_processes.h"
#include "pipeline/toast_ctrl_process.h"

CToastCrashReport::CToastCrashReport(CToastCtrlProcess& toast) : m_Toast(toast)
{
    m_Toast.SetReportHandledCallback(
        [this](const std::string& strMsg, bool) { OnReportHandled(strMsg); });
    CSelfDump::SetCrashReport(this);
}

CToastCrashReport::~CToastCrashReport()
{
    CSelfDump::RemoveCrashReport(this);
    m_Toast.SetReportHandledCallback({});
}

ICrashReport::EPush CToastCrashReport::PushReport(int nLevel, const std::string& strMsg,
                                                  uint32_t nCrashThreadId)
{
    if (!m_Toast.IsRunning() || m_Toast.WorkerThreadId() == nCrashThreadId) {
        return EPush::WorkerGone;
    }
    {
        std::lock_guard lock(m_Lock);
        m_strPending = strMsg;
        m_bPending = true;
    }
    if (m_Toast.PushToastQueueCtrlData(nLevel, strMsg) != 1) {
        std::lock_guard lock(m_Lock);
        m_bPending = false;
        return EPush::Refused;
    }
    return EPush::Queued;
}

void CToastCrashReport::OnReportHandled(const std::string& strMsg)
{
    std::lock_guard lock(m_Lock);
    if (m_bPending && strMsg == m_strPending) {
        m_bPending = false;
        m_Handled.notify_all();
    }
}

bool CToastCrashReport::WaitReportHandled(int nTimeoutMs)
{
    std::unique_lock lock(m_Lock);
    return m_Handled.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                              [this] { return !m_bPending; });
}

bool CToastCrashReport::PostReport(int nLevel, const std::string& strMsg)
{
    return m_Toast.ToastRequest_Blocked(nLevel, strMsg) == 1;
}

int CToastCrashReport::RequestTimeoutMs() const
{
    return CToastCtrlProcess::kRequestTimeoutMs;
}

CToastCrashReport& ToastCrashReport()
{
    // Made after the toast control, so destroyed before it.
    static CToastCrashReport s_Report(ToastCtrlProcess());
    return s_Report;
}
