// Crash journal sections, formatted on the stack.
#include "crash/crash_journal.h"

#include "crash/safe_text.h"
#include "platform/signal_safe.h"

#include <cstring>

void FormatCrashSectionName(const platform::LocalTime& time, char* pszOut, size_t nSize)
{
    CSafeText<32> name;
    name.AddNumber(time.nYear, 4).AddNumber(time.nMonth, 2).AddNumber(time.nDay, 2).AddChar('_');
    name.AddNumber(time.nHour, 2).AddNumber(time.nMinute, 2).AddNumber(time.nSecond, 2);
    name.AddNumber(time.nMilli, 3);
    if (nSize == 0) {
        return;
    }
    size_t nLength = name.Length() < nSize ? name.Length() : nSize - 1;
    std::memcpy(pszOut, name.Text(), nLength);
    pszOut[nLength] = '\0';
}

bool AppendCrashJournal(const char* pszFolder, const char* pszSection,
                        const SCrashJournalEntry& entry)
{
    CSafeText<1100> path;
    path.Add(pszFolder).Add("/CrashDmp.log");
    // Paths are at most 1024 bytes each; the section always fits whole.
    CSafeText<3 * 1024 + 256> section;
    section.AddChar('[').Add(pszSection).Add("]\r\n");
    section.Add("Prefix=").Add(entry.pszPrefix).Add("\r\n");
    section.Add("DumpPath=").Add(entry.pszDumpPath).Add("\r\n");
    section.Add("ProcessId=").AddNumber(entry.nProcessId).Add("\r\n");
    section.Add("CrashModulePath=").Add(entry.pszModulePath).Add("\r\n");
    section.Add("SuccessWriteDump=").Add(entry.bDumpWritten ? "yes" : "no").Add("\r\n");
    if (path.IsCut() || section.IsCut()) {
        return false;
    }
    int hFile = platform::SafeCreateFile(path.Text(), true);
    if (hFile < 0) {
        return false;
    }
    bool bOk = platform::SafeWriteAll(hFile, section.Text(), section.Length());
    return platform::SafeClose(hFile) && bOk;
}
