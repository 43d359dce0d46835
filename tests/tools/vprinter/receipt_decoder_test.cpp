// Receipt stream decoder: commands, modes, justification, cuts, unknown
// bytes and Hangul in the text notation, whatever the chunking of the input.
#include "tests/support/cp949.h"
#include "tools/vprinter/receipt_decoder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

std::string Utf8(const std::u8string& str)
{
    return std::string(str.begin(), str.end());
}

struct SDecodeCase
{
    const char* pszName;
    std::string strInput; // narrow literals are CP949
    std::u8string strExpected;
};

// Hex escapes end at the first non-hex character, so literals are split
// ("\x08" "AB") wherever text follows an escape.
const SDecodeCase kCases[] = {
    {"InitAndPlainLine", "\x1B@Hello\r\n\x1Bi", u8"L|Hello|\n-- cut 1B 69\n"},
    {"EmphasizedCentred",
     "\x1B!\x08\x1B"
     "a\x01"
     "AB\r\n\x1Bi",
     u8"C|{B}AB{/}|\n-- cut 1B 69\n"},
    {"ModeChangesInsideALine",
     "\x1B!\x30"
     "BIG\x1B!\x00"s
     " small \x1B!\x18"
     "bh\x1B!\x10"
     "h\r\n\x1Bi",
     u8"L|{HW}BIG{/} small {BH}bh{H}h{/}|\n-- cut 1B 69\n"},
    {"ModeWithoutTextLeavesNoMark",
     "\x1B!\x08\x1B!\x00"s
     "x\r\n\x1Bi",
     u8"L|x|\n-- cut 1B 69\n"},
    {"OtherModeBitsShown",
     "\x1B!\x89"
     "u\r\n\x1Bi",
     u8"L|{B+81}u{/}|\n-- cut 1B 69\n"},
    {"JustificationTakesEffectOnTheNextLine",
     "\x1B"
     "a\x02"
     "right\x1B"
     "a1still right\r\ncentre\r\n\x1B"
     "a0\r\n\x1B@after init\r\n\x1Bi",
     u8"R|rightstill right|\nC|centre|\nL||\nL|after init|\n-- cut 1B 69\n"},
    {"BlanksStayVisible", "  two  \r\n\r\n\x1Bi", u8"L|  two  |\nL||\n-- cut 1B 69\n"},
    {"MarkerCharactersEscaped", "a{b<c\\d|e>f}\r\n\x1Bi",
     u8"L|a\\{b\\<c\\\\d|e>f}|\n-- cut 1B 69\n"},
    {"HangulLine", "\x1B!\x10주문서 1번\r\n\x1Bi", u8"L|{H}주문서 1번{/}|\n-- cut 1B 69\n"},
    {"GsVCutsEndReceipts",
     "one\r\n\x1DV\x00"s
     "two\r\n\x1DV\x42\x03"s
     "three\r\n\x1DVA\x00"s
     "four\r\n\x1DV1",
     u8"L|one|\n-- cut 1D 56 00\nL|two|\n-- cut 1D 56 42 03\nL|three|\n-- cut 1D 56 41 00\n"
     u8"L|four|\n-- cut 1D 56 31\n"},
    {"UnknownBytesKept",
     "\x1Bz\x09tab\x7F\x80\xFF\x1DL\x1B"
     "a\x05"
     "x\r\n\x1Bi",
     u8"L|<1B 7A><09>tab<7F><80><FF><1D 4C><1B 61 05>x|\n-- cut 1B 69\n"},
    {"UnknownGsVModeKept",
     "\x1DV\x07"
     "x\r\n\x1Bi",
     u8"L|<1D 56 07>x|\n-- cut 1B 69\n"},
    {"LoneCrAndBareLf", "a\rb\nc\r\n\x1Bi", u8"L|a<0D>b<0A>|\nL|c|\n-- cut 1B 69\n"},
    {"BadTrailByteAndUndefinedCharacter", "\xB0\r\n\xC9\x41!\r\n\x1Bi",
     u8"L|<B0>|\nL|<C9 41>!|\n-- cut 1B 69\n"},
    {"InitInTheMiddleOfALine",
     "\x1B!\x08"
     "ab\x1B@cd\r\n\x1Bi",
     u8"L|{B}ab{@}{/}cd|\n-- cut 1B 69\n"},
    {"TextBrokenOffByTheCut", "feed\r\nno feed\x1Bi",
     u8"L|feed|\nL|no feed|(no LF)\n-- cut 1B 69\n"},
    {"PartialReceiptAtTheEnd", "\x1B@line\r\ntail",
     u8"L|line|\nL|tail|(no LF)\n-- no cut (data ended)\n"},
    {"FeedsWithoutCutAreAReceipt", "\r\n\r\n", u8"L||\nL||\n-- no cut (data ended)\n"},
    {"InitAfterTheCutIsNoReceipt",
     "\x1B@x\r\n\x1Bi\x1B@\x1B!\x08\x1B"
     "a\x01",
     u8"L|x|\n-- cut 1B 69\n"},
    {"IncompleteCommandAtTheEnd", "x\x1B", u8"L|x<1B>|(no LF)\n-- no cut (data ended)\n"},
    {"IncompleteGsVAtTheEnd", "\x1DVA", u8"L|<1D 56 41>|(no LF)\n-- no cut (data ended)\n"},
    {"LeadByteAtTheEnd", "\xB0", u8"L|<B0>|(no LF)\n-- no cut (data ended)\n"},
    {"StatusRequestsPrintNothing", "\x10\x04\x04\x1B@x\r\n\x1Bi\x10\x04\x04\x1B@",
     u8"L|x|\n-- cut 1B 69\n"},
    {"OtherDleBytesKept", "\x10\x05x\x10\x04\x07\r\n\x1Bi",
     u8"L|<10><05>x<10><04><07>|\n-- cut 1B 69\n"},
    {"IncompleteStatusRequestAtTheEnd", "x\x10\x04",
     u8"L|x<10><04>|(no LF)\n-- no cut (data ended)\n"},
};

