// CHtmlStatic offscreen: the body rule from the control's font, the colour
// the markup starts in, where the text block sits for each placement and
// static style, the disabled look, the hot link with its hand cursor, and
// which presses stay in the control and which reach its parent.
#include "pipeline/toast_markup.h"
#include "ui/common/korean_font.h"
#include "ui/html/html_text.h"
#include "ui/html/qt/html_static.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The text the last paint laid out, line by line ("\n" between lines).
std::u32string ShownText(const CHtmlDrawer& drawer)
{
    std::u32string strText;
    for (const HtmlLine& line : drawer.Lines()) {
        if (!strText.empty()) {
            strText += U'\n';
        }
        for (const HtmlLineItem& item : line.vecItems) {
            strText += item.strText;
        }
    }
    return strText;
}

// The first laid-out item with this text.
const HtmlLineItem* Item(const CHtmlDrawer& drawer, std::u32string_view strText)
{
    for (const HtmlLine& line : drawer.Lines()) {
        for (const HtmlLineItem& item : line.vecItems) {
            if (item.strText == strText) {
                return &item;
            }
        }
    }
    return nullptr;
}

// A parent that records the presses that reach it.
class CPressParent : public QWidget
{
public:
    std::vector<QPoint> m_vecPresses;

protected:
    void mousePressEvent(QMouseEvent* pEvent) override
    {
        m_vecPresses.push_back(pEvent->position().toPoint());
    }
};

class HtmlStaticTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Parent.resize(400, 300);
        m_pStatic = new CHtmlStatic(&m_Parent);
        m_pStatic->setFont(KoreanFont(12));
        m_pStatic->setGeometry(10, 20, 200, 100);
        m_pStatic->SetBackgroundStyle(0);
        m_pStatic->SetBackgroundColors(0xFFFFFF, 0xFFFFFF, 0xFFFFFF);
        m_Parent.show();
    }
    // Paints the control now (its buffer, text rectangle and layout).
    QImage Paint() { return m_pStatic->grab().toImage(); }

    CPressParent m_Parent;
    CHtmlStatic* m_pStatic = nullptr;
};

// A 12 px font is the logical height -12: the engine reads "-12px" as 12,
// and the markup's font sizes step from there.
TEST_F(HtmlStaticTest, BodyRuleComesFromTheControlsFont)
{
    const std::string strRule = HtmlToUtf8(m_pStatic->BodyRule());
    EXPECT_EQ(strRule.rfind("font-size:-12px; color:0x", 0), 0u) << strRule;
    EXPECT_NE(strRule.find("; font-weight:400"), std::string::npos) << strRule;
    EXPECT_EQ(strRule.find("italic"), std::string::npos);

    m_pStatic->SetMarkup(U"a<font size=\"7\">b</font><font size=\"10\">c</font>");
    Paint();
    const struct
    {
        std::u32string_view strText;
        int nSize;
    } cases[] = {{U"a", 12}, {U"b", 19}, {U"c", 22}};
    for (const auto& c : cases) {
        const HtmlLineItem* pItem = Item(m_pStatic->Drawer(), c.strText);
        ASSERT_NE(pItem, nullptr) << HtmlToUtf8(c.strText);
        EXPECT_EQ(pItem->pStyle->nSize, c.nSize) << HtmlToUtf8(c.strText);
    }

    QFont bold = KoreanFont(16, true);
    bold.setItalic(true);
    m_pStatic->setFont(bold);
    const std::string strBold = HtmlToUtf8(m_pStatic->BodyRule());
    EXPECT_EQ(strBold.rfind("font-size:-16px;", 0), 0u) << strBold;
    EXPECT_NE(strBold.find("; font-weight:700; font-style:italic"), std::string::npos) << strBold;
}

// The markup starts in the default text colour; without one, in the body
// rule's colour. A colour of the markup still wins inside its tag.
TEST_F(HtmlStaticTest, MarkupStartsInTheDefaultTextColour)
{
    m_pStatic->SetMarkup(U"plain<font color=\"#00FF00\">green</font>");
    m_pStatic->SetDefaultTextColour(0x0000FF);
    Paint();
    EXPECT_EQ(Item(m_pStatic->Drawer(), U"plain")->pStyle->crText, 0x0000FFu);
    EXPECT_EQ(Item(m_pStatic->Drawer(), U"green")->pStyle->crText, 0x00FF00u);

    m_pStatic->SetDefaultTextColour(CHtmlStatic::HTML_NO_DEFAULT_COLOUR);
    Paint();
    EXPECT_EQ(Item(m_pStatic->Drawer(), U"plain")->pStyle->crText,
              QtHtmlSystemColours().Get(HtmlSysColour::WindowText));
}

