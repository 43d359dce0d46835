// Screenshots of the toast window as it stands at the corner once it has
// slid in: the print-failure toast of an order (pickup) and of the sales
// report, and the small toast without a title.
#include "ui/samples/toast_samples.h"
#include "ui/screenshots/screenshots.h"
#include "ui/toast/qt/toast_dialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {

QImage SlidInToast(const std::string& strTitle, const std::string& strBody)
{
    CToastDialog toast(strTitle, strBody);
    toast.SetTimedSteps(false);
    toast.Create();
    QElapsedTimer timer;
    timer.start();
    while (!toast.IsSliding() && timer.elapsed() < 3000) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
    while (toast.SlideStep() && toast.IsSliding()) {
    }
    QApplication::processEvents();
    return toast.grab().toImage();
}

} // namespace

void AddToastScreenshots(ScreenshotList& list)
{
    static const SToastSamples s_samples = PrintFailToastSamples();
    list.push_back({QStringLiteral("toast-window-pickup-failure"),
                    [] { return SlidInToast(s_samples.strTitle, s_samples.strOrderBody); }});
    list.push_back({QStringLiteral("toast-window-sales-failure"),
                    [] { return SlidInToast(s_samples.strTitle, s_samples.strSalesBody); }});
    list.push_back({QStringLiteral("toast-window-without-title"),
                    [] { return SlidInToast("", s_samples.strSalesBody); }});
}
