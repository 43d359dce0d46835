// The document base: the byte-column wrap and columns down to the bytes sent,
// the SetPrintData checks, and the words made of an order's coded values.
#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "printing/documents/print_order_sheet.h"
#include "printing/documents/print_payment.h"
#include "printing/documents/print_payment_delivery.h"
#include "printing/print_base.h"
#include "tests/printing/document_harness.h"
#include "tests/support/cp949.h"
#include "tests/support/fake_clock.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using docharness::CHarnessPrinter;
using docharness::Msg;
using testsupport::HexBytes;
using testsupport::Utf8FromCp949;

// The smallest document: 42 or 48 columns unless told to refuse a type.
class CTestDocument : public CPrintBase
{
public:
    int StartPrintData() override { return 0; }
    int SetPrintLineCharacterInfo(int nLineType) override
    {
        if (nLineType == m_nRefusedLineType || (nLineType != 0 && nLineType != 1)) {
            return 6;
        }
        m_nLineCharacter = nLineType == 0 ? 42 : 48;
        return 0;
    }
    int m_nRefusedLineType = -1;
};

std::string Readable(const std::vector<std::string>& vecLines)
{
    std::string str;
    for (const std::string& strLine : vecLines) {
        try {
            str += "[" + Utf8FromCp949(strLine) + "]";
        } catch (const std::exception&) {
            str += "<" + HexBytes(strLine) + ">";
        }
    }
    return str;
}

// --- the wrap -------------------------------------------------------------

struct SWrapCase
{
    const char* pszName;
    int nWidth;
    std::string strText;
    int bRightAlign;
    int bIndent;
    int nMode;
    std::vector<std::string> vecLines;
    int nInfoWidth;
};

TEST(PrintBaseWrapTest, LinesOfTheWrap)
{
    const std::string strAtoK = "ABCDEFGHIJK";
    const SWrapCase cases[] = {
        {"five syllables at 5 never split", 5, "가나다라마", 0, 0, 0, {"가나", "다라", "마"}, 5},
        {"A-K at 5 with indent: four blanks and one letter",
         5,
         strAtoK,
         0,
         1,
         0,
         {"ABCDE", "    F", "    G", "    H", "    I", "    J", "    K"},
         5},
        {"A-K at 5 without indent", 5, strAtoK, 0, 0, 0, {"ABCDE", "FGHIJ", "K"}, 5},
        {"right alignment of a short text", 6, "AB", 1, 0, 0, {"    AB"}, 6},
        {"right alignment on the last line only", 6, "ABCDEFGH", 1, 0, 0, {"ABCDEF", "    GH"}, 6},
        {"right alignment of a text that fills the width", 2, "가", 1, 0, 0, {"가"}, 2},
        {"mode 0x20 halves 42 to 21",
         42,
         std::string(30, 'A'),
         0,
         0,
         0x20,
         {std::string(21, 'A'), std::string(9, 'A')},
         21},
        {"mode 0x38 halves as well", 10, "가나다", 0, 0, 0x38, {"가나", "다"}, 5},
        {"mode 0x10 does not halve", 10, "가나다라마바", 0, 0, 0x10, {"가나다라마", "바"}, 10},
        {"an odd halved width", 11, "가나다", 0, 0, 0x20, {"가나", "다"}, 5},
        {"empty text gives one empty line", 5, "", 0, 0, 0, {""}, 5},
        {"empty text right-aligned", 3, "", 1, 0, 0, {"   "}, 3},
        {"exact fit is one line", 4, "가나", 0, 1, 0, {"가나"}, 4},
        {"indent with syllables takes one byte less",
         7,
         "가나다라마바",
         0,
         1,
         0,
         {"가나다", "    라", "    마", "    바"},
         7},
        {"indent then right alignment of the rest",
         8,
         "ABCDEFGHIJ",
         1,
         1,
         0,
         {"ABCDEFGH", "      IJ"},
         8},
        {"mixed ASCII and Hangul", 5, "AB가나다", 0, 0, 0, {"AB가", "나다"}, 5},
        // Columns narrower than a character still move on one whole character.
        {"width 1 keeps syllables whole", 1, "가나", 0, 0, 0, {"가", "나"}, 1},
        {"a negative width moves on character by character", -3, "A가", 0, 0, 0, {"A", "가"}, -3},
        {"width 4 with indent ends", 4, "ABCDEF", 0, 1, 0, {"ABCD", "    E", "    F"}, 4},
        // On paper a lone lead byte would pair with the line end after it.
        {"a truncated lead byte at the end is dropped", 2, "AB\xB0", 0, 0, 0, {"AB"}, 2},
        // A memo's line breaks end lines; each line wraps on its own, so the
        // break never eats columns of the next line.
        {"CR LF ends a line", 10, "AB\r\nCDEFGHIJKLMN", 0, 0, 0, {"AB", "CDEFGHIJKL", "MN"}, 10},
        {"LF alone ends a line", 4, "A\n가나다", 0, 0, 0, {"A", "가나", "다"}, 4},
        {"an empty line between breaks stays", 5, "A\r\n\r\nB", 0, 0, 0, {"A", "", "B"}, 5},
        // A width below one (double width at 1) still moves on by whole
        // characters, and an empty line of text gives nothing of the next.
        {"width below one: a character per line, empty lines stay empty",
         -1,
         "\nA가\r\n",
         0,
         1,
         0,
         {"", "A", "    가", ""},
         -1},
        {"double width at one column", 1, "AB", 0, 0, PRINT_MODE_DOUBLE_WIDTH, {"A", "B"}, 0},
        {"each line of a right-aligned text is aligned",
         4,
         "A\r\nBC",
         1,
         0,
         0,
         {"   A", "  BC"},
         4},
    };
    for (const SWrapCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        PrintDataInfo info;
        info.nMode = c.nMode;
        CPrintBase::SetPrintRelayDataInfo(c.nWidth, c.strText, c.bRightAlign, &info, c.bIndent);
        EXPECT_EQ(Readable(info.vecLines), Readable(c.vecLines));
        EXPECT_EQ(info.nLineCount, static_cast<int>(c.vecLines.size()));
        EXPECT_EQ(info.nWidth, c.nInfoWidth);
        EXPECT_EQ(info.nMode, c.nMode);
    }
}

