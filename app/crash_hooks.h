// Where the crash handler (crash/self_dump.h) attaches to the program: the
// two calls the start-up and the main window make.
#pragma once

// Installed first thing at start, before anything else of the program
// runs, with the dump-file prefix "Zelkor"; crash reports go through the
// toast worker. False when it could not be.
bool InstallCrashHandler(const char* pszDumpPrefix);

// From now on a crash only writes its dump (no report, no message box):
// the program is ending on purpose.
void SetCrashHandlerDumpOnly();
