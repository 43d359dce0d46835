// The crash handler's slots, empty until the handler is built.
#include "app/crash_hooks.h"

bool InstallCrashHandler(const char* /*pszDumpPrefix*/)
{
    return true;
}

void SetCrashHandlerDumpOnly() {}
