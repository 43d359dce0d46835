// The markup engine's text metrics over Qt.
#include "ui/html/qt/qt_html_metrics.h"

#include "ui/common/korean_font.h"

#include <QString>

QFont QtHtmlFont(const HtmlFont& font)
{
    QFont qfont = KoreanFont(font.nPixelSize);
    qfont.setWeight(static_cast<QFont::Weight>(std::clamp(font.nWeight, 100, 900)));
    qfont.setItalic(font.bItalic);
    qfont.setUnderline(font.bUnderline);
    return qfont;
}

const QFontMetricsF& CQtHtmlMetrics::Metrics(const HtmlFont& font)
{
    const auto key = std::make_tuple(font.nPixelSize, font.nWeight, font.bItalic, font.bUnderline);
    auto it = m_mapMetrics.find(key);
    if (it == m_mapMetrics.end()) {
        it = m_mapMetrics.emplace(key, QFontMetricsF(QtHtmlFont(font))).first;
    }
    return it->second;
}

double CQtHtmlMetrics::Advance(const HtmlFont& font, std::u32string_view strText)
{
    return Metrics(font).horizontalAdvance(
        QString::fromUcs4(strText.data(), static_cast<qsizetype>(strText.size())));
}

double CQtHtmlMetrics::Ascent(const HtmlFont& font)
{
    return Metrics(font).ascent();
}

double CQtHtmlMetrics::Height(const HtmlFont& font)
{
    const QFontMetricsF& metrics = Metrics(font);
    return metrics.ascent() + metrics.descent();
}

double CQtHtmlMetrics::XHeight(const HtmlFont& font)
{
    return Metrics(font).xHeight();
}
