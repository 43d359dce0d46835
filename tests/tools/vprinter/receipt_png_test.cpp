// Receipt pictures: paper width by columns, double width and height drawn
// as such, justification, wrapping and Hangul drawn as real glyphs.
#include "tests/support/cp949.h"
#include "tools/vprinter/receipt_png.h"

#include <QGuiApplication>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

// Horizontal and vertical extent of the dark pixels of an image.
struct SInk
{
    int m_nLeft = -1;
    int m_nRight = -1;
    int m_nTop = -1;
    int m_nBottom = -1;
    int Width() const { return m_nRight - m_nLeft + 1; }
    int Height() const { return m_nBottom - m_nTop + 1; }
};

SInk InkOf(const QImage& image, int nFromY, int nToY)
{
    SInk ink;
    for (int y = nFromY; y < nToY; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                ink.m_nLeft = ink.m_nLeft < 0 ? x : std::min(ink.m_nLeft, x);
                ink.m_nRight = std::max(ink.m_nRight, x);
                ink.m_nTop = ink.m_nTop < 0 ? y : ink.m_nTop;
                ink.m_nBottom = y;
            }
        }
    }
    return ink;
}

class ReceiptPngTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (QGuiApplication::instance() == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char szName[] = "zelkor-tests-vprinter";
            static char* argv[] = {szName, nullptr};
            s_pApp = new QGuiApplication(argc, argv);
        }
    }

    static QImage Render(const std::string& strBytes, int nColumns = 42)
    {
        const std::vector<vprinter::SReceipt> vecReceipts = vprinter::DecodeReceipts(strBytes);
        EXPECT_EQ(vecReceipts.size(), 1u);
        return vecReceipts.empty() ? QImage() : vprinter::RenderReceipt(vecReceipts[0], nColumns);
    }

    // Ink of the printed rows, leaving out the cut mark at the foot.
    static SInk TextInk(const QImage& image)
    {
        return InkOf(image, 0, image.height() - 2 * vprinter::kCellHeight);
    }

    static QGuiApplication* s_pApp;
};

QGuiApplication* ReceiptPngTest::s_pApp = nullptr;

TEST_F(ReceiptPngTest, PaperIsAsWideAsItsColumns)
{
    EXPECT_EQ(Render("x\r\n\x1Bi", 42).width(), 42 * 12 + 2 * vprinter::kPaperMargin);
    EXPECT_EQ(Render("x\r\n\x1Bi", 48).width(), 48 * 12 + 2 * vprinter::kPaperMargin);
}

TEST_F(ReceiptPngTest, DoubleWidthAndHeightAreDrawnAsSuch)
{
    const SInk plain = TextInk(Render("HHHH\r\n\x1Bi"));
    const SInk wide = TextInk(Render("\x1B!\x20HHHH\r\n\x1Bi"));
    const SInk tall = TextInk(Render("\x1B!\x10HHHH\r\n\x1Bi"));
    const SInk big = TextInk(Render("\x1B!\x30HHHH\r\n\x1Bi"));
    ASSERT_GT(plain.Width(), 0);
    EXPECT_NEAR(wide.Width(), 2 * plain.Width(), 6);
    EXPECT_NEAR(wide.Height(), plain.Height(), 2);
    EXPECT_NEAR(tall.Height(), 2 * plain.Height(), 4);
    EXPECT_NEAR(tall.Width(), plain.Width(), 2);
    EXPECT_NEAR(big.Width(), wide.Width(), 2);
    EXPECT_NEAR(big.Height(), tall.Height(), 2);
    // A double-height row takes one more cell height of paper.
    EXPECT_EQ(Render("\x1B!\x10HHHH\r\n\x1Bi").height() - Render("HHHH\r\n\x1Bi").height(),
              vprinter::kCellHeight);
}

TEST_F(ReceiptPngTest, JustificationPlacesTheLine)
{
    const int nPaperRight = vprinter::PaperWidth(42) - vprinter::kPaperMargin;
    const SInk left = TextInk(Render("AB\r\n\x1Bi"));
    const SInk centre = TextInk(Render(std::string("\x1B"
                                                   "a\x01"
                                                   "AB\r\n\x1Bi")));
    const SInk right = TextInk(Render(std::string("\x1B"
                                                  "a\x02"
                                                  "AB\r\n\x1Bi")));
    EXPECT_LT(left.m_nLeft, vprinter::kPaperMargin + 12);
    EXPECT_NEAR((centre.m_nLeft + centre.m_nRight) / 2, vprinter::PaperWidth(42) / 2, 12);
    EXPECT_GT(right.m_nRight, nPaperRight - 12);
    EXPECT_LE(right.m_nRight, nPaperRight);
}

TEST_F(ReceiptPngTest, LongLinesWrapAtTheColumns)
{
    const int nOneRow = Render(std::string(42, 'X') + "\r\n\x1Bi").height();
    EXPECT_EQ(Render(std::string(43, 'X') + "\r\n\x1Bi").height(),
              nOneRow + vprinter::kCellHeight + vprinter::kLineGap);
    // A two-byte character in the last column moves whole to the next row.
    const std::string strHangul = testsupport::Cp949FromUtf8(u8"가");
    EXPECT_EQ(Render(std::string(41, 'X') + strHangul + "\r\n\x1Bi").height(),
              nOneRow + vprinter::kCellHeight + vprinter::kLineGap);
}

TEST_F(ReceiptPngTest, HangulTakesTwoCellsAndDrawsDistinctGlyphs)
{
    const QImage ga = Render(testsupport::Cp949FromUtf8(u8"가") + "\r\n\x1Bi");
    const QImage na = Render(testsupport::Cp949FromUtf8(u8"나") + "\r\n\x1Bi");
    const SInk ink = TextInk(ga);
    ASSERT_GT(ink.Width(), 0) << "no ink for a Hangul character";
    EXPECT_GT(ink.Width(), 12) << "a Hangul character spans two cells";
    EXPECT_LE(ink.m_nRight, vprinter::kPaperMargin + 24);
    // Missing glyphs would all be the same box.
    EXPECT_NE(ga, na);
}

} // namespace
