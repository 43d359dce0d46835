// The crash handler attached to the program: CSelfDump, with the report
// going through the process-wide toast worker.
#include "app/crash_hooks.h"

#include "crash/self_dump.h"
#include "pipeline/toast_crash_report.h"

bool InstallCrashHandler(const char* pszDumpPrefix)
{
    if (!CSelfDump::Install(pszDumpPrefix)) {
        return false;
    }
    ToastCrashReport();
    return true;
}

void SetCrashHandlerDumpOnly()
{
    CSelfDump::SetDumpOnly();
}
