// Stand-in for the agent's interface library (libNUBEQ_IF.so): every export
// the program resolves, each call recorded as one JSON line in a journal in
// the program folder, results taken from an INI file beside it.
//
// Program folder: $ZELKOR_HOME when set, otherwise the library's own
// directory. Journal: agent_journal.jsonl, one object per call:
//   {"call":"SendData","args":{"command":"ACCEPTED","data":"..."},"result":1}
// Texts are written as received (CP949 bytes); only quote, backslash and
// control characters are escaped.
// Results: agent_stub.ini, section [RESULTS], read at every call so a test
// can change them between calls. "SendData.ACCEPTED" (export, ".", first
// argument) wins over "SendData"; without either the export succeeds (1).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <utility>
#include <vector>

#define NUBEQ_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const char* const kJournalName = "agent_journal.jsonl";
const char* const kResultsName = "agent_stub.ini";

std::mutex g_Lock; // one journal line at a time, whichever thread calls

std::string ProgramFolder()
{
    const char* pszHome = std::getenv("ZELKOR_HOME");
    if (pszHome != nullptr && *pszHome != '\0') {
        return pszHome;
    }
    Dl_info info = {};
    if (dladdr(reinterpret_cast<void*>(&ProgramFolder), &info) != 0 && info.dli_fname != nullptr) {
        std::string strPath = info.dli_fname;
        size_t nSlash = strPath.rfind('/');
        if (nSlash != std::string::npos) {
            return nSlash == 0 ? "/" : strPath.substr(0, nSlash);
        }
    }
    return ".";
}

std::string Trim(const std::string& strText)
{
    size_t nBegin = strText.find_first_not_of(" \t\r\n");
    if (nBegin == std::string::npos) {
        return "";
    }
    size_t nEnd = strText.find_last_not_of(" \t\r\n");
    return strText.substr(nBegin, nEnd - nBegin + 1);
}

// The value of strKey in [RESULTS], or "" when the file or key is missing.
std::string ResultSetting(const std::string& strFolder, const std::string& strKey)
{
    FILE* pFile = std::fopen((strFolder + "/" + kResultsName).c_str(), "r");
    if (pFile == nullptr) {
        return "";
    }
    std::string strValue;
    bool bInSection = false;
    char szLine[1024];
    while (std::fgets(szLine, sizeof(szLine), pFile) != nullptr) {
        std::string strLine = Trim(szLine);
        if (strLine.empty() || strLine[0] == ';' || strLine[0] == '#') {
            continue;
        }
        if (strLine.front() == '[') {
            bInSection = strcasecmp(strLine.c_str(), "[RESULTS]") == 0;
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

int32_t Result(const std::string& strFolder, const char* pszCall, const char* pszFirstArg)
{
    std::string strValue;
    if (pszFirstArg != nullptr) {
        strValue = ResultSetting(strFolder, std::string(pszCall) + "." + pszFirstArg);
    }
    if (strValue.empty()) {
        strValue = ResultSetting(strFolder, pszCall);
    }
    return strValue.empty() ? 1 : static_cast<int32_t>(std::strtol(strValue.c_str(), nullptr, 10));
}

void AppendQuoted(std::string& strOut, const char* pszText)
{
    strOut += '"';
    for (const char* p = pszText != nullptr ? pszText : ""; *p != '\0'; ++p) {
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
    strOut += '"';
}

using Args = std::vector<std::pair<const char*, std::string>>;

// Decides the result (unless bFixed, then nResult is it), writes the journal
// line and returns the result.
int32_t Record(const char* pszCall, const Args& args, const char* pszResultArg, bool bFixed = false,
               int32_t nResult = 1)
{
    std::lock_guard lock(g_Lock);
    const std::string strFolder = ProgramFolder();
    if (!bFixed) {
        nResult = Result(strFolder, pszCall, pszResultArg);
    }
    std::string strLine = "{\"call\":";
    AppendQuoted(strLine, pszCall);
    strLine += ",\"args\":{";
    for (size_t i = 0; i < args.size(); ++i) {
        if (i != 0) {
            strLine += ',';
        }
        AppendQuoted(strLine, args[i].first);
        strLine += ':';
        strLine += args[i].second;
    }
    strLine += "},\"result\":" + std::to_string(nResult) + "}\n";
    int hFile = open((strFolder + "/" + kJournalName).c_str(),
                     O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (hFile >= 0) {
        // One write per line: lines of different threads never interleave.
        ssize_t nWritten = write(hFile, strLine.data(), strLine.size());
        (void)nWritten;
        close(hFile);
    }
    return nResult;
}

std::string Text(const char* pszText)
{
    std::string strQuoted;
    if (pszText == nullptr) {
        return "null";
    }
    AppendQuoted(strQuoted, pszText);
    return strQuoted;
}

std::string Handle(intptr_t hWnd)
{
    return std::to_string(static_cast<long long>(hWnd));
}

} // namespace

NUBEQ_EXPORT int32_t ProcessRun(intptr_t hWnd)
{
    return Record("ProcessRun", {{"hWnd", Handle(hWnd)}}, nullptr);
}

NUBEQ_EXPORT int32_t DailyRun(intptr_t hWnd)
{
    return Record("DailyRun", {{"hWnd", Handle(hWnd)}}, nullptr);
}

NUBEQ_EXPORT int32_t ProcessEnd()
{
    return Record("ProcessEnd", {}, nullptr, true, 1);
}

#ifndef ZELKOR_AGENT_STUB_WITHOUT_SEND_DATA
NUBEQ_EXPORT int32_t SendData(const char* pszCommand, const char* pszData)
{
    return Record("SendData", {{"command", Text(pszCommand)}, {"data", Text(pszData)}}, pszCommand);
}
#endif

NUBEQ_EXPORT int32_t SetData(const char* pszKey, const char* pszValue)
{
    return Record("SetData", {{"key", Text(pszKey)}, {"value", Text(pszValue)}}, nullptr, true, 1);
}

NUBEQ_EXPORT int32_t RequestJob(const char* pszKey, const char* pszType)
{
    return Record("RequestJob", {{"key", Text(pszKey)}, {"type", Text(pszType)}}, pszKey);
}

NUBEQ_EXPORT int32_t RegisterShopEx()
{
    return Record("RegisterShopEx", {}, nullptr);
}

// Resolved by the program but never called; they answer empty.
NUBEQ_EXPORT int32_t GetInfo(const char* pszKey, char* pszBuffer, int32_t nSize)
{
    if (pszBuffer != nullptr && nSize > 0) {
        pszBuffer[0] = '\0';
    }
    return Record("GetInfo", {{"key", Text(pszKey)}}, nullptr, true, 0);
}

NUBEQ_EXPORT int32_t IsRegisterShop()
{
    return Record("IsRegisterShop", {}, nullptr, true, 1);
}

NUBEQ_EXPORT int32_t RegisterShop()
{
    return Record("RegisterShop", {}, nullptr, true, 1);
}

NUBEQ_EXPORT int32_t GetData(const char* pszKey, char* pszBuffer, int32_t nSize)
{
    if (pszBuffer != nullptr && nSize > 0) {
        pszBuffer[0] = '\0';
    }
    return Record("GetData", {{"key", Text(pszKey)}}, nullptr, true, 0);
}
