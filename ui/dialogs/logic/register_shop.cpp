// Shop registration: agent values, results, Config.ini, field editing.
#include "ui/dialogs/logic/register_shop.h"

#include "foundation/ini_file.h"
#include "foundation/simple_log.h"

#include <algorithm>
#include <cstdio>

int RegisterShopMessageId(int nResult)
{
    switch (nResult) {
    case -1:
        return 105;
    case -2:
        return 122;
    case REGISTER_SHOP_MISSING_EXPORT:
        return 126;
    default:
        return 123;
    }
}

int RegisterShop(IRegisterShopAgent& agent, int nLoginType, const std::string& strFirst,
                 const std::string& strSecond, AgentWindowHandle hMainWnd,
                 const std::string& strConfigPath)
{
    const char* const pszTag = "CDlgRegisterPos::RunRegisterShop";
    // The loader's own "missing" result is -1, which the library also
    // gives for a refused registration: the export is looked for first.
    if (!agent.IsLoaded()) {
        LOG_PRINT(LOG_ERROR, "[%s] Agent Library Not Loaded", pszTag);
        return REGISTER_SHOP_NO_LIBRARY;
    }
    if (!agent.HasRegisterShopEx()) {
        LOG_PRINT(LOG_ERROR, "[%s] RegisterShopEx Not Found", pszTag);
        return REGISTER_SHOP_MISSING_EXPORT;
    }
    const bool bBsnum = nLoginType == LOGIN_TYPE_BSNUM;
    char szHandle[32];
    std::snprintf(szHandle, sizeof(szHandle), "%02llX", static_cast<unsigned long long>(hMainWnd));
    agent.SetData(bBsnum ? "registernumber" : "userid", strFirst);
    agent.SetData(bBsnum ? "posid" : "userpw", strSecond);
    agent.SetData("loginType", bBsnum ? "bsnum" : "admin");
    agent.SetData("orgno", "1");
    agent.SetData("pos_type", "install");
    agent.SetData("REQ_HANDLE", szHandle);
    const int nResult = agent.RegisterShopEx();
    if (nResult <= 0) {
        return nResult;
    }
    std::vector<SIniEntry> vEntries;
    if (bBsnum) {
        vEntries.push_back({"POS", "Nobizer", strFirst});
        vEntries.push_back({"POS", "StoreId", strSecond});
    } else {
        vEntries.push_back({"POS", "userId", strFirst});
    }
    vEntries.push_back({"POS", "TYPE", std::string(bBsnum ? "bsnum" : "admin")});
    // A new registration starts the shop's wait numbers again.
    vEntries.push_back({"ORDER", "LastNo", std::string("1")});
    if (!IniWriteStrings(vEntries, strConfigPath.c_str())) {
        LOG_PRINT(LOG_ERROR, "[%s] Config Write Fail [%s]", pszTag, strConfigPath.c_str());
    }
    LOG_PRINT(LOG_INFO, "[%s] Registered Type [%s] Id [%s]", pszTag, bBsnum ? "bsnum" : "admin",
              strFirst.c_str());
    return nResult;
}

std::vector<std::string> Cp949Characters(const std::string& strText)
{
    std::vector<std::string> vChars;
    for (size_t i = 0; i < strText.size();) {
        const auto byLead = static_cast<unsigned char>(strText[i]);
        const size_t nLength = (byLead >= 0x81 && byLead <= 0xFE && i + 1 < strText.size()) ? 2 : 1;
        vChars.push_back(strText.substr(i, nLength));
        i += nLength;
    }
    return vChars;
}

bool EditField(SFieldState& field, int nOperation, const char* pszAppend)
{
    const char* const pszTag = "CDlgRegisterPos::AppendStringFocusEditBox";
    std::vector<std::string> vChars = Cp949Characters(field.strText);
    const int nCount = static_cast<int>(vChars.size());
    int nCaret = std::clamp(field.nCaret, 0, nCount);
    int nSelStart = std::clamp(field.nSelStart, 0, nCount);
    int nSelEnd = std::clamp(field.nSelEnd, 0, nCount);
    const bool bSelection = nSelEnd > nSelStart;
    auto erase = [&](int nFrom, int nTo) {
        vChars.erase(vChars.begin() + nFrom, vChars.begin() + nTo);
        nCaret = nFrom;
    };
    switch (nOperation) {
    case FIELD_EDIT_APPEND: {
        if (pszAppend == nullptr) {
            LOG_PRINT(LOG_ERROR, "[%s] STRING_APPEND Input Param NULL", pszTag);
            return false;
        }
        if (bSelection) {
            erase(nSelStart, nSelEnd);
        }
        std::vector<std::string> vNew = Cp949Characters(pszAppend);
        vChars.insert(vChars.begin() + nCaret, vNew.begin(), vNew.end());
        nCaret += static_cast<int>(vNew.size());
        break;
    }
    case FIELD_EDIT_DELETE:
        // Whole characters: deleting a byte would leave half a Hangul
        // syllable behind.
        if (bSelection) {
            erase(nSelStart, nSelEnd);
        } else if (nCount > 0 && nCaret > 0) {
            erase(nCaret - 1, nCaret);
        }
        break;
    case FIELD_EDIT_CLEAR:
        vChars.clear();
        nCaret = 0;
        break;
    default:
        LOG_PRINT(LOG_ERROR, "[%s] Not Support Type [%d]", pszTag, nOperation);
        return false;
    }
    field.strText.clear();
    for (const std::string& strChar : vChars) {
        field.strText += strChar;
    }
    field.nCaret = nCaret;
    field.nSelStart = field.nSelEnd = nCaret;
    return true;
}
