// Group commit of a settings file: writes that are already in place (renamed)
// are made durable by a thread of their own, one sync for every write
// requested since the previous one, so the writer never waits for the disk.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class CFileSyncWorker
{
public:
    // Syncs the file; false when it failed (the function logs why).
    using SyncFunction = std::function<bool()>;

    // How long the stop waits for a sync still under way.
    static constexpr int STOP_WAIT_MS = 3000;

    explicit CFileSyncWorker(SyncFunction fnSync);
    // Stop().
    ~CFileSyncWorker();
    CFileSyncWorker(const CFileSyncWorker&) = delete;
    CFileSyncWorker& operator=(const CFileSyncWorker&) = delete;

    // One more write waits for a sync. Never waits itself: the sync runs on
    // the worker thread (started on the first request), and a sync under
    // way covers only the writes requested before it began, so a later one
    // follows for the rest. Without a thread (it cannot be started, or the
    // worker was stopped) the sync runs here.
    void RequestSync();

    // Waits until every write requested so far is covered by a finished
    // sync (successful or not), at most nTimeoutMs (negative: no limit).
    // False on time-out.
    bool Drain(int nTimeoutMs);

    // Drains (STOP_WAIT_MS) and ends the thread. A sync that is still
    // blocked then is left to finish on its own thread, which owns what it
    // uses; the time-out is logged. Idempotent.
    void Stop();

    // Syncs that failed, and syncs run (each covers one or more writes).
    int Failures() const;
    uint64_t SyncRuns() const;

private:
    struct SState;
    std::shared_ptr<SState> m_pState;
};
