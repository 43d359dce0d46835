// The print worker of zelkor-print: the real print control, with the end
// of each job and its outcome made visible to the waiting tool.
#pragma once

#include "pipeline/print_ctrl_process.h"

#include <condition_variable>
#include <mutex>
#include <string>

class CPrintJobWatch : public CPrintCtrlProcess
{
public:
    using CPrintCtrlProcess::CPrintCtrlProcess;
    ~CPrintJobWatch() override;

    // Waits until nJobs jobs have ended.
    void WaitJobs(int nJobs);
    // The result of the last PrintProcess (0 done).
    int LastResult();

protected:
    void HandleQueueData(int nEventType, const std::string& strData) override;

private:
    std::mutex m_Lock;
    std::condition_variable m_Done;
    int m_nJobs = 0;
    int m_nLastResult = 0;
};
