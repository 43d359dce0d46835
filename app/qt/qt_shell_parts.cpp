// CQtShellParts.
#include "app/qt/qt_shell_parts.h"

#include "app/qt/toast_window.h"
#include "app/qt/tray_host_watcher.h"
#include "app/qt/tray_icon.h"
#include "foundation/simple_log.h"
#include "ui/common/png_resource.h"
#include "ui/dialogs/dlg_print_setting.h"

#include <QMessageBox>
#include <new>

CQtShellParts::CQtShellParts() : m_pToast(MakeToastWindow()) {}

CQtShellParts::~CQtShellParts() = default;

void CQtShellParts::CreateTrayIcon(CZelkorDlg& /*dlg*/, const std::string& strTooltip)
{
    m_pTray.reset();
    try {
        m_pTray = std::make_unique<CTrayIcon>(strTooltip, ZelkorProgramIcon(), *m_pToast);
    } catch (const std::bad_alloc&) {
        // Later toast requests are refused ("m_pTray NULL").
        LOG_PRINT(LOG_ERROR, "[%s] New(Alloc) TrayIcon Fail!!!", "CQtShellParts::CreateTrayIcon");
    }
    if (!m_pHostWatcher) {
        m_pHostWatcher = std::make_unique<CTrayHostWatcher>();
    }
}

void CQtShellParts::DestroyTrayIcon()
{
    m_pHostWatcher.reset();
    m_pTray.reset();
}

bool CQtShellParts::HasTrayIcon() const
{
    return m_pTray != nullptr;
}

void CQtShellParts::ShowToastNotify(CZelkorDlg& /*dlg*/, const ToastRequestInfo& info)
{
    if (m_pTray) {
        m_pTray->ShowToastNotify(&info);
    }
}

void CQtShellParts::ShowAboutBox(CZelkorDlg& /*dlg*/)
{
    QMessageBox::about(nullptr, QString::fromUtf16(u"Zelkor 정보"),
                       QString::fromUtf16(u"Zelkor, 버전 1.0"));
}