// However long or odd the text, every line is whole characters and the
// bytes come back in order.
TEST(PrintBaseWrapTest, LongHangulTextNeverSplitsAndKeepsEveryByte)
{
    std::string strText;
    for (int i = 0; i < 1000; ++i) {
        strText += (i % 3 == 0) ? "A" : "가";
    }
    for (int nWidth : {1, 2, 3, 5, 7, 21, 42}) {
        for (int bIndent : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "width " << nWidth << " indent " << bIndent);
            PrintDataInfo info;
            CPrintBase::SetPrintRelayDataInfo(nWidth, strText, 0, &info, bIndent);
            std::string strJoined;
            for (size_t i = 0; i < info.vecLines.size(); ++i) {
                std::string strLine = info.vecLines[i];
                if (i > 0 && bIndent == 1) {
                    ASSERT_EQ(strLine.substr(0, 4), "    ");
                    strLine.erase(0, 4);
                }
                ASSERT_EQ(CPrintBase::IsCheckChar2ByteFirstChar(strLine, 0,
                                                                static_cast<int>(strLine.size())),
                          0)
                    << "line " << i << " ends inside a character";
                strJoined += strLine;
            }
            EXPECT_EQ(strJoined, strText);
        }
    }
}

TEST(PrintBaseWrapTest, MissingInfoIsIgnored)
{
    CPrintBase::SetPrintRelayDataInfo(5, "ABC", 0, nullptr, 0); // logged, no crash
}

struct SLeadCase
{
    std::string strText;
    int nStart;
    int nEnd;
    int nExpected;
};

TEST(PrintBaseWrapTest, TwoByteCharacterAtTheEnd)
{
    const SLeadCase cases[] = {
        {"가나", 0, 3, 1},     {"가나", 0, 4, 0},     {"가나", 2, 3, 1},     {"A가", 0, 2, 1},
        {"A가", 0, 3, 0},      {"A가", 1, 2, 1},      {"\x81\x41", 0, 1, 1}, {"\xFE\xA1", 0, 1, 1},
        {"\x80\x41", 0, 1, 0}, {"\xFF\x41", 0, 1, 0}, {"ABC", 0, 3, 0},      {"ABC", 3, 3, 0},
        {"가나", 0, 10, 0},    {"가나", 5, 4, 0},     {"가나", 3, 1, 0},     {"", 0, 0, 0},
    };
    for (const SLeadCase& c : cases) {
        EXPECT_EQ(CPrintBase::IsCheckChar2ByteFirstChar(c.strText, c.nStart, c.nEnd), c.nExpected)
            << HexBytes(c.strText) << " [" << c.nStart << ", " << c.nEnd << ")";
    }
}

