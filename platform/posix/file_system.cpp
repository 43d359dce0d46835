// POSIX files and directories.
#include "platform/file_system.h"

#include "platform/signal_safe.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int OpenWriteFile(const std::string& strPath, bool bAppend)
{
    int hFile = SafeCreateFile(strPath.c_str(), bAppend);
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
    return SafeIsDirectory(strPath.c_str());
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
