// Values of the markup: numbers, lengths at 96 dpi, colours, weights.
#include "ui/html/html_values.h"

#include <gtest/gtest.h>

namespace {

TEST(HtmlValuesTest, NumbersInCNotationSaturate)
{
    struct SCase
    {
        std::u32string_view strText;
        int nValue;
        size_t nUsed;
    };
    const SCase cases[] = {
        {U"12", 12, 2},
        {U"-7px", -7, 2},
        {U"0x1F", 31, 4},
        {U"010", 8, 3},
        {U"0x", 0, 1},
        {U"abc", 0, 0},
        {U" +5", 5, 3},
        {U"99999999999999", INT_MAX, 14},
        {U"-99999999999999", INT_MIN, 15},
    };
    for (const SCase& c : cases) {
        size_t nUsed = 99;
        EXPECT_EQ(ReadHtmlCNumber(c.strText, &nUsed), c.nValue);
        EXPECT_EQ(nUsed, c.nUsed);
    }
    EXPECT_EQ(ReadHtmlDecimal(U"010"), 10);
}

TEST(HtmlValuesTest, LengthsAt96Dpi)
{
    const HtmlLengthContext context{15.0, 6.0, 96};
    struct SCase
    {
        std::u32string_view strValue;
        int nCurrent;
        bool bFontSize;
        int nExpected;
    };
    const SCase cases[] = {
        {U"10pt", 0, false, 13}, // 10 x 96 / 72 = 13.3
        {U"9pt", 0, false, 12},
        {U"2em", 0, false, 30}, // twice the font height
        {U"1.5em", 0, false, 22},
        {U"3ex", 0, false, 18},
        {U"1in", 0, false, 96},
        {U"2.54cm", 0, false, 96},
        {U"25.4mm", 0, false, 96},
        {U"1pc", 0, false, 16},
        {U"7px", 0, false, 7},
        {U"65%", 12, false, 7}, // integer arithmetic
        {U"125%", 12, false, 15},
        {U"-4px", 0, false, 4}, // never negative
        {U"20", 0, false, 20},
        {U"0x10", 0, false, 16},
        {U"3", 0, true, 12}, // font-size keyword
        {U"7", 0, true, 36},
        {U"8", 0, true, 8},
        {U"", 9, false, 9},    // empty keeps
        {U"5zz", 9, false, 9}, // unknown unit keeps
        {U"100000px", 0, false, HTML_MAX_LENGTH},
        {U"99999999999999%", 500, false, HTML_MAX_LENGTH},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ParseHtmlLength(c.strValue, c.nCurrent, context, c.bFontSize), c.nExpected)
            << std::string(c.strValue.begin(), c.strValue.end());
    }
}

TEST(HtmlValuesTest, ColoursAsHexNumbersAndNames)
{
    const CHtmlColourNames names;
    constexpr COLORREF CURRENT = HtmlRgb(1, 2, 3);
    struct SCase
    {
        std::u32string_view strValue;
        COLORREF crExpected;
    };
    const SCase cases[] = {
        {U"#0000FF", HtmlRgb(0, 0, 255)}, // blue
        {U"#2F76DE", HtmlRgb(0x2F, 0x76, 0xDE)},
        {U"0x0000FF", HtmlRgb(255, 0, 0)}, // a COLORREF: red
        {U"255", HtmlRgb(255, 0, 0)},
        {U"0377", HtmlRgb(255, 0, 0)}, // octal
        {U"0xFFFFFFFF", 0xFFFFFF},
        {U"#FFF", CURRENT},
        {U"#GGGGGG", CURRENT},
        {U"#12345678", CURRENT},
        {U"red", HtmlRgb(255, 0, 0)},
        {U"Red", CURRENT}, // names are compared exactly
        {U"gray", HtmlRgb(128, 128, 128)},
        {U"grey", CURRENT},
        {U"lightgrey", HtmlRgb(211, 211, 211)},
        {U"lightgray", CURRENT},
        {U"darkgray", HtmlRgb(169, 169, 169)},
        {U"darkgrey", CURRENT},
        {U"buttonshadow", HtmlRgb(0xA0, 0xA0, 0xA0)},
        {U"", CURRENT},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ParseHtmlColour(c.strValue, CURRENT, names), c.crExpected)
            << std::string(c.strValue.begin(), c.strValue.end());
    }
}

TEST(HtmlValuesTest, SystemColoursComeFromTheTableGiven)
{
    HtmlSystemColours system;
    system.Set(HtmlSysColour::WindowText, HtmlRgb(9, 8, 7));
    system.Set(HtmlSysColour::ButtonFace, HtmlRgb(1, 1, 1));
    const CHtmlColourNames names(system);
    EXPECT_EQ(ParseHtmlColour(U"windowtext", 0, names), HtmlRgb(9, 8, 7));
    EXPECT_EQ(ParseHtmlColour(U"threedface", 0, names), HtmlRgb(1, 1, 1));
    EXPECT_EQ(ParseHtmlColour(U"buttonface", 0, names), HtmlRgb(1, 1, 1));
}

TEST(HtmlValuesTest, Weights)
{
    EXPECT_EQ(ParseHtmlWeight(U""), 400);
    EXPECT_EQ(ParseHtmlWeight(U"normal"), 400);
    EXPECT_EQ(ParseHtmlWeight(U"bold"), 700);
    EXPECT_EQ(ParseHtmlWeight(U"bolder"), 900);
    EXPECT_EQ(ParseHtmlWeight(U"lighter"), 100);
    EXPECT_EQ(ParseHtmlWeight(U"900"), 900);
    EXPECT_EQ(ParseHtmlWeight(U"heavy"), 0);
    EXPECT_EQ(ParseHtmlWeight(U"123456"), 1000);
}

} // namespace
