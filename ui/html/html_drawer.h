// CHtmlDrawer, the markup engine: reads the small markup language of the
// notification texts (b, font, br and the rest of the tag table; entities;
// a style sheet), lays it out in lines with wrapping and alignment, and
// draws the runs into a draw sink. Qt-free: text metrics and drawing come
// through the seam of html_seam.h. Every paint runs MeasureHtml, then
// DrawHtml, over the same markup.
#pragma once

#include "ui/html/draw_manager.h"
#include "ui/html/html_colour_names.h"
#include "ui/html/html_layout.h"
#include "ui/html/html_markup.h"
#include "ui/html/html_seam.h"
#include "ui/html/html_style_sheet.h"

#include <functional>
#include <string>
#include <vector>

// What a click on the text did.
enum class HtmlClick
{
    None,    // no link with a target under the point
    Opened,  // an http(s) address was handed to the link opener
    Refused, // an address that is not http(s): nothing is started
    Message, // a message link was handed to the message handler
};

// An address the engine lets a click open: http:// or https://, no blanks
// or control characters, at most 2048 characters. Anything else (file:,
// a command line, a relative name) is refused.
bool IsOpenableHtmlLink(std::u32string_view strTarget);

class CHtmlDrawer
{
public:
    explicit CHtmlDrawer(const HtmlSystemColours& system = HtmlSystemColours());
    virtual ~CHtmlDrawer() = default;

    // Sets or replaces one rule of the style sheet (name lower-cased).
    void SetStyleRule(std::u32string_view strName, std::u32string_view strDeclarations);
    // Replaces the whole style sheet; null loads the default sheet.
    void LoadStyleSheet(const std::u32string* pText);

    // Measuring pass: lays the markup out, keeps the lines, clears the link
    // areas. The greatest line width (cut to the wrap width when wrapping)
    // and the total height, each plus 1; (0, 0) for no lines at all.
    HtmlSize MeasureHtml(IHtmlMetrics& metrics, std::u32string_view strMarkup);
    // Drawing pass: lays the markup out again (the hot link may change link
    // styles), draws the lines into the rectangle and records the link areas.
    void DrawHtml(IHtmlMetrics& metrics, IHtmlDrawSink& sink, std::u32string_view strMarkup,
                  const HtmlRect& rect);

    // The link under the point becomes the hot link (the redraw handler
    // runs when it changes; none under the point clears it). True when the
    // link has a target, i.e. the hand cursor is to be shown.
    bool UpdateHotLink(int nX, int nY);
    // Follows the link with a target under the point.
    HtmlClick ClickAt(int nX, int nY);

    // 0 or less: no wrapping.
    void SetWrapWidth(int nWidth) { m_nWrapWidth = nWidth; }
    int WrapWidth() const { return m_nWrapWidth; }
    // On (the default): LF is a line break and TAB a tab; off: both dropped.
    void SetNewlineConversion(bool bOn) { m_bConvertNewlines = bOn; }
    // Disabled, every colour is drawn in the pass colour.
    void SetEnabled(bool bEnabled) { m_bEnabled = bEnabled; }
    bool IsEnabled() const { return m_bEnabled; }
    void SetPassColour(COLORREF crColour) { m_crPass = crColour; }
    COLORREF PassColour() const { return m_crPass; }

    // Hooks of the window that shows the text.
    void SetRedrawHandler(std::function<void()> pfnRedraw) { m_pfnRedraw = std::move(pfnRedraw); }
    void SetLinkOpener(std::function<void(const std::u32string&)> pfnOpen)
    {
        m_pfnOpenLink = std::move(pfnOpen);
    }
    void SetMessageHandler(std::function<void(const std::u32string&)> pfnMessage)
    {
        m_pfnMessage = std::move(pfnMessage);
    }
    // The text of a string resource for <string idres=N>.
    void SetStringResolver(std::function<std::u32string(int)> pfnResolve)
    {
        m_pfnResolveString = std::move(pfnResolve);
    }

    const std::vector<HtmlLine>& Lines() const { return m_vecLines; }
    const std::vector<HtmlLinkArea>& LinkAreas() const { return m_vecLinks; }
    int HotLink() const { return m_nHotLink; }
    const CHtmlColourNames& ColourNames() const { return m_ColourNames; }
    CDrawManager& DrawManager() { return m_DrawManager; }

    static constexpr int NO_HOT_LINK = -2;

private:
    struct SPass;

    HtmlSize Layout(IHtmlMetrics& metrics, std::u32string_view strMarkup);
    void HandleTag(SPass& pass, const HtmlToken& token);
    void ApplyRule(SPass& pass, std::u32string_view strRule);
    void AddText(SPass& pass, std::u32string_view strText);

    CHtmlColourNames m_ColourNames;
    CHtmlStyleSheet m_StyleSheet;
    CDrawManager m_DrawManager;
    std::vector<HtmlLine> m_vecLines;
    std::vector<HtmlLinkArea> m_vecLinks;
    int m_nHotLink = NO_HOT_LINK;
    int m_nWrapWidth = 0;
    bool m_bConvertNewlines = true;
    bool m_bEnabled = true;
    COLORREF m_crPass;
    std::function<void()> m_pfnRedraw;
    std::function<void(const std::u32string&)> m_pfnOpenLink;
    std::function<void(const std::u32string&)> m_pfnMessage;
    std::function<std::u32string(int)> m_pfnResolveString;
};