// Order text never acts as a printer command and never leaves half a
// character for the printer to pair with the next byte.
TEST(PrintBaseWrapTest, PrintableText)
{
    const struct
    {
        const char* pszName;
        std::string strText;
        std::string strExpected;
    } cases[] = {
        {"plain text and whole characters", "A 가나 \x8C\x63", "A 가나 \x8C\x63"},
        {"ESC i (cut) in a memo", "memo\x1B\x69 end", "memo i end"},
        {"ESC ! and GS V", "\x1B!\x38\x1DV\x01x", " !8 V x"},
        {"tab, lone CR, DEL", "a\tb\rc\x7F", "a b c "},
        {"lead byte at the end", "0107777888\xC8", "0107777888"},
        {"lead byte before a blank", "\xC8 가", " 가"},
        {"lead byte before a control byte", "\xB0\x1B", " "},
        {"lead byte as the trail of a lead byte", "\xB0\xB0\xA1", "\xB0\xB0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HexBytes(CPrintBase::PrintableText(c.strText)), HexBytes(c.strExpected))
            << c.pszName;
    }
    PrintDataInfo info;
    CPrintBase::SetPrintRelayDataInfo(10, "ab\xC8\r\n\x1B\x69", 0, &info, 0);
    EXPECT_EQ(info.vecLines, (std::vector<std::string>{"ab", " i"}));
}

// --- documents bound to a recording printer -------------------------------

class PrintBaseTest : public docharness::CDocumentTest
{
protected:
    // Parses the order and binds the document to it; the result of SetPrintData.
    int Bind(const std::string& strOrder, int nPrintFlag = 0, int nBottomLineFeed = 4)
    {
        EXPECT_EQ(LoadOrderText(strOrder), 0) << Utf8FromCp949(strOrder);
        return m_Doc.SetPrintData(&m_Printer, &m_Data, &m_Setting, nPrintFlag, nBottomLineFeed);
    }
    std::string Sent() const { return m_Printer.Bytes(); }

    CHarnessPrinter m_Printer;
    CTestDocument m_Doc;
};

TEST_F(PrintBaseTest, PrintMsgWrapsJoinsAndAligns)
{
    ASSERT_EQ(Bind(R"({"serviceType":"PICKUP","reserveFlag":"N"})"), 0);
    struct SCase
    {
        const char* pszName;
        int nWidth;
        std::string strText;
        int nAlign;
        int nLineFeed;
        int nMode;
        std::string strBytes;
    };
    const SCase cases[] = {
        {"left, wrapped, CR LF between lines", 5, "가나다라마", 0, 1, 0x00,
         Msg(0x00, 0, "가나\r\n다라\r\n마", 1)},
        {"centre is the printer's justification", 42, "영수증", 1, 2, 0x18,
         Msg(0x18, 1, "영수증", 2)},
        {"right pads the last line", 6, "ABCDEFGH", 2, 0, 0x00,
         Msg(0x00, 0, "ABCDEF\r\n    GH", 0)},
        {"double width wraps at half", 42, std::string(30, '='), 0, 1, 0x30,
         Msg(0x30, 0, std::string(21, '=') + "\r\n" + std::string(9, '='), 1)},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        const std::string strBefore = Sent();
        EXPECT_EQ(m_Doc.Printer_PrintMsg(c.nWidth, c.strText, c.nAlign, c.nLineFeed, c.nMode), 0);
        EXPECT_EQ(HexBytes(Sent().substr(strBefore.size())), HexBytes(c.strBytes));
    }
}

TEST_F(PrintBaseTest, PrintMsgRefusesEmptyTextAndZeroWidth)
{
    ASSERT_EQ(Bind(R"({"serviceType":"PICKUP"})"), 0);
    EXPECT_EQ(m_Doc.Printer_PrintMsg(42, "", 0, 1, 0), 5);
    EXPECT_EQ(m_Doc.Printer_PrintMsg(0, "ABC", 0, 1, 0), 5);
    EXPECT_EQ(Sent(), "");
}

TEST_F(PrintBaseTest, PrintColumnsPadsEachColumnToItsWidthPlusOne)
{
    ASSERT_EQ(Bind(R"({"serviceType":"PICKUP"})"), 0);
    struct SCase
    {
        const char* pszName;
        std::vector<int> vecWidths;
        std::vector<std::string> vecTexts;
        std::vector<int> vecAligns;
        int bIndent;
        int nMode;
        std::string strRows;
    };
    const SCase cases[] = {
        {"widths 30 and 11, one line against three",
         {30, 11},
         {"총 결제금액", "1234567890123456789012345"},
         {0, 0},
         0,
         0x00,
         "총 결제금액" + std::string(31 - 11, ' ') + "12345678901\r\n" + std::string(31, ' ') +
             "23456789012\r\n" + std::string(31, ' ') + "345"},
        {"right-aligned amount",
         {30, 11},
         {"합계", "20,000"},
         {0, 1},
         0,
         0x00,
         "합계" + std::string(27, ' ') + "     20,000"},
        {"three columns, the name wraps with indent",
         {8, 3, 6},
         {"- 케찹케찹마요", "5", "2,500"},
         {0, 1, 1},
         1,
         0x00,
         "- 케찹케 " + std::string("  5 ") + " 2,500\r\n" + "    찹마 " + std::string(4, ' ') +
             "\r\n" + "    요   " + std::string(4, ' ')},
        {"double width pads in halved columns",
         {16, 10, 12},
         {"케이준감자튀김", "5", "15,000"},
         {0, 1, 1},
         0,
         0x38,
         "케이준감" + std::string(1, ' ') + "    5 " + "15,000\r\n" + "자튀김  " +
             std::string(1, ' ') + std::string(6, ' ')},
        {"empty texts still take their columns", {3, 2}, {"", ""}, {0, 0}, 0, 0x00, "    "},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        const std::string strBefore = Sent();
        EXPECT_EQ(m_Doc.PrintColumns(c.vecWidths, c.vecTexts, c.vecAligns, c.bIndent, c.nMode), 0);
        EXPECT_EQ(Utf8FromCp949(Sent().substr(strBefore.size())),
                  Utf8FromCp949(Msg(c.nMode, 0, c.strRows, 1)));
    }
}

TEST_F(PrintBaseTest, PrintColumnsRefusesMissingAndUnequalLists)
{
    ASSERT_EQ(Bind(R"({"serviceType":"PICKUP"})"), 0);
    const std::vector<int> vecWidths = {12, 29};
    const std::vector<std::string> vecTexts = {"a", "b"};
    const std::vector<int> vecAligns = {0, 0};
    const std::vector<int> vecOneAlign = {0};
    EXPECT_EQ(m_Doc.PrintColumns(nullptr, &vecTexts, &vecAligns, 0, 0), 5);
    EXPECT_EQ(m_Doc.PrintColumns(&vecWidths, nullptr, &vecAligns, 0, 0), 5);
    EXPECT_EQ(m_Doc.PrintColumns(&vecWidths, &vecTexts, nullptr, 0, 0), 5);
    EXPECT_EQ(m_Doc.PrintColumns(&vecWidths, &vecTexts, &vecOneAlign, 0, 0), 7);
    EXPECT_EQ(Sent(), "");
}

TEST_F(PrintBaseTest, SetPrintDataChecksInOrder)
{
    ASSERT_EQ(LoadOrderText(R"({"serviceType":"DELIVERY","reserveFlag":"Y"})"), 0);
    CPrintData unparsed;
    CPrinterCommunicate closed; // never opened
    CTestDocument doc;
    EXPECT_EQ(doc.SetPrintData(nullptr, &m_Data, &m_Setting, 0, 4), 5);
    EXPECT_EQ(doc.SetPrintData(&m_Printer, nullptr, &m_Setting, 0, 4), 5);
    EXPECT_EQ(doc.SetPrintData(&m_Printer, &m_Data, nullptr, 0, 4), 5);
    EXPECT_EQ(doc.SetPrintData(&closed, &unparsed, &m_Setting, 0, 4), 2);
    EXPECT_EQ(doc.SetPrintData(&closed, &m_Data, &m_Setting, 0, 4), 3);
    doc.m_nRefusedLineType = 0;
    EXPECT_EQ(doc.SetPrintData(&m_Printer, &m_Data, &m_Setting, 0, 4), 1);
    EXPECT_EQ(doc.IsReady(), 0);
    const std::string strLog = Log();
    for (const char* pszLine :
         {"[CPrintBase::SetPrintData] Input Param NULL Pointer",
          "[CPrintBase::SetPrintData] IsSetJsonData Fail",
          "[CPrintBase::SetPrintData] IsSuccessOpenPrinter Fail",
          "[CPrintBase::SetPrintData] SetPrintLineCharacterInfo Fail... Length Type [0]"}) {
        EXPECT_NE(strLog.find(pszLine), std::string::npos) << pszLine;
    }

    doc.m_nRefusedLineType = -1;
    EXPECT_EQ(doc.SetPrintData(&m_Printer, &m_Data, &m_Setting, 3, 7), 0);
    EXPECT_EQ(doc.IsReady(), 1);
    EXPECT_EQ(doc.GetServiceType(), PRINT_SERVICE_TYPE_DELIVERY_RESERVED);
    EXPECT_EQ(doc.GetLineCharacter(), 42);
    EXPECT_EQ(doc.GetPrintFlag(), 3);
    EXPECT_EQ(doc.GetBottomLineFeed(), 7);
    EXPECT_NE(Log().find("[CPrintBase::SetPrintData] Success... 가로라인 [42], 하단줄바꿈 [7]"),
              std::string::npos);

    // A failed check after a success leaves the document not ready.
    EXPECT_EQ(doc.SetPrintData(&closed, &m_Data, &m_Setting, 0, 4), 3);
    EXPECT_EQ(doc.IsReady(), 0);
}

TEST_F(PrintBaseTest, SetPrintDataTakesTheLineTypeFromTheFile)
{
    SetPrinterKey("LINE", "48");
    ASSERT_EQ(Bind(R"({"serviceType":"TABLE"})"), 0);
    EXPECT_EQ(m_Doc.GetLineCharacter(), 48);
}

TEST_F(PrintBaseTest, ServiceTypesAndTheirNames)
{
    struct SCase
    {
        const char* pszService;
        const char* pszSub;
        const char* pszFlag;
        int nType;
        std::string strName;
    };
    const SCase cases[] = {
        {"TABLE", "", "", PRINT_SERVICE_TYPE_TABLE, "테이블"},
        {"PICKUP", "", "N", PRINT_SERVICE_TYPE_PICKUP, "포장"},
        {"PICKUP", "TABLE", "N", PRINT_SERVICE_TYPE_PICKUP, "포장"},
        {"RESERVE", "", "N", PRINT_SERVICE_TYPE_RESERVE, "포장"},
        {"RESERVE", "", "", PRINT_SERVICE_TYPE_RESERVE, "포장"},
        {"PICKUP", "", "Y", PRINT_SERVICE_TYPE_PICKUP_RESERVED, "포장"},
        {"PICKUP", "DELIVERY", "", PRINT_SERVICE_TYPE_PICKUP_RESERVED, "포장"},
        {"RESERVE", "", "Y", PRINT_SERVICE_TYPE_RESERVE_RESERVED, "포장"},
        {"DELIVERY", "", "N", PRINT_SERVICE_TYPE_DELIVERY, "배달"},
        {"DELIVERY", "", "y", PRINT_SERVICE_TYPE_DELIVERY, "배달"},
        {"DELIVERY", "", "Y", PRINT_SERVICE_TYPE_DELIVERY_RESERVED, "배달"},
        {"PICKUP", "DELIVERY", "N", PRINT_SERVICE_TYPE_PICKUP_DELIVERY, "배달"},
        {"pickup", "", "N", PRINT_SERVICE_TYPE_UNKNOWN, ""},
        {"", "", "", PRINT_SERVICE_TYPE_UNKNOWN, ""},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pszService << "/" << c.pszSub << "/" << c.pszFlag);
        EXPECT_EQ(CPrintBase::GetEnumServiceType(c.pszService, c.pszSub, c.pszFlag), c.nType);
        CPrintData data;
        ASSERT_EQ(data.SetJsonData(std::string(R"({"serviceType":")") + c.pszService +
                                   R"(","subServiceType":")" + c.pszSub + R"(","reserveFlag":")" +
                                   c.pszFlag + R"("})"),
                  0);
        CTestDocument doc;
        ASSERT_EQ(doc.SetPrintData(&m_Printer, &data, &m_Setting, 0, 4), 0);
        EXPECT_EQ(doc.GetServiceType(), c.nType);
        EXPECT_EQ(Utf8FromCp949(doc.GetPrintServiceName()), Utf8FromCp949(c.strName));
    }
    EXPECT_NE(Log().find("[CPrintBase::GetEnumServiceType] Unknown ServiceType [pickup]"),
              std::string::npos);
}

