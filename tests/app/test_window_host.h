// A window host for the core's tests, without Qt or a display: a poll loop
// over the watched descriptors and the queued calls. Timers are only
// recorded; a test hands the window its tick when it wants it.
#pragma once

#include "app/window_host.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

class CTestWindowHost : public IWindowHost
{
public:
    CTestWindowHost();
    ~CTestWindowHost() override;

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

    // The elapse of a running timer, or -1.
    int TimerElapse(unsigned nId) const;
    int TimerSets() const { return m_nTimerSets; }
    // Runs what is due once (queued calls, readable descriptors), waiting
    // at most nWaitMs for something.
    void RunPending(int nWaitMs = 0);

    int ExitCode() const { return m_nExitCode; }
    int LoopRuns() const { return m_nLoopRuns; }

private:
    const std::thread::id m_MainThread;
    int m_hWake[2] = {-1, -1};
    WindowProcFn m_fnWindowProc;
    std::map<unsigned, unsigned> m_Timers;
    int m_nTimerSets = 0;
    std::map<int, std::function<void()>> m_Watches;
    std::mutex m_Lock;
    std::deque<std::function<void()>> m_Queue;
    bool m_bEnded = false;
    int m_nResult = 0;
    int m_nExitCode = -1;
    int m_nLoopRuns = 0;
};
