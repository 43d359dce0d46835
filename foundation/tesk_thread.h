// Thread object with an explicit status: created suspended, started later
// with a user-data pointer, stopped by request.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

class CTeskEvent;

// The work of a thread: gets the user data handed to Start, returns a result.
using TeskThreadFunction = int32_t (*)(void* pUserData);

enum ETeskThreadStatus
{
    TESK_THREAD_CREATED = 0, // thread exists, waits for Start
    TESK_THREAD_RUNNING = 1,
    TESK_THREAD_ENDED = 2,
    TESK_THREAD_NONE = 3, // no thread
};

// A thread cannot be killed safely here. "Killing" a running thread asks it
// to stop (its function sees IsCurrentStopRequested / WaitForStopRequest
// turn true) and, when it has not ended within the stop time-out, lets it
// go: the object forgets the thread, which runs on by itself and never
// touches the object again.
//
// Start, Stop and the destructor are called from one controlling thread.
// An autoDelete object belongs to its own thread once started: it deletes
// itself when the function returns, so nobody else may delete or stop it
// after that point.
class CTeskThread
{
public:
    static constexpr uint32_t kDefaultStopTimeoutMs = 3000;

    // Creates the thread waiting for Start when pfnThread is set (status 0;
    // otherwise, or when creation fails, status 3).
    explicit CTeskThread(TeskThreadFunction pfnThread, bool bAutoDelete = false);
    // Stops the thread (as Stop does).
    virtual ~CTeskThread();
    CTeskThread(const CTeskThread&) = delete;
    CTeskThread& operator=(const CTeskThread&) = delete;

    // 1: the waiting thread runs the function with pUserData now (after the
    // function has returned, a new thread is made first). 0: not started
    // (running already, or no thread).
    virtual int Start(void* pUserData);

    // 1: a created or running thread was stopped (a running one is asked to
    // stop first when terminate is allowed) and released. 0: no thread, or
    // it had already ended by itself (it is then released too).
    virtual int Stop();

    int GetThreadStatus() const;
    uint32_t GetThreadId() const { return m_nThreadId; }
    bool IsAutoDelete() const { return m_bAutoDelete; }
    bool IsTerminateAllowed() const { return m_bTerminateAllowed.load(); }
    void SetTerminateAllowed(bool bAllowed) { m_bTerminateAllowed.store(bAllowed); }
    // How long Stop waits for a running thread to honour the request.
    void SetStopTimeoutMs(uint32_t nTimeoutMs) { m_nStopTimeoutMs = nTimeoutMs; }
    // True once Stop has asked the current thread to end.
    bool IsStopRequested() const;
    // Result of the function in the last run that has finished; -1 while
    // none has, when it threw, or when the thread was let go.
    int32_t GetExitCode() const;

    // For the thread function, which sees only its user data: whether the
    // CTeskThread running it has been asked to stop (false on other threads).
    static bool IsCurrentStopRequested();
    // An interruptible sleep for the thread function: true as soon as a
    // stop is requested, false after nTimeoutMs (on other threads: a sleep).
    static bool WaitForStopRequest(uint32_t nTimeoutMs);

private:
    struct SRun; // what one OS thread shares with the object
    static void stThreadProc(std::shared_ptr<SRun> pRun);
    static void SetThreadStatus(SRun& run, int nStatus);
    bool CreateSuspended();

    // The record of the CTeskThread running on this thread (null elsewhere).
    static thread_local SRun* t_pCurrentRun;

    TeskThreadFunction m_pfnThread;
    uint32_t m_nThreadId = 0;
    std::thread m_Thread; // joinable while the object holds the thread
    std::shared_ptr<SRun> m_pRun;
    const bool m_bAutoDelete;
    std::atomic<bool> m_bTerminateAllowed{true};
    uint32_t m_nStopTimeoutMs = kDefaultStopTimeoutMs;
};
