// CScriptedShopRegistration.
#include "app/scripted_shop_registration.h"

#include "foundation/ini_file.h"
#include "foundation/simple_log.h"
#include "platform/program_folder.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// How many answers of the script earlier runs of this process took.
std::atomic<size_t> g_nAnswersTaken{0};

// The next answer, or "" when the script is used up (or absent).
std::string NextAnswer(bool& bScript)
{
    const char* pszScript = std::getenv("ZELKOR_SHOP_REGISTRATION");
    bScript = pszScript != nullptr;
    if (pszScript == nullptr) {
        return "";
    }
    const std::string strScript = pszScript;
    size_t nIndex = g_nAnswersTaken.fetch_add(1);
    size_t nStart = 0;
    for (size_t i = 0; i < nIndex; ++i) {
        nStart = strScript.find(',', nStart);
        if (nStart == std::string::npos) {
            return "";
        }
        ++nStart;
    }
    size_t nEnd = strScript.find(',', nStart);
    return strScript.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
}

} // namespace

CScriptedShopRegistration::CScriptedShopRegistration(AgentWindowHandle hMainWnd,
                                                     std::string strBizNo, std::string strStoreId)
    : m_hMainWnd(hMainWnd), m_strBizNo(std::move(strBizNo)), m_strStoreId(std::move(strStoreId))
{
}

void CScriptedShopRegistration::RestartScript()
{
    g_nAnswersTaken = 0;
}

int CScriptedShopRegistration::DoModal()
{
    const char* const pszName = "CScriptedShopRegistration::DoModal";
    LOG_PRINT(LOG_INFO, "[%s] BizNo [%s] StoreId [%s]", pszName, m_strBizNo.c_str(),
              m_strStoreId.c_str());
    for (;;) {
        bool bScript = false;
        std::string strAnswer = NextAnswer(bScript);
        if (!bScript) {
            LOG_PRINT(LOG_WARN, "[%s] No shop registration dialog in this build: cancelled",
                      pszName);
            return REGISTER_RESULT_CANCEL;
        }
        LOG_PRINT(LOG_INFO, "[%s] Answer [%s]", pszName, strAnswer.c_str());
        if (strAnswer.empty() || strAnswer == "cancel") {
            return REGISTER_RESULT_CANCEL;
        }
        std::string strFirst = m_strBizNo;
        std::string strSecond = m_strStoreId;
        if (strAnswer != "given") {
            size_t nSlash = strAnswer.find('/');
            strFirst = strAnswer.substr(0, nSlash);
            strSecond = nSlash == std::string::npos ? "" : strAnswer.substr(nSlash + 1);
        }
        if (RunRegisterShop(strFirst, strSecond, 1) == 0) {
            return REGISTER_RESULT_BSNUM;
        }
    }
}

int CScriptedShopRegistration::RunRegisterShop(const std::string& strFirst,
                                               const std::string& strSecond, int bShowMessage)
{
    const char* const pszName = "CScriptedShopRegistration::RunRegisterShop";
    if (strFirst.empty() || strSecond.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] Login Info Empty", pszName);
        return -1;
    }
    CNubeqDllMngr& agent = NubeqDllMngr();
    char szHandle[32];
    std::snprintf(szHandle, sizeof(szHandle), "%02llX",
                  static_cast<unsigned long long>(m_hMainWnd));
    agent.Call_SetData("registernumber", strFirst);
    agent.Call_SetData("posid", strSecond);
    agent.Call_SetData("loginType", "bsnum");
    agent.Call_SetData("orgno", "1");
    agent.Call_SetData("pos_type", "install");
    agent.Call_SetData("REQ_HANDLE", szHandle);
    int nResult = agent.Call_RegisterShopEx();
    if (nResult <= 0) {
        LOG_PRINT(LOG_ERROR, "[%s] RegisterShopEx Fail [%d] ShowMessage [%d]", pszName, nResult,
                  bShowMessage);
        return -1;
    }
    const std::string strPath = platform::JoinPath(platform::GetProgramFolder(), "Config.ini");
    IniWriteString("POS", "Nobizer", strFirst.c_str(), strPath.c_str());
    IniWriteString("POS", "StoreId", strSecond.c_str(), strPath.c_str());
    IniWriteString("POS", "TYPE", "bsnum", strPath.c_str());
    IniWriteString("ORDER", "LastNo", "1", strPath.c_str());
    LOG_PRINT(LOG_INFO, "[%s] Registered BizNo [%s] StoreId [%s]", pszName, strFirst.c_str(),
              strSecond.c_str());
    return 0;
}
