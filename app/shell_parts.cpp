// The defaults of the shell pieces: what the program does without them.
#include "app/shell_parts.h"

#include "app/window_messages.h"
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

void CShellParts::CreateTrayIcon(CZelkorDlg& /*dlg*/) {}

void CShellParts::RecreateTrayIcon(CZelkorDlg& /*dlg*/) {}

void CShellParts::DestroyTrayIcon() {}

intptr_t CShellParts::OnTrayNotify(CZelkorDlg& /*dlg*/, uintptr_t /*wParam*/, intptr_t /*lParam*/)
{
    return 0;
}

intptr_t CShellParts::ShowToast(CZelkorDlg& /*dlg*/, ToastRequestInfo* pInfo)
{
    LOG_PRINT(LOG_WARN, "[%s] No tray icon: toast [%s] not shown", "CShellParts::ShowToast",
              pInfo != nullptr ? pInfo->szTitle : "");
    delete pInfo;
    return 0;
}

int CShellParts::RunShopRegistrationDialog(CZelkorDlg& /*dlg*/, const std::string& /*strBizNo*/,
                                           const std::string& /*strStoreId*/)
{
    LOG_PRINT(LOG_ERROR, "[%s] No shop registration dialog in this build: registration cancelled",
              "CShellParts::RunShopRegistrationDialog");
    return IDD_RESULT_CANCEL;
}

int CShellParts::RunRegisterShop(CZelkorDlg& /*dlg*/, const std::string& /*strBizNo*/,
                                 const std::string& /*strStoreId*/)
{
    LOG_PRINT(LOG_ERROR, "[%s] No shop registration in this build", "CShellParts::RunRegisterShop");
    return -1;
}

void CShellParts::ShowAboutBox(CZelkorDlg& /*dlg*/) {}

bool CShellParts::StartWatchDog(CZelkorDlg& /*dlg*/)
{
    LOG_PRINT(LOG_WARN, "[%s] No agent watchdog in this build", "CShellParts::StartWatchDog");
    return true;
}

void CShellParts::StopWatchDog() {}
