// Fills of the markup engine: a solid colour or a 64-band gradient, drawn
// through the engine's draw sink. The static control uses it for its
// background.
#pragma once

#include "ui/html/html_seam.h"

#include <string_view>

// Effect numbers; the texture effects 7-15 ("noise" ... "metal") are read
// by name but fill with the first colour, as any unknown number does.
enum : int
{
    HTML_EFFECT_NONE = -1,
    HTML_EFFECT_SOLID = 0,
    HTML_EFFECT_HGRADIENT = 1,
    HTML_EFFECT_VGRADIENT = 2,
    HTML_EFFECT_HCGRADIENT = 3,
    HTML_EFFECT_VCGRADIENT = 4,
    HTML_EFFECT_3HGRADIENT = 5,
    HTML_EFFECT_3VGRADIENT = 6,
};

class CDrawManager
{
public:
    // Fills the rectangle: 0 the first colour; 1/2 first -> end left to
    // right / top to bottom; 3/4 the same over each half, the second half
    // back again; 5/6 first -> middle over the first half, middle -> end
    // over the second. nParam1/nParam2 belong to the texture effects.
    void FillEffect(IHtmlDrawSink& sink, int nEffect, const HtmlRect& rect, COLORREF crFirst,
                    COLORREF crMiddle, COLORREF crEnd, int nParam1 = 0, int nParam2 = 0) const;

    // The effect of a "bgeffect" name: "transparent" is -1, a name not in
    // the list is read as a number.
    static int EffectFromName(std::u32string_view strName);
};
