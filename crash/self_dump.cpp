// CSelfDump: the handler's steps on the crashing thread. Everything here
// past Install runs inside a signal handler: no allocation, no printf, no
// log or INI module, no localtime; texts are built on the stack.
#include "crash/self_dump.h"

#include "crash/crash_journal.h"
#include "crash/crash_reporter.h"
#include "crash/dump_retention.h"
#include "crash/safe_text.h"
#include "foundation/simple_log.h"
#include "platform/minidump_writer.h"
#include "platform/program_folder.h"
#include "platform/signal_safe.h"
#include "platform/thread_start_hook.h"

#include <atomic>
#include <cstring>
#include <exception>
#include <string>

namespace {

const char* const kTag = "CSelfDump::CbTopLevelExceptionFilter";

// The notice program, installed beside the executable.
const char* const kNoticeHelper = "zelkor-crash-notice";

constexpr size_t kPathSize = 1024;

// Set once by Install, before any handler can run; read by the handler.
struct SDumpSettings
{
    char szPrefix[260] = {};
    char szProgramFolder[kPathSize] = {};
    char szModulePath[kPathSize] = {};
};
SDumpSettings g_Settings;

std::atomic<int> g_nDumpOnly{0};
std::atomic<uint32_t> g_nCrashOwner{0}; // the thread handling the crash
std::atomic<int> g_nCrashDone{0};
std::atomic<ICrashReport*> g_pReport{nullptr};
// Made by Install and never destroyed: a crash during the process's own
// teardown still finds it.
std::atomic<CCrashReporter*> g_pReporter{nullptr};
bool g_bInstalled = false;

bool CopyText(char* pszOut, size_t nSize, const std::string& strText)
{
    if (strText.size() >= nSize) {
        return false;
    }
    std::memcpy(pszOut, strText.c_str(), strText.size() + 1);
    return true;
}

void LogLine(int nLevel, const char* pszMessage)
{
    WriteLogLineSignalSafe(nLevel, pszMessage, platform::SafeLocalTime());
}

template <size_t N>
void AddDate(CSafeText<N>& text, const platform::LocalTime& time)
{
    text.AddNumber(time.nYear, 4).AddNumber(time.nMonth, 2).AddNumber(time.nDay, 2);
}

// The dump file and the journal entry, in a dump folder that exists.
void WriteDumpAndJournal(const char* pszFolder, const platform::SCrashSignal& crash)
{
    const platform::LocalTime now = platform::SafeLocalTime();
    CSafeText<kPathSize> path;
    path.Add(pszFolder).AddChar('/').Add(g_Settings.szPrefix).AddChar('_');
    AddDate(path, now);
    path.AddNumber(now.nHour, 2).AddNumber(now.nMinute, 2).AddNumber(now.nSecond, 2).Add(".dmp");
    char szSection[32];
    FormatCrashSectionName(now, szSection, sizeof(szSection));

    SCrashJournalEntry entry;
    entry.pszPrefix = g_Settings.szPrefix;
    entry.pszDumpPath = path.IsCut() ? "" : path.Text();
    entry.nProcessId = platform::SafeGetProcessId();
    entry.pszModulePath = g_Settings.szModulePath;
    int hFile = path.IsCut() ? -1 : platform::SafeCreateFile(path.Text(), false);
    if (hFile >= 0) {
        ApplyDumpRetention(pszFolder, g_Settings.szPrefix,
                           path.Text() + std::strlen(pszFolder) + 1);
        bool bWritten = platform::WriteMinidump(hFile, crash);
        entry.bDumpWritten = platform::SafeClose(hFile) && bWritten;
    }
    AppendCrashJournal(pszFolder, szSection, entry);
}

// std::terminate: the exception's text is logged in a normal context,
// then abort brings the crash to the signal handler.
[[noreturn]] void TerminateHandler()
{
    const char* const pszName = "CSelfDump::TerminateHandler";
    std::exception_ptr pException = std::current_exception();
    if (pException != nullptr) {
        try {
            std::rethrow_exception(pException);
        } catch (const std::exception& e) {
            LOG_PRINT(LOG_ERROR, "[%s] Unhandled exception : %s", pszName, e.what());
        } catch (...) {
            LOG_PRINT(LOG_ERROR, "[%s] Unhandled exception of an unknown type", pszName);
        }
    } else {
        LOG_PRINT(LOG_ERROR, "[%s] std::terminate called without an exception", pszName);
    }
    std::abort();
}

} // namespace

