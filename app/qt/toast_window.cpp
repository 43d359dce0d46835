// CQtToastWindow.
#include "app/qt/toast_window.h"

#include "foundation/simple_log.h"
#include "ui/toast/qt/toast_dialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <string_view>

static_assert(std::string_view(TOAST_WINDOW_TITLE) == std::string_view(TOAST_DIALOG_TITLE),
              "the hand-off looks for the toast window by its title");

CToastDialog* CQtToastWindow::OpenToast()
{
    const QString strTitle = QString::fromLatin1(TOAST_WINDOW_TITLE);
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        auto* pToast = qobject_cast<CToastDialog*>(pWidget);
        if (pToast != nullptr && !pToast->IsFinished() && pToast->windowTitle() == strTitle) {
            return pToast;
        }
    }
    return nullptr;
}

bool CQtToastWindow::IsToastOpen()
{
    return OpenToast() != nullptr;
}

void CQtToastWindow::RaiseToast()
{
    if (CToastDialog* pToast = OpenToast(); pToast != nullptr && pToast->isVisible()) {
        pToast->raise();
    }
}

void CQtToastWindow::ShowToast(const std::string& strTitle, const std::string& strBody,
                               int32_t nAutoCloseSec)
{
    auto* pToast = new CToastDialog(strTitle, strBody);
    if (nAutoCloseSec > 0) {
        pToast->SetAutoCloseSeconds(nAutoCloseSec);
    }
    LOG_PRINT(LOG_TRACE, "[%s] Toast shown AutoClose [%d]", "CQtToastWindow::ShowToast",
              static_cast<int>(nAutoCloseSec));
    pToast->Create();
}

bool CQtToastWindow::WaitForToastClosed(int nTimeoutMs)
{
    QPointer<CToastDialog> pToast = OpenToast();
    if (pToast.isNull()) {
        return true;
    }
    // Timers, the slide and the main window's messages run in this loop;
    // the window's destruction ends it, and so does the safety time-out.
    QEventLoop loop;
    QObject::connect(pToast.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(nTimeoutMs);
    loop.exec();
    return pToast.isNull();
}

std::unique_ptr<IToastWindow> MakeToastWindow()
{
    return std::make_unique<CQtToastWindow>();
}
