// Screenshots of the markup engine through the Qt adapter: the print-failure
// toast's texts at the sizes of the toast's statics, and a sample of the
// language.
#include "ui/html/qt/qt_html.h"
#include "ui/html/qt/qt_html_metrics.h"
#include "ui/html/qt/qt_html_painter.h"
#include "ui/samples/toast_samples.h"
#include "ui/screenshots/screenshots.h"

#include <QFile>
#include <QPainter>

namespace {

QImage ToastText(const std::string& strMarkup, const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CQtHtmlMetrics metrics;
    CQtHtmlPainter sink(painter);
    DrawToastSample(metrics, sink, strMarkup, size.width());
    return image;
}

QImage MarkupSample()
{
    QFile file(QStringLiteral(ZELKOR_SOURCE_DIR "/tests/data/html/markup_sample.html"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    CQtHtmlDrawer drawer;
    drawer.SetStyleRule(U"body", U"font-size:16px; color:0x000000; font-family:verdana");
    return RenderHtmlImage(drawer, HtmlFromQString(QString::fromUtf8(file.readAll())),
                           QSize(320, 300), 319, Qt::white);
}

} // namespace

void AddMarkupScreenshots(ScreenshotList& list)
{
    // The toast worker's texts, built once (its own stand-in main window).
    static const SToastSamples s_samples = PrintFailToastSamples();
    list.push_back({QStringLiteral("toast-title"), [] {
                        return ToastText(s_samples.strTitle, {260, 25});
                    }});
    list.push_back({QStringLiteral("toast-body-order"), [] {
                        return ToastText(s_samples.strOrderBody, {270, 140});
                    }});
    list.push_back({QStringLiteral("toast-body-sales"), [] {
                        return ToastText(s_samples.strSalesBody, {270, 140});
                    }});
    list.push_back({QStringLiteral("markup-sample"), MarkupSample});
}
