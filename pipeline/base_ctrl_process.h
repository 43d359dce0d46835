// Base of the event, print and toast workers: one worker thread, a data
// queue and a toast queue (100 items each), the pass loop and the stop.
#pragma once

#include "foundation/queue.h"
#include "foundation/tesk_event.h"
#include "pipeline/queue_data_info.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// Result of StartCtrlProcess when the worker thread cannot be created.
constexpr int CTRL_PROCESS_THREAD_FAIL = 1444;

// Producers push from any thread and never wait for the worker. The worker
// works in passes: it reads the queue count once, handles that many items
// in arrival order, then waits up to 100 ms; a push or the exit request
// ends the wait at once. With its queue empty it waits for nothing else.
//
// Lifetime. Everything the worker thread touches besides the handlers (the
// flags, the events, both queues) lives in a block the thread co-owns, so
// a thread that had to be abandoned at destruction never touches freed
// memory once its handler returns: it sees the abandonment and ends
// without using the object again. A derived class must stop the worker in
// its own destructor, by calling StopWorker() first, because its handlers
// use its members and those die before this base destructor runs.
// StopWorker() is idempotent; the base destructor calls it again as a
// safety net (harmless when the derived class already did).
//
// A handler that is still running when the stop gives up (3000 ms) outlives
// its object: handlers that can block that long must keep what they use
// after the blocking call in storage of their own, not in the object.
class CBaseCtrlProcess
{
public:
    CBaseCtrlProcess();
    virtual ~CBaseCtrlProcess();
    CBaseCtrlProcess(const CBaseCtrlProcess&) = delete;
    CBaseCtrlProcess& operator=(const CBaseCtrlProcess&) = delete;

    // 0 when started or already running, CTRL_PROCESS_THREAD_FAIL when the
    // thread cannot be created. Derived classes call StartWorkerThread with
    // their own logged name.
    virtual int StartCtrlProcess() = 0;

    // 1 when queued, 0 when refused (logged; the item is dropped).
    int PushQueueCtrlData(int nEventType, const std::string& strData);
    // 1 with the oldest item, 0 when the queue is empty (logged).
    int PopQueueCtrlData(int& nEventType, std::string& strData);

    // The system-wide entry for report messages: the item goes to the toast
    // queue of the registered toast control, whichever object this is
    // called on. With no toast control registered (not yet constructed, or
    // already destroyed) it goes to this object's own toast queue, where it
    // stays unhandled and is freed with the object: a report is never lost
    // into freed memory.
    int PushToastQueueCtrlData(int nLevel, const std::string& strMsg);
    // Pops from this object's own toast queue.
    int PopToastQueueCtrlData(int& nLevel, std::string& strMsg);

    bool IsRunning() const;
    // Kernel id of the worker thread while it runs (0 before the first start).
    uint32_t WorkerThreadId() const;
    int DataQueueCount() const;
    int DataQueueCapacity() const;
    int ToastQueueCount() const;

protected:
    enum class EWorkerQueue
    {
        Data,
        Toast,
    };

    // The steps of StartCtrlProcess: "Already Running Thread" (0), thread
    // creation ("CreateThread Fail", 1444), running set to 1 (0). The new
    // thread runs WorkerThreadMain().
    int StartWorkerThread(const char* pszName);

    // The derived class's thread function, run on the worker thread;
    // normally it calls RunWorkerLoop and logs its exit line.
    virtual void WorkerThreadMain() = 0;

    // The pass loop over one queue until the exit is requested, handing
    // each item to HandleQueueData or HandleToastData. Items pushed during
    // a pass wait for the next; a pass is never cut short by the exit
    // request. False when the object was abandoned by a timed-out stop:
    // the caller must return at once without touching the object.
    bool RunWorkerLoop(const char* pszName, EWorkerQueue eQueue);

    virtual void HandleQueueData(int nEventType, const std::string& strData);
    virtual void HandleToastData(int nLevel, const std::string& strMsg);

    // Asks the worker to finish and waits up to 3000 ms (message-pumping);
    // on time-out the thread is abandoned. Logs the destructor lines the
    // first time only.
    void StopWorker();

    bool IsExitRequested() const;

    // The toast control registers itself in its constructor and is
    // unregistered when it is destroyed (the base destructor does it too).
    static void RegisterToastTarget(CBaseCtrlProcess* pTarget);
    static void UnregisterToastTarget(CBaseCtrlProcess* pTarget);

private:
    struct SShared;

    static int PushToast(SShared& shared, int nLevel, const std::string& strMsg);

    std::shared_ptr<SShared> m_pShared;
    // Guards m_Thread and m_bStopped; recursive because the stop pumps
    // messages, and a message handler may call StartCtrlProcess.
    std::recursive_mutex m_ThreadLock;
    std::thread m_Thread;
    bool m_bStopped = false;
};
