// POSIX whole-file reads and atomic replacement (mkstemp, fsync, rename).
#include "platform/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

void SetError(int* pnError, int nError)
{
    if (pnError != nullptr) {
        *pnError = nError;
    }
}

std::string FolderOf(const std::string& strPath)
{
    std::string::size_type nSlash = strPath.rfind('/');
    if (nSlash == std::string::npos) {
        return ".";
    }
    return nSlash == 0 ? std::string(1, '/') : strPath.substr(0, nSlash);
}

// The file a path finally names: links followed, folder made absolute, so
// two spellings of one file share one lock and a link is not replaced by
// a plain file.
std::string ResolvePath(const std::string& strPath)
{
    char szResolved[PATH_MAX];
    if (::realpath(strPath.c_str(), szResolved) != nullptr) {
        return szResolved;
    }
    std::string::size_type nSlash = strPath.rfind('/');
    std::string strName = nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
    if (::realpath(FolderOf(strPath).c_str(), szResolved) == nullptr) {
        return strPath;
    }
    std::string strResult = szResolved;
    if (strResult.back() != '/') {
        strResult += '/';
    }
    return strResult + strName;
}

// One mutex per file for the threads of this process; flock alone does not
// order threads that share one open folder descriptor.
std::mutex& FileMutex(const std::string& strResolved)
{
    static std::mutex s_MapLock;
    static std::map<std::string, std::unique_ptr<std::mutex>> s_Mutexes;
    std::lock_guard<std::mutex> guard(s_MapLock);
    std::unique_ptr<std::mutex>& pMutex = s_Mutexes[strResolved];
    if (!pMutex) {
        pMutex = std::make_unique<std::mutex>();
    }
    return *pMutex;
}

// Holds an exclusive flock on the folder. The folder (not the file) is
// locked because the rename replaces the file's inode: a lock on the old
// inode would not exclude a writer that opens the new one.
class CFolderLock
{
public:
    explicit CFolderLock(const std::string& strFolder)
    {
        do {
            m_hDir = ::open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        } while (m_hDir < 0 && errno == EINTR);
        if (m_hDir < 0) {
            m_nError = errno;
            return;
        }
        int nResult;
        do {
            nResult = ::flock(m_hDir, LOCK_EX);
        } while (nResult != 0 && errno == EINTR);
        if (nResult != 0) {
            m_nError = errno;
        }
    }
    ~CFolderLock()
    {
        if (m_hDir >= 0) {
            ::close(m_hDir); // releases the flock
        }
    }
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    int Error() const { return m_nError; }
    int Handle() const { return m_hDir; }

private:
    int m_hDir = -1;
    int m_nError = 0;
};