// Each axis of the placement flags on its own, 0 taking the static style;
// a left (or right) static and a no-wrap static widen the block to the
// wrap width, a centred wrapping static keeps the measured width.
TEST_F(HtmlStaticTest, PlacementFlagsAndStylesPlaceTheBlock)
{
    enum EH
    {
        Left,
        Right,
        Centre
    };
    enum EV
    {
        Top,
        Bottom,
        Middle
    };
    const struct
    {
        int nFlags;
        int nStyle;
        EH eH;
        EV eV;
        bool bFullWidth;
    } cases[] = {
        {HTML_PLACE_LEFT | HTML_PLACE_TOP, SS_LEFT, Left, Top, true},
        {HTML_PLACE_RIGHT | HTML_PLACE_BOTTOM, SS_LEFT, Right, Bottom, true},
        {HTML_PLACE_HCENTER | HTML_PLACE_VMIDDLE, SS_CENTER, Centre, Middle, false},
        {HTML_PLACE_LEFT | HTML_PLACE_VMIDDLE, SS_LEFT, Left, Middle, true}, // the toast's title
        {0, SS_LEFT, Left, Top, true},
        {0, SS_CENTER, Centre, Top, false},
        {0, SS_RIGHT, Right, Top, true},
        {0, SS_CENTER | SS_CENTERIMAGE, Centre, Middle, false},
        {HTML_PLACE_TOP, SS_RIGHT, Right, Top, true},            // vertical flag, horizontal style
        {HTML_PLACE_RIGHT, SS_CENTERIMAGE, Right, Middle, true}, // and the other way round
        {0, SS_LEFTNOWORDWRAP, Left, Top, true},
    };
    const int nMarginX = 3;
    const int nMarginY = 2;
    m_pStatic->SetMargins(nMarginX, nMarginY);
    m_pStatic->SetMarkup(U"short");
    const int nFull = 200 - 2 * nMarginX - 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.nFlags << " style " << c.nStyle);
        m_pStatic->SetTextPlacement(c.nFlags);
        m_pStatic->SetStaticStyle(c.nStyle);
        Paint();
        const HtmlRect& rect = m_pStatic->TextRect();
        EXPECT_EQ(m_pStatic->Drawer().WrapWidth(), c.nStyle == SS_LEFTNOWORDWRAP ? 0 : nFull);
        if (c.bFullWidth) {
            EXPECT_EQ(rect.Width(), nFull);
        } else {
            EXPECT_LT(rect.Width(), nFull / 2);
        }
        EXPECT_GT(rect.Height(), 10);
        switch (c.eH) {
        case Left:
            EXPECT_EQ(rect.nLeft, nMarginX);
            break;
        case Right:
            EXPECT_EQ(rect.nRight, 200 - nMarginX);
            break;
        case Centre:
            EXPECT_EQ(rect.nLeft, (200 - rect.Width()) / 2);
            break;
        }
        switch (c.eV) {
        case Top:
            EXPECT_EQ(rect.nTop, nMarginY);
            break;
        case Bottom:
            EXPECT_EQ(rect.nBottom, 100 - nMarginY);
            break;
        case Middle:
            EXPECT_EQ(rect.nTop, (100 - rect.Height()) / 2);
            break;
        }
    }
}

// Long text wraps at the wrap width and the block is cut to the control.
TEST_F(HtmlStaticTest, LongTextWrapsAndIsCutToTheControl)
{
    std::u32string strLong;
    for (int i = 0; i < 60; ++i) {
        strLong += U"word ";
    }
    m_pStatic->SetMarkup(strLong);
    Paint();
    EXPECT_GT(m_pStatic->Drawer().Lines().size(), 3u);
    EXPECT_LE(m_pStatic->TextRect().nBottom, 100);
    EXPECT_LE(m_pStatic->TextRect().nRight, 200);
}

int CountNear(const QImage& image, QColor colour, int nTolerance)
{
    int nCount = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) <= nTolerance &&
                std::abs(pixel.green() - colour.green()) <= nTolerance &&
                std::abs(pixel.blue() - colour.blue()) <= nTolerance) {
                ++nCount;
            }
        }
    }
    return nCount;
}

