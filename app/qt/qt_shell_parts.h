// The shell pieces the Qt side provides over the defaults: the tray icon
// with its menu and the toast window behind it, and the about box. The
// print settings dialog and the shop registration dialog override their
// CShellParts members here when they come.
#pragma once

#include "app/shell_parts.h"

#include <memory>

class CDlgPrintSetting;
class CTrayHostWatcher;
class CTrayIcon;
class IToastWindow;

class CQtShellParts : public CShellParts
{
public:
    CQtShellParts();
    ~CQtShellParts() override;

    void CreateTrayIcon(CZelkorDlg& dlg, const std::string& strTooltip) override;
    void DestroyTrayIcon() override;
    bool HasTrayIcon() const override;
    void ShowToastNotify(CZelkorDlg& dlg, const ToastRequestInfo& info) override;
    void ShowAboutBox(CZelkorDlg& dlg) override;

    // The print settings dialog and the shop registration dialog
    // (qt_shell_parts_dialogs.cpp).
    bool CreateSettingsDialog(CZelkorDlg& dlg) override;
    void ShowSettingsDialog(CZelkorDlg& dlg) override;
    void DestroySettingsDialog() override;
    std::unique_ptr<IShopRegistration>
    CreateShopRegistration(CZelkorDlg& dlg, const std::string& strBizNo,
                           const std::string& strStoreId) override;
    CDlgPrintSetting* SettingsDialog() const { return m_pSettings.get(); }

    // The tray object (m_pTray), null until created; for the tests.
    CTrayIcon* TrayIcon() const { return m_pTray.get(); }

private:
    std::unique_ptr<IToastWindow> m_pToast;
    std::unique_ptr<CTrayIcon> m_pTray;
    std::unique_ptr<CTrayHostWatcher> m_pHostWatcher;
    std::unique_ptr<CDlgPrintSetting> m_pSettings;
};
