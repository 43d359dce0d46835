// $XDG_RUNTIME_DIR, or a checked private directory under /tmp.
#include "platform/runtime_dir.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string Describe(const std::string& strPath, const std::string& strProblem)
{
    return "runtime directory " + strPath + " " + strProblem;
}

} // namespace

// Checked on the opened directory itself (O_NOFOLLOW), so a symlink
// swapped in for the directory is refused rather than followed.
bool CheckPrivateDirectory(const std::string& strPath, std::string& strError)
{
    int hDir = ::open(strPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (hDir < 0) {
        int nError = errno;
        struct stat link = {};
        if (::lstat(strPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            strError = Describe(strPath, "is a symbolic link");
        } else {
            strError = Describe(strPath, std::string("cannot be opened: ") + std::strerror(nError));
        }
        return false;
    }
    struct stat info = {};
    bool bOk = ::fstat(hDir, &info) == 0;
    ::close(hDir);
    if (!bOk) {
        strError = Describe(strPath, "cannot be examined");
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        strError =
            Describe(strPath, "is owned by uid " + std::to_string(info.st_uid) +
                                  ", not by this user (uid " + std::to_string(::geteuid()) + ")");
        return false;
    }
    if ((info.st_mode & 077) != 0) {
        char szMode[8];
        std::snprintf(szMode, sizeof(szMode), "%03o", static_cast<unsigned>(info.st_mode & 0777));
        strError = Describe(strPath, std::string("is open to other users (mode ") + szMode + ")");
        return false;
    }
    return true;
}

bool GetRuntimeDirectory(std::string& strDirectory, std::string& strError)
{
    strError.clear();
    const char* pszXdg = std::getenv("XDG_RUNTIME_DIR");
    if (pszXdg != nullptr && pszXdg[0] == '/') {
        struct stat info = {};
        if (::stat(pszXdg, &info) == 0 && S_ISDIR(info.st_mode)) {
            strDirectory = pszXdg;
            while (strDirectory.size() > 1 && strDirectory.back() == '/') {
                strDirectory.pop_back();
            }
            return true;
        }
    }
    std::string strPath = "/tmp/zelkor-" + std::to_string(::geteuid());
    if (::mkdir(strPath.c_str(), 0700) != 0 && errno != EEXIST) {
        strError = Describe(strPath, std::string("cannot be created: ") + std::strerror(errno));
        return false;
    }
    if (!CheckPrivateDirectory(strPath, strError)) {
        return false;
    }
    strDirectory = strPath;
    return true;
}

} // namespace platform
