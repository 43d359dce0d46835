// The pieces of the shell that sit on top of the main window and come from
// elsewhere: the tray icon and its toast, the print settings dialog, the
// shop registration dialog, the about box (the UI), and the agent
// watchdog. The main window calls them at the points of its start, its
// messages and its end. Each default here is what the program does while
// that piece is missing, and says so in the log; the UI overrides what it
// has (app/qt), the watchdog fills in its own default.
#pragma once

#include <cstdint>
#include <string>

class CZelkorDlg;
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

    // The tray icon: created at start, again after "TaskbarCreated",
    // removed when the main window is destroyed.
    virtual void CreateTrayIcon(CZelkorDlg& dlg);
    virtual void RecreateTrayIcon(CZelkorDlg& dlg);
    virtual void DestroyTrayIcon();
    // The tray's callback message (10024).
    virtual intptr_t OnTrayNotify(CZelkorDlg& dlg, uintptr_t wParam, intptr_t lParam);
    // The print-failure toast (10025, sent by the print worker, which waits
    // for the answer). Owns pInfo and frees it, shown or not.
    virtual intptr_t ShowToast(CZelkorDlg& dlg, ToastRequestInfo* pInfo);

    // The shop registration dialog, modal, with the identity to start from
    // (empty at a first start): 1 registered, 2 cancelled (the default: the
    // program cannot register a shop without it).
    virtual int RunShopRegistrationDialog(CZelkorDlg& dlg, const std::string& strBizNo,
                                          const std::string& strStoreId);
    // The silent re-registration with a stored identity: 0 success.
    virtual int RunRegisterShop(CZelkorDlg& dlg, const std::string& strBizNo,
                                const std::string& strStoreId);

    // The about box of the system menu.
    virtual void ShowAboutBox(CZelkorDlg& dlg);

    // The agent watchdog thread: started after a successful agent start,
    // stopped when the main window is destroyed. The default starts
    // nothing and reports success, so the program runs without one.
    virtual bool StartWatchDog(CZelkorDlg& dlg);
    virtual void StopWatchDog();
};
