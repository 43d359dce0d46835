// Fills of the markup engine.
#include "ui/html/draw_manager.h"

#include "ui/html/html_values.h"

namespace {

constexpr int BANDS = 64;

COLORREF Mix(COLORREF crFrom, COLORREF crTo, int nBand)
{
    const auto Channel = [&](unsigned (*pfnChannel)(COLORREF)) {
        return (pfnChannel(crFrom) * (BANDS - nBand) + pfnChannel(crTo) * nBand) / BANDS;
    };
    return HtmlRgb(Channel(HtmlRed), Channel(HtmlGreen), Channel(HtmlBlue));
}

// One gradient from crFrom to crTo over [nStart, nStart + nLength) along
// one axis, in 64 bands; empty bands are skipped.
void Gradient(IHtmlDrawSink& sink, const HtmlRect& rect, bool bHorizontal, int nStart, int nLength,
              COLORREF crFrom, COLORREF crTo)
{
    for (int i = 0; i < BANDS; ++i) {
        const int nBandStart =
            nStart + static_cast<int>(static_cast<long long>(i) * nLength / BANDS);
        const int nBandEnd =
            nStart + static_cast<int>(static_cast<long long>(i + 1) * nLength / BANDS);
        if (nBandEnd <= nBandStart) {
            continue;
        }
        HtmlRect band = rect;
        if (bHorizontal) {
            band.nLeft = nBandStart;
            band.nRight = nBandEnd;
        } else {
            band.nTop = nBandStart;
            band.nBottom = nBandEnd;
        }
        sink.FillRect(band, Mix(crFrom, crTo, i));
    }
}

} // namespace

void CDrawManager::FillEffect(IHtmlDrawSink& sink, int nEffect, const HtmlRect& rect,
                              COLORREF crFirst, COLORREF crMiddle, COLORREF crEnd, int /*nParam1*/,
                              int /*nParam2*/) const
{
    if (rect.Width() <= 0 || rect.Height() <= 0) {
        return;
    }
    const bool bHorizontal = nEffect == HTML_EFFECT_HGRADIENT ||
                             nEffect == HTML_EFFECT_HCGRADIENT || nEffect == HTML_EFFECT_3HGRADIENT;
    const int nStart = bHorizontal ? rect.nLeft : rect.nTop;
    const int nLength = bHorizontal ? rect.Width() : rect.Height();
    const int nHalf = nLength / 2;
    switch (nEffect) {
    case HTML_EFFECT_HGRADIENT:
    case HTML_EFFECT_VGRADIENT:
        Gradient(sink, rect, bHorizontal, nStart, nLength, crFirst, crEnd);
        break;
    case HTML_EFFECT_HCGRADIENT:
    case HTML_EFFECT_VCGRADIENT:
        Gradient(sink, rect, bHorizontal, nStart, nHalf, crFirst, crEnd);
        Gradient(sink, rect, bHorizontal, nStart + nHalf, nLength - nHalf, crEnd, crFirst);
        break;
    case HTML_EFFECT_3HGRADIENT:
    case HTML_EFFECT_3VGRADIENT:
        Gradient(sink, rect, bHorizontal, nStart, nHalf, crFirst, crMiddle);
        Gradient(sink, rect, bHorizontal, nStart + nHalf, nLength - nHalf, crMiddle, crEnd);
        break;
    default:
        sink.FillRect(rect, crFirst);
        break;
    }
}

int CDrawManager::EffectFromName(std::u32string_view strName)
{
    static constexpr std::u32string_view NAMES[] = {
        U"solid",      U"hgradient", U"vgradient", U"hcgradient", U"vcgradient", U"3hgradient",
        U"3vgradient", U"noise",     U"diagshade", U"hshade",     U"vshade",     U"hbump",
        U"vbump",      U"softbump",  U"hardbump",  U"metal"};
    if (strName == U"transparent") {
        return HTML_EFFECT_NONE;
    }
    for (size_t i = 0; i < std::size(NAMES); ++i) {
        if (strName == NAMES[i]) {
            return static_cast<int>(i);
        }
    }
    return ReadHtmlCNumber(strName);
}
