// The markup engine's text metrics over Qt: every face of the markup is
// measured in the Korean font chain (NanumGothic first), the family the
// Qt painter draws in, so measured and drawn widths agree.
#pragma once

#include "ui/html/html_seam.h"

#include <QFont>
#include <QFontMetricsF>
#include <map>
#include <tuple>

// The Qt font of an engine font: the Korean chain at the pixel size, the
// weight, italic and underline of the engine font.
QFont QtHtmlFont(const HtmlFont& font);

class CQtHtmlMetrics : public IHtmlMetrics
{
public:
    double Advance(const HtmlFont& font, std::u32string_view strText) override;
    double Ascent(const HtmlFont& font) override;
    double Height(const HtmlFont& font) override;
    double XHeight(const HtmlFont& font) override;

private:
    const QFontMetricsF& Metrics(const HtmlFont& font);

    // By pixel size, weight, italic and underline (the face is not used).
    std::map<std::tuple<int, int, bool, bool>, QFontMetricsF> m_mapMetrics;
};