// One order member, the word made of it.
struct SWordCase
{
    const char* pszOrder; // order JSON
    std::string (CPrintBase::*pfnWord)();
    std::string strWord;
};

TEST_F(PrintBaseTest, ChannelPayAndTelephoneWords)
{
    using B = CPrintBase;
    const SWordCase cases[] = {
        {R"({"channelType":"ORDER_PICK"})", &B::GetPrintChannelType, "QR주문"},
        {R"({"channelType":"FENWA"})", &B::GetPrintChannelType, "펜와"},
        {R"({"channelType":"GYEONGGI"})", &B::GetPrintChannelType, "배달특급"},
        {R"({"channelType":"YOGIYO"})", &B::GetPrintChannelType, "요기요"},
        {R"({"channelType":"COUPANG"})", &B::GetPrintChannelType, "쿠팡"},
        {R"({"channelType":"BAEMIN"})", &B::GetPrintChannelType, "배달의민족"},
        {R"({"channelType":"NAVER"})", &B::GetPrintChannelType, "네이버"},
        {R"({"channelType":"WMPO"})", &B::GetPrintChannelType, "위메프오"},
        {R"({"channelType":"KAKAO"})", &B::GetPrintChannelType, "카카오"},
        {R"({"channelType":"NONE"})", &B::GetPrintChannelType, "전화주문"},
        {R"({"channelType":"kakao","sourceTypeName":"카톡 주문"})", &B::GetPrintChannelType,
         "카톡 주문"},
        {R"({"channelType":"TOSS","sourceTypeName":"토스-외부"})", &B::GetPrintChannelType,
         "토스-외부"},
        {R"({"payTime":"IN_ADVANCE"})", &B::GetPrintPayTime, "선결제"},
        {R"({"payTime":"ON_TIME"})", &B::GetPrintPayTime, "현장결제"},
        {R"({"payTime":"on_time"})", &B::GetPrintPayTime, ""},
        {R"({"deferPayType":"CREDIT"})", &B::GetPrintPayType, "신용/체크카드"},
        {R"({"deferPayType":"MOBILE"})", &B::GetPrintPayType, "휴대폰"},
        {R"({"deferPayType":"CASH"})", &B::GetPrintPayType, "현금"},
        {R"({"deferPayType":"POINT"})", &B::GetPrintPayType, "펜와포인트"},
        {R"({"deferPayType":"MEAL"})", &B::GetPrintPayType, "펜와식권"},
        {R"({"deferPayType":"ZERO_PAY_TICKET"})", &B::GetPrintPayType, "제로페이상품권"},
        {R"({"deferPayType":"ETICKET"})", &B::GetPrintPayType, "E-상품권"},
        {R"({"deferPayType":"GYEONGGI_PAY"})", &B::GetPrintPayType, "경기지역화폐"},
        {R"({"deferPayType":"BITCOIN"})", &B::GetPrintPayType, ""},
        {R"({"serviceType":"PICKUP","reserveFlag":"N","telNo":"01012345678"})", &B::GetPrintTelNo,
         "010-1234-5678"},
        {R"({"serviceType":"PICKUP","reserveFlag":"N","telNo":"0212345678"})", &B::GetPrintTelNo,
         "021-234-5678"},
        {R"({"serviceType":"PICKUP","reserveFlag":"N","telNo":"12345678"})", &B::GetPrintTelNo,
         "12345678"},
        {R"({"serviceType":"DELIVERY","telNo":"01012345678","deliveryTelNo":"01099998888"})",
         &B::GetPrintTelNo, "010-9999-8888"},
        {R"({"serviceType":"PICKUP","subServiceType":"DELIVERY","reserveFlag":"N",
             "telNo":"01012345678","deliveryTelNo":"0311234567"})",
         &B::GetPrintTelNo, "031-123-4567"},
        {R"({"serviceType":"TABLE","telNo":"01012345678","deliveryTelNo":"01099998888"})",
         &B::GetPrintTelNo, "010-1234-5678"},
        {R"({"serviceType":"PICKUP","telNo":"01012345678","safeTelNo":"050712345678"})",
         &B::GetPrintSafeTelNo, "050-7123-45678"},
        {R"({"serviceType":"PICKUP","telNo":"01012345678","safeTelNo":""})", &B::GetPrintSafeTelNo,
         "010-1234-5678"},
        {R"({"no":"2023040512345601"})", &B::GetPrintOrderTime, "2023-04-05 12:34:56"},
        {R"({"no":"202304051234560"})", &B::GetPrintOrderTime, "2023-04-05 12:34:56"},
        {R"({"no":"20230405123456"})", &B::GetPrintOrderTime, ""},
        {R"({})", &B::GetPrintOrderTime, ""},
    };
    for (const SWordCase& c : cases) {
        SCOPED_TRACE(Utf8FromCp949(c.pszOrder));
        CPrintData data;
        ASSERT_EQ(data.SetJsonData(std::string(c.pszOrder)), 0);
        CTestDocument doc;
        ASSERT_EQ(doc.SetPrintData(&m_Printer, &data, &m_Setting, 0, 4), 0);
        EXPECT_EQ(Utf8FromCp949((doc.*c.pfnWord)()), Utf8FromCp949(c.strWord));
    }
    EXPECT_NE(Log().find("[CPrintBase::GetPrintOrderTime] No 길이 [20230405123456] 오류... "),
              std::string::npos);
}

