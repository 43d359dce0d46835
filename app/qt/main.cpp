// Zelkor: the program. The steps before the GUI (crash handler slot,
// instance lock, the hand-over of a second start) need no display; then
// the application object, the host, the presenter of message boxes and
// the power events, and the main window's run.
#include "app/qt/qt_message_box.h"
#include "app/qt/qt_power_events.h"
#include "app/qt/qt_shell_parts.h"
#include "app/qt/qt_window_host.h"
#include "app/window_messages.h"
#include "app/zelkor_app.h"
#include "foundation/message_box.h"
#include "ui/common/png_resource.h"

#include <QApplication>
#include <QSessionManager>

int main(int argc, char** argv)
{
    CZelkorApp app;
    switch (app.TakeInstance()) {
    case CZelkorApp::EInstance::First:
        break;
    case CZelkorApp::EInstance::HandedOver:
        return ZELKOR_EXIT_OK;
    case CZelkorApp::EInstance::CannotStart:
        return ZELKOR_EXIT_CANNOT_START;
    }

    int nExit = ZELKOR_EXIT_OK;
    {
        QApplication application(argc, argv);
        CQtWindowHost::PrepareApplication(application);
        InstallProgramIcon();

        CQtWindowHost host;
        auto pPresenter = std::make_shared<CQtMessageBoxPresenter>();
        std::shared_ptr<IMessageBoxPresenter> pTestPresenter = MessageBoxPresenterFromEnvironment();
        SetMessageBoxPresenter(pTestPresenter ? pTestPresenter : pPresenter);
        CQtPowerEvents power(host);
        QObject::connect(
            &application, &QGuiApplication::commitDataRequest,
            [&host](QSessionManager&) { host.DeliverToWindow(WM_QUERYENDSESSION, 0, 0); });
        CQtShellParts parts;

        nExit = app.RunInstance(host, parts);

        // The workers stop only at exit, after the application object: they
        // must find neither a pump hook nor a presenter that uses it.
        host.Shutdown();
        pPresenter->Shutdown();
        SetMessageBoxPresenter(pTestPresenter);
    }
    return nExit;
}
