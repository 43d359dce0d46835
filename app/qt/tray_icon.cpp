// CTrayIcon over QSystemTrayIcon.
#include "app/qt/tray_icon.h"

#include "app/toast_hand_off.h"
#include "app/window_messages.h"
#include "foundation/simple_log.h"
#include "foundation/window_sink.h"
#include "platform/text_encoding.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <string>

namespace {

// The tooltip as the shell's record holds it: at most 127 characters.
constexpr int kTooltipChars = 127;

void AddCommand(QMenu& menu, const QString& strText, unsigned nCommand)
{
    QAction* pAction = menu.addAction(strText);
    pAction->setData(nCommand);
    // Queued: the command runs once the menu has closed and its own loop
    // has returned.
    QObject::connect(pAction, &QAction::triggered, [nCommand] {
        LOG_PRINT(LOG_TRACE, "[%s] Command [%u]", "CTrayIcon::Menu", nCommand);
        PostMainWindowMessage(WM_COMMAND, nCommand, 0);
    });
}

} // namespace

CTrayIcon::CTrayIcon(const std::string& strTooltip, const QIcon& icon, IToastWindow& toast)
    : m_pMenu(std::make_unique<QMenu>()), m_pIcon(std::make_unique<QSystemTrayIcon>()),
      m_Toast(toast)
{
    const char* const pszName = "CTrayIcon::CTrayIcon";
    AddCommand(*m_pMenu, QString::fromUtf16(u"환경설정(&Y)"), ID_TRAY_PRINTSETTING);
    AddCommand(*m_pMenu, QString::fromUtf16(u"종료(&Z)"), ID_TRAY_CLOSE);
    // The host opens it on the context request (a right click); a left
    // click or a double click does nothing.
    m_pIcon->setContextMenu(m_pMenu.get());
    // What the user is shown, in the log (the desktop tests read it).
    QObject::connect(m_pMenu.get(), &QMenu::aboutToShow, [pMenu = m_pMenu.get()] {
        std::string strItems;
        for (const QAction* pAction : pMenu->actions()) {
            strItems += (strItems.empty() ? "" : ", ") +
                        platform::Utf8ToCp949(pAction->text().toStdString()) + " [" +
                        pAction->data().toString().toStdString() + "]";
        }
        LOG_PRINT(LOG_TRACE, "[%s] Open [%d] %s", "CTrayIcon::Menu",
                  static_cast<int>(pMenu->actions().size()), strItems.c_str());
    });
    QObject::connect(m_pIcon.get(), &QSystemTrayIcon::activated,
                     [](QSystemTrayIcon::ActivationReason eReason) {
                         LOG_PRINT(LOG_TRACE, "[%s] Activated [%d]", "CTrayIcon::OnActivated",
                                   static_cast<int>(eReason));
                     });
    m_pIcon->setIcon(icon);
    m_pIcon->setToolTip(
        QString::fromStdString(platform::Cp949ToUtf8(strTooltip)).left(kTooltipChars));
    m_pIcon->show();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        LOG_PRINT(LOG_DEBUG, "[%s] Tray icon added [%s]", pszName, strTooltip.c_str());
    } else {
        LOG_PRINT(LOG_WARN, "[%s] No tray host: the icon [%s] waits for one, toasts are shown",
                  pszName, strTooltip.c_str());
    }
}

CTrayIcon::~CTrayIcon()
{
    m_pIcon->hide();
}

void CTrayIcon::ShowToastNotify(const ToastRequestInfo* pInfo)
{
    ::ShowToastNotify(m_Toast, pInfo);
}
