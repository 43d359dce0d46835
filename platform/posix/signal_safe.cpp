// Async-signal-safe primitives over raw system calls.
#include "platform/signal_safe.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {
namespace {

std::atomic<long> g_nUtcOffsetSec{0};

// Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
void CivilFromDays(int64_t nDays, int& nYear, int& nMonth, int& nDay)
{
    nDays += 719468;
    const int64_t nEra = (nDays >= 0 ? nDays : nDays - 146096) / 146097;
    const int64_t nDayOfEra = nDays - nEra * 146097;
    const int64_t nYearOfEra =
        (nDayOfEra - nDayOfEra / 1460 + nDayOfEra / 36524 - nDayOfEra / 146096) / 365;
    const int64_t nDayOfYear = nDayOfEra - (365 * nYearOfEra + nYearOfEra / 4 - nYearOfEra / 100);
    const int64_t nMonthIndex = (5 * nDayOfYear + 2) / 153;
    nDay = static_cast<int>(nDayOfYear - (153 * nMonthIndex + 2) / 5 + 1);
    nMonth = static_cast<int>(nMonthIndex < 10 ? nMonthIndex + 3 : nMonthIndex - 9);
    nYear = static_cast<int>(nYearOfEra + nEra * 400 + (nMonth <= 2 ? 1 : 0));
}

struct SDirent64
{
    uint64_t d_ino;
    int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

// Lists a directory with getdents64; pfnEach gets the directory
// descriptor and each entry and returns false to stop.
template <typename F>
bool ListEntries(const char* pszDirectory, F&& fnEach)
{
    int hDir = ::open(pszDirectory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (hDir < 0) {
        return false;
    }
    alignas(8) char buffer[4096];
    bool bGoOn = true;
    while (bGoOn) {
        long nRead = ::syscall(SYS_getdents64, hDir, buffer, sizeof(buffer));
        if (nRead < 0 && errno == EINTR) {
            continue;
        }
        if (nRead <= 0) {
            break;
        }
        for (long nPos = 0; nPos < nRead && bGoOn;) {
            const auto* pEntry = reinterpret_cast<const SDirent64*>(buffer + nPos);
            nPos += pEntry->d_reclen;
            bGoOn = fnEach(hDir, *pEntry);
        }
    }
    ::close(hDir);
    return true;
}

} // namespace

void CacheUtcOffset()
{
    time_t nNow = ::time(nullptr);
    tm parts{};
    if (::localtime_r(&nNow, &parts) != nullptr) {
        g_nUtcOffsetSec.store(parts.tm_gmtoff);
    }
}

LocalTime SafeLocalTime()
{
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    const int64_t nSeconds = static_cast<int64_t>(ts.tv_sec) + g_nUtcOffsetSec.load();
    int64_t nDays = nSeconds / 86400;
    int64_t nRest = nSeconds % 86400;
    if (nRest < 0) {
        nRest += 86400;
        --nDays;
    }
    LocalTime now;
    CivilFromDays(nDays, now.nYear, now.nMonth, now.nDay);
    now.nHour = static_cast<int>(nRest / 3600);
    now.nMinute = static_cast<int>(nRest / 60 % 60);
    now.nSecond = static_cast<int>(nRest % 60);
    now.nMilli = static_cast<int>(ts.tv_nsec / 1000000);
    now.nWeekDay = static_cast<int>(((nDays + 4) % 7 + 7) % 7);
    return now;
}

void SafeSleepMs(unsigned nMs)
{
    timespec ts{static_cast<time_t>(nMs / 1000), static_cast<long>(nMs % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) < 0 && errno == EINTR) {
    }
}

int SafeGetProcessId()
{
    return static_cast<int>(::getpid());
}

uint32_t SafeGetThreadId()
{
    return static_cast<uint32_t>(::syscall(SYS_gettid));
}

int SafeCreateFile(const char* pszPath, bool bAppend)
{
    int nFlags = O_WRONLY | O_CREAT | O_CLOEXEC | (bAppend ? O_APPEND : O_TRUNC);
    int hFile;
    do {
        hFile = ::open(pszPath, nFlags, 0644);
    } while (hFile < 0 && errno == EINTR);
    return hFile;
}

bool SafeWriteAll(int hFile, const void* pData, size_t nLength)
{
    const char* p = static_cast<const char*>(pData);
    while (nLength > 0) {
        ssize_t nWritten = ::write(hFile, p, nLength);
        if (nWritten < 0 && errno == EINTR) {
            continue;
        }
        if (nWritten <= 0) {
            return false;
        }
        p += nWritten;
        nLength -= static_cast<size_t>(nWritten);
    }
    return true;
}

bool SafeWriteAllAt(int hFile, const void* pData, size_t nLength, uint64_t nOffset)
{
    const char* p = static_cast<const char*>(pData);
    while (nLength > 0) {
        ssize_t nWritten = ::pwrite(hFile, p, nLength, static_cast<off_t>(nOffset));
        if (nWritten < 0 && errno == EINTR) {
            continue;
        }
        if (nWritten <= 0) {
            return false;
        }
        p += nWritten;
        nOffset += static_cast<uint64_t>(nWritten);
        nLength -= static_cast<size_t>(nWritten);
    }
    return true;
}

long SafeReadAt(int hFile, void* pData, size_t nLength, uint64_t nOffset)
{
    ssize_t nRead;
    do {
        nRead = ::pread(hFile, pData, nLength, static_cast<off_t>(nOffset));
    } while (nRead < 0 && errno == EINTR);
    return static_cast<long>(nRead);
}

int SafeOpenRead(const char* pszPath)
{
    int hFile;
    do {
        hFile = ::open(pszPath, O_RDONLY | O_CLOEXEC);
    } while (hFile < 0 && errno == EINTR);
    return hFile;
}

long SafeReadFile(const char* pszPath, char* pBuffer, size_t nCapacity)
{
    int hFile = SafeOpenRead(pszPath);
    if (hFile < 0) {
        return -1;
    }
    size_t nTotal = 0;
    while (nTotal < nCapacity) {
        ssize_t nRead = ::read(hFile, pBuffer + nTotal, nCapacity - nTotal);
        if (nRead < 0 && errno == EINTR) {
            continue;
        }
        if (nRead <= 0) {
            break;
        }
        nTotal += static_cast<size_t>(nRead);
    }
    ::close(hFile);
    return static_cast<long>(nTotal);
}

bool SafeClose(int hFile)
{
    // Linux releases the descriptor even when close reports EINTR.
    return ::close(hFile) == 0 || errno == EINTR;
}

bool SafeIsDirectory(const char* pszPath)
{
    struct stat st
    {
    };
    return ::stat(pszPath, &st) == 0 && S_ISDIR(st.st_mode);
}

bool SafeRemoveFile(const char* pszPath)
{
    return ::unlink(pszPath) == 0;
}

bool SafeListDirectory(const char* pszDirectory, SafeDirectoryEntry pfnEntry, void* pContext)
{
    return ListEntries(pszDirectory, [&](int hDir, const SDirent64& entry) {
        if (entry.d_type != DT_REG && entry.d_type != DT_UNKNOWN) {
            return true;
        }
        struct stat st
        {
        };
        if (::fstatat(hDir, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
            return true;
        }
        return pfnEntry(entry.d_name, static_cast<uint64_t>(st.st_size), pContext);
    });
}

bool SafeListNumbers(const char* pszDirectory, SafeNumberEntry pfnEntry, void* pContext)
{
    return ListEntries(pszDirectory, [&](int, const SDirent64& entry) {
        uint64_t nNumber = 0;
        const char* p = entry.d_name;
        if (*p < '0' || *p > '9') {
            return true;
        }
        for (; *p >= '0' && *p <= '9'; ++p) {
            nNumber = nNumber * 10 + static_cast<uint64_t>(*p - '0');
        }
        return *p != '\0' || pfnEntry(nNumber, pContext);
    });
}

int OpenProcessWatch(int nPid)
{
    long hWatch = ::syscall(SYS_pidfd_open, nPid, 0);
    // A pidfd is close-on-exec from the start.
    return hWatch < 0 ? -1 : static_cast<int>(hWatch);
}

bool SafeWaitProcessWatch(int hWatch, int nTimeoutMs)
{
    pollfd fd{hWatch, POLLIN, 0};
    for (;;) {
        int nResult = ::poll(&fd, 1, nTimeoutMs);
        if (nResult < 0 && errno == EINTR) {
            continue; // the limit starts again; waits are short or unlimited
        }
        return nResult != 0;
    }
}

} // namespace platform
