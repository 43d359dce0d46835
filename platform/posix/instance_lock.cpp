// flock on a close-on-exec lock file in the runtime directory.
#include "platform/instance_lock.h"

#include "platform/runtime_dir.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

CInstanceLock::CInstanceLock(std::string strName) : m_strName(std::move(strName)) {}

CInstanceLock::~CInstanceLock()
{
    Release();
}

EInstanceLockResult CInstanceLock::Acquire(std::string* pstrError)
{
    if (m_hFile >= 0) {
        return EInstanceLockResult::Acquired;
    }
    std::string strDirectory;
    std::string strError;
    if (!GetRuntimeDirectory(strDirectory, strError)) {
        if (pstrError != nullptr) {
            *pstrError = strError;
        }
        return EInstanceLockResult::Failed;
    }
    m_strPath = strDirectory + "/" + m_strName + ".lock";
    int hFile;
    do {
        hFile = ::open(m_strPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (hFile < 0 && errno == EINTR);
    if (hFile < 0) {
        if (pstrError != nullptr) {
            *pstrError = "lock file " + m_strPath + " cannot be opened: " + std::strerror(errno);
        }
        return EInstanceLockResult::Failed;
    }
    int nResult;
    do {
        nResult = ::flock(hFile, LOCK_EX | LOCK_NB);
    } while (nResult != 0 && errno == EINTR);
    if (nResult != 0) {
        int nError = errno;
        ::close(hFile);
        if (nError == EWOULDBLOCK) {
            return EInstanceLockResult::HeldByOther;
        }
        if (pstrError != nullptr) {
            *pstrError = "lock file " + m_strPath + " cannot be locked: " + std::strerror(nError);
        }
        return EInstanceLockResult::Failed;
    }
    m_hFile = hFile;
    return EInstanceLockResult::Acquired;
}

void CInstanceLock::Release()
{
    if (m_hFile >= 0) {
        ::close(m_hFile); // drops the lock; the file stays
        m_hFile = -1;
    }
}

bool IsInstanceLockHeld(const std::string& strName)
{
    CInstanceLock probe(strName);
    return probe.Acquire() == EInstanceLockResult::HeldByOther;
}

} // namespace platform
