// The stand-in for the shop registration dialog, until the dialog itself
// is part of the program: a script plays the user, the agent library does
// the registration as it would for the dialog.
//
// ZELKOR_SHOP_REGISTRATION holds the user's answers, comma-separated; each
// modal run takes answers until one ends it:
//   cancel          the user cancels (REGISTER_RESULT_CANCEL)
//   BIZNO/STOREID   a login with these values; a refused one leaves the
//                   "dialog" open for the next answer
//   given           a login with the values the dialog was created with
// Answers are shared by all runs of the process, in order; with none left
// (or no script at all) a run is cancelled.
#pragma once

#include "agent/nubeq_dll_mngr.h"
#include "app/shop_registration.h"

#include <string>

class CScriptedShopRegistration : public IShopRegistration
{
public:
    CScriptedShopRegistration(AgentWindowHandle hMainWnd, std::string strBizNo,
                              std::string strStoreId);

    int DoModal() override;
    // Business number mode: the identity to the agent library (SetData,
    // then RegisterShopEx); a result above 0 writes [POS] "Nobizer",
    // "StoreId", "TYPE" and restarts the wait numbers ([ORDER] "LastNo").
    int RunRegisterShop(const std::string& strFirst, const std::string& strSecond,
                        int bShowMessage) override;

    // The next run starts again at the script's first answer (tests that
    // set a new script in the same process).
    static void RestartScript();

private:
    AgentWindowHandle m_hMainWnd;
    std::string m_strBizNo;
    std::string m_strStoreId;
};
