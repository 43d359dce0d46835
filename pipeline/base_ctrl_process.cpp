// CBaseCtrlProcess: queues, push/pop with their log lines, the pass loop,
// thread start and stop, and the one toast target of the process.
#include "pipeline/base_ctrl_process.h"

#include "foundation/simple_log.h"
#include "foundation/wait.h"
#include "platform/thread_id.h"
#include "platform/thread_start_hook.h"

#include <cerrno>
#include <new>
#include <system_error>

namespace {

constexpr int kQueueSize = 100;
constexpr long kPassWaitMs = 100;
constexpr uint32_t kStopTimeoutMs = 3000;

// Where the worker thread is, for a stop that times out. The base loop
// code between handlers touches only the shared block, so a thread found
// there can be abandoned safely; it notices at its next step and ends.
enum EWorkerState
{
    WORKER_IN_BASE = 0,    // loop code: count, pop, wait
    WORKER_IN_DERIVED = 1, // a handler or the derived thread function
    WORKER_FINISHED = 2,   // loop left normally; only the exit line is left
    WORKER_ABANDONED = 3,  // the stop gave up; the object may be gone
};

template <typename T>
void Drain(CQueue<T*>& queue)
{
    T* pItem = nullptr;
    while (queue.Get(pItem)) {
        delete pItem;
    }
    queue.Clear();
}

} // namespace

// State shared by the object and its worker thread.
struct CBaseCtrlProcess::SShared
{
    SShared()
    {
        dataQueue.Init(kQueueSize);
        toastQueue.Init(kQueueSize);
    }
    // Items pushed after the object drained its queues (a report that
    // reached an unregistering toast control) are freed here.
    ~SShared()
    {
        Drain(dataQueue);
        Drain(toastQueue);
    }

    // Moves the worker from one state to the next; false when the stop
    // abandoned it meanwhile.
    bool Step(int nFrom, int nTo)
    {
        return state.compare_exchange_strong(nFrom, nTo, std::memory_order_acq_rel);
    }

    std::atomic<int> running{0};
    std::atomic<uint32_t> threadId{0};
    std::atomic<int> exitRequest{0};
    std::atomic<int> state{WORKER_IN_BASE};
    CTeskEvent exitEvent{true, false};  // manual reset: the thread left its loop
    CTeskEvent wakeEvent{false, false}; // automatic reset: push or exit request
    CQueue<CQueueDataInfo*> dataQueue;
    CQueue<CQueueToastData*> toastQueue;
};

namespace {

// The registered toast control. Never destroyed, so controls destroyed at
// process exit after it can still look it up.
struct SToastRegistry
{
    std::mutex lock;
    const CBaseCtrlProcess* pTarget = nullptr;
    std::shared_ptr<void> pShared; // the target's SShared, kept alive while pushing
};

SToastRegistry& ToastRegistry()
{
    static SToastRegistry* const s_pRegistry = new SToastRegistry;
    return *s_pRegistry;
}

// The oldest item of a queue, or null with the log line of the failure.
template <typename T>
T* PopItem(CQueue<T*>& queue, const char* pszName)
{
    T* pItem = nullptr;
    if (!queue.Get(pItem)) {
        LOG_PRINT(LOG_ERROR, "[%s] QueuePrint Pop QueueData Fail Queue Count [%d]", pszName,
                  queue.Count());
        return nullptr;
    }
    if (pItem == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] QueuePrint Pop QueueData NULL Index", pszName);
    }
    return pItem;
}

bool PopData(CQueue<CQueueDataInfo*>& queue, int& nEventType, std::string& strData)
{
    CQueueDataInfo* pItem = PopItem(queue, "CBaseCtrlProcess::PopQueueCtrlData");
    if (pItem == nullptr) {
        return false;
    }
    nEventType = pItem->eventType;
    strData = std::move(pItem->data);
    delete pItem;
    return true;
}

bool PopToast(CQueue<CQueueToastData*>& queue, int& nLevel, std::string& strMsg)
{
    CQueueToastData* pItem = PopItem(queue, "CBaseCtrlProcess::PopToastQueueCtrlData");
    if (pItem == nullptr) {
        return false;
    }
    nLevel = pItem->nLevel;
    strMsg = std::move(pItem->strMsg);
    delete pItem;
    return true;
}

} // namespace

CBaseCtrlProcess::CBaseCtrlProcess() : m_pShared(std::make_shared<SShared>()) {}

CBaseCtrlProcess::~CBaseCtrlProcess()
{
    StopWorker();
    UnregisterToastTarget(this);
    Drain(m_pShared->dataQueue);
    Drain(m_pShared->toastQueue);
}

