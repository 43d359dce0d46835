// What the main window needs from the event loop that runs it: timers,
// calls onto its thread, descriptors to watch, the loop itself, and the
// process's end. The Qt host (app/qt) is the program's; tests run the
// window on a host of their own without a display.
#pragma once

#include <cstdint>
#include <functional>

// The window procedure: message, wParam, lParam; the message's result.
using WindowProcFn = std::function<intptr_t(unsigned nMsg, uintptr_t wParam, intptr_t lParam)>;

class IWindowHost
{
public:
    virtual ~IWindowHost() = default;

    // Where the messages of the system go, on the main thread: timers
    // (WM_TIMER), power events (WM_POWERBROADCAST), the session manager's
    // end request (WM_QUERYENDSESSION). Null: the window is gone.
    virtual void SetWindowProc(WindowProcFn fnWindowProc) = 0;

    // The window's timer nId: every nElapseMs the host hands WM_TIMER with
    // nId to the window procedure, until KillTimer. Setting a running timer
    // restarts it (the Windows semantics).
    virtual void SetTimer(unsigned nId, unsigned nElapseMs) = 0;
    virtual void KillTimer(unsigned nId) = 0;

    // Queues fn for the main thread; callable from any thread. False when
    // the host no longer runs anything (fn is dropped).
    virtual bool PostToMainThread(std::function<void()> fn) = 0;
    // Runs fn on the main thread and returns when it has run; on the main
    // thread it runs at once. False (fn not run) when the host stops
    // before it could run it: a worker never waits for a loop that is gone.
    virtual bool SendToMainThread(std::function<void()> fn) = 0;
    virtual bool IsMainThread() const = 0;

    // Calls fnReadable on the main thread whenever hFd is readable.
    virtual void WatchReadable(int hFd, std::function<void()> fnReadable) = 0;
    virtual void UnwatchReadable(int hFd) = 0;

    // Runs the loop until EndLoop, and returns its result. EndLoop before
    // RunLoop (an end asked for while the window initialises) makes
    // RunLoop return at once.
    virtual int RunLoop() = 0;
    virtual void EndLoop(int nResult) = 0;

    // Ends the process now with nExitCode, running no destructor (the end
    // of the session).
    virtual void ExitProcessNow(int nExitCode) = 0;
};
