// The markup engine over the fixed-advance metric: exact positions and
// styles for the rules that matter. With a 12 px body the text is drawn at
// 9 px: 4 px per narrow character (5 in bold), 9 per Hangul syllable (10
// in bold); layout widths are bold widths; a line of body text is 12 px
// high, an empty one 15.
#include "ui/html/fixed_advance_metrics.h"
#include "ui/html/html_draw_list.h"
#include "ui/html/html_drawer.h"
#include "ui/html/html_text.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF BLACK = 0;
constexpr COLORREF RED = HtmlRgb(255, 0, 0);
constexpr COLORREF BLUE = HtmlRgb(0, 0, 255);

std::string Utf8(std::u32string_view strText)
{
    return HtmlToUtf8(strText);
}

class HtmlDrawerTest : public ::testing::Test
{
protected:
    HtmlDrawerTest()
    {
        // The body rule the static control writes for a 12 px font.
        m_Drawer.SetStyleRule(U"body", U"font-size:12px; color:0x000000; font-family:verdana; "
                                       U"font-weight:400");
    }

    // Measures and draws into (0, 0, nRectWidth, 400).
    const CHtmlDrawList& Draw(std::u32string_view strMarkup, int nWrap = 0, int nRectWidth = 200)
    {
        m_Drawer.SetWrapWidth(nWrap);
        m_Size = m_Drawer.MeasureHtml(m_Metrics, strMarkup);
        m_List.Clear();
        m_Drawer.DrawHtml(m_Metrics, m_List, strMarkup, {0, 0, nRectWidth, 400});
        return m_List;
    }

    std::vector<HtmlTextRun> Runs(std::u32string_view strMarkup, int nWrap = 0,
                                  int nRectWidth = 200)
    {
        std::vector<HtmlTextRun> vecRuns;
        for (const HtmlDrawCommand& command : Draw(strMarkup, nWrap, nRectWidth).Commands()) {
            if (command.eKind == HtmlDrawCommand::Kind::Text) {
                vecRuns.push_back(command.run);
            }
        }
        return vecRuns;
    }

    std::vector<HtmlDrawCommand> Lines(std::u32string_view strMarkup, int nRectWidth = 200)
    {
        std::vector<HtmlDrawCommand> vecLines;
        for (const HtmlDrawCommand& command : Draw(strMarkup, 0, nRectWidth).Commands()) {
            if (command.eKind == HtmlDrawCommand::Kind::Line) {
                vecLines.push_back(command);
            }
        }
        return vecLines;
    }

    // The styles of the laid-out text items, in order.
    std::vector<HtmlStyle> ItemStyles(std::u32string_view strMarkup)
    {
        Draw(strMarkup);
        std::vector<HtmlStyle> vecStyles;
        for (const HtmlLine& line : m_Drawer.Lines()) {
            for (const HtmlLineItem& item : line.vecItems) {
                if (item.eKind == HtmlLineItem::Kind::Text) {
                    vecStyles.push_back(*item.pStyle);
                }
            }
        }
        return vecStyles;
    }

    // "text@x,y|text@x,y" of the runs.
    std::string Placed(std::u32string_view strMarkup, int nWrap = 0, int nRectWidth = 200)
    {
        std::string strOut;
        for (const HtmlTextRun& run : Runs(strMarkup, nWrap, nRectWidth)) {
            strOut += (strOut.empty() ? "" : "|") + Utf8(run.strText) + "@" +
                      std::to_string(run.nX) + "," + std::to_string(run.nY);
        }
        return strOut;
    }

    CFixedAdvanceMetrics m_Metrics;
    CHtmlDrawer m_Drawer;
    CHtmlDrawList m_List;
    HtmlSize m_Size;
};

