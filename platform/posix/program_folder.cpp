// Program folder from ZELKOR_HOME or /proc/self/exe.
#include "platform/program_folder.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace platform {

std::string GetExecutablePath()
{
    char szPath[PATH_MAX + 1];
    ssize_t nLen = readlink("/proc/self/exe", szPath, PATH_MAX);
    if (nLen <= 0) {
        return {};
    }
    return std::string(szPath, static_cast<size_t>(nLen));
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
