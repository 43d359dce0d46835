// POSIX shared memory blocks (shm_open, ftruncate, mmap).
#include "platform/shared_memory_block.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string ObjectName(const std::string& strName)
{
    return "/" + strName;
}

void SetStep(ESharedStep* peStep, ESharedStep eStep)
{
    if (peStep != nullptr) {
        *peStep = eStep;
    }
}

} // namespace

int CreateSharedBlock(const std::string& strName, size_t nSize, int* pnError)
{
    int hBlock = ::shm_open(ObjectName(strName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (hBlock < 0) {
        if (pnError != nullptr) {
            *pnError = errno;
        }
        return kInvalidSharedBlock;
    }
    struct stat st
    {
    };
    size_t nWanted = std::max(nSize, kSharedBlockSize);
    if (::fstat(hBlock, &st) != 0 || (static_cast<size_t>(st.st_size) < nWanted &&
                                      ::ftruncate(hBlock, static_cast<off_t>(nWanted)) != 0)) {
        if (pnError != nullptr) {
            *pnError = errno;
        }
        ::close(hBlock);
        return kInvalidSharedBlock;
    }
    return hBlock;
}

void CloseSharedBlock(int hBlock, const std::string& strName)
{
    if (hBlock == kInvalidSharedBlock) {
        return;
    }
    ::close(hBlock);
    ::shm_unlink(ObjectName(strName).c_str());
}

int WriteSharedBlock(const std::string& strName, const std::string& strData, ESharedStep* peStep)
{
    SetStep(peStep, ESharedStep::None);
    int hBlock = ::shm_open(ObjectName(strName).c_str(), O_RDWR | O_CLOEXEC, 0);
    if (hBlock < 0) {
        int nError = errno;
        SetStep(peStep, ESharedStep::Open);
        return nError;
    }
    struct stat st
    {
    };
    bool bStat = ::fstat(hBlock, &st) == 0;
    if (!bStat || st.st_size <= 0) {
        int nError = bStat ? EINVAL : errno;
        ::close(hBlock);
        SetStep(peStep, ESharedStep::Map);
        return nError;
    }
    size_t nBlockSize = static_cast<size_t>(st.st_size);
    if (strData.size() > nBlockSize) {
        ::close(hBlock);
        SetStep(peStep, ESharedStep::Size);
        return EFBIG;
    }
    void* pView = ::mmap(nullptr, nBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, hBlock, 0);
    int nError = errno;
    ::close(hBlock);
    if (pView == MAP_FAILED) {
        SetStep(peStep, ESharedStep::Map);
        return nError;
    }
    std::memcpy(pView, strData.data(), strData.size());
    std::memset(static_cast<char*>(pView) + strData.size(), 0, nBlockSize - strData.size());
    ::munmap(pView, nBlockSize);
    return 0;
}

bool ReadSharedBlock(const std::string& strName, std::string& strText)
{
    strText.clear();
    int hBlock = ::shm_open(ObjectName(strName).c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (hBlock < 0) {
        return false;
    }
    struct stat st
    {
    };
    if (::fstat(hBlock, &st) != 0 || st.st_size <= 0) {
        ::close(hBlock);
        return st.st_size == 0;
    }
    size_t nBlockSize = static_cast<size_t>(st.st_size);
    void* pView = ::mmap(nullptr, nBlockSize, PROT_READ, MAP_SHARED, hBlock, 0);
    ::close(hBlock);
    if (pView == MAP_FAILED) {
        return false;
    }
    const char* pData = static_cast<const char*>(pView);
    strText.assign(pData, strnlen(pData, nBlockSize));
    ::munmap(pView, nBlockSize);
    return true;
}

} // namespace platform
