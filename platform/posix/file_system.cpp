// POSIX files and directories.
#include "platform/file_system.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int OpenWriteFile(const std::string& strPath, bool bAppend)
{
    int nFlags = O_WRONLY | O_CREAT | O_CLOEXEC | (bAppend ? O_APPEND : O_TRUNC);
    int hFile;
    do {
        hFile = ::open(strPath.c_str(), nFlags, 0644);
    } while (hFile < 0 && errno == EINTR);
    return hFile < 0 ? kInvalidFile : hFile;
}

long WriteFile(int hFile, const void* pData, size_t nLength)
{
    return static_cast<long>(::write(hFile, pData, nLength));
}

void CloseFile(int hFile)
{
    if (hFile != kInvalidFile) {
        ::close(hFile);
    }
}

bool MakeDirectory(const std::string& strPath)
{
    if (::mkdir(strPath.c_str(), 0755) == 0) {
        return true;
    }
    return errno == EEXIST && DirectoryExists(strPath);
}

bool DirectoryExists(const std::string& strPath)
{
    struct stat st
    {
    };
    return ::stat(strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& strPath)
{
    struct stat st
    {
    };
    return ::stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ErrorText(int nError)
{
    char szBuf[256];
    // GNU strerror_r returns the text, which may or may not live in szBuf.
    const char* pszText = strerror_r(nError, szBuf, sizeof(szBuf));
    return pszText ? std::string(pszText) : std::string();
}

} // namespace platform
