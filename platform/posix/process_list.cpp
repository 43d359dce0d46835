// Process list from /proc: exe link, comm and the state letter of stat.
#include "platform/process_list.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <unistd.h>

namespace platform {

namespace {

std::string BaseName(const std::string& strPath)
{
    std::string::size_type nSlash = strPath.rfind('/');
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

std::string FirstLineOf(const std::string& strPath)
{
    std::ifstream file(strPath);
    std::string strLine;
    std::getline(file, strLine);
    return strLine;
}

// The state letter after the parenthesised name in /proc/<pid>/stat.
char StateOf(const std::string& strProcDir)
{
    std::string strStat = FirstLineOf(strProcDir + "/stat");
    std::string::size_type nClose = strStat.rfind(')');
    if (nClose == std::string::npos || nClose + 2 >= strStat.size()) {
        return '?';
    }
    return strStat[nClose + 2];
}

} // namespace

bool ListProcesses(std::vector<SProcessEntry>& vProcesses, int* pnError)
{
    vProcesses.clear();
    DIR* pDir = ::opendir("/proc");
    if (pDir == nullptr) {
        if (pnError != nullptr) {
            *pnError = errno;
        }
        return false;
    }
    while (dirent* pEntry = ::readdir(pDir)) {
        char* pEnd = nullptr;
        long nPid = std::strtol(pEntry->d_name, &pEnd, 10);
        if (nPid <= 0 || *pEnd != '\0') {
            continue;
        }
        std::string strProcDir = std::string("/proc/") + pEntry->d_name;
        // A process ends between listing and reading: it simply drops out.
        SProcessEntry entry;
        entry.nPid = static_cast<int>(nPid);
        entry.strShortName = FirstLineOf(strProcDir + "/comm");
        if (entry.strShortName.empty()) {
            continue;
        }
        char szTarget[PATH_MAX];
        ssize_t nLength = ::readlink((strProcDir + "/exe").c_str(), szTarget, sizeof(szTarget) - 1);
        if (nLength > 0) {
            std::string strTarget(szTarget, static_cast<size_t>(nLength));
            const std::string strDeleted = " (deleted)";
            if (strTarget.size() > strDeleted.size() &&
                strTarget.compare(strTarget.size() - strDeleted.size(), strDeleted.size(),
                                  strDeleted) == 0) {
                strTarget.resize(strTarget.size() - strDeleted.size());
            }
            entry.strExeName = BaseName(strTarget);
        }
        if (StateOf(strProcDir) == 'Z') {
            continue; // ended, waiting to be reaped
        }
        vProcesses.push_back(std::move(entry));
    }
    ::closedir(pDir);
    return true;
}

} // namespace platform
