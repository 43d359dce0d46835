// CPollWindowHost: poll(2) over the watches, a wake-up pipe and the timers.
#include "app/poll_window_host.h"

#include "app/window_messages.h"
#include "platform/local_clock.h"

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

CPollWindowHost::CPollWindowHost() : m_MainThread(std::this_thread::get_id())
{
    if (pipe2(m_hWake, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_hWake[0] = m_hWake[1] = -1;
    }
}

CPollWindowHost::~CPollWindowHost()
{
    close(m_hWake[0]);
    close(m_hWake[1]);
}

void CPollWindowHost::SetWindowProc(WindowProcFn fnWindowProc)
{
    m_fnWindowProc = std::move(fnWindowProc);
}

void CPollWindowHost::SetTimer(unsigned nId, unsigned nElapseMs)
{
    m_Timers[nId] = STimer{nElapseMs, platform::GetMonotonicMs() + nElapseMs};
    ++m_nTimerSets;
}

void CPollWindowHost::KillTimer(unsigned nId)
{
    m_Timers.erase(nId);
}

int CPollWindowHost::TimerElapse(unsigned nId) const
{
    auto it = m_Timers.find(nId);
    return it == m_Timers.end() ? -1 : static_cast<int>(it->second.nElapseMs);
}

bool CPollWindowHost::PostToMainThread(std::function<void()> fn)
{
    {
        std::lock_guard lock(m_Lock);
        m_Queue.push_back(std::move(fn));
    }
    ssize_t nWritten = write(m_hWake[1], "w", 1);
    (void)nWritten;
    return true;
}

bool CPollWindowHost::SendToMainThread(std::function<void()> fn)
{
    if (IsMainThread()) {
        fn();
        return true;
    }
    std::mutex lock;
    std::condition_variable done;
    bool bDone = false;
    PostToMainThread([&] {
        fn();
        std::lock_guard guard(lock);
        bDone = true;
        done.notify_all();
    });
    std::unique_lock guard(lock);
    done.wait(guard, [&] { return bDone; });
    return true;
}

bool CPollWindowHost::IsMainThread() const
{
    return std::this_thread::get_id() == m_MainThread;
}

void CPollWindowHost::WatchReadable(int hFd, std::function<void()> fnReadable)
{
    m_Watches[hFd] = std::move(fnReadable);
}

void CPollWindowHost::UnwatchReadable(int hFd)
{
    m_Watches.erase(hFd);
}

void CPollWindowHost::RunPending(int nWaitMs)
{
    std::vector<pollfd> vEntries = {{m_hWake[0], POLLIN, 0}};
    for (const auto& watch : m_Watches) {
        vEntries.push_back({watch.first, POLLIN, 0});
    }
    const uint64_t nNow = platform::GetMonotonicMs();
    for (const auto& timer : m_Timers) {
        int nDue = timer.second.nDueMs > nNow ? static_cast<int>(timer.second.nDueMs - nNow) : 0;
        nWaitMs = nWaitMs < 0 ? nDue : std::min(nWaitMs, nDue);
    }
    int nReady = poll(vEntries.data(), vEntries.size(), nWaitMs);
    // Elapsed timers tick once each (a handler may kill or set timers).
    std::vector<unsigned> vDue;
    for (const auto& timer : m_Timers) {
        if (timer.second.nDueMs <= platform::GetMonotonicMs()) {
            vDue.push_back(timer.first);
        }
    }
    for (unsigned nId : vDue) {
        auto it = m_Timers.find(nId);
        if (it != m_Timers.end()) {
            it->second.nDueMs = platform::GetMonotonicMs() + it->second.nElapseMs;
            WindowProcFn fn = m_fnWindowProc;
            if (fn) {
                fn(WM_TIMER, nId, 0);
            }
        }
    }
    if (nReady <= 0) {
        return;
    }
    char aDrain[64];
    while (read(m_hWake[0], aDrain, sizeof(aDrain)) > 0) {
    }
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(m_Lock);
            if (m_Queue.empty()) {
                break;
            }
            fn = std::move(m_Queue.front());
            m_Queue.pop_front();
        }
        fn();
    }
    for (size_t i = 1; i < vEntries.size(); ++i) {
        auto it = m_Watches.find(vEntries[i].fd);
        if ((vEntries[i].revents & POLLIN) != 0 && it != m_Watches.end()) {
            std::function<void()> fn = it->second; // the call may unwatch
            fn();
        }
    }
}

int CPollWindowHost::RunLoop()
{
    ++m_nLoopRuns;
    while (!m_bEnded) {
        RunPending(-1);
    }
    return m_nResult;
}

void CPollWindowHost::EndLoop(int nResult)
{
    m_bEnded = true;
    m_nResult = nResult;
}

void CPollWindowHost::ExitProcessNow(int nExitCode)
{
    ::_exit(nExitCode);
}
