// The single-instance lock: the local form of a named mutex. A lock file in
// the runtime directory, held with flock for as long as the owner runs.
#pragma once

#include <string>

namespace platform {

// The name of the program's instance lock (the Windows build's mutex
// name). zelkor-print and every other tool that must not run beside the
// program takes the same name.
constexpr const char* kZelkorInstanceLockName = "hMutex_Zelkor.exe";

enum class EInstanceLockResult
{
    Acquired,    // this object holds the lock now
    HeldByOther, // another process (or another object) holds it
    Failed,      // no runtime directory, or the lock file cannot be opened
};

// The lock file is <runtime directory>/<name>.lock. It is opened
// close-on-exec, so a program started by the holder (the agent) never
// inherits the lock and cannot keep it after the holder ends; it is never
// unlinked, since unlinking a file another process is about to lock would
// let two processes hold "the" lock at once. The kernel drops the lock
// when the holder ends in any way (kill -9 included).
class CInstanceLock
{
public:
    explicit CInstanceLock(std::string strName);
    // Releases the lock.
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    // Tries once, never waits. Failed comes with a message in *pstrError.
    EInstanceLockResult Acquire(std::string* pstrError = nullptr);
    void Release();
    bool IsHeld() const { return m_hFile >= 0; }

    // Full path of the lock file ("" before the first Acquire).
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strName;
    std::string m_strPath;
    int m_hFile = -1;
};

// True when some process holds the lock of that name now (a probe that
// takes and drops it when it is free).
bool IsInstanceLockHeld(const std::string& strName);

} // namespace platform