TEST_F(HtmlDrawerTest, EntitiesAndLiteralLessThan)
{
    struct SCase
    {
        std::u32string_view strMarkup;
        std::u32string_view strShown;
    };
    const SCase cases[] = {
        {U"a << b", U"a < b"},
        {U"&lt;", U"<"},
        {U"&amp;lt;", U"<"}, // the ampersand entity forms "&lt;", replaced after it
        {U"&amp;amp;", U"&amp;"},
        {U"&lt;b>x", U"<b>x"}, // shown, not a tag
        {U"&gt;&quot;&nbsp;x", U">\" x"},
        {U"&bull;&copy;&euro;&iquest;&para;&pound;&reg;&trade;",
         U"\u2022\u00A9\u20AC\u00BF\u00B6\u00A3\u00AE\u2122"},
        {U"&unknown; &AMP;", U"&unknown; &AMP;"},
    };
    for (const SCase& c : cases) {
        std::u32string strShown;
        for (const HtmlTextRun& run : Runs(c.strMarkup)) {
            strShown += run.strText;
            EXPECT_EQ(run.font.nWeight, 400) << Utf8(c.strMarkup);
        }
        EXPECT_EQ(Utf8(strShown), Utf8(c.strShown)) << Utf8(c.strMarkup);
    }
}

