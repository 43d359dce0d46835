// A text metric with fixed advances.
#include "ui/html/fixed_advance_metrics.h"

int CFixedAdvanceMetrics::CharAdvance(const HtmlFont& font, char32_t ch)
{
    const int nBase = ch >= 0x1100 ? font.nPixelSize : font.nPixelSize / 2;
    return nBase + (font.nWeight >= 700 ? 1 : 0);
}

double CFixedAdvanceMetrics::Advance(const HtmlFont& font, std::u32string_view strText)
{
    double dWidth = 0;
    for (char32_t ch : strText) {
        dWidth += CharAdvance(font, ch);
    }
    return dWidth;
}

double CFixedAdvanceMetrics::Ascent(const HtmlFont& font)
{
    return font.nPixelSize;
}

double CFixedAdvanceMetrics::Height(const HtmlFont& font)
{
    return font.nPixelSize + font.nPixelSize / 4;
}

double CFixedAdvanceMetrics::XHeight(const HtmlFont& font)
{
    return font.nPixelSize / 2;
}
