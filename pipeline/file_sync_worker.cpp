// CFileSyncWorker: the request counter, the sync thread and its stop.
#include "pipeline/file_sync_worker.h"

#include "foundation/simple_log.h"
#include "platform/thread_priority.h"
#include "platform/thread_start_hook.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

// Shared by the object and its thread, so a thread left behind by a stop
// that timed out never touches freed memory.
struct CFileSyncWorker::SState
{
    explicit SState(SyncFunction fn) : fnSync(std::move(fn)) {}

    // One sync on the calling thread, covering every write requested up to
    // now; lock is held on entry and on return.
    void SyncOnce(std::unique_lock<std::mutex>& lock)
    {
        const uint64_t nCovering = nRequested;
        lock.unlock();
        const bool bOk = fnSync();
        lock.lock();
        ++nRuns;
        if (!bOk) {
            ++nFailures;
        }
        if (nCovering > nCovered) {
            nCovered = nCovering;
        }
        done.notify_all();
    }

    void Run()
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return bStop || nRequested > nCovered; });
            if (nRequested == nCovered) {
                return; // stopped with nothing left
            }
            SyncOnce(lock);
        }
    }

    const SyncFunction fnSync;
    std::mutex mutex;
    std::condition_variable wake; // a request or the stop
    std::condition_variable done; // a sync finished
    uint64_t nRequested = 0;      // writes asked to be synced
    uint64_t nCovered = 0;        // of those, the ones a finished sync covered
    uint64_t nRuns = 0;
    int nFailures = 0;
    bool bStop = false;
    bool bThread = false; // the thread is running (or left behind)
    std::thread thread;
};

CFileSyncWorker::CFileSyncWorker(SyncFunction fnSync)
    : m_pState(std::make_shared<SState>(std::move(fnSync)))
{
}

CFileSyncWorker::~CFileSyncWorker()
{
    Stop();
}

void CFileSyncWorker::RequestSync()
{
    SState& state = *m_pState;
    std::unique_lock<std::mutex> lock(state.mutex);
    ++state.nRequested;
    if (!state.bThread && !state.bStop) {
        try {
            state.thread = std::thread([pState = m_pState] {
                platform::RunThreadStartHook();
                // A sync is disk work nobody waits for: the printing
                // threads go first when the two cores are busy.
                platform::LowerCurrentThreadPriority();
                pState->Run();
            });
            state.bThread = true;
        } catch (const std::system_error& e) {
            LOG_PRINT(LOG_ERROR, "[%s] CreateThread Fail [%d], synced at once",
                      "CFileSyncWorker::RequestSync", e.code().value());
        }
    }
    if (state.bThread && !state.bStop) {
        state.wake.notify_one();
        return;
    }
    state.SyncOnce(lock);
}

bool CFileSyncWorker::Drain(int nTimeoutMs)
{
    SState& state = *m_pState;
    std::unique_lock<std::mutex> lock(state.mutex);
    const uint64_t nTarget = state.nRequested;
    auto covered = [&] { return state.nCovered >= nTarget; };
    if (nTimeoutMs < 0) {
        state.done.wait(lock, covered);
        return true;
    }
    return state.done.wait_for(lock, std::chrono::milliseconds(nTimeoutMs), covered);
}

void CFileSyncWorker::Stop()
{
    SState& state = *m_pState;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        if (state.bStop) {
            return;
        }
        state.bStop = true;
        state.wake.notify_one();
    }
    const bool bDrained = Drain(STOP_WAIT_MS);
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        thread = std::move(state.thread);
    }
    if (!thread.joinable()) {
        return;
    }
    if (bDrained) {
        thread.join();
        return;
    }
    thread.detach();
    LOG_PRINT(LOG_ERROR,
              "[%s] Sync Still Running After [%d] ms At Stop... the last writes may not be on the "
              "disk yet",
              "CFileSyncWorker::Stop", STOP_WAIT_MS);
}

int CFileSyncWorker::Failures() const
{
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    return m_pState->nFailures;
}

uint64_t CFileSyncWorker::SyncRuns() const
{
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    return m_pState->nRuns;
}
