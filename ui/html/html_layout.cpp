// Layout of the markup's items in lines, and their drawing.
#include "ui/html/html_layout.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Positions are held well inside the int range whatever the markup.
constexpr long long MAX_POSITION = 1 << 28;

int Saturate(long long nValue)
{
    return static_cast<int>(std::clamp(nValue, -MAX_POSITION, MAX_POSITION));
}

int CeilPixels(double dValue)
{
    if (!(dValue > 0)) {
        return 0;
    }
    return Saturate(static_cast<long long>(std::ceil(std::min(dValue, 1e9) - 1e-6)));
}

bool IsBreakChar(char32_t ch)
{
    static constexpr std::u32string_view BREAKS = U" -.,!:;)}]?";
    return BREAKS.find(ch) != std::u32string_view::npos;
}

std::u32string_view TrimTrailingBlanks(std::u32string_view strText)
{
    while (!strText.empty() && strText.back() == U' ') {
        strText.remove_suffix(1);
    }
    return strText;
}

std::u32string_view TrimLeadingBlanks(std::u32string_view strText)
{
    while (!strText.empty() && strText.front() == U' ') {
        strText.remove_prefix(1);
    }
    return strText;
}

int FloorDiv(int nValue, int nDivisor)
{
    const int nQuotient = nValue / nDivisor;
    return (nValue % nDivisor != 0 && (nValue < 0) != (nDivisor < 0)) ? nQuotient - 1 : nQuotient;
}

} // namespace

int HtmlDrawSize(int nSize, int nDotsPerInch)
{
    if (nDotsPerInch <= 0) {
        nDotsPerInch = 96;
    }
    const long long nScaled = std::llabs(static_cast<long long>(nSize)) * 72;
    const long long nRounded = (nScaled * 2 + nDotsPerInch) / (2LL * nDotsPerInch);
    return static_cast<int>(std::clamp<long long>(nRounded, 1, HTML_MAX_FONT_SIZE));
}

HtmlFont HtmlLayoutFont(const HtmlStyle& style)
{
    return {style.strFace, style.nSize, style.nWeight, style.bItalic, style.bUnderline};
}

HtmlFont HtmlDrawFont(const HtmlStyle& style, int nDotsPerInch)
{
    return {style.strFace, HtmlDrawSize(style.nSize, nDotsPerInch),
            style.nWeight >= 700 ? 700 : 400, false, style.bUnderline};
}

CHtmlLayout::CHtmlLayout(IHtmlMetrics& metrics, int nWrapWidth)
    : m_Metrics(metrics), m_nWrapWidth(std::max(nWrapWidth, 0)), m_vecLines(1)
{
}

CHtmlLayout::SRunFonts CHtmlLayout::RunFonts(const HtmlStyle& style)
{
    SRunFonts fonts;
    fonts.drawFont = HtmlDrawFont(style, m_Metrics.DotsPerInch());
    fonts.boldFont = fonts.drawFont;
    fonts.boldFont.nWeight = 700;
    fonts.nAscent = CeilPixels(m_Metrics.Ascent(HtmlLayoutFont(style)));
    fonts.nRunHeight = CeilPixels(m_Metrics.Height(fonts.drawFont));
    return fonts;
}

int CHtmlLayout::LayoutWidth(std::u32string_view strText, const SRunFonts& fonts)
{
    // Widths for the layout are taken in bold, so a line laid out holds its
    // runs in either weight; the drawn width counts when it is wider.
    const double dDrawn = m_Metrics.Advance(fonts.drawFont, strText);
    return CeilPixels(std::max(dDrawn, m_Metrics.Advance(fonts.boldFont, strText)));
}