class ReceiptDecodeTest : public ::testing::TestWithParam<std::tuple<SDecodeCase, size_t>>
{
};

// Every case fed whole and in chunks of 1, 2 and 3 bytes: a command or a
// two-byte character split between chunks decodes as when it came whole.
TEST_P(ReceiptDecodeTest, TextIsTheSameForAnyChunking)
{
    const SDecodeCase& c = std::get<0>(GetParam());
    const size_t nChunk = std::get<1>(GetParam());
    vprinter::CReceiptDecoder decoder;
    std::string strRawSeen;
    for (size_t n = 0; n < c.strInput.size(); n += nChunk) {
        decoder.Feed(std::string_view(c.strInput).substr(n, nChunk));
    }
    decoder.Finish();
    std::string strText;
    for (const vprinter::SReceipt& receipt : decoder.TakeReceipts()) {
        strText += vprinter::ReceiptText(receipt);
        strRawSeen += receipt.m_strRaw;
    }
    EXPECT_EQ(strText, Utf8(c.strExpected)) << testsupport::HexBytes(c.strInput);
    // The receipts' bytes are the input itself, up to a tail that printed nothing.
    EXPECT_EQ(c.strInput.substr(0, strRawSeen.size()), strRawSeen);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReceiptDecodeTest,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::Values(size_t(1000), size_t(1), size_t(2),
                                                              size_t(3))),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).pszName) + "_Chunk" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST(ReceiptDecoder, ReceiptsCompleteAtTheirCutAndKeepTheirBytes)
{
    vprinter::CReceiptDecoder decoder;
    decoder.Feed("\x1B@first\r\n\x1B");
    EXPECT_TRUE(decoder.TakeReceipts().empty());
    EXPECT_TRUE(decoder.HasPendingContent());
    decoder.Feed("i\x1B@second\r\n\x1DV\x42");
    std::vector<vprinter::SReceipt> vecFirst = decoder.TakeReceipts();
    ASSERT_EQ(vecFirst.size(), 1u);
    EXPECT_EQ(vecFirst[0].m_strRaw, "\x1B@first\r\n\x1Bi");
    EXPECT_EQ(vecFirst[0].m_strCut, "\x1Bi");
    EXPECT_TRUE(decoder.TakeReceipts().empty()); // the queue was emptied
    decoder.Feed("\x00\x1B@"s);
    std::vector<vprinter::SReceipt> vecSecond = decoder.TakeReceipts();
    ASSERT_EQ(vecSecond.size(), 1u);
    EXPECT_EQ(vecSecond[0].m_strRaw, "\x1B@second\r\n\x1DV\x42\x00"s);
    EXPECT_FALSE(decoder.HasPendingContent());
    decoder.Finish();
    EXPECT_TRUE(decoder.TakeReceipts().empty());
}

TEST(ReceiptDecoder, LinesKeepSegmentsWithTheirModes)
{
    const std::vector<vprinter::SReceipt> vecReceipts =
        vprinter::DecodeReceipts("\x1B"
                                 "a\x01\x1B!\x20"
                                 "W\x1B!\x08"
                                 "B가\x1Bz\r\n\x1Bi");
    ASSERT_EQ(vecReceipts.size(), 1u);
    ASSERT_EQ(vecReceipts[0].m_vecLines.size(), 1u);
    const vprinter::SPrintLine& line = vecReceipts[0].m_vecLines[0];
    EXPECT_EQ(line.m_eJustify, vprinter::JUSTIFY_CENTRE);
    EXPECT_EQ(line.m_eEnd, vprinter::SPrintLine::END_CRLF);
    ASSERT_EQ(line.m_vecSegments.size(), 3u);
    EXPECT_EQ(line.m_vecSegments[0].m_nMode, vprinter::kModeDoubleWidth);
    EXPECT_EQ(line.m_vecSegments[0].m_strBytes, "W");
    EXPECT_EQ(line.m_vecSegments[1].m_nMode, vprinter::kModeEmphasized);
    EXPECT_EQ(line.m_vecSegments[1].m_strBytes, "B가"); // CP949 bytes
    EXPECT_EQ(line.m_vecSegments[2].m_eKind, vprinter::SSegment::KIND_UNKNOWN);
    EXPECT_EQ(line.m_vecSegments[2].m_strBytes, "\x1Bz");
}

// The sequences the printer command layer sends for a short document.
TEST(ReceiptDecoder, StreamTextOfATypicalJob)
{
    const std::string strJob = "\x1B@"
                               "\x1B!\x30\x1B"
                               "a\x01"
                               "주문서\r\n"
                               "\x1B!\x00\x1B"
                               "a\x00"s
                               "아메리카노      2  8,000\r\n"
                               "\r\n\r\n\r\n\r\n\x1Bi"
                               "\x1B@";
    const std::u8string strOne = u8"C|{HW}주문서{/}|\n"
                                 u8"L|아메리카노      2  8,000|\n"
                                 u8"L||\nL||\nL||\nL||\n"
                                 u8"-- cut 1B 69\n";
    EXPECT_EQ(vprinter::StreamText(strJob + strJob), Utf8(strOne + strOne));
}

} // namespace
