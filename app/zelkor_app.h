// The application: the process entry's steps in order. First the crash
// handler's slot, then the single-instance lock and the second-start path
// (no display needed for it), then, with the host's event loop, the
// library check, the log, the banners and the main window's modal run.
#pragma once

#include <string>

class CShellParts;
class IWindowHost;

// Exit codes of the process.
constexpr int ZELKOR_EXIT_OK = 0;
constexpr int ZELKOR_EXIT_SESSION_END = 1;  // the session ended under it
constexpr int ZELKOR_EXIT_CANNOT_START = 2; // no safe runtime directory for the lock

class CZelkorApp
{
public:
    // Installs the crash handler (prefix "Zelkor") before anything else.
    CZelkorApp();
    ~CZelkorApp();
    CZelkorApp(const CZelkorApp&) = delete;
    CZelkorApp& operator=(const CZelkorApp&) = delete;

    enum class EInstance
    {
        First,       // this process is the program: go on with RunInstance
        HandedOver,  // another copy runs; it has been told, end with 0
        CannotStart, // the lock could not be taken (reason on stderr)
    };

    // Takes the instance lock. When another copy holds it: with the agent
    // running, asks the agent for its widget (RequestJob "WIDGET_INIT");
    // otherwise sends 6024 to the first copy's main window when it can be
    // found (it then checks and starts the agent). Also makes the
    // session-end signals reach the main loop from here on.
    EInstance TakeInstance();

    // The rest of the start, the main window and its end. The exit code
    // of the process: 0 (an end of session leaves through the host).
    int RunInstance(IWindowHost& host, CShellParts& parts);
};
