// The Qt shell's dialogs: the print settings dialog, created hidden at
// start, and the shop registration dialog.
#include "app/qt/qt_shell_parts.h"
#include "app/scripted_shop_registration.h"
#include "app/zelkor_dlg.h"
#include "foundation/simple_log.h"
#include "platform/program_folder.h"
#include "ui/dialogs/dlg_print_setting.h"
#include "ui/dialogs/dlg_register_pos.h"

#include <cstdlib>
#include <new>

bool CQtShellParts::CreateSettingsDialog(CZelkorDlg& /*dlg*/)
{
    try {
        m_pSettings = std::make_unique<CDlgPrintSetting>();
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!m_pSettings->OnInitDialog(
            platform::JoinPath(platform::GetProgramFolder(), "Config.ini"))) {
        LOG_PRINT(LOG_ERROR, "[%s] Shared Memory Not Created",
                  "CQtShellParts::CreateSettingsDialog");
    }
    return true;
}

void CQtShellParts::ShowSettingsDialog(CZelkorDlg& /*dlg*/)
{
    if (m_pSettings) {
        m_pSettings->ShowDialog();
    }
}

void CQtShellParts::DestroySettingsDialog()
{
    m_pSettings.reset();
}

std::unique_ptr<IShopRegistration>
CQtShellParts::CreateShopRegistration(CZelkorDlg& dlg, const std::string& strBizNo,
                                      const std::string& strStoreId)
{
    // End-to-end runs play the user with a script (ZELKOR_SHOP_REGISTRATION)
    // instead of a window nobody can press.
    if (std::getenv("ZELKOR_SHOP_REGISTRATION") != nullptr) {
        return CShellParts::CreateShopRegistration(dlg, strBizNo, strStoreId);
    }
    return std::make_unique<CDlgRegisterPos>(strBizNo, strStoreId, dlg.GetSafeHwnd());
}
