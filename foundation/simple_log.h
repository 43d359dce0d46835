// The one process-wide daily log: one line per Print, one write call per
// line, CP949 bytes, CRLF line ends, a dated folder per day.
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <shared_mutex>
#include <string>

namespace platform {
struct LocalTime;
}

enum ELogLevel
{
    LOG_ERROR = 0,
    LOG_WARN = 1,
    LOG_INFO = 2,
    LOG_DEBUG = 3,
    LOG_TRACE = 4,
    LOG_DEVEL = 99, // never written
};

class CSimpleLog
{
public:
    CSimpleLog();
    virtual ~CSimpleLog();

    CSimpleLog(const CSimpleLog&) = delete;
    CSimpleLog& operator=(const CSimpleLog&) = delete;

    // Opens today's file under strDirectory (which must exist) in daily,
    // append mode and writes the start banner. False: no log this run.
    bool Start(const char* pszDirectory);

    // Writes the stop banner and closes the file (the destructor does this;
    // tests call it to end a "run" without ending the process).
    void Stop();

    // Writes one line: time stamp, level tag, message, CRLF.
    void Print(int nLevel, const char* pszFormat, ...) __attribute__((format(printf, 3, 4)));

    // Path of the file that is open now ("" when closed).
    std::string GetCurrentFilePath() const;

    // For a signal handler: one line with the time given by the caller,
    // built on the stack and written with one write call to the file open
    // now (whatever its day); no lock, no allocation, no printf. Long
    // messages are cut.
    void WriteLineSignalSafe(int nLevel, const char* pszMessage, const platform::LocalTime& now);

private:
    bool Open(int nDate);
    void WriteLine(int nLevel, const char* pszFormat, va_list args);
    // Stamps and writes a built line (stamp field first, CRLF at the end).
    void Emit(char* pLine, size_t nLength);
    std::string BuildPath(int nDate) const;

    bool m_bAppend = false;
    bool m_bDaily = false;
    std::string m_strName;
    std::string m_strDirectory;

    // Writers hold the lock shared while they read the clock and use
    // m_hFile; the roll-over at a change of date holds it exclusive, so no
    // writer ever uses a descriptor that is being closed.
    mutable std::shared_mutex m_Lock;
    std::atomic<int> m_hFile;
    int m_nCurrentDate = 0; // YYYYMMDD of the open file, guarded by m_Lock
};

// The process-wide log, constructed on first use (before any worker);
// stopped at process exit.
CSimpleLog& SimpleLog();

// WriteLineSignalSafe on the process-wide log when it has been created;
// nothing otherwise (creating it would allocate).
void WriteLogLineSignalSafe(int nLevel, const char* pszMessage, const platform::LocalTime& now);

// Shorthand used everywhere: SimpleLog().Print(...).
#define LOG_PRINT(level, ...) SimpleLog().Print((level), __VA_ARGS__)
