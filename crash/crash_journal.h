// The crash journal "CrashDmp.log" in the dump folder: one INI section
// per crash, appended by the crash handler with one write.
#pragma once

#include "platform/local_clock.h"

#include <cstddef>

// What one crash records. pszDumpPath is "" when no dump file was named.
struct SCrashJournalEntry
{
    const char* pszPrefix = "";
    const char* pszDumpPath = "";
    int nProcessId = 0;
    const char* pszModulePath = "";
    bool bDumpWritten = false;
};

// The section name "%.4d%.2d%.2d_%.2d%.2d%.2d%.3d" of the time taken for
// the dump name into pszOut (at least 19 bytes).
void FormatCrashSectionName(const platform::LocalTime& time, char* pszOut, size_t nSize);

// Appends "[section]" with Prefix, DumpPath, ProcessId, CrashModulePath
// and SuccessWriteDump to "<folder>/CrashDmp.log" in one write.
// Async-signal-safe. False when the file cannot be written.
bool AppendCrashJournal(const char* pszFolder, const char* pszSection,
                        const SCrashJournalEntry& entry);
