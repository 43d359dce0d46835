// Program folder from ZELKOR_HOME or /proc/self/exe.
#include "platform/program_folder.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace platform {

namespace {

std::string ReadExecutablePath()
{
    char szPath[PATH_MAX + 1];
    ssize_t nLen = readlink("/proc/self/exe", szPath, PATH_MAX);
    if (nLen <= 0) {
        return {};
    }
    return std::string(szPath, static_cast<size_t>(nLen));
}

} // namespace

// Read once: the folder of every file the program reads per order comes
// from it, and the running image keeps its path (an update replacing the
// file on disk would otherwise turn it into "... (deleted)").
std::string GetExecutablePath()
{
    static const std::string s_strPath = ReadExecutablePath();
    return s_strPath;
}

std::string GetProgramFolder()
{
    const char* pszHome = std::getenv("ZELKOR_HOME");
    std::string strFolder;
    if (pszHome != nullptr && pszHome[0] != '\0') {
        strFolder = pszHome;
    } else {
        strFolder = GetExecutablePath();
        size_t nSlash = strFolder.rfind('/');
        strFolder = (nSlash == std::string::npos) ? std::string(".") : strFolder.substr(0, nSlash);
    }
    while (strFolder.size() > 1 && strFolder.back() == '/') {
        strFolder.pop_back();
    }
    return strFolder;
}

std::string JoinPath(const std::string& strFolder, const std::string& strName)
{
    if (strFolder.empty()) {
        return strName;
    }
    return strFolder + "/" + strName;
}

} // namespace platform
