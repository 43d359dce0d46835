// The end of the user's session as the system tells it: SIGTERM (the
// session manager or systemd stopping the session, a plain kill), SIGHUP
// (the terminal or session went away) and SIGINT. The handler only writes
// the signal number into a pipe; the main loop watches the pipe's read end
// and does the work on its own thread. No signal is blocked for this, so
// programs the process starts do not inherit a blocked mask.
#pragma once

#include <string>

namespace platform {

// Installs the handlers and creates the pipe (once; later calls only
// report success). False with the reason.
bool InstallSessionEndSignals(std::string& strError);

// The pipe's read end (non-blocking, close-on-exec); -1 before Install.
int SessionSignalFd();

// Drains the pipe: the last signal received since the previous call, or 0.
int TakeSessionSignal();

// Gives the three signals back their default actions (the pipe stays).
void RemoveSessionEndSignals();

} // namespace platform
