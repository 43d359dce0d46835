// CDrawManager's fills through the recording sink: solid, 64-band
// gradients over a whole rectangle or its halves, empty bands skipped.
#include "ui/html/draw_manager.h"
#include "ui/html/html_draw_list.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF BLACK = HtmlRgb(0, 0, 0);
constexpr COLORREF WHITE = HtmlRgb(255, 255, 255);
constexpr COLORREF RED = HtmlRgb(255, 0, 0);

std::vector<HtmlDrawCommand> Fill(int nEffect, const HtmlRect& rect, COLORREF crFirst = BLACK,
                                  COLORREF crMiddle = RED, COLORREF crEnd = WHITE)
{
    CHtmlDrawList list;
    CDrawManager().FillEffect(list, nEffect, rect, crFirst, crMiddle, crEnd);
    return list.Commands();
}

TEST(DrawManagerTest, SolidAndUnknownEffectsFillWithTheFirstColour)
{
    for (int nEffect : {0, 7, 15, 99, -1}) {
        const std::vector<HtmlDrawCommand> fills = Fill(nEffect, {10, 20, 110, 70});
        ASSERT_EQ(fills.size(), 1u) << nEffect;
        EXPECT_EQ(fills[0].rect.nLeft, 10);
        EXPECT_EQ(fills[0].rect.nBottom, 70);
        EXPECT_EQ(fills[0].crColour, BLACK);
    }
    EXPECT_TRUE(Fill(HTML_EFFECT_SOLID, {10, 10, 10, 50}).empty());
}

TEST(DrawManagerTest, GradientsAreSixtyFourBands)
{
    std::vector<HtmlDrawCommand> fills = Fill(HTML_EFFECT_HGRADIENT, {0, 0, 128, 10});
    ASSERT_EQ(fills.size(), 64u);
    EXPECT_EQ(fills[0].rect.nLeft, 0);
    EXPECT_EQ(fills[0].rect.nRight, 2);
    EXPECT_EQ(fills[0].crColour, BLACK);
    EXPECT_EQ(fills[63].rect.nRight, 128);
    EXPECT_EQ(fills[63].crColour, HtmlRgb(251, 251, 251)); // 255 x 63 / 64
    EXPECT_EQ(fills[32].crColour, HtmlRgb(127, 127, 127));

    // 64 bands over 10 rows: the empty ones are skipped, the rows covered once.
    fills = Fill(HTML_EFFECT_VGRADIENT, {0, 0, 5, 10});
    ASSERT_EQ(fills.size(), 10u);
    for (size_t i = 0; i + 1 < fills.size(); ++i) {
        EXPECT_EQ(fills[i].rect.nBottom, fills[i + 1].rect.nTop);
    }

    // Centre gradient: first -> end -> first; three-colour: first -> middle -> end.
    fills = Fill(HTML_EFFECT_HCGRADIENT, {0, 0, 256, 4});
    ASSERT_EQ(fills.size(), 128u);
    EXPECT_EQ(fills[0].crColour, BLACK);
    EXPECT_EQ(fills[64].rect.nLeft, 128);
    EXPECT_EQ(fills[64].crColour, WHITE);
    EXPECT_EQ(fills[127].crColour, HtmlRgb(3, 3, 3));
    fills = Fill(HTML_EFFECT_3VGRADIENT, {0, 0, 4, 256});
    ASSERT_EQ(fills.size(), 128u);
    EXPECT_EQ(fills[64].rect.nTop, 128);
    EXPECT_EQ(fills[64].crColour, RED);
    EXPECT_EQ(fills[127].crColour, HtmlRgb(255, 251, 251));
}

TEST(DrawManagerTest, EffectNames)
{
    EXPECT_EQ(CDrawManager::EffectFromName(U"solid"), 0);
    EXPECT_EQ(CDrawManager::EffectFromName(U"3vgradient"), 6);
    EXPECT_EQ(CDrawManager::EffectFromName(U"metal"), 15);
    EXPECT_EQ(CDrawManager::EffectFromName(U"transparent"), -1);
    EXPECT_EQ(CDrawManager::EffectFromName(U"4"), 4);
    EXPECT_EQ(CDrawManager::EffectFromName(U"Solid"), 0); // not a name: a number that reads as 0
}

} // namespace
