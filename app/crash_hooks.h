// Where the crash handler attaches to the program. The handler itself is
// not part of the program yet: these are the two calls the start-up and
// the main window make, and they do nothing until it is.
#pragma once

// Installed first thing at start, before anything else of the program
// runs, with the dump-file prefix "Zelkor". False when it could not be.
bool InstallCrashHandler(const char* pszDumpPrefix);

// From now on a crash only writes its dump (no report, no message box):
// the program is ending on purpose.
void SetCrashHandlerDumpOnly();
