// The program's last line of defence. A crash (a fatal signal, or
// std::terminate) writes a minidump next to the day's log and an entry in
// the crash journal; then, unless the program is already ending normally,
// it reports itself: the report message for the webhook, the agent's log
// tool and the notice to the user. Then the process ends as it would have
// without the handler.
#pragma once

#include "platform/fatal_signals.h"
#include "res/string_table.h"

class ICrashReport;

class CSelfDump
{
public:
    // The notice shown after a crash.
    static constexpr int kNoticeId = IDS_CRASH_EXIT;

    // Installs the handler, first thing in the process: the fatal signals
    // on an alternate stack for this and every thread started afterwards,
    // std::terminate, and the reporter thread. pszPrefix begins the dump
    // file names ("" takes the executable's name, or "UnKnown"). False,
    // and nothing installed, when the executable's path or the program
    // folder cannot be read. In a sanitizer build the sanitizer keeps the
    // fatal signals; std::terminate is still taken.
    static bool Install(const char* pszPrefix);

    // Where the report message goes (nullptr: nowhere). Any time.
    static void SetCrashReport(ICrashReport* pReport);
    // Clears the report when it is pReport (an object that is going away).
    static void RemoveCrashReport(ICrashReport* pReport);

    // From now on a crash writes the dump and the journal only (the
    // program is ending normally). Never undone.
    static void SetDumpOnly();
    static bool IsDumpOnly();

    // The handler, on the crashing thread inside the signal handler. The
    // first crashing thread goes through; another that crashes meanwhile
    // waits until the first is done.
    static void CbTopLevelExceptionFilter(const platform::SCrashSignal& crash);
};
