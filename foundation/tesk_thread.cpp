// CTeskThread over std::thread: "suspended" is a thread waiting for its
// start event; "killed" is a stop request followed, after a time-out, by
// letting the thread go.
#include "foundation/tesk_thread.h"

#include "foundation/simple_log.h"
#include "foundation/tesk_critical_section.h"
#include "foundation/tesk_event.h"
#include "platform/thread_id.h"
#include "platform/thread_start_hook.h"

// Each OS thread has its own record, shared with the object while the
// object holds the thread. A thread that was let go keeps its record alive
// by itself, so a new run of the object never sees its stop request and
// the old thread never touches a deleted object.
struct CTeskThread::SRun
{
    CTeskCriticalSection statusLock; // guards every field below except the events
    int nStatus = TESK_THREAD_NONE;
    TeskThreadFunction pfnThread = nullptr;
    void* pUserData = nullptr;
    CTeskThread* pOwner = nullptr;
    bool bAutoDelete = false;
    bool bCancelled = false; // stopped before Start: leave without running
    bool bReleased = false;  // the object gave the thread up (Stop)
    int32_t nExitCode = -1;
    uint32_t nThreadId = 0;
    CTeskEvent ready{true};    // the thread has published its id
    CTeskEvent start{true};    // Start (or a cancelling Stop) released it
    CTeskEvent stop{true};     // Stop asks the function to end
    CTeskEvent finished{true}; // the function has returned
};

thread_local CTeskThread::SRun* CTeskThread::t_pCurrentRun = nullptr;

CTeskThread::CTeskThread(TeskThreadFunction pfnThread, bool bAutoDelete)
    : m_pfnThread(pfnThread), m_bAutoDelete(bAutoDelete)
{
    try {
        if (m_pfnThread != nullptr) {
            CreateSuspended();
        }
    } catch (...) {
        LOG_PRINT(LOG_ERROR, "[CTeskThread] Unknown Exception Occured !!!");
    }
}

CTeskThread::~CTeskThread()
{
    try {
        Stop();
    } catch (...) {
        LOG_PRINT(LOG_ERROR, "[~CTeskThread()] Unknown Exception Occured !!!");
    }
    if (m_Thread.joinable()) {
        m_Thread.detach(); // never terminate the process over a lost thread
    }
}

void CTeskThread::SetThreadStatus(SRun& run, int nStatus)
{
    try {
        CTeskCriticalAutoRelease guard(run.statusLock);
        run.nStatus = nStatus;
    } catch (...) {
        LOG_PRINT(LOG_ERROR, "[SetThreadStatus()] Unknown Exception Occured !!!");
    }
}

bool CTeskThread::CreateSuspended()
{
    auto pRun = std::make_shared<SRun>();
    pRun->pfnThread = m_pfnThread;
    pRun->pOwner = this;
    pRun->bAutoDelete = m_bAutoDelete;
    try {
        m_Thread = std::thread(&CTeskThread::stThreadProc, pRun);
    } catch (const std::system_error&) {
        return false;
    }
    pRun->ready.Wait(-1);
    m_nThreadId = pRun->nThreadId;
    SetThreadStatus(*pRun, TESK_THREAD_CREATED);
    m_pRun = std::move(pRun);
    return true;
}

int CTeskThread::GetThreadStatus() const
{
    if (!m_pRun) {
        return TESK_THREAD_NONE;
    }
    CTeskCriticalAutoRelease guard(m_pRun->statusLock);
    return m_pRun->nStatus;
}

bool CTeskThread::IsStopRequested() const
{
    return m_pRun && m_pRun->stop.IsSet();
}

int32_t CTeskThread::GetExitCode() const
{
    if (!m_pRun) {
        return -1;
    }
    CTeskCriticalAutoRelease guard(m_pRun->statusLock);
    return m_pRun->nExitCode;
}

bool CTeskThread::IsCurrentStopRequested()
{
    return t_pCurrentRun != nullptr && t_pCurrentRun->stop.IsSet();
}

bool CTeskThread::WaitForStopRequest(uint32_t nTimeoutMs)
{
    if (t_pCurrentRun == nullptr) {
        std::this_thread::sleep_for(std::chrono::milliseconds(nTimeoutMs));
        return false;
    }
    return t_pCurrentRun->stop.Wait(static_cast<long>(nTimeoutMs));
}

