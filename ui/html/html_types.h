// Value types of the markup engine: colours, rectangles, fonts and the
// text style that tags and style rules change.
#pragma once

#include <cstdint>
#include <string>

// A colour as 0x00BBGGRR: red in the low byte, as the markup's numeric
// colours ("0x0000FF" is red) are written.
using COLORREF = uint32_t;

constexpr COLORREF HtmlRgb(unsigned nRed, unsigned nGreen, unsigned nBlue)
{
    return (nRed & 0xFF) | ((nGreen & 0xFF) << 8) | ((nBlue & 0xFF) << 16);
}
constexpr unsigned HtmlRed(COLORREF cr)
{
    return cr & 0xFF;
}
constexpr unsigned HtmlGreen(COLORREF cr)
{
    return (cr >> 8) & 0xFF;
}
constexpr unsigned HtmlBlue(COLORREF cr)
{
    return (cr >> 16) & 0xFF;
}

// Limits that keep any markup's numbers sane: font sizes, lengths, the
// counts of br and t, rule widths.
constexpr int HTML_MIN_FONT_SIZE = 1;
constexpr int HTML_MAX_FONT_SIZE = 512;
constexpr int HTML_MAX_LENGTH = 512;
constexpr int HTML_MAX_COUNT = 64;
constexpr int HTML_MAX_RULE_WIDTH = 16384;

// A rectangle with exclusive right and bottom edges.
struct HtmlRect
{
    int nLeft = 0;
    int nTop = 0;
    int nRight = 0;
    int nBottom = 0;

    int Width() const { return nRight - nLeft; }
    int Height() const { return nBottom - nTop; }
    bool Contains(int nX, int nY) const
    {
        return nX >= nLeft && nX < nRight && nY >= nTop && nY < nBottom;
    }
};

struct HtmlSize
{
    int nWidth = 0;
    int nHeight = 0;
};

// What the metrics and the drawing sink need to know of a font. The face
// is the markup's; an adapter may draw every face in one family.
struct HtmlFont
{
    std::u32string strFace;
    int nPixelSize = 12;
    int nWeight = 400;
    bool bItalic = false;
    bool bUnderline = false;

    bool operator==(const HtmlFont&) const = default;
};

// Horizontal alignments, vertical alignments and link kinds of a style.
enum : int
{
    HTML_ALIGN_LEFT = 0,
    HTML_ALIGN_CENTER = 1,
    HTML_ALIGN_RIGHT = 2,
    HTML_ALIGN_JUSTIFY = 3
};
enum : int
{
    HTML_VALIGN_TOP = 0,
    HTML_VALIGN_MIDDLE = 1,
    HTML_VALIGN_BOTTOM = 2,
    HTML_VALIGN_BASELINE = 3
};
enum : int
{
    HTML_LINK_NONE = 0,
    HTML_LINK_ADDRESS = 1,
    HTML_LINK_MESSAGE = 2
};

// The current text style; the member initialisers are the values every
// pass starts from.
struct HtmlStyle
{
    std::u32string strName;
    int nSize = 12;
    int nWeight = 400;
    bool bItalic = false;
    bool bUnderline = false;
    bool bStrikeOut = false;
    bool bOverline = false;
    std::u32string strFace = U"Verdana";
    COLORREF crText = 0;
    COLORREF crBackground = 0xFFFFFF;
    COLORREF crBorderLight = 0;
    COLORREF crBorderDark = 0;
    COLORREF crBackgroundMiddle = 0xFFFFFF;
    COLORREF crBackgroundEnd = 0xFFFFFF;
    int nBackgroundMode = 1; // 1 transparent, 2 opaque
    int nBackgroundEffect = -1;
    std::u32string strBackgroundPicture;
    int nHorzAlign = HTML_ALIGN_LEFT;
    int nVertAlign = HTML_VALIGN_BASELINE;
    int nBorderStyle = 0; // 0 none, 1 solid, 2 dashed, 3 dotted, 6 double
    int nBorderWidth = 0;
    int nTextTransform = 0; // 0 none, 1 uppercase, 2 lowercase, 3 capitalize
    int nMargin = 2;
    int nPadding = 0;
    int nLinkKind = HTML_LINK_NONE;
    std::u32string strLinkTarget;

    bool operator==(const HtmlStyle&) const = default;
};
