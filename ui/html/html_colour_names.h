// The colour names of the markup: the 140 CSS named colours and 28 names
// of system colours, which take the values given when the table is made.
#pragma once

#include "ui/html/html_types.h"

#include <array>
#include <span>
#include <string_view>

struct HtmlNamedColour
{
    const char* pszName;
    uint32_t nRgb; // 0xRRGGBB, as the names are published
};

// The CSS named colours in alphabetical order (only "lightgrey" of the
// grey/gray pairs is spelled with an "e").
std::span<const HtmlNamedColour> HtmlCssColours();

enum class HtmlSysColour : int
{
    ActiveBorder,
    ActiveCaption,
    AppWorkspace,
    Background,
    ButtonFace,
    ButtonHighlight,
    ButtonShadow,
    ButtonText,
    CaptionText,
    GrayText,
    Highlight,
    HighlightText,
    InactiveBorder,
    InactiveCaption,
    InactiveCaptionText,
    InfoBackground,
    InfoText,
    Menu,
    MenuText,
    ScrollBar,
    DarkShadow3D,
    Light3D,
    Window,
    WindowFrame,
    WindowText,
    Count
};

// System colours as COLORREF; the defaults are a light desktop theme, the
// Qt adapter fills them from the application palette.
struct HtmlSystemColours
{
    HtmlSystemColours();
    COLORREF Get(HtmlSysColour e) const { return arrColours[static_cast<int>(e)]; }
    void Set(HtmlSysColour e, COLORREF cr) { arrColours[static_cast<int>(e)] = cr; }

    std::array<COLORREF, static_cast<int>(HtmlSysColour::Count)> arrColours{};
};

class CHtmlColourNames
{
public:
    explicit CHtmlColourNames(const HtmlSystemColours& system = HtmlSystemColours());

    // The colour of an exactly spelled name; false for an unknown one.
    bool Lookup(std::u32string_view strName, COLORREF& crColour) const;
    const HtmlSystemColours& System() const { return m_System; }

private:
    HtmlSystemColours m_System;
};