int CTeskThread::Start(void* pUserData)
{
    try {
        if (GetThreadStatus() == TESK_THREAD_ENDED) {
            if (m_Thread.joinable()) {
                m_Thread.join(); // the function has returned; the thread is ending
            }
            if (!CreateSuspended()) {
                return 0;
            }
        }
        std::shared_ptr<SRun> pRun = m_pRun;
        if (!pRun) {
            return 0;
        }
        {
            CTeskCriticalAutoRelease guard(pRun->statusLock);
            if (pRun->nStatus != TESK_THREAD_CREATED) {
                return 0;
            }
            pRun->pUserData = pUserData;
            // The thread sets Running itself as well; setting it here too
            // makes a second Start fail even before the thread got going.
            pRun->nStatus = TESK_THREAD_RUNNING;
        }
        pRun->start.Set();
        return 1;
    } catch (...) {
        LOG_PRINT(LOG_ERROR, "[Start()] Unknown Exception Occured !!!");
        return 0;
    }
}

void CTeskThread::stThreadProc(std::shared_ptr<SRun> pRun)
{
    platform::RunThreadStartHook();
    try {
        {
            CTeskCriticalAutoRelease guard(pRun->statusLock);
            pRun->nThreadId = platform::GetCurrentThreadId();
        }
        pRun->ready.Set();
        pRun->start.Wait(-1);

        TeskThreadFunction pfnThread;
        void* pUserData;
        bool bAutoDelete;
        {
            CTeskCriticalAutoRelease guard(pRun->statusLock);
            if (pRun->bCancelled) {
                return;
            }
            pRun->nStatus = TESK_THREAD_RUNNING;
            pfnThread = pRun->pfnThread;
            pUserData = pRun->pUserData;
            bAutoDelete = pRun->bAutoDelete;
        }

        int32_t nResult = -1;
        if (!pRun->stop.IsSet()) { // asked to stop before it began: skip the work
            t_pCurrentRun = pRun.get();
            try {
                nResult = pfnThread(pUserData);
            } catch (...) {
                LOG_PRINT(LOG_ERROR, "[stThreadProc()] Unknown Exception Occured !!!");
                nResult = -1;
            }
            t_pCurrentRun = nullptr;
        }

        CTeskThread* pDelete = nullptr;
        {
            CTeskCriticalAutoRelease guard(pRun->statusLock);
            if (!pRun->bReleased) {
                pRun->nExitCode = nResult;
            }
            if (bAutoDelete && !pRun->bReleased) {
                pDelete = pRun->pOwner;
            } else {
                pRun->nStatus = TESK_THREAD_ENDED;
            }
        }
        pRun->finished.Set();
        if (pDelete != nullptr) {
            // The destructor's Stop must release this very thread, not stop it.
            pDelete->m_bTerminateAllowed.store(false);
            delete pDelete;
        }
    } catch (...) {
        LOG_PRINT(LOG_ERROR, "[stThreadProc()] Unknown Exception Occured !!!");
    }
}

int CTeskThread::Stop()
{
    try {
        if (!m_Thread.joinable()) {
            return 0;
        }
        std::shared_ptr<SRun> pRun = m_pRun;
        const bool bOwnThread = m_Thread.get_id() == std::this_thread::get_id();
        int nStatus;
        {
            CTeskCriticalAutoRelease guard(pRun->statusLock);
            nStatus = pRun->nStatus;
            pRun->bReleased = true;
            if (nStatus == TESK_THREAD_CREATED) {
                pRun->bCancelled = true;
            }
        }

        if (nStatus == TESK_THREAD_RUNNING && m_bTerminateAllowed.load()) {
            LOG_PRINT(LOG_DEBUG, "[%s] TerminateThread !!! [%d]", "CTeskThread::Stop",
                      static_cast<int>(m_nThreadId));
            pRun->stop.Set();
            if (!bOwnThread && pRun->finished.Wait(static_cast<long>(m_nStopTimeoutMs))) {
                m_Thread.join();
            } else {
                m_Thread.detach(); // it did not end in time: let it go
            }
        } else if (nStatus == TESK_THREAD_CREATED) {
            pRun->start.Set(); // wakes it only to leave
            m_Thread.join();
        } else if (bOwnThread || nStatus == TESK_THREAD_RUNNING) {
            // Running and not to be stopped: the thread goes on by itself.
            m_Thread.detach();
        } else {
            m_Thread.join(); // ended by itself: at most finishing its return
        }

        if (nStatus == TESK_THREAD_CREATED || nStatus == TESK_THREAD_RUNNING) {
            SetThreadStatus(*pRun, TESK_THREAD_ENDED);
            return 1;
        }
        return 0;
    } catch (...) {
        LOG_PRINT(LOG_ERROR, "[Stop()] Unknown Exception Occured !!!");
        return 0;
    }
}