TEST_F(HtmlDrawerTest, LineBreaksTabsAndCaseSensitiveTags)
{
    struct SCase
    {
        std::u32string_view strMarkup;
        const char* pszPlaced;
    };
    const SCase cases[] = {
        {U"a<br/>b", "a@0,0|b@4,0"}, // "br/" is no tag of the table
        {U"a</br>b", "a@0,0|b@0,12"},
        {U"a<br>b", "a@0,0|b@0,12"},
        {U"a\r\nb", "a@0,0|b@0,12"},
        {U"a<br>"
         U"<br>b",
         "a@0,0|b@0,27"}, // the empty line is a font height
        {U"a<br 3>b", "a@0,0|b@0,36"},
        {U"a<br=2>b", "a@0,0|b@0,24"},
        {U"a<br 0>b", "a@0,0|b@0,12"},
        {U"a<br 99999>b", "a@0,0|b@0,768"}, // at most 64 lines
        {U"<B>a</B>", "a@0,0"},
        {U"<blink>a</blink>", "a@0,0"},
        {U"a<t>b", "a@0,0|b@32,0"},
        {U"a\tb", "a@0,0|b@32,0"},
        {U"<t 2>b", "b@64,0"},
        {U"a<t 2>b", "a@0,0|b@64,0"}, // the next stop, then one more
        {U"<t 0>b", "b@32,0"},
        {U"a<t 999>b", "a@0,0|b@2048,0"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(Placed(c.strMarkup), c.pszPlaced) << Utf8(c.strMarkup);
    }
    EXPECT_EQ(ItemStyles(U"<B>a</B>").front().nWeight, 400);
}

TEST_F(HtmlDrawerTest, WeightsOfBoldAndFont)
{
    struct SCase
    {
        std::u32string_view strMarkup;
        std::vector<int> vecWeights;
    };
    const SCase cases[] = {
        {U"<b>a<b>b</b>c", {800, 900, 400}}, // doubled, at most 900; </b> is 400
        {U"<b><b><b>a", {900}},
        {U"<font weight=\"900\">a</font>b", {900, 900}}, // </font> keeps the weight
        {U"<font weight=\"bold\">a", {700}},
        {U"<font style=\"b\">a<font style=\"-b\">b", {700, 400}},
        {U"<b>x</B>y", {800, 800}},
    };
    for (const SCase& c : cases) {
        std::vector<int> vecWeights;
        for (const HtmlStyle& style : ItemStyles(c.strMarkup)) {
            vecWeights.push_back(style.nWeight);
        }
        EXPECT_EQ(vecWeights, c.vecWeights) << Utf8(c.strMarkup);
    }
    // Drawn: bold from 700 on, so 800 and 900 draw as bold.
    const std::vector<HtmlTextRun> vecRuns = Runs(U"<b>a<b>b</b>c");
    ASSERT_EQ(vecRuns.size(), 3u);
    EXPECT_EQ(vecRuns[0].font.nWeight, 700);
    EXPECT_EQ(vecRuns[1].font.nWeight, 700);
    EXPECT_EQ(vecRuns[2].font.nWeight, 400);
}

TEST_F(HtmlDrawerTest, FontSizesAddAndCloseToTheBody)
{
    struct SCase
    {
        std::u32string_view strMarkup;
        std::vector<int> vecSizes;
    };
    const SCase cases[] = {
        {U"<font size=\"7\">a</font>b", {19, 12}},
        {U"<font size=\"10\">a", {22}},
        {U"<font size=\"+3\"><font size=\"4\">a</font>b", {19, 12}},
        {U"<font size=\"-20\">a", {1}},
        {U"<font size=\"99999999999\">a", {512}},
        {U"<font size=\"x\">a", {12}},
    };
    for (const SCase& c : cases) {
        std::vector<int> vecSizes;
        for (const HtmlStyle& style : ItemStyles(c.strMarkup)) {
            vecSizes.push_back(style.nSize);
        }
        EXPECT_EQ(vecSizes, c.vecSizes) << Utf8(c.strMarkup);
    }
    // Drawn at size x 72 / 96, rounded: 19 -> 14, 22 -> 17 (16.5 up).
    EXPECT_EQ(Runs(U"<font size=\"7\">a").front().font.nPixelSize, 14);
    EXPECT_EQ(Runs(U"<font size=\"10\">a").front().font.nPixelSize, 17);
}

TEST_F(HtmlDrawerTest, ColoursOfAttributesAndDeclarations)
{
    m_Drawer.SetStyleRule(U".r", U"color:Red");
    struct SCase
    {
        std::u32string_view strMarkup;
        std::vector<COLORREF> vecColours;
    };
    const SCase cases[] = {
        {U"<font color=\"#0000FF\">a</font>b", {BLUE, BLACK}},
        {U"<font color=\"0x0000FF\">a", {RED}},
        {U"<font color='#FF0000'><font color=\"#FFF\">a", {RED}},
        {U"<font color=\"Red\">a", {BLACK}},            // attribute values are not lower-cased
        {U"<span class=\"r\">a</span>b", {RED, BLACK}}, // declarations are
        {U"<font color=\"grey\">a", {BLACK}},
        {U"<font color=\"gray\">a", {HtmlRgb(128, 128, 128)}},
    };
    for (const SCase& c : cases) {
        std::vector<COLORREF> vecColours;
        for (const HtmlTextRun& run : Runs(c.strMarkup)) {
            vecColours.push_back(run.crColour);
        }
        EXPECT_EQ(vecColours, c.vecColours) << Utf8(c.strMarkup);
    }
}

TEST_F(HtmlDrawerTest, FontClosingRestoresFaceSizeAndColourOfTheBody)
{
    const std::vector<HtmlStyle> vecStyles =
        ItemStyles(U"<font face=\"gulim\" size=\"10\" weight=\"900\" color=\"red\">a</font>b");
    ASSERT_EQ(vecStyles.size(), 2u);
    EXPECT_EQ(Utf8(vecStyles[0].strFace), "gulim");
    EXPECT_EQ(Utf8(vecStyles[1].strFace), "verdana");
    EXPECT_EQ(vecStyles[1].nSize, 12);
    EXPECT_EQ(vecStyles[1].crText, BLACK);
    EXPECT_EQ(vecStyles[1].nWeight, 900);
}

TEST_F(HtmlDrawerTest, Wrapping)
{
    struct SCase
    {
        const char* pszName;
        std::u32string_view strMarkup;
        int nWrap;
        const char* pszPlaced;
    };
    const SCase cases[] = {
        {"word wider than an empty line is cut", U"abcdefghij", 23, "abcd@0,0|efgh@0,12|ij@0,24"},
        {"the same word after text moves down first", U"<b>xy</b>abcdefghij", 23,
         "xy@0,0|abcd@0,12|efgh@0,24|ij@0,36"},
        {"Hangul word cut after the longest prefix", U"\uAC00\uB098\uB2E4\uB77C\uB9C8\uBC14", 35,
         "\xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4@0,0|\xEB\x9D\xBC\xEB\xA7\x88\xEB\xB0\x94@0,12"},
        {"blanks at the break dropped", U"aaa    bbbb", 20, "aaa@0,0|bbbb@0,12"},
        {"break at the last blank that fits", U"aa bb cc dd", 40, "aa bb cc@0,0|dd@0,12"},
        {"fits exactly", U"abcd", 20, "abcd@0,0"},
        {"no wrapping at 0", U"abc def ghi", 0, "abc def ghi@0,0"},
        {"no wrapping below 0", U"abc def ghi", -5, "abc def ghi@0,0"},
        {"one character at least", U"ab", 1, "a@0,0|b@0,12"},
        {"after a tab beyond the edge", U"<t>abc", 20, "abc@0,15"}, // a line of no run: 15
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(Placed(c.strMarkup, c.nWrap), c.pszPlaced) << c.pszName;
    }
}

TEST_F(HtmlDrawerTest, EachBreakCharacterEndsALine)
{
    for (char32_t ch : std::u32string_view(U" -.,!:;)}]?")) {
        std::u32string strMarkup = U"aaa";
        strMarkup += ch;
        strMarkup += U"bbbb";
        const std::string strFirst = ch == U' ' ? "aaa" : Utf8(strMarkup.substr(0, 4));
        EXPECT_EQ(Placed(strMarkup, 25), strFirst + "@0,0|bbbb@0,12") << Utf8(strMarkup);
    }
    // Other characters are no break points: the word is cut.
    EXPECT_EQ(Placed(U"aaa/bbbb", 25), "aaa/b@0,0|bbb@0,12");
}

TEST_F(HtmlDrawerTest, MeasuredSizeIsTheWidestLineAndAllLinesPlusOne)
{
    Draw(U"abc");
    EXPECT_EQ(m_Size.nWidth, 16);
    EXPECT_EQ(m_Size.nHeight, 13);
    Draw(U"abcdefghij", 23);
    EXPECT_EQ(m_Size.nWidth, 21);
    EXPECT_EQ(m_Size.nHeight, 37);
    Draw(U"");
    EXPECT_EQ(m_Size.nWidth, 1);
    EXPECT_EQ(m_Size.nHeight, 16);
    EXPECT_EQ(m_Drawer.Lines().size(), 1u);
}

TEST_F(HtmlDrawerTest, HorizontalAlignmentOfLines)
{
    struct SCase
    {
        std::u32string_view strMarkup;
        const char* pszPlaced;
    };
    // Line width 15 (3 bold widths) in a 100 px rectangle.
    const SCase cases[] = {
        {U"<center>abc</center>", "abc@42,0"},
        {U"<right>abc</right>", "abc@85,0"},
        {U"<justify>abc", "abc@0,0"},
        {U"abc<right>", "abc@0,0"}, // the alignment at the line's last item
        {U"<center>ab</center>cd", "ab@0,0|cd@8,0"},
        {U"<right>ab<br>cd</right>", "ab@90,0|cd@90,12"},
        // Tab stops count from a centred or right line's start: the line
        // is drawn in the shape it was measured in (5 + 27 + 10 = 42 wide).
        {U"<right>a<t>bc</right>", "a@58,0|bc@90,0"},
        {U"<center>a<t>bc</center>", "a@29,0|bc@61,0"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(Placed(c.strMarkup, 0, 100), c.pszPlaced) << Utf8(c.strMarkup);
    }
}

TEST_F(HtmlDrawerTest, VerticalPlacementInALine)
{
    // A 20 px run makes the line 20 high; the 12 px run sits by its alignment.
    struct SCase
    {
        std::u32string_view strTag;
        int nY;
    };
    const SCase cases[] = {
        {U"", 8}, // baseline: line ascent 20 - font ascent 12
        {U"<baseline>", 8}, {U"<top>", 0},    {U"<vcenter>", 2}, // (20 - 15) / 2
        {U"<middle>", 2},   {U"<bottom>", 8},                    // line height - font ascent
    };
    for (const SCase& c : cases) {
        const std::u32string strMarkup =
            U"<font size=\"8\">A</font>" + std::u32string(c.strTag) + U"b";
        const std::vector<HtmlTextRun> vecRuns = Runs(strMarkup);
        ASSERT_EQ(vecRuns.size(), 2u);
        EXPECT_EQ(vecRuns[0].nY, 0) << Utf8(strMarkup);
        EXPECT_EQ(vecRuns[1].nY, c.nY) << Utf8(strMarkup);
    }
}

TEST_F(HtmlDrawerTest, HorizontalRules)
{
    struct SCase
    {
        std::u32string_view strMarkup;
        int nX1, nX2, nY, nWidth;
        COLORREF crColour;
    };
    const SCase cases[] = {
        {U"<hr>", 0, 200, 7, 1, BLACK}, // empty line: 15 high
        {U"<hr width=50%>", 0, 100, 7, 1, BLACK},
        {U"<center><hr width=50%></center>", 50, 150, 7, 1, BLACK},
        {U"<hr width=30 size=3 color=red>x", 0, 30, 6, 3, RED},
        {U"<hr size=20>", 0, 200, 14, 20, BLACK}, // the line is 28 high
        {U"<hr size=99999>", 0, 200, 260, 512, BLACK},
        {U"<hr width=999999>", 0, HTML_MAX_RULE_WIDTH, 7, 1, BLACK},
        {U"<font color=red><hr width=200%>", 0, 200, 7, 1, RED},
    };
    for (const SCase& c : cases) {
        const std::vector<HtmlDrawCommand> vecLines = Lines(c.strMarkup);
        ASSERT_EQ(vecLines.size(), 1u) << Utf8(c.strMarkup);
        const HtmlDrawCommand& line = vecLines.front();
        EXPECT_EQ(line.rect.nLeft, c.nX1) << Utf8(c.strMarkup);
        EXPECT_EQ(line.rect.nRight, c.nX2) << Utf8(c.strMarkup);
        EXPECT_EQ(line.rect.nTop, c.nY) << Utf8(c.strMarkup);
        EXPECT_EQ(line.rect.nBottom, c.nY) << Utf8(c.strMarkup);
        EXPECT_EQ(line.nLineWidth, c.nWidth) << Utf8(c.strMarkup);
        EXPECT_EQ(line.crColour, c.crColour) << Utf8(c.strMarkup);
    }
    // A text after a rule follows it.
    EXPECT_EQ(Placed(U"<hr width=30>x"), "x@30,0");
}

// Tables and pictures are outlines only: a row is a line, a cell ends at a
// tab stop, a picture takes no room, and the table's style ends with it.
TEST_F(HtmlDrawerTest, TablesAndPicturesAreLaidOutAsPlainRuns)
{
    struct SCase
    {
        std::u32string_view strMarkup;
        const char* pszPlaced;
    };
    const SCase cases[] = {
        {U"<table border=1 width=100><tr><td>a</td><td>b</td></tr><tr><th>c</th></tr></table>d",
         "a@0,0|b@32,0|c@0,12|d@0,24"},
        {U"<bmp idres=\"1\" width=\"50%\">x<icon idres=2>y<ilst index=3 file=\"/etc/passwd\">z",
         "x@0,0|y@4,0|z@8,0"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(Placed(c.strMarkup), c.pszPlaced) << Utf8(c.strMarkup);
    }
    const std::vector<HtmlTextRun> vecRuns = Runs(U"<table><font color=red>a</table>b");
    ASSERT_EQ(vecRuns.size(), 2u);
    EXPECT_EQ(vecRuns[0].crColour, RED);
    EXPECT_EQ(vecRuns[1].crColour, BLACK);
}

TEST_F(HtmlDrawerTest, OverlineRunsAlongTheTopOfTheRun)
{
    std::vector<HtmlDrawCommand> vecLines = Lines(U"<font style=\"o\">ab</font>");
    ASSERT_EQ(vecLines.size(), 1u);
    EXPECT_EQ(vecLines[0].rect.nLeft, 0);
    EXPECT_EQ(vecLines[0].rect.nRight, 8);
    EXPECT_EQ(vecLines[0].rect.nTop, 0);
    EXPECT_EQ(vecLines[0].nLineWidth, 1);
    vecLines = Lines(U"<font style=\"bo\">ab");
    ASSERT_EQ(vecLines.size(), 1u);
    EXPECT_EQ(vecLines[0].rect.nRight, 10);
    EXPECT_EQ(vecLines[0].nLineWidth, 2);
    EXPECT_TRUE(Lines(U"<font style=\"o-o\">ab").empty());
}

TEST_F(HtmlDrawerTest, LinkAreasHotLinkAndClicks)
{
    int nRedraws = 0;
    std::vector<std::u32string> vecOpened;
    std::vector<std::u32string> vecMessages;
    m_Drawer.SetRedrawHandler([&] { ++nRedraws; });
    m_Drawer.SetLinkOpener(
        [&](const std::u32string& strTarget) { vecOpened.push_back(strTarget); });
    m_Drawer.SetMessageHandler(
        [&](const std::u32string& strMsg) { vecMessages.push_back(strMsg); });

    const std::u32string strMarkup =
        U"<a href=\"https://example.kr/x\">go</a> next <a msg=\"m1\">m</a>"
        U"<a href=\"file:///etc/passwd\">f</a><a>n</a>";
    std::vector<HtmlTextRun> vecRuns = Runs(strMarkup);
    ASSERT_EQ(vecRuns.size(), 5u);
    EXPECT_EQ(vecRuns[0].crColour, BLUE); // a:link
    EXPECT_FALSE(vecRuns[0].font.bUnderline);
    EXPECT_EQ(vecRuns[1].crColour, BLACK); // the link ends with </a>
    const std::vector<HtmlLinkArea>& areas = m_Drawer.LinkAreas();
    ASSERT_EQ(areas.size(), 4u);
    EXPECT_EQ(areas[0].rect.nLeft, 0);
    EXPECT_EQ(areas[0].rect.nRight, 8);
    EXPECT_EQ(areas[0].rect.nBottom, 11);
    EXPECT_EQ(areas[0].nKind, HTML_LINK_ADDRESS);
    EXPECT_EQ(areas[0].nNumber, 0);
    EXPECT_EQ(areas[1].nKind, HTML_LINK_MESSAGE);
    EXPECT_EQ(areas[1].nNumber, 1);
    EXPECT_EQ(areas[3].nNumber, 3);
    const HtmlLinkArea msgArea = areas[1];
    const HtmlLinkArea fileArea = areas[2];
    const HtmlLinkArea bareArea = areas[3];

    // Hover: the link becomes hot, the control redraws, the next drawing
    // shows it underlined (a:hover).
    EXPECT_TRUE(m_Drawer.UpdateHotLink(3, 3));
    EXPECT_EQ(m_Drawer.HotLink(), 0);
    EXPECT_EQ(nRedraws, 1);
    EXPECT_TRUE(m_Drawer.UpdateHotLink(4, 4));
    EXPECT_EQ(nRedraws, 1);
    vecRuns = Runs(strMarkup);
    EXPECT_TRUE(vecRuns[0].font.bUnderline);
    EXPECT_FALSE(m_Drawer.UpdateHotLink(bareArea.rect.nLeft, 2)); // no target: no hand
    EXPECT_EQ(m_Drawer.HotLink(), 3);
    EXPECT_FALSE(m_Drawer.UpdateHotLink(150, 150));
    EXPECT_EQ(m_Drawer.HotLink(), CHtmlDrawer::NO_HOT_LINK);
    EXPECT_EQ(nRedraws, 3);

    EXPECT_EQ(m_Drawer.ClickAt(3, 3), HtmlClick::Opened);
    EXPECT_EQ(m_Drawer.ClickAt(msgArea.rect.nLeft, 2), HtmlClick::Message);
    EXPECT_EQ(m_Drawer.ClickAt(fileArea.rect.nLeft, 2), HtmlClick::Refused);
    EXPECT_EQ(m_Drawer.ClickAt(bareArea.rect.nLeft, 2), HtmlClick::None);
    EXPECT_EQ(m_Drawer.ClickAt(150, 150), HtmlClick::None);
    ASSERT_EQ(vecOpened.size(), 1u);
    EXPECT_EQ(Utf8(vecOpened[0]), "https://example.kr/x");
    ASSERT_EQ(vecMessages.size(), 1u);
    EXPECT_EQ(Utf8(vecMessages[0]), "m1");

    // Measuring clears the areas: clicks before the next drawing do nothing.
    m_Drawer.MeasureHtml(m_Metrics, strMarkup);
    EXPECT_EQ(m_Drawer.ClickAt(3, 3), HtmlClick::None);
}

TEST(HtmlLinkTest, OnlyWebAddressesOpen)
{
    struct SCase
    {
        std::u32string_view strTarget;
        bool bOpens;
    };
    const SCase cases[] = {
        {U"https://example.kr/user/id", true},
        {U"HTTP://EXAMPLE.KR", true},
        {U"https://", false},
        {U"file:///etc/passwd", false},
        {U"javascript:alert(1)", false},
        {U"notepad.exe", false},
        {U"https://example.kr\" --flag", false},
        {U"https://example.kr/\nx", false},
        {U"ftp://example.kr", false},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(IsOpenableHtmlLink(c.strTarget), c.bOpens) << HtmlToUtf8(c.strTarget);
    }
}

TEST_F(HtmlDrawerTest, DisabledDrawsEveryColourInThePassColour)
{
    constexpr COLORREF PASS = HtmlRgb(0x80, 0x80, 0x80);
    m_Drawer.SetEnabled(false);
    m_Drawer.SetPassColour(PASS);
    for (const HtmlDrawCommand& command :
         Draw(U"<font color=red>a</font><a href=\"https://x.kr\">b</a><hr color=blue>")
             .Commands()) {
        EXPECT_EQ(command.eKind == HtmlDrawCommand::Kind::Text ? command.run.crColour
                                                               : command.crColour,
                  PASS);
    }
}

TEST_F(HtmlDrawerTest, ClassRulesTransformsAndStringResources)
{
    m_Drawer.SetStyleRule(U".UP", U"text-transform:uppercase");
    m_Drawer.SetStyleRule(U".cap", U"text-transform:capitalize");
    m_Drawer.SetStringResolver([](int nId) { return nId == 101 ? U"\uCFE0\uD3F0" : U""; });
    EXPECT_EQ(Placed(U"<span class=\"up\">abc</span>de"), "ABC@0,0|de@12,0");
    EXPECT_EQ(Placed(U"<span class=\"cap\">ab cd-ef</span>"), "Ab Cd-ef@0,0");
    EXPECT_EQ(Placed(U"x<string idres=\"101\">"), "x@0,0|\xEC\xBF\xA0\xED\x8F\xB0@4,0");
    // A heading style ends with its closing tag.
    const std::vector<HtmlStyle> vecStyles = ItemStyles(U"<h1>T</h1>b");
    ASSERT_EQ(vecStyles.size(), 2u);
    EXPECT_EQ(vecStyles[0].nSize, 18); // 14pt
    EXPECT_EQ(vecStyles[0].nWeight, 700);
    EXPECT_EQ(vecStyles[1].nSize, 12);
    EXPECT_EQ(vecStyles[1].nWeight, 400);
}

TEST_F(HtmlDrawerTest, DefaultStyleSheetBodyIsTenPoints)
{
    CHtmlDrawer drawer;
    CHtmlDrawList list;
    drawer.DrawHtml(m_Metrics, list, U"a", {0, 0, 100, 100});
    ASSERT_EQ(drawer.Lines().size(), 1u);
    EXPECT_EQ(drawer.Lines()[0].vecItems[0].pStyle->nSize, 13); // 10pt at 96 dpi
    EXPECT_EQ(Utf8(drawer.Lines()[0].vecItems[0].pStyle->strFace), "verdana");
    const std::u32string strSheet = U"body {font-size: 20px}\r\nem {color: red}";
    drawer.LoadStyleSheet(&strSheet);
    drawer.DrawHtml(m_Metrics, list, U"a", {0, 0, 100, 100});
    EXPECT_EQ(drawer.Lines()[0].vecItems[0].pStyle->nSize, 20);
    drawer.LoadStyleSheet(nullptr);
    drawer.DrawHtml(m_Metrics, list, U"a", {0, 0, 100, 100});
    EXPECT_EQ(drawer.Lines()[0].vecItems[0].pStyle->nSize, 13);
}

} // namespace
