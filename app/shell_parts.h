// The pieces of the shell that sit on top of the main window and come from
// elsewhere: the tray icon and its toast, the print settings dialog, the
// shop registration dialog and the about box (the UI). The main window
// calls them at the points of its start, its messages and its end. Each
// default here is what the program does while that piece is missing, and
// says so in the log; the UI overrides what it has (app/qt).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CZelkorDlg;
class IShopRegistration;
struct ToastRequestInfo;

class CShellParts
{
public:
    virtual ~CShellParts() = default;

    // The print settings dialog, created hidden while the main window
    // initialises. It gives the printer settings store its file and loads
    // it (the default does only that). False: it could not be created
    // (the main window then shows string 111 and the program ends).
    virtual bool CreateSettingsDialog(CZelkorDlg& dlg);
    // Tray menu "settings" (and the agent's request): show it on its owner
    // page, in front, centred.
    virtual void ShowSettingsDialog(CZelkorDlg& dlg);
    virtual void DestroySettingsDialog();

    // The tray icon with its tooltip, added by the main window's
    // CreateTrayIcon (at start, and whenever the tray host appears) after
    // it removed the one there was.
    virtual void CreateTrayIcon(CZelkorDlg& dlg, const std::string& strTooltip);
    // Removes it; nothing when there is none.
    virtual void DestroyTrayIcon();
    // The tray object exists. Without one the toast requests are refused.
    virtual bool HasTrayIcon() const;
    // The print-failure toast through the tray (app/toast_hand_off.h): on
    // the main thread, returns once the toast allows the sender to go on.
    virtual void ShowToastNotify(CZelkorDlg& dlg, const ToastRequestInfo& info);

    // The shop registration dialog, with the identity to start from and
    // the main window as its owner. The default is the scripted stand-in
    // (app/scripted_shop_registration.h).
    virtual std::unique_ptr<IShopRegistration>
    CreateShopRegistration(CZelkorDlg& dlg, const std::string& strBizNo,
                           const std::string& strStoreId);

    // The about box of the system menu.
    virtual void ShowAboutBox(CZelkorDlg& dlg);
};