bool WriteAll(int hFile, const std::string& strContent)
{
    const char* pData = strContent.data();
    size_t nLeft = strContent.size();
    while (nLeft > 0) {
        ssize_t nWritten = ::write(hFile, pData, nLeft);
        if (nWritten < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        pData += nWritten;
        nLeft -= static_cast<size_t>(nWritten);
    }
    return true;
}

std::string NameOf(const std::string& strPath)
{
    std::string::size_type nSlash = strPath.rfind('/');
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

// The temporary name's prefix: ".<name>.tmp", followed by six characters.
std::string TempPrefix(const std::string& strPath)
{
    return "." + NameOf(strPath) + ".tmp";
}

// Writes strContent next to strPath and renames it over strPath.
bool ReplaceFile(const std::string& strPath, const std::string& strContent, int hDir, bool bSync,
                 int* pnError)
{
    std::string strTemplate = FolderOf(strPath) + "/" + TempPrefix(strPath) + "XXXXXX";
    std::vector<char> vTemplate(strTemplate.begin(), strTemplate.end());
    vTemplate.push_back('\0');

    int hFile = ::mkostemp(vTemplate.data(), O_CLOEXEC);
    if (hFile < 0) {
        SetError(pnError, errno);
        return false;
    }
    std::string strTemp = vTemplate.data();

    // Keep the old file's permissions; a new file gets rw-r--r--.
    struct stat st
    {
    };
    mode_t nMode = ::stat(strPath.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;

    bool bOk = ::fchmod(hFile, nMode) == 0 && WriteAll(hFile, strContent) &&
               (!bSync || ::fsync(hFile) == 0);
    int nError = errno;
    if (::close(hFile) != 0 && bOk) {
        bOk = false;
        nError = errno;
    }
    if (bOk && ::rename(strTemp.c_str(), strPath.c_str()) != 0) {
        bOk = false;
        nError = errno;
    }
    if (!bOk) {
        ::unlink(strTemp.c_str());
        SetError(pnError, nError);
        return false;
    }
    if (bSync) {
        // Makes the rename itself durable.
        ::fsync(hDir);
    }
    return true;
}

} // namespace

bool ReadFileContent(const std::string& strPath, std::string& strContent, int* pnError)
{
    strContent.clear();
    int hFile;
    do {
        hFile = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    } while (hFile < 0 && errno == EINTR);
    if (hFile < 0) {
        SetError(pnError, errno);
        return false;
    }
    char szBuf[8192];
    for (;;) {
        ssize_t nRead = ::read(hFile, szBuf, sizeof(szBuf));
        if (nRead < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetError(pnError, errno);
            ::close(hFile);
            strContent.clear();
            return false;
        }
        if (nRead == 0) {
            break;
        }
        strContent.append(szBuf, static_cast<size_t>(nRead));
    }
    ::close(hFile);
    return true;
}

bool EditFileAtomically(const std::string& strPath, const FileEditor& fnEdit, int* pnError,
                        bool bSync)
{
    std::string strResolved = ResolvePath(strPath);
    std::lock_guard<std::mutex> guard(FileMutex(strResolved));
    CFolderLock folderLock(FolderOf(strResolved));
    if (folderLock.Error() != 0) {
        SetError(pnError, folderLock.Error());
        return false;
    }

    std::string strContent;
    int nError = 0;
    bool bExists = ReadFileContent(strResolved, strContent, &nError);
    if (!bExists && nError != ENOENT) {
        SetError(pnError, nError);
        return false;
    }
    if (!fnEdit(strContent, bExists)) {
        return true; // nothing to change
    }
    return ReplaceFile(strResolved, strContent, folderLock.Handle(), bSync, pnError);
}

bool SyncFile(const std::string& strPath, int* pnError)
{
    std::string strResolved = ResolvePath(strPath);
    int hFile;
    do {
        hFile = ::open(strResolved.c_str(), O_RDONLY | O_CLOEXEC);
    } while (hFile < 0 && errno == EINTR);
    if (hFile < 0) {
        SetError(pnError, errno);
        return false;
    }
    bool bOk = ::fsync(hFile) == 0;
    int nError = errno;
    ::close(hFile);
    int hDir = ::open(FolderOf(strResolved).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (hDir >= 0) {
        if (::fsync(hDir) != 0 && bOk) {
            bOk = false;
            nError = errno;
        }
        ::close(hDir);
    }
    if (!bOk) {
        SetError(pnError, nError);
    }
    return bOk;
}

int RemoveStaleTempFiles(const std::string& strPath)
{
    std::string strResolved = ResolvePath(strPath);
    std::lock_guard<std::mutex> guard(FileMutex(strResolved));
    CFolderLock folderLock(FolderOf(strResolved));
    if (folderLock.Error() != 0) {
        return 0;
    }
    // Every writer holds the folder lock from its temporary file's creation
    // to its rename or removal, so what is found here has no writer.
    const std::string strPrefix = TempPrefix(strResolved);
    const size_t nNameLength = strPrefix.size() + 6;
    const int hList = ::fcntl(folderLock.Handle(), F_DUPFD_CLOEXEC, 0);
    DIR* pDir = hList >= 0 ? ::fdopendir(hList) : nullptr;
    if (pDir == nullptr) {
        if (hList >= 0) {
            ::close(hList);
        }
        return 0;
    }
    int nRemoved = 0;
    while (dirent* pEntry = ::readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (strName.size() == nNameLength && strName.compare(0, strPrefix.size(), strPrefix) == 0 &&
            ::unlinkat(::dirfd(pDir), strName.c_str(), 0) == 0) {
            ++nRemoved;
        }
    }
    ::closedir(pDir);
    return nRemoved;
}

} // namespace platform
