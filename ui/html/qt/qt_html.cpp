// The Qt side of the markup engine.
#include "ui/html/qt/qt_html.h"

#include "foundation/simple_log.h"
#include "platform/text_encoding.h"
#include "ui/html/html_text.h"
#include "ui/html/qt/qt_html_metrics.h"
#include "ui/html/qt/qt_html_painter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPainter>
#include <QPalette>
#include <QUrl>

QString QtHtmlText(std::u32string_view strText)
{
    return QString::fromUcs4(strText.data(), static_cast<qsizetype>(strText.size()));
}

std::u32string HtmlFromQString(const QString& strText)
{
    const QList<uint> ucs4 = strText.toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

QColor QtColour(COLORREF crColour)
{
    return QColor(static_cast<int>(HtmlRed(crColour)), static_cast<int>(HtmlGreen(crColour)),
                  static_cast<int>(HtmlBlue(crColour)));
}

COLORREF HtmlColourFromQt(const QColor& colour)
{
    return HtmlRgb(static_cast<unsigned>(colour.red()), static_cast<unsigned>(colour.green()),
                   static_cast<unsigned>(colour.blue()));
}

HtmlSystemColours QtHtmlSystemColours()
{
    HtmlSystemColours system;
    const QPalette palette = QApplication::palette();
    const auto Set = [&](HtmlSysColour eColour, QPalette::ColorGroup eGroup,
                         QPalette::ColorRole eRole) {
        system.Set(eColour, HtmlColourFromQt(palette.color(eGroup, eRole)));
    };
    Set(HtmlSysColour::ButtonFace, QPalette::Active, QPalette::Button);
    Set(HtmlSysColour::ButtonText, QPalette::Active, QPalette::ButtonText);
    Set(HtmlSysColour::ButtonHighlight, QPalette::Active, QPalette::Light);
    Set(HtmlSysColour::ButtonShadow, QPalette::Active, QPalette::Mid);
    Set(HtmlSysColour::DarkShadow3D, QPalette::Active, QPalette::Shadow);
    Set(HtmlSysColour::Light3D, QPalette::Active, QPalette::Midlight);
    Set(HtmlSysColour::Window, QPalette::Active, QPalette::Base);
    Set(HtmlSysColour::WindowText, QPalette::Active, QPalette::Text);
    Set(HtmlSysColour::Highlight, QPalette::Active, QPalette::Highlight);
    Set(HtmlSysColour::HighlightText, QPalette::Active, QPalette::HighlightedText);
    Set(HtmlSysColour::GrayText, QPalette::Disabled, QPalette::Text);
    Set(HtmlSysColour::InfoBackground, QPalette::Active, QPalette::ToolTipBase);
    Set(HtmlSysColour::InfoText, QPalette::Active, QPalette::ToolTipText);
    Set(HtmlSysColour::Menu, QPalette::Active, QPalette::Window);
    Set(HtmlSysColour::MenuText, QPalette::Active, QPalette::WindowText);
    return system;
}

bool OpenHtmlLink(const std::u32string& strTarget)
{
    const std::string strCp949 = platform::Utf8ToCp949(HtmlToUtf8(strTarget));
    if (!IsOpenableHtmlLink(strTarget)) {
        SimpleLog().Print(0, "[%s] Link refused, not an http(s) address [%s]", "OpenHtmlLink",
                          strCp949.c_str());
        return false;
    }
    const QUrl url(QtHtmlText(strTarget), QUrl::StrictMode);
    if (!url.isValid() ||
        (url.scheme() != QStringLiteral("http") && url.scheme() != QStringLiteral("https"))) {
        SimpleLog().Print(0, "[%s] Link refused, not a valid address [%s]", "OpenHtmlLink",
                          strCp949.c_str());
        return false;
    }
    if (!QDesktopServices::openUrl(url)) {
        SimpleLog().Print(0, "[%s] Link could not be opened [%s]", "OpenHtmlLink",
                          strCp949.c_str());
        return false;
    }
    SimpleLog().Print(2, "[%s] Link opened [%s]", "OpenHtmlLink", strCp949.c_str());
    return true;
}

CQtHtmlDrawer::CQtHtmlDrawer() : CHtmlDrawer(QtHtmlSystemColours())
{
    SetLinkOpener([](const std::u32string& strTarget) { OpenHtmlLink(strTarget); });
}

QImage RenderHtmlImage(CHtmlDrawer& drawer, std::u32string_view strMarkup, const QSize& size,
                       int nWrapWidth, const QColor& background)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    CQtHtmlMetrics metrics;
    CQtHtmlPainter sink(painter);
    drawer.SetWrapWidth(nWrapWidth);
    drawer.MeasureHtml(metrics, strMarkup);
    drawer.DrawHtml(metrics, sink, strMarkup, {0, 0, size.width(), size.height()});
    return image;
}