TEST_F(PrintBaseTest, CustomerIdentifier)
{
    const SWordCase cases[] = {
        // Coupang shows its own number.
        {R"({"channelType":"COUPANG","serviceType":"DELIVERY","waitNo":"A12",
             "safeTelNo":"050711112222"})",
         nullptr, "A12"},
        {R"({"channelType":"COUPANG","serviceType":"PICKUP","waitNo":"","telNo":"01012345678"})",
         nullptr, ""},
        {R"({"channelType":"COUPANG","serviceType":"DELIVERY","waitNo":"",
             "telNo":"01012345678"})",
         nullptr, "5678"},
        // Delivery: the last four digits of the safe number, else of the telephone.
        {R"({"serviceType":"DELIVERY","waitNo":"7","safeTelNo":"050711112222",
             "telNo":"01012345678"})",
         nullptr, "2222"},
        {R"({"serviceType":"DELIVERY","waitNo":"7","telNo":"01012345678"})", nullptr, "5678"},
        {R"({"serviceType":"DELIVERY","waitNo":"7"})", nullptr, ""},
        {R"({"serviceType":"DELIVERY","telNo":"123"})", nullptr, "123"},
        // A wait number that is the telephone number.
        {R"({"serviceType":"PICKUP","waitNo":"01012345678","telNo":"01012345678",
             "safeTelNo":"050799998888"})",
         nullptr, "8888"},
        {R"({"serviceType":"PICKUP","waitNo":"01012345678","telNo":"01012345678"})", nullptr,
         "5678"},
        {R"({"serviceType":"PICKUP","waitNo":"23","telNo":"01012345678"})", nullptr, "23"},
        {R"({"serviceType":"TABLE"})", nullptr, ""},
    };
    for (const SWordCase& c : cases) {
        SCOPED_TRACE(c.pszOrder);
        CPrintData data;
        ASSERT_EQ(data.SetJsonData(std::string(c.pszOrder)), 0);
        CTestDocument doc;
        ASSERT_EQ(doc.SetPrintData(&m_Printer, &data, &m_Setting, 0, 4), 0);
        EXPECT_EQ(doc.GetPrintCustomerInfo(), c.strWord);
    }
}