void CHtmlLayout::Place(std::u32string_view strText, int nWidth, const HtmlStyle& style,
                        const SRunFonts& fonts, int nLinkNumber)
{
    HtmlLine& line = m_vecLines.back();
    HtmlLineItem item;
    item.eKind = HtmlLineItem::Kind::Text;
    item.strText = strText;
    if (!m_pLastStyle || !(*m_pLastStyle == style)) {
        m_pLastStyle = std::make_shared<const HtmlStyle>(style);
    }
    item.pStyle = m_pLastStyle;
    item.nWidth = nWidth;
    item.nLinkNumber = nLinkNumber;
    line.vecItems.push_back(std::move(item));
    m_nX = Saturate(static_cast<long long>(m_nX) + nWidth);
    line.nWidth = m_nX;
    line.nAscent = std::max(line.nAscent, fonts.nAscent);
    line.nDescent = std::max(line.nDescent, fonts.nRunHeight - fonts.nAscent);
    line.nHorzAlign = style.nHorzAlign;
    m_bLineHasRun = true;
}

size_t CHtmlLayout::LongestFittingPrefix(std::u32string_view strText, const SRunFonts& fonts,
                                         int nRest)
{
    // Galloping, then bisection: widths grow with the prefix, and only the
    // part that fits is measured more than once.
    size_t nGood = 0;
    size_t nBad = strText.size() + 1;
    for (size_t nProbe = 1; nProbe <= strText.size(); nProbe *= 2) {
        if (LayoutWidth(strText.substr(0, nProbe), fonts) > nRest) {
            nBad = nProbe;
            break;
        }
        nGood = nProbe;
    }
    while (nGood + 1 < nBad) {
        const size_t nMid = (nGood + nBad) / 2;
        if (LayoutWidth(strText.substr(0, nMid), fonts) <= nRest) {
            nGood = nMid;
        } else {
            nBad = nMid;
        }
    }
    return std::min(nGood, strText.size());
}

void CHtmlLayout::AddRun(std::u32string_view strText, const HtmlStyle& style, int nLinkNumber)
{
    const SRunFonts fonts = RunFonts(style);
    while (!strText.empty()) {
        const int nWidth = LayoutWidth(strText, fonts);
        const int nRest = m_nWrapWidth - m_nX;
        if (m_nWrapWidth == 0 || nWidth <= nRest) {
            Place(strText, nWidth, style, fonts, nLinkNumber);
            return;
        }
        // The last break character whose prefix, without trailing blanks,
        // fits: it lies before the fitting length, or among the blanks
        // right after it.
        const size_t nFit = LongestFittingPrefix(strText, fonts, nRest);
        size_t nScanEnd = nFit;
        while (nScanEnd < strText.size() && strText[nScanEnd] == U' ') {
            ++nScanEnd;
        }
        size_t nBreak = std::u32string_view::npos;
        for (size_t i = 0; i < nScanEnd; ++i) {
            if (IsBreakChar(strText[i])) {
                nBreak = i;
            }
        }
        const std::u32string_view strStays =
            nBreak == std::u32string_view::npos ? std::u32string_view()
                                                : TrimTrailingBlanks(strText.substr(0, nBreak + 1));
        if (nBreak != std::u32string_view::npos && (LineHasItems() || !strStays.empty())) {
            if (!strStays.empty()) {
                Place(strStays, LayoutWidth(strStays, fonts), style, fonts, nLinkNumber);
            }
            strText = TrimLeadingBlanks(strText.substr(nBreak + 1));
            EndLine(true, 1, style);
            continue;
        }
        if (!LineHasItems()) {
            // A word wider than the whole line: its longest prefix that
            // fits, one character at least.
            const std::u32string_view strCut = strText.substr(0, std::max<size_t>(nFit, 1));
            Place(strCut, LayoutWidth(strCut, fonts), style, fonts, nLinkNumber);
            strText = strText.substr(strCut.size());
            EndLine(true, 1, style);
            continue;
        }
        // Nothing fits after what the line holds: the run starts a new line.
        EndLine(true, 1, style);
    }
}

