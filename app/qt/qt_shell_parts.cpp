// CQtShellParts.
#include "app/qt/qt_shell_parts.h"

#include "app/qt/placeholder_toast.h"
#include "app/qt/tray_host_watcher.h"
#include "app/qt/tray_icon.h"
#include "app/zelkor_dlg.h"
#include "foundation/module_util.h"
#include "foundation/simple_log.h"
#include "ui/common/png_resource.h"

#include <QMessageBox>
#include <new>

CQtShellParts::CQtShellParts() : m_pToast(MakeToastWindow()) {}

CQtShellParts::~CQtShellParts() = default;

void CQtShellParts::CreateTrayIcon(CZelkorDlg& dlg)
{
    const char* const pszName = "CZelkorDlg::CreateTrayIcon";
    try {
        m_pTray.reset();
    } catch (...) {
        m_pTray.release(); // a failing removal never stops the new icon
    }
    std::string strVersion = dlg.VersionText();
    if (strVersion.empty()) {
        strVersion = GetFileVersion("Zelkor.exe");
    }
    try {
        m_pTray = std::make_unique<CTrayIcon>("Zelkor(VER." + strVersion + ")", ZelkorProgramIcon(),
                                              *m_pToast);
    } catch (const std::bad_alloc&) {
        LOG_PRINT(LOG_ERROR, "[%s] New(Alloc) TrayIcon Fail!!!", pszName);
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
