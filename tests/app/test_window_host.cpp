// CTestWindowHost: poll(2) over the watches and a wake-up pipe.
#include "tests/app/test_window_host.h"

#include "app/window_messages.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

CTestWindowHost::CTestWindowHost() : m_MainThread(std::this_thread::get_id())
{
    if (pipe2(m_hWake, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_hWake[0] = m_hWake[1] = -1;
    }
}

CTestWindowHost::~CTestWindowHost()
{
    close(m_hWake[0]);
    close(m_hWake[1]);
}

void CTestWindowHost::SetWindowProc(WindowProcFn fnWindowProc)
{
    m_fnWindowProc = std::move(fnWindowProc);
}

void CTestWindowHost::SetTimer(unsigned nId, unsigned nElapseMs)
{
    m_Timers[nId] = nElapseMs;
    ++m_nTimerSets;
}

void CTestWindowHost::KillTimer(unsigned nId)
{
    m_Timers.erase(nId);
}

int CTestWindowHost::TimerElapse(unsigned nId) const
{
    auto it = m_Timers.find(nId);
    return it == m_Timers.end() ? -1 : static_cast<int>(it->second);
}

bool CTestWindowHost::PostToMainThread(std::function<void()> fn)
{
    {
        std::lock_guard lock(m_Lock);
        m_Queue.push_back(std::move(fn));
    }
    ssize_t nWritten = write(m_hWake[1], "w", 1);
    (void)nWritten;
    return true;
}

bool CTestWindowHost::SendToMainThread(std::function<void()> fn)
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

bool CTestWindowHost::IsMainThread() const
{
    return std::this_thread::get_id() == m_MainThread;
}

void CTestWindowHost::WatchReadable(int hFd, std::function<void()> fnReadable)
{
    m_Watches[hFd] = std::move(fnReadable);
}

void CTestWindowHost::UnwatchReadable(int hFd)
{
    m_Watches.erase(hFd);
}

void CTestWindowHost::RunPending(int nWaitMs)
{
    std::vector<pollfd> vEntries = {{m_hWake[0], POLLIN, 0}};
    for (const auto& watch : m_Watches) {
        vEntries.push_back({watch.first, POLLIN, 0});
    }
    if (poll(vEntries.data(), vEntries.size(), nWaitMs) <= 0) {
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

int CTestWindowHost::RunLoop()
{
    ++m_nLoopRuns;
    while (!m_bEnded) {
        RunPending(100);
    }
    return m_nResult;
}

void CTestWindowHost::EndLoop(int nResult)
{
    m_bEnded = true;
    m_nResult = nResult;
}

void CTestWindowHost::ExitProcessNow(int nExitCode)
{
    m_nExitCode = nExitCode;
    m_bEnded = true;
}
