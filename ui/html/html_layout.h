// Layout of the markup's items in lines: text runs with word wrapping, tab
// stops, horizontal rules and line breaks; then the drawing of the lines
// into a rectangle by their alignment. Runs are measured through the
// metrics seam and drawn into the draw sink.
#pragma once

#include "ui/html/html_seam.h"
#include "ui/html/html_types.h"

#include <memory>
#include <string>
#include <vector>

// The pixel size text is drawn at: |size x 72 / dpi|, rounded half away
// from zero, at least 1. Line heights and ascents come from the font at
// the full size, so the text sits small in roomy lines, as the toast
// texts were designed.
int HtmlDrawSize(int nSize, int nDotsPerInch);
// The font of line heights and ascents, and the font a run is drawn in
// (bold from weight 700, no italic).
HtmlFont HtmlLayoutFont(const HtmlStyle& style);
HtmlFont HtmlDrawFont(const HtmlStyle& style, int nDotsPerInch);

struct HtmlLineItem
{
    enum class Kind
    {
        Text,
        Tab,
        Rule
    };
    Kind eKind = Kind::Text;
    std::u32string strText;                  // Text
    std::shared_ptr<const HtmlStyle> pStyle; // Text (shared by the runs of one style)
    int nWidth = 0;                          // Text: layout width; Rule: pixels (when nPercent < 0)
    int nCount = 1;                          // Tab: stops
    int nPercent = -1;                       // Rule: share of the rectangle's width, or -1
    int nRuleSize = 1;                       // Rule: thickness
    COLORREF crRule = 0;                     // Rule
    int nLinkNumber = -1;                    // Text: the link it belongs to
};

struct HtmlLine
{
    int nTop = 0;
    int nWidth = 0;
    int nHeight = 0;
    int nAscent = 0;
    int nDescent = 0;
    int nHorzAlign = HTML_ALIGN_LEFT;
    int nPercentShare = 0; // percent-wide rules, added to the width when drawn
    bool bWrapped = false; // ended by wrapping (not by br)
    std::vector<HtmlLineItem> vecItems;
};

struct HtmlLinkArea
{
    HtmlRect rect;
    int nKind = HTML_LINK_NONE;
    std::u32string strTarget;
    int nNumber = -1;
};

class CHtmlLayout
{
public:
    // nWrapWidth <= 0: no wrapping.
    CHtmlLayout(IHtmlMetrics& metrics, int nWrapWidth);

    // A text run in the style; wraps at " -.,!:;)}]?" (trailing blanks of
    // the part that stays and leading blanks of the rest dropped), cuts a
    // word wider than an empty line after its longest prefix that fits,
    // and moves a run that fits nowhere on a line that holds something to
    // a new line.
    void AddRun(std::u32string_view strText, const HtmlStyle& style, int nLinkNumber);
    // Tab stops every 32 pixels from the line's start (the left edge of a
    // left-aligned line): nCount stops, the first being the next one when x
    // lies between stops.
    void AddTab(int nCount, const HtmlStyle& style);
    // A rule of nWidth pixels or nPercent of the width; the line becomes at
    // least nSize + 8 high. It does not end the line.
    void AddRule(int nWidth, int nPercent, int nSize, COLORREF crColour, const HtmlStyle& style);
    // br: ends the line and moves down nCount times its height.
    void BreakLine(int nCount, const HtmlStyle& style);

    // Ends the last line; the lines laid out (moved out of the layout).
    std::vector<HtmlLine> Finish(const HtmlStyle& style);
    // The widest line (at most the wrap width when wrapping) and the
    // height of all lines.
    HtmlSize Extent() const;

    static constexpr int TAB_WIDTH = 32;

private:
    // The fonts and metrics of a run, taken once per run.
    struct SRunFonts
    {
        HtmlFont drawFont;
        HtmlFont boldFont;
        int nAscent = 0;    // of the layout font
        int nRunHeight = 0; // of the drawn font
    };

    SRunFonts RunFonts(const HtmlStyle& style);
    int LayoutWidth(std::u32string_view strText, const SRunFonts& fonts);
    size_t LongestFittingPrefix(std::u32string_view strText, const SRunFonts& fonts, int nRest);
    void Place(std::u32string_view strText, int nWidth, const HtmlStyle& style,
               const SRunFonts& fonts, int nLinkNumber);
    void EndLine(bool bWrapped, int nCount, const HtmlStyle& style);
    bool LineHasItems() const { return !m_vecLines.back().vecItems.empty(); }

    IHtmlMetrics& m_Metrics;
    int m_nWrapWidth;
    int m_nX = 0;
    bool m_bLineHasRun = false;
    int m_nLineMinHeight = 0;
    std::vector<HtmlLine> m_vecLines;
    HtmlSize m_Extent;
    std::shared_ptr<const HtmlStyle> m_pLastStyle;
};

// Draws the lines into the rectangle: each line placed by its alignment,
// each run by its vertical alignment; a disabled pass draws everything in
// crPass. The link areas of the runs go to pvecLinks.
void DrawHtmlLines(const std::vector<HtmlLine>& vecLines, const HtmlRect& rect,
                   IHtmlMetrics& metrics, IHtmlDrawSink& sink, bool bDisabled, COLORREF crPass,
                   std::vector<HtmlLinkArea>* pvecLinks);
