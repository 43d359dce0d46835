// Fuzz target: random markup through the markup engine's measuring and
// drawing passes over the fixed-advance metric, at the wrap widths 0, 1,
// -5 and 1,000,000. Checked: both passes end; when wrapping, every run
// lies inside the rectangle's width (a single character wider than the
// whole line is the one run that may not) and the measured width stays
// within it; font sizes stay within the engine's limits.
//
// Input: byte 0 picks the wrap width, byte 1 the flags (bit 0 disabled,
// bit 1 no newline conversion, bits 2-7 a point for the hot link), the
// rest is the markup as UTF-8.
#include "fuzz/support/fuzz_folder.h"
#include "ui/html/fixed_advance_metrics.h"
#include "ui/html/html_draw_list.h"
#include "ui/html/html_drawer.h"
#include "ui/html/html_text.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr int WRAP_WIDTHS[] = {0, 1, -5, 1000000};

void CheckRuns(const CHtmlDrawList& list, int nWrap, const HtmlSize& size)
{
    for (const HtmlDrawCommand& command : list.Commands()) {
        if (command.eKind != HtmlDrawCommand::Kind::Text) {
            continue;
        }
        const HtmlTextRun& run = command.run;
        if (run.font.nPixelSize < HTML_MIN_FONT_SIZE || run.font.nPixelSize > HTML_MAX_FONT_SIZE) {
            fuzzsupport::Fail("a run drawn at size " + std::to_string(run.font.nPixelSize));
        }
        // Vertically a run may reach a little above its line (a middle
        // alignment of a font taller than the line); never far.
        if (run.nX < 0 || run.nY < -HTML_MAX_FONT_SIZE || run.nWidth < 0) {
            fuzzsupport::Fail("a run at " + std::to_string(run.nX) + "," + std::to_string(run.nY));
        }
        if (nWrap > 0 && run.nX + run.nWidth > nWrap && run.strText.size() != 1) {
            fuzzsupport::Fail("run \"" + HtmlToUtf8(run.strText) + "\" at x " +
                              std::to_string(run.nX) + " width " + std::to_string(run.nWidth) +
                              " crosses the wrap width " + std::to_string(nWrap));
        }
    }
    if (nWrap > 0 && size.nWidth > nWrap + 1) {
        fuzzsupport::Fail("measured width " + std::to_string(size.nWidth) + " for wrap width " +
                          std::to_string(nWrap));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 2) {
        return 0;
    }
    const int nWrap = WRAP_WIDTHS[pData[0] % 4];
    const uint8_t nFlags = pData[1];
    const std::u32string strMarkup =
        HtmlFromUtf8(std::string_view(reinterpret_cast<const char*>(pData) + 2, nSize - 2));

    CFixedAdvanceMetrics metrics;
    CHtmlDrawer drawer;
    drawer.SetStyleRule(U"body", U"font-size:12px; color:0x000000; font-family:verdana");
    drawer.SetWrapWidth(nWrap);
    drawer.SetEnabled((nFlags & 1) == 0);
    drawer.SetNewlineConversion((nFlags & 2) == 0);
    drawer.SetStringResolver([](int nId) { return nId == 1 ? U"string one" : U""; });

    const HtmlSize size = drawer.MeasureHtml(metrics, strMarkup);
    for (const HtmlLine& line : drawer.Lines()) {
        for (const HtmlLineItem& item : line.vecItems) {
            if (item.eKind == HtmlLineItem::Kind::Text &&
                (item.pStyle->nSize < HTML_MIN_FONT_SIZE ||
                 item.pStyle->nSize > HTML_MAX_FONT_SIZE)) {
                fuzzsupport::Fail("a style of size " + std::to_string(item.pStyle->nSize));
            }
        }
    }
    const int nRectWidth = nWrap > 0 ? nWrap : 400;
    CHtmlDrawList list;
    drawer.DrawHtml(metrics, list, strMarkup, {0, 0, nRectWidth, size.nHeight});
    CheckRuns(list, nWrap, size);

    // A hover and a click somewhere, then the hot link's drawing.
    const int nPoint = nFlags >> 2;
    drawer.UpdateHotLink(nPoint * 3, nPoint);
    drawer.ClickAt(nPoint * 3, nPoint);
    list.Clear();
    drawer.DrawHtml(metrics, list, strMarkup, {0, 0, nRectWidth, size.nHeight});
    CheckRuns(list, nWrap, size);
    return 0;
}