TEST_F(PrintBaseTest, WordsWithoutOrderAreEmptyAndLogged)
{
    CTestDocument doc;
    using B = CPrintBase;
    for (auto pfnWord : {&B::GetPrintServiceName, &B::GetPrintChannelType, &B::GetPrintPayTime,
                         &B::GetPrintPayType, &B::GetPrintTelNo, &B::GetPrintSafeTelNo,
                         &B::GetPrintCustomerInfo, &B::GetPrintOrderTime}) {
        EXPECT_EQ((doc.*pfnWord)(), "");
    }
    int nSums[5] = {};
    std::vector<int> vecService;
    std::vector<int> vecOwner;
    doc.GetDiscountAmtInfo(nSums[0], nSums[1], nSums[2], nSums[3], vecService, vecOwner, nSums[4]);
    EXPECT_TRUE(vecService.empty() && vecOwner.empty());
    const std::string strLog = Log();
    for (const char* pszLine : {"[CPrintBase::GetPrintChannelType] PrintData NULL Pointer",
                                "[CPrintBase::GetPrintOrderTime] PrintData NULL Pointer",
                                "[CPrintBase::GetDiscountAmtInfo] PrintData NULL Pointer"}) {
        EXPECT_NE(strLog.find(pszLine), std::string::npos) << pszLine;
    }
}

TEST(PrintBaseTimeTest, DateAndTimeForms)
{
    struct SCase
    {
        const char* pszTime;
        int nForm;
        std::string strText;
    };
    const SCase cases[] = {
        {"202304050930", 1, "4월 5일"},  {"202312250930", 1, "12월 25일"},
        {"202310010930", 1, "10월 1일"}, {"20230405", 1, "4월 5일"},
        {"2023040", 1, "--월 --일"},     {"", 1, "--월 --일"},
        {"202304050930", 0, "09:30"},    {"202304052359", 2, "23:59"},
        {"20230405093", 0, "--:--"},     {"20230405093015", 0, "09:30"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(Utf8FromCp949(CPrintBase::GetPrintTime(c.pszTime, c.nForm)),
                  Utf8FromCp949(c.strText))
            << c.pszTime << " form " << c.nForm;
    }
}

TEST(PrintBaseTimeTest, CurrentTimeAndParenthesisedText)
{
    testsupport::CFakeClock clock(2024, 1, 2, 3, 4, 5);
    EXPECT_EQ(CPrintBase::GetPrintCurrentTime(), "2024-01-02 03:04:05");
    clock.Set(2023, 12, 31, 23, 59, 59);
    EXPECT_EQ(CPrintBase::GetPrintCurrentTime(), "2023-12-31 23:59:59");
    EXPECT_EQ(CPrintBase::GetPrintParenText("현금"), "(현금)");
    EXPECT_EQ(CPrintBase::GetPrintParenText(""), "");
}

TEST_F(PrintBaseTest, DiscountsAreFiledByType)
{
    ASSERT_EQ(Bind(R"({"serviceType":"PICKUP","discounts":[
        {"type":"MEMBERSHIP_COUPON","amt":1000,"companyAmt":0},
        {"type":"MEMBERSHIP_COUPON","amt":2000,"companyAmt":500},
        {"type":"MEMBERSHIP_COUPON","amt":300},
        {"type":"MEMBERSHIP_POINT","amt":100},
        {"type":"MEMBERSHIP_POINT","amt":150},
        {"type":"GIFT_CARD","amt":2500},
        {"type":"TAKEOUT","amt":700},
        {"type":"VOUCHER","amt":4000},
        {"type":"STAMP","amt":50},
        {"amt":5},
        {"type":"TAKEOUT","amt":"9999"},
        {"type":42,"amt":1},
        {"type":"GIFT_CARD","amt":2147483647},
        "not an object",
        7
    ]})"),
              0);
    int nPoint = 0, nGiftCard = 0, nTakeout = 0, nVoucher = 0, nOther = 0;
    std::vector<int> vecService;
    std::vector<int> vecOwner;
    m_Doc.GetDiscountAmtInfo(nPoint, nGiftCard, nTakeout, nVoucher, vecService, vecOwner, nOther);
    EXPECT_EQ(vecOwner, (std::vector<int>{1000, 300}));
    EXPECT_EQ(vecService, (std::vector<int>{2000}));
    EXPECT_EQ(nPoint, 250);
    EXPECT_EQ(nGiftCard, 2147483647); // clamped, never wraps negative
    EXPECT_EQ(nTakeout, 700);         // the text amount is dropped with its element
    EXPECT_EQ(nVoucher, 4000);
    EXPECT_EQ(nOther, 55);
    EXPECT_NE(Log().find("[CPrintBase::GetDiscountAmtInfo] Json Exception"), std::string::npos);
}

