// The program's icon in the tray: icon 128 with the tooltip
// "Zelkor(VER.x.x.x.x)" and menu 131 (settings, exit), which opens on the
// context request only; its commands reach the main window queued, after
// the menu has closed. It also hands the print-failure toasts to the toast
// window (app/toast_hand_off.h).
#pragma once

#include <QIcon>
#include <memory>
#include <string>

class IToastWindow;
class QAction;
class QMenu;
class QSystemTrayIcon;
struct ToastRequestInfo;

class CTrayIcon
{
public:
    // Adds the icon (strTooltip CP949, cut to 127 characters). With no tray
    // host the object stays all the same (a WARN line): the icon docks
    // when a host appears, and the toasts are shown meanwhile.
    CTrayIcon(const std::string& strTooltip, const QIcon& icon, IToastWindow& toast);
    // Removes the icon.
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    void ShowToastNotify(const ToastRequestInfo* pInfo);

    QSystemTrayIcon& SystemTrayIcon() { return *m_pIcon; }
    QMenu& Menu() { return *m_pMenu; }

private:
    std::unique_ptr<QMenu> m_pMenu; // menu 131, first pop-up
    std::unique_ptr<QSystemTrayIcon> m_pIcon;
    IToastWindow& m_Toast;
};