int CBaseCtrlProcess::PushQueueCtrlData(int nEventType, const std::string& strData)
{
    const char* const pszName = "CBaseCtrlProcess::PushQueueCtrlData";
    CQueueDataInfo* pItem = nullptr;
    try {
        pItem = new (std::nothrow) CQueueDataInfo{nEventType, strData};
    } catch (const std::exception&) {
        LOG_PRINT(LOG_ERROR, "[%s] new CQueueDataInfo Fail Push Queue Fail EventType [%d]!!!",
                  pszName, nEventType);
        return 0;
    }
    if (pItem == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] new CQueueDataInfo NULL Push Queue Fail EventType [%d]!!!",
                  pszName, nEventType);
        return 0;
    }
    SShared& shared = *m_pShared;
    if (!shared.dataQueue.Put(pItem)) {
        LOG_PRINT(LOG_ERROR,
                  "[%s] Queue Put Fail... EventType [%d] Queue MaxSize [%d], Current Cnt [%d]",
                  pszName, nEventType, shared.dataQueue.Capacity(), shared.dataQueue.Count());
        delete pItem;
        return 0;
    }
    shared.wakeEvent.Set();
    return 1;
}

int CBaseCtrlProcess::PopQueueCtrlData(int& nEventType, std::string& strData)
{
    return PopData(m_pShared->dataQueue, nEventType, strData) ? 1 : 0;
}

int CBaseCtrlProcess::PushToastQueueCtrlData(int nLevel, const std::string& strMsg)
{
    std::shared_ptr<SShared> pTarget;
    {
        SToastRegistry& registry = ToastRegistry();
        std::lock_guard lock(registry.lock);
        pTarget = std::static_pointer_cast<SShared>(registry.pShared);
    }
    return PushToast(pTarget ? *pTarget : *m_pShared, nLevel, strMsg);
}

int CBaseCtrlProcess::PushToast(SShared& shared, int nLevel, const std::string& strMsg)
{
    const char* const pszName = "CBaseCtrlProcess::PushToastQueueCtrlData";
    CQueueToastData* pItem = nullptr;
    try {
        pItem = new (std::nothrow) CQueueToastData{nLevel, strMsg};
    } catch (const std::exception&) {
        LOG_PRINT(LOG_ERROR, "[%s] new pQueueToastData Fail Push Queue Fail!!!", pszName);
        return 0;
    }
    if (pItem == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] new pQueueToastData NULL Push Queue Fail!!!", pszName);
        return 0;
    }
    if (!shared.toastQueue.Put(pItem)) {
        LOG_PRINT(LOG_ERROR, "[%s] Queue Put Fail... Queue MaxSize [%d], Current Cnt [%d]", pszName,
                  shared.toastQueue.Capacity(), shared.toastQueue.Count());
        delete pItem;
        return 0;
    }
    shared.wakeEvent.Set();
    return 1;
}

int CBaseCtrlProcess::PopToastQueueCtrlData(int& nLevel, std::string& strMsg)
{
    return PopToast(m_pShared->toastQueue, nLevel, strMsg) ? 1 : 0;
}

bool CBaseCtrlProcess::IsRunning() const
{
    return m_pShared->running.load() == 1;
}

uint32_t CBaseCtrlProcess::WorkerThreadId() const
{
    return m_pShared->threadId.load();
}

int CBaseCtrlProcess::DataQueueCount() const
{
    return m_pShared->dataQueue.Count();
}

int CBaseCtrlProcess::DataQueueCapacity() const
{
    return m_pShared->dataQueue.Capacity();
}

int CBaseCtrlProcess::ToastQueueCount() const
{
    return m_pShared->toastQueue.Count();
}

bool CBaseCtrlProcess::IsExitRequested() const
{
    return m_pShared->exitRequest.load() == 1;
}

void CBaseCtrlProcess::HandleQueueData(int /*nEventType*/, const std::string& /*strData*/) {}

void CBaseCtrlProcess::HandleToastData(int /*nLevel*/, const std::string& /*strMsg*/) {}

int CBaseCtrlProcess::StartWorkerThread(const char* pszName)
{
    std::lock_guard lock(m_ThreadLock);
    SShared& shared = *m_pShared;
    if (shared.running.load() == 1) {
        LOG_PRINT(LOG_INFO, "[%s] Already Running Thread", pszName);
        return 0;
    }
    if (m_bStopped) {
        // Stopped for destruction: a control is never restarted.
        LOG_PRINT(LOG_ERROR, "[%s] CreateThread Fail [%d]", pszName, ECANCELED);
        return CTRL_PROCESS_THREAD_FAIL;
    }
    if (m_Thread.joinable()) {
        m_Thread.join(); // a previous thread that ended by itself
    }
    // Set before the thread exists, so that a thread ending at once
    // cannot have its "ended" overwritten by a late "running".
    shared.running.store(1);
    shared.state.store(WORKER_IN_BASE);
    shared.exitEvent.Reset();
    try {
        m_Thread = std::thread([pShared = m_pShared, this] {
            platform::RunThreadStartHook();
            pShared->threadId.store(platform::GetCurrentThreadId());
            if (pShared->Step(WORKER_IN_BASE, WORKER_IN_DERIVED)) {
                WorkerThreadMain();
            }
            pShared->exitEvent.Set();
            pShared->running.store(0);
        });
    } catch (const std::system_error& e) {
        shared.running.store(0);
        LOG_PRINT(LOG_ERROR, "[%s] CreateThread Fail [%d]", pszName, e.code().value());
        return CTRL_PROCESS_THREAD_FAIL;
    }
    return 0;
}