TEST(PrintBaseOptionsTest, RecordsInOrderAndGroupsOfFirstAppearance)
{
    const std::vector<std::string> vecOptions = {
        R"({"name":"샷 추가","cnt":2,"totAmt":1000,"groupName":"추가 선택"})",
        R"({"name":"얼음 적게","cnt":1,"totAmt":0,"groupName":""})",
        R"({"name":"바닐라","cnt":1,"totAmt":500,"groupName":"추가 선택"})",
        R"({"name":"톨","cnt":1,"totAmt":0,"groupName":"사이즈"})",
        R"({"name":"무명"})",
        "{broken",
        R"({"name":7,"cnt":1})",
        R"({"name":"대문자","cnt":1,"totAmt":0,"groupName":"사이즈 "})",
    };
    std::vector<PrintOptionInfo> vecRecords;
    std::vector<std::string> vecGroups;
    CPrintBase::GetMenuOptionsInfo(vecOptions, vecRecords, vecGroups);
    ASSERT_EQ(vecRecords.size(), 6u);
    const char* const pszExpected[][4] = {
        {"추가 선택", "샷 추가", "2", "1000"},
        {"OPTION_GROUP_NAME_EMPTY", "얼음 적게", "1", "0"},
        {"추가 선택", "바닐라", "1", "500"},
        {"사이즈", "톨", "1", "0"},
        {"OPTION_GROUP_NAME_EMPTY", "무명", "0", "0"},
        {"사이즈 ", "대문자", "1", "0"},
    };
    for (size_t i = 0; i < vecRecords.size(); ++i) {
        EXPECT_EQ(vecRecords[i].strGroupName, pszExpected[i][0]) << i;
        EXPECT_EQ(vecRecords[i].strName, pszExpected[i][1]) << i;
        EXPECT_EQ(vecRecords[i].strCnt, pszExpected[i][2]) << i;
        EXPECT_EQ(vecRecords[i].strTotAmt, pszExpected[i][3]) << i;
    }
    EXPECT_EQ(vecGroups, (std::vector<std::string>{"추가 선택", "OPTION_GROUP_NAME_EMPTY", "사이즈",
                                                   "사이즈 "}));
}

// A parsed option gives the record, or the refusal, that the JSON layer's
// own member reads give, whatever the types of its members.
TEST(PrintBaseOptionsTest, ParsedOptionsReadAsTheJsonLayerReadsThem)
{
    const char* const pszOptions[] = {
        R"({"name":"샷 추가","cnt":2,"totAmt":1000,"groupName":"추가 선택"})",
        R"({"name":null,"cnt":null,"totAmt":-5,"groupName":true})",
        R"({"name":false,"cnt":2147483647,"totAmt":-2147483648})",
        R"({"name":"a","cnt":1.9,"totAmt":-0.5,"groupName":""})",
        R"({"name":"a","cnt":2147483648})",
        R"({"name":"a","cnt":1e300})",
        R"({"name":"a","cnt":"3"})",
        R"({"name":"a","cnt":true,"totAmt":false})",
        R"({"name":5,"cnt":1})",
        R"({"name":[],"cnt":1})",
        R"({"name":"a","cnt":{}})",
        R"({"name":"a","groupName":7})",
        R"({})",
        R"(null)",
        R"(7)",
        R"("text")",
        R"([1,2])",
    };
    Json::Value options(Json::arrayValue);
    std::vector<std::string> vecExpected;
    for (const char* pszOption : pszOptions) {
        CjsonCtrl json;
        ASSERT_TRUE(json.SetRecvDataLocal(pszOption, 0, 0)) << pszOption;
        const Json::Value option = json.TakeRoot();
        options.append(option);
        std::string strRecord;
        try {
            for (const auto& [pszKey, nType] :
                 {std::pair{"name", JSON_VAL_STRING}, std::pair{"cnt", JSON_VAL_INT},
                  std::pair{"totAmt", JSON_VAL_INT}, std::pair{"groupName", JSON_VAL_STRING}}) {
                strRecord += CjsonCtrl::RootMember(option, pszKey, nType) + "|";
            }
        } catch (const std::exception&) {
            continue; // the option is dropped
        }
        vecExpected.push_back(strRecord);
    }
    std::vector<PrintOptionInfo> vecRecords;
    std::vector<std::string> vecGroups;
    CPrintBase::GetMenuOptionsInfo(options, vecRecords, vecGroups);
    std::vector<std::string> vecActual;
    for (const PrintOptionInfo& record : vecRecords) {
        const std::string strGroup =
            record.strGroupName == CPrintBase::OPTION_GROUP_NAME_EMPTY ? "" : record.strGroupName;
        vecActual.push_back(record.strName + "|" + record.strCnt + "|" + record.strTotAmt + "|" +
                            strGroup + "|");
    }
    EXPECT_EQ(vecActual, vecExpected);
    EXPECT_GE(vecExpected.size(), 5u);
}

