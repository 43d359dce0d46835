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

// Replaced files that quick (unsynced) writes keep open; see
// EditFileAtomically. Closed by SyncFile, or here once too many wait.
constexpr size_t kMaxKeptOpen = 16;

std::mutex& KeptOpenLock()
{
    static std::mutex s_Lock;
    return s_Lock;
}

std::vector<int>& KeptOpenFiles()
{
    static std::vector<int> s_vFiles;
    return s_vFiles;
}

void KeepOpenUntilSync(int hFile)
{
    int hClose = -1;
    {
        std::lock_guard<std::mutex> guard(KeptOpenLock());
        std::vector<int>& vFiles = KeptOpenFiles();
        if (vFiles.size() >= kMaxKeptOpen) {
            hClose = vFiles.front();
            vFiles.erase(vFiles.begin());
        }
        vFiles.push_back(hFile);
    }
    if (hClose >= 0) {
        ::close(hClose);
    }
}

void CloseKeptOpenFiles()
{
    std::vector<int> vFiles;
    {
        std::lock_guard<std::mutex> guard(KeptOpenLock());
        vFiles.swap(KeptOpenFiles());
    }
    for (int hFile : vFiles) {
        ::close(hFile);
    }
}

// Reads the whole of an open file from its start.
bool ReadOpenFile(int hFile, std::string& strContent, int* pnError)
{
    strContent.clear();
    char szBuf[8192];
    for (;;) {
        ssize_t nRead = ::read(hFile, szBuf, sizeof(szBuf));
        if (nRead < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetError(pnError, errno);
            strContent.clear();
            return false;
        }
        if (nRead == 0) {
            return true;
        }
        strContent.append(szBuf, static_cast<size_t>(nRead));
    }
}

int OpenForRead(const std::string& strPath)
{
    int hFile;
    do {
        hFile = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    } while (hFile < 0 && errno == EINTR);
    return hFile;
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

// Writes strContent next to strPath and renames it over strPath; the new
// file gets nMode.
bool ReplaceFile(const std::string& strPath, const std::string& strContent, mode_t nMode, int hDir,
                 bool bSync, int* pnError)
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
    int hFile = OpenForRead(strPath);
    if (hFile < 0) {
        SetError(pnError, errno);
        return false;
    }
    bool bOk = ReadOpenFile(hFile, strContent, pnError);
    ::close(hFile);
    return bOk;
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
    int hOld = OpenForRead(strResolved);
    bool bExists = hOld >= 0;
    if (!bExists) {
        nError = errno;
    } else if (!ReadOpenFile(hOld, strContent, &nError)) {
        ::close(hOld);
        SetError(pnError, nError);
        return false;
    }
    if (!bExists && nError != ENOENT) {
        SetError(pnError, nError);
        return false;
    }
    if (!fnEdit(strContent, bExists)) {
        if (hOld >= 0) {
            ::close(hOld);
        }
        return true; // nothing to change
    }
    // Keep the old file's permissions; a new file gets rw-r--r--.
    struct stat st
    {
    };
    const mode_t nMode = hOld >= 0 && ::fstat(hOld, &st) == 0 ? (st.st_mode & 07777) : 0644;
    const bool bOk =
        ReplaceFile(strResolved, strContent, nMode, folderLock.Handle(), bSync, pnError);
    if (hOld >= 0) {
        // The old file is still open here, so the rename only unlinks it;
        // freeing its blocks (on ext4 the slow part of a replace, and one
        // that waits for the journal) comes with the last close. A quick
        // write leaves that to SyncFile, off the writer's path.
        if (bOk && !bSync) {
            KeepOpenUntilSync(hOld);
        } else {
            ::close(hOld);
        }
    }
    return bOk;
}

bool SyncFile(const std::string& strPath, int* pnError)
{
    std::string strResolved = ResolvePath(strPath);
    int hFile = OpenForRead(strResolved);
    if (hFile < 0) {
        SetError(pnError, errno);
        CloseKeptOpenFiles();
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
    CloseKeptOpenFiles();
    return bOk;
}

int KeptOpenReplacedFiles()
{
    std::lock_guard<std::mutex> guard(KeptOpenLock());
    return static_cast<int>(KeptOpenFiles().size());
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