bool CBaseCtrlProcess::RunWorkerLoop(const char* pszName, EWorkerQueue eQueue)
{
    // From here on the loop reaches the object only to call a handler.
    std::shared_ptr<SShared> pShared = m_pShared;
    SShared& shared = *pShared;
    if (!shared.Step(WORKER_IN_DERIVED, WORKER_IN_BASE)) {
        return false;
    }
    while (shared.exitRequest.load() != 1) {
        int nCount =
            eQueue == EWorkerQueue::Data ? shared.dataQueue.Count() : shared.toastQueue.Count();
        for (int i = 0; i < nCount; ++i) {
            int nKind = 0;
            std::string strText;
            bool bPopped = eQueue == EWorkerQueue::Data
                               ? PopData(shared.dataQueue, nKind, strText)
                               : PopToast(shared.toastQueue, nKind, strText);
            if (!bPopped) {
                LOG_PRINT(LOG_ERROR, "[%s] QueueEvent Get QueueData Fail Index [%d]", pszName, i);
                continue;
            }
            if (!shared.Step(WORKER_IN_BASE, WORKER_IN_DERIVED)) {
                return false;
            }
            if (eQueue == EWorkerQueue::Data) {
                HandleQueueData(nKind, strText);
            } else {
                HandleToastData(nKind, strText);
            }
            if (!shared.Step(WORKER_IN_DERIVED, WORKER_IN_BASE)) {
                return false;
            }
        }
        // With nothing queued the worker sleeps until a push or the exit
        // request: an idle program does not wake ten times a second per
        // worker. Items left over keep the pass rhythm (a push during the
        // pass has set the event, so the next pass starts at once).
        int nLeft =
            eQueue == EWorkerQueue::Data ? shared.dataQueue.Count() : shared.toastQueue.Count();
        shared.wakeEvent.Wait(nLeft == 0 ? -1 : kPassWaitMs);
    }
    return shared.Step(WORKER_IN_BASE, WORKER_FINISHED);
}

void CBaseCtrlProcess::StopWorker()
{
    const char* const pszName = "CBaseCtrlProcess::~CBaseCtrlProcess";
    std::lock_guard lock(m_ThreadLock);
    if (m_bStopped) {
        return;
    }
    m_bStopped = true;
    SShared& shared = *m_pShared;
    LOG_PRINT(LOG_INFO, "[%s] Destructor Thread Exit Start", pszName);
    if (shared.running.load() == 1 && m_Thread.joinable()) {
        LOG_PRINT(LOG_INFO, "[%s] Destructor Thread Exit Start", pszName);
        shared.exitRequest.store(1);
        shared.wakeEvent.Set();
        bool bEnded = WaitForEvent(&shared.exitEvent, kStopTimeoutMs) == WAIT_RESULT_SIGNALLED;
        if (!bEnded) {
            // No thread can be killed safely here: unless it has already
            // left its loop, it is abandoned. It co-owns the shared block
            // and never calls into the object again.
            int nState = shared.state.load();
            while (nState != WORKER_FINISHED &&
                   !shared.state.compare_exchange_weak(nState, WORKER_ABANDONED)) {
            }
            bEnded = nState == WORKER_FINISHED;
        }
        if (bEnded) {
            m_Thread.join();
        } else {
            m_Thread.detach();
            LOG_PRINT(LOG_WARN, "[%s] Destructor Thread Exit Timeout. Terminate [%d] [0x%08x]",
                      pszName, 1, 0u);
        }
        LOG_PRINT(LOG_INFO, "[%s] Destructor Thread Exit End", pszName);
    } else if (m_Thread.joinable()) {
        m_Thread.join(); // ended by itself
    }
    shared.running.store(0);
}

void CBaseCtrlProcess::RegisterToastTarget(CBaseCtrlProcess* pTarget)
{
    SToastRegistry& registry = ToastRegistry();
    std::lock_guard lock(registry.lock);
    registry.pTarget = pTarget;
    registry.pShared = pTarget ? std::shared_ptr<void>(pTarget->m_pShared) : nullptr;
}

void CBaseCtrlProcess::UnregisterToastTarget(CBaseCtrlProcess* pTarget)
{
    SToastRegistry& registry = ToastRegistry();
    std::lock_guard lock(registry.lock);
    if (registry.pTarget == pTarget) {
        registry.pTarget = nullptr;
        registry.pShared.reset();
    }
}