void CHtmlLayout::AddTab(int nCount, const HtmlStyle& style)
{
    HtmlLine& line = m_vecLines.back();
    HtmlLineItem item;
    item.eKind = HtmlLineItem::Kind::Tab;
    item.nCount = nCount;
    line.vecItems.push_back(std::move(item));
    m_nX = Saturate((static_cast<long long>(FloorDiv(m_nX, TAB_WIDTH)) + nCount) * TAB_WIDTH);
    line.nWidth = std::max(line.nWidth, m_nX);
    line.nHorzAlign = style.nHorzAlign;
}

void CHtmlLayout::AddRule(int nWidth, int nPercent, int nSize, COLORREF crColour,
                          const HtmlStyle& style)
{
    HtmlLine& line = m_vecLines.back();
    HtmlLineItem item;
    item.eKind = HtmlLineItem::Kind::Rule;
    item.nWidth = nWidth;
    item.nPercent = nPercent;
    item.nRuleSize = nSize;
    item.crRule = crColour;
    line.vecItems.push_back(std::move(item));
    m_nLineMinHeight = std::max(m_nLineMinHeight, nSize + 8);
    line.nHorzAlign = style.nHorzAlign;
    if (nPercent >= 0 && m_nWrapWidth == 0) {
        // Without a wrap width the share is added when the rectangle is known.
        line.nPercentShare = std::min(line.nPercentShare + nPercent, 100 * HTML_MAX_COUNT);
        return;
    }
    const int nPixels =
        nPercent >= 0 ? static_cast<int>(static_cast<long long>(m_nWrapWidth) * nPercent / 100)
                      : nWidth;
    m_nX = Saturate(static_cast<long long>(m_nX) + nPixels);
    line.nWidth = std::max(line.nWidth, m_nX);
}

void CHtmlLayout::BreakLine(int nCount, const HtmlStyle& style)
{
    EndLine(false, nCount, style);
}

void CHtmlLayout::EndLine(bool bWrapped, int nCount, const HtmlStyle& style)
{
    HtmlLine& line = m_vecLines.back();
    line.nHeight = m_bLineHasRun ? line.nAscent + line.nDescent
                                 : CeilPixels(m_Metrics.Height(HtmlLayoutFont(style)));
    line.nHeight = std::max(line.nHeight, m_nLineMinHeight);
    line.bWrapped = bWrapped;
    const int nNextTop =
        Saturate(static_cast<long long>(line.nTop) + static_cast<long long>(line.nHeight) * nCount);
    m_vecLines.emplace_back();
    m_vecLines.back().nTop = nNextTop;
    m_vecLines.back().nHorzAlign = style.nHorzAlign;
    m_nX = 0;
    m_bLineHasRun = false;
    m_nLineMinHeight = 0;
}

std::vector<HtmlLine> CHtmlLayout::Finish(const HtmlStyle& style)
{
    EndLine(false, 1, style);
    m_vecLines.pop_back();
    m_Extent = Extent();
    return std::move(m_vecLines);
}

HtmlSize CHtmlLayout::Extent() const
{
    if (m_vecLines.empty()) {
        return m_Extent;
    }
    HtmlSize size;
    for (const HtmlLine& line : m_vecLines) {
        size.nWidth = std::max(size.nWidth, line.nWidth);
    }
    if (m_nWrapWidth > 0) {
        size.nWidth = std::min(size.nWidth, m_nWrapWidth);
    }
    size.nHeight =
        Saturate(static_cast<long long>(m_vecLines.back().nTop) + m_vecLines.back().nHeight);
    return size;
}

