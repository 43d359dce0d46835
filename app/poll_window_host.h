// A window host without Qt or a display: a poll(2) loop over the watched
// descriptors, the queued calls and the window's timers. The core's tests
// and benchmarks run the main window on it.
#pragma once

#include "app/window_host.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

class CPollWindowHost : public IWindowHost
{
public:
    CPollWindowHost();
    ~CPollWindowHost() override;

    void SetWindowProc(WindowProcFn fnWindowProc) override;
    void SetTimer(unsigned nId, unsigned nElapseMs) override;
    void KillTimer(unsigned nId) override;
    bool PostToMainThread(std::function<void()> fn) override;
    bool SendToMainThread(std::function<void()> fn) override;
    bool IsMainThread() const override;
    void WatchReadable(int hFd, std::function<void()> fnReadable) override;
    void UnwatchReadable(int hFd) override;
    int RunLoop() override;
    void EndLoop(int nResult) override;
    void ExitProcessNow(int nExitCode) override;

    // The elapse of a running timer, or -1; how often SetTimer was called.
    int TimerElapse(unsigned nId) const;
    int TimerSets() const { return m_nTimerSets; }
    // Runs what is due once (queued calls, readable descriptors, elapsed
    // timers), waiting at most nWaitMs for something (negative: until
    // something happens).
    void RunPending(int nWaitMs = 0);
    int LoopRuns() const { return m_nLoopRuns; }

private:
    const std::thread::id m_MainThread;
    int m_hWake[2] = {-1, -1};
    WindowProcFn m_fnWindowProc;
    struct STimer
    {
        unsigned nElapseMs = 0;
        uint64_t nDueMs = 0; // monotonic
    };
    std::map<unsigned, STimer> m_Timers;
    int m_nTimerSets = 0;
    std::map<int, std::function<void()>> m_Watches;
    std::mutex m_Lock;
    std::deque<std::function<void()>> m_Queue;
    bool m_bEnded = false;
    int m_nResult = 0;
    int m_nLoopRuns = 0;
};
