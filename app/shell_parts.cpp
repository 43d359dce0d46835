// The defaults of the shell pieces: what the program does without them.
#include "app/shell_parts.h"

#include "app/scripted_shop_registration.h"
#include "app/window_messages.h"
#include "app/zelkor_dlg.h"
#include "foundation/simple_log.h"
#include "platform/program_folder.h"
#include "printing/printer_setting.h"

bool CShellParts::CreateSettingsDialog(CZelkorDlg& /*dlg*/)
{
    const std::string strConfig = platform::JoinPath(platform::GetProgramFolder(), "Config.ini");
    PrinterSetting().SetConfigFilePath(strConfig.c_str());
    PrinterSetting().ReadFilePrintInfo(1);
    return true;
}

void CShellParts::ShowSettingsDialog(CZelkorDlg& /*dlg*/)
{
    LOG_PRINT(LOG_WARN, "[%s] No print settings dialog in this build",
              "CShellParts::ShowSettingsDialog");
}

void CShellParts::DestroySettingsDialog() {}

void CShellParts::CreateTrayIcon(CZelkorDlg& /*dlg*/, const std::string& /*strTooltip*/)
{
    LOG_PRINT(LOG_WARN, "[%s] No tray icon in this build", "CShellParts::CreateTrayIcon");
}

void CShellParts::DestroyTrayIcon() {}

bool CShellParts::HasTrayIcon() const
{
    return false;
}

void CShellParts::ShowToastNotify(CZelkorDlg& /*dlg*/, const ToastRequestInfo& /*info*/) {}

std::unique_ptr<IShopRegistration>
CShellParts::CreateShopRegistration(CZelkorDlg& dlg, const std::string& strBizNo,
                                    const std::string& strStoreId)
{
    return std::make_unique<CScriptedShopRegistration>(dlg.GetSafeHwnd(), strBizNo, strStoreId);
}

void CShellParts::ShowAboutBox(CZelkorDlg& /*dlg*/) {}
