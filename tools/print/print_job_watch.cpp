// The print worker of zelkor-print.
#include "tools/print/print_job_watch.h"

#include "foundation/simple_log.h"

CPrintJobWatch::~CPrintJobWatch()
{
    // The handler below uses this object's members.
    StopWorker();
}

void CPrintJobWatch::HandleQueueData(int nEventType, const std::string& strData)
{
    // What the print control's own handler does, keeping the result.
    int nResult = PrintProcess(nEventType, strData);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Print Fail... EventType [%d]",
                  "CPrintCtrlProcess::ThreadPrintCtrlProcess", nEventType);
    }
    std::lock_guard<std::mutex> guard(m_Lock);
    m_nLastResult = nResult;
    ++m_nJobs;
    m_Done.notify_all();
}

void CPrintJobWatch::WaitJobs(int nJobs)
{
    std::unique_lock<std::mutex> guard(m_Lock);
    m_Done.wait(guard, [&] { return m_nJobs >= nJobs; });
}

int CPrintJobWatch::LastResult()
{
    std::lock_guard<std::mutex> guard(m_Lock);
    return m_nLastResult;
}
