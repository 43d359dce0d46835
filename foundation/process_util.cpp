// Process tests and start, and the asynchronous message box.
#include "foundation/process_util.h"

#include "foundation/message_box.h"
#include "foundation/simple_log.h"
#include "foundation/text_util.h"
#include "platform/process_list.h"
#include "platform/process_spawn.h"
#include "platform/program_folder.h"
#include "platform/program_names.h"
#include "platform/thread_start_hook.h"

#include <atomic>
#include <cerrno>
#include <exception>
#include <thread>

namespace {

// The kernel cuts short names at 15 bytes: a cut name matches a longer
// wanted name it begins, when the full executable name is not readable.
bool ShortNameMatches(const std::string& strShort, const std::string& strWanted)
{
    std::string strLocal = platform::LocalFileName(strWanted);
    if (strShort.size() != platform::kShortProcessNameLength ||
        strLocal.size() <= strShort.size()) {
        return false;
    }
    return platform::SameProcessName(strShort, strLocal.substr(0, strShort.size()));
}

// At most 259 bytes, never half of a two-byte character.
std::string BoxText(const std::string& strText)
{
    size_t nLength = 0;
    while (nLength < strText.size()) {
        size_t nChar = static_cast<unsigned char>(strText[nLength]) >= 0x80 ? 2 : 1;
        if (nLength + nChar > 259) {
            break;
        }
        nLength += nChar;
    }
    return strText.substr(0, nLength);
}

void ThreadShowMessageBoxFunction(void* pOwnerWindow, std::string strText, int nStringId)
{
    platform::RunThreadStartHook();
    LOG_PRINT(LOG_INFO, "[%s] MessageBox : %s", "ThreadShowMessageBoxFunction",
              MakeOneLine(strText).c_str());
    SMessageBox box;
    box.nStringId = nStringId;
    box.strText = BoxText(strText);
    box.strCaption = MESSAGEBOX_CAPTION;
    box.nType = MB_OK | MB_ICONWARNING;
    box.pOwner = pOwnerWindow;
    PresentMessageBox(box);
}

} // namespace

int IsProcessRunning(const char* pszExeName)
{
    if (pszExeName == nullptr) {
        LOG_PRINT(LOG_INFO, "[%s] Input Param NULL", "IsProcessRunning");
        return -2;
    }
    if (*pszExeName == '\0') {
        LOG_PRINT(LOG_INFO, "[%s] Input Param Empty", "IsProcessRunning");
        return -2;
    }
    std::vector<platform::SProcessEntry> vProcesses;
    int nError = 0;
    if (!platform::ListProcesses(vProcesses, &nError)) {
        LOG_PRINT(LOG_INFO, "[%s] CreateToolhelp32Snapshot Fail... LastError [0x%08x]",
                  "IsProcessRunning", static_cast<unsigned>(nError));
        return -1;
    }
    std::string strWanted = pszExeName;
    for (const platform::SProcessEntry& entry : vProcesses) {
        if (platform::SameProcessName(entry.strShortName, strWanted) ||
            (!entry.strExeName.empty() && platform::SameProcessName(entry.strExeName, strWanted)) ||
            (entry.strExeName.empty() && ShortNameMatches(entry.strShortName, strWanted))) {
            return 1;
        }
    }
    return 0;
}

std::vector<std::string> SplitCommandLine(const std::string& strCommandLine)
{
    std::vector<std::string> vArgs;
    std::string strArg;
    bool bInArg = false;
    bool bQuoted = false;
    for (size_t i = 0; i < strCommandLine.size(); ++i) {
        char ch = strCommandLine[i];
        if (ch == '\\') {
            // Backslashes are literal unless a quote follows them: then each
            // pair is one backslash and an odd one escapes the quote.
            size_t nSlashes = 0;
            while (i < strCommandLine.size() && strCommandLine[i] == '\\') {
                ++nSlashes;
                ++i;
            }
            bInArg = true;
            if (i < strCommandLine.size() && strCommandLine[i] == '"') {
                strArg.append(nSlashes / 2, '\\');
                if (nSlashes % 2 == 1) {
                    strArg += '"';
                } else {
                    bQuoted = !bQuoted;
                }
            } else {
                strArg.append(nSlashes, '\\');
                --i;
            }
        } else if (ch == '"') {
            bQuoted = !bQuoted;
            bInArg = true;
        } else if ((ch == ' ' || ch == '\t') && !bQuoted) {
            if (bInArg) {
                vArgs.push_back(strArg);
                strArg.clear();
                bInArg = false;
            }
        } else {
            strArg += ch;
            bInArg = true;
        }
    }
    if (bInArg) {
        vArgs.push_back(strArg);
    }
    return vArgs;
}

bool RunProcess(const char* pszExeName, const char* pszArguments, unsigned long* pnLastError,
                unsigned nSleepMs, unsigned nIdleWaitMs)
{
    if (pszExeName == nullptr || *pszExeName == '\0') {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param Empty", "RunProcess");
        if (pnLastError != nullptr) {
            *pnLastError = EINVAL;
        }
        return false;
    }
    std::string strFolder = platform::GetProgramFolder();
    std::string strProgram = platform::JoinPath(strFolder, platform::LocalFileName(pszExeName));
    std::string strArguments = pszArguments != nullptr ? pszArguments : "";

    std::vector<std::string> vArgs{strProgram};
    for (std::string& strArg : SplitCommandLine(strArguments)) {
        vArgs.push_back(std::move(strArg));
    }
    int nError = platform::SpawnProcess(strProgram, vArgs, strFolder, nIdleWaitMs);
    if (nError != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] CreateProcess [\"%s\" %s] Fail... LastError [0x%08x]",
                  "RunProcess", strProgram.c_str(), strArguments.c_str(),
                  static_cast<unsigned>(nError));
        if (pnLastError != nullptr) {
            *pnLastError = static_cast<unsigned long>(nError);
        }
        return false;
    }
    LOG_PRINT(LOG_INFO, "[%s] CreateProcess [\"%s\" %s] OK", "RunProcess", strProgram.c_str(),
              strArguments.c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(nSleepMs));
    return true;
}

int ShowMessageBoxAsync(void* pOwnerWindow, const char* pszText, int nStringId)
{
    if (pszText == nullptr) {
        return 6;
    }
    try {
        std::thread(ThreadShowMessageBoxFunction, pOwnerWindow, std::string(pszText), nStringId)
            .detach();
    } catch (const std::exception& e) {
        LOG_PRINT(LOG_ERROR, "[%s] CreateThread Fail... [%s]", "ShowMessageBoxAsync", e.what());
        return 6;
    }
    return 0;
}