// What a printer would make of a document's bytes: "" when every line is
// whole characters without control bytes, no single-width line is wider
// than nWidth and the document ends in a cut; else what is wrong.
std::string UnsoundLine(const std::string& strBytes, int nWidth)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(strBytes[i]); };
    size_t nColumns = 0;
    bool bDouble = false;
    int nMode = 0;
    for (size_t i = 0; i < strBytes.size();) {
        const unsigned char ch = byte(i);
        const bool bLineEnd = ch == '\r' && i + 1 < strBytes.size() && byte(i + 1) == '\n';
        if (ch == 0x1B && i + 1 < strBytes.size() &&
            (strBytes[i + 1] == '!' || strBytes[i + 1] == 'a')) {
            nMode = strBytes[i + 1] == '!' && i + 2 < strBytes.size() ? byte(i + 2) : nMode;
            i += 3;
        } else if (ch == 0x1B && i + 1 < strBytes.size() &&
                   (strBytes[i + 1] == '@' || strBytes[i + 1] == 'i')) {
            i += 2;
        } else if (bLineEnd) {
            if (!bDouble && nColumns > static_cast<size_t>(nWidth)) {
                return "line of " + std::to_string(nColumns) + " bytes before byte " +
                       std::to_string(i);
            }
            nColumns = 0;
            bDouble = false;
            i += 2;
        } else if (ch < 0x20 || ch == 0x7F) {
            return "control byte at " + std::to_string(i);
        } else {
            const bool bLead = ch >= 0x81 && ch <= 0xFE;
            if (bLead && (i + 1 >= strBytes.size() || byte(i + 1) < 0x41 ||
                          (byte(i + 1) > 0x5A && byte(i + 1) < 0x61) ||
                          (byte(i + 1) > 0x7A && byte(i + 1) < 0x81) || byte(i + 1) == 0xFF)) {
                return "half character at " + std::to_string(i);
            }
            bDouble = bDouble || (nMode & PRINT_MODE_DOUBLE_WIDTH) != 0;
            nColumns += bLead ? 2 : 1;
            i += bLead ? 2 : 1;
        }
    }
    return "";
}

// Inputs that once broke a printed line, kept as the fuzz target of the
// order documents takes them: a flags byte (bit 0 48 columns, 1 re-print,
// 2 cancel, 3 option groups, 4 origin notice, 5 road-name addresses, 6-7
// bottom line feeds - 1), a byte of four two-bit sizes (customer memo,
// rider memo, menu name, origin notice), then the order text.
TEST_F(PrintBaseTest, FuzzRegressionsPrintSoundLines)
{
    const std::filesystem::path dir = docharness::DataPath("fuzz-regressions/order-documents");
    int nFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().filename().string());
        ++nFiles;
        const std::string strInput = testsupport::ReadWholeFile(entry.path().string());
        ASSERT_GE(strInput.size(), 2u);
        const auto chFlags = static_cast<unsigned char>(strInput[0]);
        const auto chSizes = static_cast<unsigned char>(strInput[1]);
        const int nWidth = (chFlags & 0x01) != 0 ? 48 : 42;
        SetPrinterKey("LINE", std::to_string(nWidth));
        ASSERT_TRUE(IniWriteString("PRINT", "USE_NEWADDR", (chFlags & 0x20) != 0 ? "1" : "0",
                                   m_Folder.File("Config.ini").c_str()));
        m_Setting.SetPickupPaymentPrintCnt(1);
        m_Setting.SetPrintOptiongroup((chFlags >> 3) & 1);
        m_Setting.SetPrintOrigin((chFlags >> 4) & 1);
        PrinterSetting().SetPrintOrigin((chFlags >> 4) & 1);
        m_Setting.SetReqCustomerSize(chSizes & 3);
        m_Setting.SetReqDelivererSize((chSizes >> 2) & 3);
        m_Setting.SetMenunameSize((chSizes >> 4) & 3);
        m_Setting.SetOriginSize((chSizes >> 6) & 3);
        const int nFlags = ((chFlags & 0x02) != 0 ? PRINT_FLAG_REPRINT : 0) |
                           ((chFlags & 0x04) != 0 ? PRINT_FLAG_CANCEL : 0);
        LoadOrderText(strInput.substr(2));
        CPrintOrderSheet sheet;
        CPrintPayment receipt;
        CPrintPaymentDelivery delivery;
        for (CPrintBase* pDocument :
             std::initializer_list<CPrintBase*>{&sheet, &receipt, &delivery}) {
            const docharness::SPrintResult result = docharness::PrintDocument(
                *pDocument, m_Data, m_Setting, nFlags, 1 + ((chFlags >> 6) & 3));
            EXPECT_EQ(UnsoundLine(result.strBytes, nWidth), "");
            if (result.nStartResult == 0 && result.strBytes.size() > 2) {
                EXPECT_EQ(result.strBytes.substr(result.strBytes.size() - 4), "\x1B\x69\x1B\x40")
                    << "the document does not end in a cut";
            }
        }
    }
    EXPECT_GT(nFiles, 0);
}

} // namespace
