// The program's window host on Qt: the main loop, the window's timers, the
// descriptors it watches, calls from other threads onto the main thread,
// and the message pump of the waits that run on the main thread.
#pragma once

#include "app/window_host.h"

#include <QObject>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

class QCoreApplication;
class QEventLoop;
class QSocketNotifier;
class QTimer;

class CQtWindowHost : public IWindowHost
{
public:
    // Needs the application object; installs the message pump hook for
    // this (the main) thread.
    CQtWindowHost();
    // Shutdown().
    ~CQtWindowHost() override;
    CQtWindowHost(const CQtWindowHost&) = delete;
    CQtWindowHost& operator=(const CQtWindowHost&) = delete;

    // The application settings the host relies on: the program has no
    // window of its own, so closing the last dialog or box must not end
    // the application (and with it every running loop).
    static void PrepareApplication(QCoreApplication& application);

    // Before the application object dies: removes the pump hook, stops the
    // timers and watches, releases every thread waiting in a send (their
    // sends fail) and refuses further calls.
    void Shutdown();

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

    // A system message for the window (power, session), on the main thread.
    intptr_t DeliverToWindow(unsigned nMsg, uintptr_t wParam, intptr_t lParam);

    // The pump of the waits (foundation/wait.h) on the main thread:
    // dispatches what is pending, or waits at most nMaxWaitMs for an event
    // and dispatches it. It sleeps while nothing happens.
    static void PumpMessages(int nMaxWaitMs);

private:
    struct SPendingSend
    {
        std::mutex lock;
        std::condition_variable done;
        bool bFinished = false;
        bool bRan = false;
    };

    std::unique_ptr<QObject> m_pContext; // lives on the main thread, target of queued calls
    const std::thread::id m_MainThread;
    WindowProcFn m_fnWindowProc;
    std::map<unsigned, QTimer*> m_Timers;
    std::map<int, QSocketNotifier*> m_Notifiers;
    QEventLoop* m_pLoop = nullptr;
    bool m_bEndRequested = false;
    int m_nLoopResult = 0;

    std::mutex m_SendLock; // guards m_bShutdown and m_PendingSends
    bool m_bShutdown = false;
    std::set<std::shared_ptr<SPendingSend>> m_PendingSends;
};
