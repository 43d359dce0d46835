// A text metric with fixed advances, so that layouts have exact numbers
// without a font: tests, goldens and the fuzz target lay out over it.
#pragma once

#include "ui/html/html_seam.h"

// Per character: size / 2 pixels, a wide character (U+1100 and above:
// Hangul, CJK, symbols) size pixels; a weight of 700 or more adds 1 pixel
// per character. Ascent = size, height = size + size / 4, x-height =
// size / 2 (integer divisions).
class CFixedAdvanceMetrics : public IHtmlMetrics
{
public:
    explicit CFixedAdvanceMetrics(int nDotsPerInch = 96) : m_nDotsPerInch(nDotsPerInch) {}

    double Advance(const HtmlFont& font, std::u32string_view strText) override;
    double Ascent(const HtmlFont& font) override;
    double Height(const HtmlFont& font) override;
    double XHeight(const HtmlFont& font) override;
    int DotsPerInch() override { return m_nDotsPerInch; }

    static int CharAdvance(const HtmlFont& font, char32_t ch);

private:
    int m_nDotsPerInch;
};