bool CSelfDump::Install(const char* pszPrefix)
{
    if (g_bInstalled) {
        return true;
    }
    const std::string strModule = platform::GetExecutablePath();
    const size_t nSlash = strModule.rfind('/');
    const std::string strFolder = platform::GetProgramFolder();
    if (nSlash == std::string::npos || strFolder.empty()) {
        return false;
    }
    std::string strPrefix = pszPrefix != nullptr ? pszPrefix : "";
    if (strPrefix.empty()) {
        strPrefix = strModule.substr(nSlash + 1);
    }
    if (strPrefix.empty()) {
        strPrefix = "UnKnown";
    }
    // The dump folder "<folder>/Log/NubeqLog/YYYYMMDD" must fit its buffer.
    if (!CopyText(g_Settings.szPrefix, sizeof(g_Settings.szPrefix), strPrefix) ||
        !CopyText(g_Settings.szProgramFolder, kPathSize - 64, strFolder) ||
        !CopyText(g_Settings.szModulePath, kPathSize, strModule)) {
        return false;
    }
    g_bInstalled = true;
    platform::CacheUtcOffset();
    std::set_terminate(TerminateHandler);
    if (platform::FatalSignalsOwnedBySanitizer()) {
        return true;
    }

    // Every thread started from here on gets its own signal stack.
    platform::SetThreadStartHook(&platform::PrepareThreadSignalStack);
    auto* pReporter = new CCrashReporter;
    CCrashReporter::SSettings settings;
    settings.strProgramFolder = strFolder;
    settings.strNoticeHelper = strModule.substr(0, nSlash + 1) + kNoticeHelper;
    settings.nNoticeId = kNoticeId;
    settings.pReport = &g_pReport;
    if (pReporter->Start(settings)) {
        g_pReporter.store(pReporter);
    } else {
        delete pReporter; // a crash then writes its dump and journal only
    }
    return platform::InstallFatalSignalFilter(&CSelfDump::CbTopLevelExceptionFilter);
}

void CSelfDump::SetCrashReport(ICrashReport* pReport)
{
    g_pReport.store(pReport);
}

void CSelfDump::RemoveCrashReport(ICrashReport* pReport)
{
    g_pReport.compare_exchange_strong(pReport, nullptr);
}

void CSelfDump::SetDumpOnly()
{
    g_nDumpOnly.store(1);
}

bool CSelfDump::IsDumpOnly()
{
    return g_nDumpOnly.load() == 1;
}

void CSelfDump::CbTopLevelExceptionFilter(const platform::SCrashSignal& crash)
{
    uint32_t nOwner = 0;
    if (!g_nCrashOwner.compare_exchange_strong(nOwner, crash.nThreadId)) {
        if (nOwner != crash.nThreadId) {
            while (g_nCrashDone.load() == 0) {
                platform::SafeSleepMs(50);
            }
        }
        return; // a crash inside the handler on its own thread: just end
    }

    // 1. Today's log folder is the dump folder; without it, no dump and
    // no journal.
    CSafeText<kPathSize> folder;
    folder.Add(g_Settings.szProgramFolder).Add("/Log/NubeqLog/");
    AddDate(folder, platform::SafeLocalTime());
    if (!folder.IsCut() && platform::SafeIsDirectory(folder.Text())) {
        WriteDumpAndJournal(folder.Text(), crash);
    }

    // The dump-only decision: one exchange, so two crashes never both
    // report and a normal ending is never overtaken.
    if (g_nDumpOnly.exchange(1) == 1) {
        CSafeText<256> line;
        line.AddChar('[').Add(kTag).Add("] Zelkor App crash occured. Skipped customize function.");
        LogLine(LOG_INFO, line.Text());
        g_nCrashDone.store(1);
        return;
    }

    CCrashReporter* pReporter = g_pReporter.load();
    if (pReporter != nullptr) {
        pReporter->Wake(crash.nThreadId);
        if (pReporter->WaitNoticeClosed()) {
            CSafeText<256> line;
            line.AddChar('[').Add(kTag).Add("] ErrorMessageBox End...");
            LogLine(LOG_INFO, line.Text());
        }
        pReporter->WaitReportPosted();
    }
    g_nCrashDone.store(1);
}
