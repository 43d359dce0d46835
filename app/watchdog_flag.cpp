// The watchdog run flag and its lock.
#include "app/watchdog_flag.h"

#include "foundation/simple_log.h"
#include "foundation/tesk_critical_section.h"

namespace {

CTeskCriticalSection& FlagLock()
{
    static CTeskCriticalSection s_Lock;
    return s_Lock;
}

int g_nWatchDogRun = 0;

} // namespace

void SetProcessWatchDogThreadRun(int nValue)
{
    CTeskCriticalAutoRelease guard(&FlagLock());
    g_nWatchDogRun = nValue;
    LOG_PRINT(LOG_DEBUG, "[%s] SetFlag [%d]", "SetProcessWatchDogThreadRun", nValue);
}

int GetProcessWatchDogThreadRun()
{
    CTeskCriticalAutoRelease guard(&FlagLock());
    return g_nWatchDogRun;
}
