// Banner lines of CZelkorApp::InitInstance.
#include "app/start_banner.h"

#include "foundation/module_util.h"
#include "foundation/simple_log.h"
#include "platform/file_system.h"
#include "platform/program_folder.h"
#include "platform/program_names.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

// 0 Sunday .. 6 Saturday (Sakamoto's method).
int WeekDay(int nYear, int nMonth, int nDay)
{
    static const int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (nMonth < 3) {
        nYear -= 1;
    }
    return (nYear + nYear / 4 - nYear / 100 + nYear / 400 + kOffsets[nMonth - 1] + nDay) % 7;
}

std::string Trimmed(const std::string& strText)
{
    size_t nBegin = strText.find_first_not_of(" \t");
    size_t nEnd = strText.find_last_not_of(" \t");
    return nBegin == std::string::npos ? std::string() : strText.substr(nBegin, nEnd - nBegin + 1);
}

} // namespace

std::string BuildTimeText()
{
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const char* pszDate = __DATE__; // "Aug  3 2023"
    const char* pszMonth = std::strstr(kMonths, std::string(pszDate, 3).c_str());
    int nMonth = pszMonth != nullptr ? static_cast<int>((pszMonth - kMonths) / 3) + 1 : 1;
    int nDay = std::atoi(pszDate + 4);
    int nYear = std::atoi(pszDate + 7);
    char szText[64];
    std::snprintf(szText, sizeof(szText), "%s %.6s %s %d", kDays[WeekDay(nYear, nMonth, nDay)],
                  pszDate, __TIME__, nYear);
    return szText;
}

std::string MaskConfigSecrets(const std::string& strConfigText)
{
    std::string strOut;
    bool bWebhook = false;
    size_t nStart = 0;
    while (nStart < strConfigText.size()) {
        size_t nEnd = strConfigText.find('\n', nStart);
        size_t nNext = nEnd == std::string::npos ? strConfigText.size() : nEnd + 1;
        std::string strLine = strConfigText.substr(nStart, nNext - nStart);
        nStart = nNext;
        std::string strBody = Trimmed(strLine.substr(0, strLine.find_first_of("\r\n")));
        if (!strBody.empty() && strBody.front() == '[') {
            bWebhook = strcasecmp(strBody.c_str(), "[WEBHOOK]") == 0;
        } else if (bWebhook) {
            size_t nEqual = strLine.find('=');
            if (nEqual != std::string::npos &&
                strncasecmp(Trimmed(strLine.substr(0, nEqual)).c_str(), "Path", 4) == 0) {
                size_t nLineEnd = strLine.find_first_of("\r\n");
                std::string strEnding =
                    nLineEnd == std::string::npos ? std::string() : strLine.substr(nLineEnd);
                strLine = strLine.substr(0, nEqual + 1) + "****" + strEnding;
            }
        }
        strOut += strLine;
    }
    return strOut;
}

void WriteStartBanner(const std::string& strProgramFolder)
{
    const char* const pszName = "CZelkorApp::InitInstance";
    const std::string strExe =
        platform::JoinPath(strProgramFolder, platform::LocalFileName("Zelkor.exe"));
    std::string strHash;
    if (platform::FileExists(strExe) && !GetMD5(strExe.c_str(), strHash)) {
        strHash.clear();
    }
    LOG_PRINT(LOG_INFO, "[%s] Process Start. File [%s] Hash [%s]", pszName, strExe.c_str(),
              strHash.c_str());
    LOG_PRINT(LOG_INFO, "[%s] Process Version Info : %s", pszName,
              GetFileVersion("Zelkor.exe").c_str());
    LOG_PRINT(LOG_INFO, "[%s] Process Build Info : %s", pszName, BuildTimeText().c_str());
    const std::string strConfig = platform::JoinPath(strProgramFolder, "Config.ini");
    LOG_PRINT(LOG_INFO, "Config.ini Information [Path : %s]\r\n%s", strConfig.c_str(),
              MaskConfigSecrets(ReadTextFile(strConfig.c_str())).c_str());
}
