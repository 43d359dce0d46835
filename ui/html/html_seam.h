// The two interfaces through which the markup engine meets a screen: text
// metrics to lay out with, and a sink that receives what is drawn. The Qt
// adapter implements both over QFontMetricsF and QPainter; tests use a
// fixed-advance metric and the recording draw list.
#pragma once

#include "ui/html/html_types.h"

#include <string>
#include <string_view>

class IHtmlMetrics
{
public:
    virtual ~IHtmlMetrics() = default;

    // Width of the text drawn in the font, in pixels.
    virtual double Advance(const HtmlFont& font, std::u32string_view strText) = 0;
    // Distance from the top of a line of the font to its baseline.
    virtual double Ascent(const HtmlFont& font) = 0;
    // Height of a line of the font (ascent + descent).
    virtual double Height(const HtmlFont& font) = 0;
    // Height of a lower-case "x" (the "ex" length unit).
    virtual double XHeight(const HtmlFont& font) = 0;
    // Vertical resolution for the pt/in/cm/mm/pc units and for the text
    // size the runs are drawn at.
    virtual int DotsPerInch() { return 96; }
};

// One text run of the draw list: the text's box (top-left corner, measured
// width, line height of its font) in the caller's coordinates.
struct HtmlTextRun
{
    int nX = 0;
    int nY = 0;
    int nWidth = 0;
    int nHeight = 0;
    std::u32string strText;
    HtmlFont font;
    COLORREF crColour = 0;
};

class IHtmlDrawSink
{
public:
    virtual ~IHtmlDrawSink() = default;

    // Draws the text with its top-left corner at (nX, nY), unclipped.
    virtual void DrawTextRun(const HtmlTextRun& run) = 0;
    // A solid line of nWidth pixels centred on the segment.
    virtual void DrawLine(int nX1, int nY1, int nX2, int nY2, int nWidth, COLORREF crColour) = 0;
    virtual void FillRect(const HtmlRect& rect, COLORREF crColour) = 0;
};
