// CQtShellParts.
#include "app/qt/qt_shell_parts.h"

#include <QMessageBox>

void CQtShellParts::ShowAboutBox(CZelkorDlg& /*dlg*/)
{
    QMessageBox::about(nullptr, QString::fromUtf16(u"Zelkor 정보"),
                       QString::fromUtf16(u"Zelkor, 버전 1.0"));
}
