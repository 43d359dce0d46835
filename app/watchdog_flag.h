// The agent watchdog's run flag: 1 while the watchdog may test the agent,
// 0 while it must not (exit question open, suspended, ending). One
// process-wide value under its own lock, 0 at start.
#pragma once

// Stores the value and logs "[SetProcessWatchDogThreadRun] SetFlag [%d]".
void SetProcessWatchDogThreadRun(int nValue);
int GetProcessWatchDogThreadRun();
