// The agent watchdog: a thread that tests every check time whether the
// agent process still runs, asks the main window to start it again when it
// has gone, forces a daily run at the third loss and gives up at the
// fourth (a message box, then the program's end through 3026). The run
// flag (app/watchdog_flag.h) pauses it.
#pragma once

#include "agent/nubeq_dll_mngr.h"

#include <cstdint>

// The process test the watchdog uses: 1 running, 0 not running, -1 / -2
// test errors (as IsProcessRunning answers).
using WatchDogProcessTestFn = int (*)(const char* pszExeName);

// The check time of the program: 120 s, unless ZELKOR_WATCHDOG_CHECK_MS
// holds a positive number of milliseconds (tests run short periods).
uint32_t WatchDogCheckTimeMs();

// The record handed to the watchdog thread, allocated zero-filled by the
// starter and freed by the thread once it has copied the fields.
struct ProcessWatchDogInfo
{
    char szProcessName[260];    // "NUBEQ.exe"
    uint32_t nCheckTimeMs;      // the sleep between two tests
    AgentWindowHandle hNotiWnd; // the main window
    uint32_t nNotiMessage;      // 6024 (WM_NUBEQ_RUN), posted with 0, 0
    // Null: IsProcessRunning. Unit tests put their scripted test here.
    WatchDogProcessTestFn pfnProcessTest;
};

// The thread routine (a CTeskThread function): pParam is a
// ProcessWatchDogInfo* it owns. Returns 0 when it gives up, when it is
// stopped (the sleep ends at once on the stop request) or on a bad record.
int32_t ThreadProcessWatchDog(void* pParam);
