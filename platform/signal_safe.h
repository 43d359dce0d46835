// What a crash handler may call: clock, sleep, files, directory listing
// and process watches that are async-signal-safe (system calls only, no
// allocation, no locks, no locale), for code that runs inside a signal
// handler while the crashed thread may hold any lock of the process.
#pragma once

#include "platform/local_clock.h"

#include <cstddef>
#include <cstdint>

namespace platform {

// Reads the local time zone's offset from UTC now and keeps it for
// SafeLocalTime. Normal context only (it reads the time zone data); call
// it at start and now and then, so a change of daylight saving time is
// seen.
void CacheUtcOffset();

// The wall clock (CLOCK_REALTIME) plus the cached offset, broken down.
LocalTime SafeLocalTime();

void SafeSleepMs(unsigned nMs);

// The process id and the kernel id of the calling thread.
int SafeGetProcessId();
uint32_t SafeGetThreadId();

// Opens a file for writing, creating it (mode 0644): bAppend adds at the
// end, otherwise the file is cut to length zero. A descriptor or -1.
int SafeCreateFile(const char* pszPath, bool bAppend);
// Writes all nLength bytes (retrying short writes). False on any failure.
bool SafeWriteAll(int hFile, const void* pData, size_t nLength);
// The same at a file offset.
bool SafeWriteAllAt(int hFile, const void* pData, size_t nLength, uint64_t nOffset);
// Reads up to nLength bytes at a file offset; bytes read or -1.
long SafeReadAt(int hFile, void* pData, size_t nLength, uint64_t nOffset);
// Opens a file for reading; a descriptor or -1.
int SafeOpenRead(const char* pszPath);
// Reads a whole file (up to nCapacity bytes) into pBuffer; bytes read or -1.
long SafeReadFile(const char* pszPath, char* pBuffer, size_t nCapacity);
bool SafeClose(int hFile);
bool SafeIsDirectory(const char* pszPath);
bool SafeRemoveFile(const char* pszPath);

// Calls pfnEntry for every regular file of a directory with its name and
// full 64-bit size, listing with getdents64. Returning false from the
// callback stops the listing. False when the directory cannot be read.
using SafeDirectoryEntry = bool (*)(const char* pszName, uint64_t nSize, void* pContext);
bool SafeListDirectory(const char* pszDirectory, SafeDirectoryEntry pfnEntry, void* pContext);

// Calls pfnEntry with every number-named entry of a directory (the thread
// ids in /proc/self/task). False when the directory cannot be read.
using SafeNumberEntry = bool (*)(uint64_t nNumber, void* pContext);
bool SafeListNumbers(const char* pszDirectory, SafeNumberEntry pfnEntry, void* pContext);

// A descriptor that becomes readable when process nPid has ended
// (pidfd). Normal context. -1 when the process is gone already or cannot
// be watched.
int OpenProcessWatch(int nPid);
// Waits until the watched process has ended: true when it has, false
// after nTimeoutMs (negative: no limit).
bool SafeWaitProcessWatch(int hWatch, int nTimeoutMs);

} // namespace platform
