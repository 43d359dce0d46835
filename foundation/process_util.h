// Process tests, process start and the fire-and-forget message box.
#pragma once

#include <string>
#include <vector>

// 1 when a running process is the program exeName ("NUBEQ.exe"; letter
// case and a trailing ".exe" ignored), 0 when none is, -2 for a null or
// empty name, -1 when the process list cannot be read.
int IsProcessRunning(const char* pszExeName);

// Starts exeName from the program folder with the argument text (split
// like a Windows command line) and the program folder as working
// directory. On success waits until the program has been executed (at
// most nIdleWaitMs), then sleeps nSleepMs and returns true; on failure
// stores the errno in *pnLastError (when given) and returns false.
bool RunProcess(const char* pszExeName, const char* pszArguments, unsigned long* pnLastError,
                unsigned nSleepMs, unsigned nIdleWaitMs);

// Shows a message box with the text from a thread of its own; the caller
// never waits. The box (at most 259 bytes of the text, caption "Zelkor",
// exclamation icon, OK) goes through the message box presenter
// (foundation/message_box.h); nStringId names its string table id. 0 when
// the thread was started, 6 for a null text or when no thread could be
// created.
int ShowMessageBoxAsync(void* pOwnerWindow, const char* pszText, int nStringId = 0);

// The argument vector of a Windows-style command line: blanks separate
// arguments, double quotes group, backslashes escape a quote.
std::vector<std::string> SplitCommandLine(const std::string& strCommandLine);
