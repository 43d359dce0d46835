// Shared pieces of the stand-in agent.
#include "tools/agent/agent_common.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

namespace agentstub {

namespace {

std::string Trim(const std::string& strText)
{
    size_t nBegin = strText.find_first_not_of(" \t\r\n");
    if (nBegin == std::string::npos) {
        return "";
    }
    size_t nEnd = strText.find_last_not_of(" \t\r\n");
    return strText.substr(nBegin, nEnd - nBegin + 1);
}

} // namespace

std::string ProgramFolder(const std::string& strOwnFolder)
{
    const char* pszHome = std::getenv("ZELKOR_HOME");
    if (pszHome != nullptr && *pszHome != '\0') {
        return pszHome;
    }
    return strOwnFolder;
}

std::string ModuleFolder(const void* pAnchor)
{
    Dl_info info = {};
    if (dladdr(pAnchor, &info) != 0 && info.dli_fname != nullptr) {
        std::string strPath = info.dli_fname;
        size_t nSlash = strPath.rfind('/');
        if (nSlash != std::string::npos) {
            return nSlash == 0 ? "/" : strPath.substr(0, nSlash);
        }
    }
    return ".";
}

std::string Setting(const std::string& strFolder, const char* pszSection, const std::string& strKey)
{
    FILE* pFile = std::fopen((strFolder + "/" + kSettingsName).c_str(), "r");
    if (pFile == nullptr) {
        return "";
    }
    const std::string strSection = std::string("[") + pszSection + "]";
    std::string strValue;
    bool bInSection = false;
    char szLine[1024];
    while (std::fgets(szLine, sizeof(szLine), pFile) != nullptr) {
        std::string strLine = Trim(szLine);
        if (strLine.empty() || strLine[0] == ';' || strLine[0] == '#') {
            continue;
        }
        if (strLine.front() == '[') {
            bInSection = strcasecmp(strLine.c_str(), strSection.c_str()) == 0;
            continue;
        }
        size_t nEqual = strLine.find('=');
        if (bInSection && nEqual != std::string::npos &&
            strcasecmp(Trim(strLine.substr(0, nEqual)).c_str(), strKey.c_str()) == 0) {
            strValue = Trim(strLine.substr(nEqual + 1));
            break;
        }
    }
    std::fclose(pFile);
    return strValue;
}

long IntSetting(const std::string& strFolder, const char* pszSection, const std::string& strKey,
                long nDefault)
{
    std::string strValue = Setting(strFolder, pszSection, strKey);
    return strValue.empty() ? nDefault : std::strtol(strValue.c_str(), nullptr, 10);
}

std::string Quoted(const char* pszText)
{
    if (pszText == nullptr) {
        return "null";
    }
    std::string strOut = "\"";
    for (const char* p = pszText; *p != '\0'; ++p) {
        unsigned char ch = static_cast<unsigned char>(*p);
        switch (ch) {
        case '"':
            strOut += "\\\"";
            break;
        case '\\':
            strOut += "\\\\";
            break;
        case '\n':
            strOut += "\\n";
            break;
        case '\r':
            strOut += "\\r";
            break;
        case '\t':
            strOut += "\\t";
            break;
        default:
            if (ch < 0x20) {
                char szEscape[8];
                std::snprintf(szEscape, sizeof(szEscape), "\\u%04x", ch);
                strOut += szEscape;
            } else {
                strOut += static_cast<char>(ch);
            }
        }
    }
    return strOut + "\"";
}

void Journal(const std::string& strFolder, const char* pszCall, const Args& args, long nResult,
             const Args& vExtra)
{
    std::string strLine = "{\"call\":" + Quoted(pszCall) + ",\"args\":{";
    for (size_t i = 0; i < args.size(); ++i) {
        if (i != 0) {
            strLine += ',';
        }
        strLine += Quoted(args[i].first.c_str()) + ":" + args[i].second;
    }
    strLine += "},\"result\":" + std::to_string(nResult);
    for (const auto& member : vExtra) {
        strLine += "," + Quoted(member.first.c_str()) + ":" + member.second;
    }
    strLine +=
        ",\"pid\":" + std::to_string(getpid()) + ",\"ms\":" + std::to_string(MonotonicMs()) + "}\n";
    int hFile = open((strFolder + "/" + kJournalName).c_str(),
                     O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (hFile >= 0) {
        // One write per line: lines of different threads and processes
        // never interleave.
        ssize_t nWritten = write(hFile, strLine.data(), strLine.size());
        (void)nWritten;
        close(hFile);
    }
}

long long MonotonicMs()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void SleepMs(long nMs)
{
    if (nMs <= 0) {
        return;
    }
    timespec wait = {nMs / 1000, (nMs % 1000) * 1000000};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

std::string ReadTextFile(const std::string& strPath)
{
    std::string strText;
    FILE* pFile = std::fopen(strPath.c_str(), "rb");
    if (pFile == nullptr) {
        return strText;
    }
    char aBuffer[4096];
    size_t nRead;
    while ((nRead = std::fread(aBuffer, 1, sizeof(aBuffer), pFile)) > 0) {
        strText.append(aBuffer, nRead);
    }
    std::fclose(pFile);
    return strText;
}

bool WriteTextFile(const std::string& strPath, const std::string& strText)
{
    const std::string strTemp = strPath + ".tmp" + std::to_string(getpid());
    FILE* pFile = std::fopen(strTemp.c_str(), "wb");
    if (pFile == nullptr) {
        return false;
    }
    bool bWritten = std::fwrite(strText.data(), 1, strText.size(), pFile) == strText.size();
    bWritten = std::fclose(pFile) == 0 && bWritten;
    if (!bWritten || std::rename(strTemp.c_str(), strPath.c_str()) != 0) {
        std::remove(strTemp.c_str());
        return false;
    }
    return true;
}

int RunningAgentPid(const std::string& strFolder)
{
    long nPid = std::strtol(ReadTextFile(strFolder + "/" + kAgentPidName).c_str(), nullptr, 10);
    if (nPid <= 0 || kill(static_cast<pid_t>(nPid), 0) != 0) {
        return 0;
    }
    // A recycled process id, or an agent that ended and awaits its reaper.
    std::string strStat = ReadTextFile("/proc/" + std::to_string(nPid) + "/stat");
    size_t nOpen = strStat.find('(');
    size_t nClose = strStat.rfind(')');
    if (nOpen == std::string::npos || nClose == std::string::npos || nClose + 2 >= strStat.size()) {
        return 0;
    }
    if (strStat.substr(nOpen + 1, nClose - nOpen - 1) != kAgentProgram ||
        strStat[nClose + 2] == 'Z') {
        return 0;
    }
    return static_cast<int>(nPid);
}

long long BoundWindow(const std::string& strFolder)
{
    return std::strtoll(ReadTextFile(strFolder + "/" + kAgentWindowName).c_str(), nullptr, 10);
}

} // namespace agentstub