// Disabled, the text is drawn twice, in the button-highlight colour one
// pixel down-right and in the button-shadow colour on top, every colour of
// the markup ignored; enabled, once in its own colours.
TEST_F(HtmlStaticTest, DisabledDrawsTheEngravedDoublePass)
{
    m_pStatic->SetBackgroundColors(0, 0, 0); // black, so both passes show
    m_pStatic->SetMarkup(U"<font color=\"#FF0000\" size=\"10\"><b>WWWW</b></font>");
    const HtmlSystemColours system = QtHtmlSystemColours();
    const QColor highlight = QtColour(system.Get(HtmlSysColour::ButtonHighlight));
    const QColor shadow = QtColour(system.Get(HtmlSysColour::ButtonShadow));
    ASSERT_NE(highlight, shadow);

    QImage enabled = Paint();
    EXPECT_GT(CountNear(enabled, Qt::red, 10), 20);
    EXPECT_EQ(CountNear(enabled, shadow, 4), 0);

    m_pStatic->setEnabled(false);
    QImage disabled = Paint();
    EXPECT_EQ(CountNear(disabled, Qt::red, 60), 0);
    EXPECT_GT(CountNear(disabled, highlight, 4), 5);
    EXPECT_GT(CountNear(disabled, shadow, 4), 20);
    EXPECT_FALSE(m_pStatic->Drawer().IsEnabled());

    m_pStatic->setEnabled(true);
    EXPECT_TRUE(m_pStatic->Drawer().IsEnabled());
    EXPECT_EQ(Paint(), enabled);
}

// An empty markup draws only the background.
TEST_F(HtmlStaticTest, EmptyMarkupDrawsTheBackground)
{
    m_pStatic->SetBackgroundColors(0x00FF00, 0x00FF00, 0x00FF00);
    QImage image = Paint();
    EXPECT_EQ(CountNear(image, Qt::green, 0), 200 * 100);
}

// Over a link the cursor is the hand and the link is hot; off it, neither.
// A press on the link follows it; any other press reaches the parent, at
// the parent's coordinates.
TEST_F(HtmlStaticTest, HotLinkHandCursorAndPressesOutsideLinksGoToTheParent)
{
    std::vector<std::u32string> vecOpened;
    m_pStatic->Drawer().SetLinkOpener(
        [&](const std::u32string& strTarget) { vecOpened.push_back(strTarget); });
    m_pStatic->SetMarkup(U"see <a href=\"https://example.com/x\">the link</a> here<br><br>more");
    Paint();
    ASSERT_EQ(m_pStatic->Drawer().LinkAreas().size(), 1u);
    const HtmlRect link = m_pStatic->Drawer().LinkAreas()[0].rect;
    const QPoint onLink((link.nLeft + link.nRight) / 2, (link.nTop + link.nBottom) / 2);
    const QPoint offLink(onLink.x(), link.nBottom + 20);

    QTest::mouseMove(m_pStatic, onLink);
    QApplication::processEvents();
    EXPECT_EQ(m_pStatic->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(m_pStatic->Drawer().HotLink(), 0);
    QTest::mouseMove(m_pStatic, offLink);
    QApplication::processEvents();
    EXPECT_NE(m_pStatic->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(m_pStatic->Drawer().HotLink(), CHtmlDrawer::NO_HOT_LINK);

    QTest::mouseClick(m_pStatic, Qt::LeftButton, Qt::NoModifier, onLink);
    ASSERT_EQ(vecOpened.size(), 1u);
    EXPECT_EQ(vecOpened[0], U"https://example.com/x");
    EXPECT_TRUE(m_Parent.m_vecPresses.empty());

    QTest::mouseClick(m_pStatic, Qt::LeftButton, Qt::NoModifier, offLink);
    QTest::mouseClick(m_pStatic, Qt::LeftButton, Qt::NoModifier, QPoint(195, 95));
    EXPECT_EQ(vecOpened.size(), 1u);
    ASSERT_EQ(m_Parent.m_vecPresses.size(), 2u);
    EXPECT_EQ(m_Parent.m_vecPresses[0], offLink + QPoint(10, 20));
    EXPECT_EQ(m_Parent.m_vecPresses[1], QPoint(205, 115));
}

// A customer's text escaped for the toast shows as the very text: no bold,
// no entity read, no link.
TEST_F(HtmlStaticTest, EscapedOrderTextIsShownAsText)
{
    const std::string strOrder = "<b>bold</b> &lt; &amp; <a href=\"file:///etc/passwd\">x</a>";
    m_pStatic->resize(700, 100); // one line
    m_pStatic->SetMarkup(HtmlFromCp949(EscapeToastMarkup(strOrder)));
    Paint();
    EXPECT_EQ(HtmlToUtf8(ShownText(m_pStatic->Drawer())), strOrder);
    EXPECT_TRUE(m_pStatic->Drawer().LinkAreas().empty());
    for (const HtmlLine& line : m_pStatic->Drawer().Lines()) {
        for (const HtmlLineItem& item : line.vecItems) {
            EXPECT_EQ(item.pStyle->nWeight, 400) << HtmlToUtf8(item.strText);
        }
    }
}

} // namespace