void DrawHtmlLines(const std::vector<HtmlLine>& vecLines, const HtmlRect& rect,
                   IHtmlMetrics& metrics, IHtmlDrawSink& sink, bool bDisabled, COLORREF crPass,
                   std::vector<HtmlLinkArea>* pvecLinks)
{
    const int nDpi = metrics.DotsPerInch();
    const int nRectWidth = rect.Width();
    for (const HtmlLine& line : vecLines) {
        const int nTop = Saturate(static_cast<long long>(rect.nTop) + line.nTop);
        const long long nLineWidth =
            line.nWidth + static_cast<long long>(line.nPercentShare) * nRectWidth / 100;
        long long nStart = rect.nLeft;
        if (line.nHorzAlign == HTML_ALIGN_RIGHT) {
            nStart = rect.nLeft + (nRectWidth - nLineWidth);
        } else if (line.nHorzAlign == HTML_ALIGN_CENTER) {
            nStart = rect.nLeft + (nRectWidth - nLineWidth) / 2;
        }
        // A line wider than the rectangle keeps its start in view.
        const int nLineStart = Saturate(std::max<long long>(nStart, rect.nLeft));
        int nX = nLineStart;
        const int nLineAscent = line.nHeight - line.nDescent;
        for (const HtmlLineItem& item : line.vecItems) {
            switch (item.eKind) {
            case HtmlLineItem::Kind::Text: {
                const HtmlStyle& style = *item.pStyle;
                const HtmlFont layoutFont = HtmlLayoutFont(style);
                const HtmlFont drawFont = HtmlDrawFont(style, nDpi);
                const int nFontAscent = CeilPixels(metrics.Ascent(layoutFont));
                long long nY = nTop;
                switch (style.nVertAlign) {
                case HTML_VALIGN_TOP:
                    break;
                case HTML_VALIGN_MIDDLE:
                    nY += (line.nHeight - CeilPixels(metrics.Height(layoutFont))) / 2;
                    break;
                case HTML_VALIGN_BOTTOM:
                    nY += line.nHeight - nFontAscent;
                    break;
                default:
                    nY += nLineAscent - nFontAscent;
                    break;
                }
                HtmlTextRun run;
                run.nX = nX;
                run.nY = Saturate(nY);
                run.nWidth = CeilPixels(metrics.Advance(drawFont, item.strText));
                run.nHeight = CeilPixels(metrics.Height(drawFont));
                run.strText = item.strText;
                run.font = drawFont;
                run.crColour = bDisabled ? crPass : style.crText;
                sink.DrawTextRun(run);
                if (style.bOverline) {
                    sink.DrawLine(run.nX, run.nY, run.nX + run.nWidth, run.nY,
                                  drawFont.nWeight >= 700 ? 2 : 1, run.crColour);
                }
                if (style.nLinkKind != HTML_LINK_NONE && pvecLinks != nullptr) {
                    pvecLinks->push_back(
                        {{run.nX, run.nY, run.nX + run.nWidth, run.nY + run.nHeight},
                         style.nLinkKind,
                         style.strLinkTarget,
                         item.nLinkNumber});
                }
                nX = Saturate(static_cast<long long>(nX) + run.nWidth);
                break;
            }
            case HtmlLineItem::Kind::Tab: {
                // Stops from the line's start: the left edge for left lines;
                // a centred or right line keeps the shape it was measured in.
                const long long nStops = FloorDiv(nX - nLineStart, CHtmlLayout::TAB_WIDTH);
                nX = Saturate(nLineStart + (nStops + item.nCount) * CHtmlLayout::TAB_WIDTH);
                break;
            }
            case HtmlLineItem::Kind::Rule: {
                const int nWidth =
                    item.nPercent >= 0
                        ? static_cast<int>(static_cast<long long>(nRectWidth) * item.nPercent / 100)
                        : item.nWidth;
                const int nMiddle = nTop + line.nHeight / 2;
                sink.DrawLine(nX, nMiddle, Saturate(static_cast<long long>(nX) + nWidth), nMiddle,
                              item.nRuleSize, bDisabled ? crPass : item.crRule);
                nX = Saturate(static_cast<long long>(nX) + nWidth);
                break;
            }
            }
        }
    }
}
