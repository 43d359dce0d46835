// Kitchen order sheet: golden sheets for the order corpus, copy counts,
// column widths, modes and cancel signs at byte level, and the failure paths.
#include "printing/documents/print_order_sheet.h"
#include "tests/printing/document_harness.h"
#include "tests/support/cp949.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using docharness::CDocumentTest;
using docharness::CFailingPort;
using docharness::CFailingPrinter;
using docharness::CountOf;
using docharness::DecodeText;
using docharness::ExpectGolden;
using docharness::PrintDocument;
using testsupport::HexBytes;
using testsupport::Utf8FromCp949;

namespace {

constexpr const char* kCut = "\x1b\x69";

struct SSheetSettings
{
    int nLine = 42;
    int nMenunameSize = E_PRINT_SIZE_NORMAL;
    int nReqCustomerSize = E_PRINT_SIZE_NORMAL;
    int nOptionGroup = 1;
    int nPrintCnt = 1;
    int nDeliveryPrintCnt = 1;
};

class PrintOrderSheetTest : public CDocumentTest
{
protected:
    void Apply(const SSheetSettings& settings)
    {
        if (settings.nLine == 48) {
            SetPrinterKey("LINE", "48");
        }
        m_Setting.SetMenunameSize(settings.nMenunameSize);
        m_Setting.SetReqCustomerSize(settings.nReqCustomerSize);
        m_Setting.SetPrintOptiongroup(settings.nOptionGroup);
        m_Setting.SetPrintCnt(settings.nPrintCnt);
        m_Setting.SetDeliveryPrintCnt(settings.nDeliveryPrintCnt);
    }

    docharness::SPrintResult Print(const char* pszOrder, const SSheetSettings& settings, int nFlags,
                                   int nBottomLineFeed = 4)
    {
        Apply(settings);
        EXPECT_TRUE(LoadOrder(pszOrder));
        CPrintOrderSheet sheet;
        return PrintDocument(sheet, m_Data, m_Setting, nFlags, nBottomLineFeed);
    }
};

// ---------------------------------------------------------------------------
// Golden sheets: the paper a shop gets for each kind of order.

struct SGoldenCase
{
    const char* pszGolden;
    const char* pszOrder;
    int nFlags;
    SSheetSettings settings;
};

const SGoldenCase kGoldenCases[] = {
    {"order_sheet_table_42", "sheet_table", 0, {42, 1, 1, 1, 3, 3}},
    {"order_sheet_pickup_two_copies_42", "sheet_pickup", 0, {42, 1, 2, 1, 2, 1}},
    {"order_sheet_reservation_42", "sheet_reservation", 0, {42, 1, 0, 1, 1, 1}},
    {"order_sheet_reserved_pickup_42", "sheet_reserved_pickup", 0, {42, 2, 1, 1, 1, 1}},
    {"order_sheet_reserved_reservation_48", "sheet_reserved_reservation", 0, {48, 1, 1, 1, 1, 1}},
    {"order_sheet_delivery_42", "sheet_delivery", 0, {42, 1, 1, 1, 1, 1}},
    {"order_sheet_reserved_delivery_48", "sheet_reserved_delivery", 0, {48, 1, 1, 1, 1, 1}},
    {"order_sheet_pickup_delivery_42", "sheet_pickup_delivery", 0, {42, 1, 1, 1, 1, 1}},
    {"order_sheet_outside_channel_42", "sheet_outside_channel", 0, {42, 1, 1, 1, 1, 1}},
    {"order_sheet_unknown_service_42", "sheet_unknown_service", 0, {42, 1, 1, 1, 1, 1}},
    {"order_sheet_long_names_menu_large_42", "sheet_long_names", 0, {42, 0, 1, 1, 1, 1}},
    {"order_sheet_long_names_menu_normal_42", "sheet_long_names", 0, {42, 1, 1, 1, 1, 1}},
    {"order_sheet_long_names_menu_small_42", "sheet_long_names", 0, {42, 2, 2, 1, 1, 1}},
    {"order_sheet_long_names_menu_large_48", "sheet_long_names", 0, {48, 0, 0, 1, 1, 1}},
    {"order_sheet_long_names_menu_normal_48", "sheet_long_names", 0, {48, 1, 1, 1, 1, 1}},
    {"order_sheet_option_groups_42", "sheet_option_groups", 0, {42, 1, 1, 1, 1, 1}},
    {"order_sheet_option_groups_no_headings_42", "sheet_option_groups", 0, {42, 1, 1, 0, 1, 1}},
    {"order_sheet_option_groups_cancel_42", "sheet_option_groups", 2, {42, 1, 1, 1, 3, 1}},
    {"order_sheet_delivery_reprint_48", "sheet_delivery", 1, {48, 1, 1, 1, 1, 3}},
    {"order_sheet_reserved_pickup_reprint_cancel_42",
     "sheet_reserved_pickup",
     3,
     {42, 0, 1, 1, 1, 1}},
};

class PrintOrderSheetGoldenTest : public PrintOrderSheetTest,
                                  public ::testing::WithParamInterface<SGoldenCase>
{
};

TEST_P(PrintOrderSheetGoldenTest, PrintsTheReviewedSheet)
{
    const SGoldenCase& c = GetParam();
    const docharness::SPrintResult result = Print(c.pszOrder, c.settings, c.nFlags);
    ASSERT_EQ(result.nSetResult, 0);
    EXPECT_EQ(result.nStartResult, 0);
    ExpectGolden(c.pszGolden, DecodeText(result.strBytes));
}

INSTANTIATE_TEST_SUITE_P(Corpus, PrintOrderSheetGoldenTest, ::testing::ValuesIn(kGoldenCases),
                         [](const ::testing::TestParamInfo<SGoldenCase>& info) {
                             return std::string(info.param.pszGolden).substr(12);
                         });

// ---------------------------------------------------------------------------
// Copies: one cut per copy.

TEST_F(PrintOrderSheetTest, CopiesFollowServiceKindAndFlags)
{
    struct SCase
    {
        const char* pszOrder;
        int nFlags;
        int nPrintCnt;
        int nDeliveryPrintCnt;
        int nCuts;
        const char* pszLog;
    } const cases[] = {
        {"sheet_pickup", 0, 3, 1, 3, "주문서 출력 매수 [3]"},
        {"sheet_reservation", 0, 2, 5, 2, "주문서 출력 매수 [2]"},
        {"sheet_delivery", 0, 1, 4, 4, "주문서 출력 매수 [4]"},
        {"sheet_pickup_delivery", 0, 4, 2, 2, "주문서 출력 매수 [2]"},
        {"sheet_table", 0, 3, 3, 1, "테이블 오더는 주문서 출력매수 1장"},
        {"sheet_unknown_service", 0, 3, 3, 1, "테이블 오더는 주문서 출력매수 1장"},
        {"sheet_delivery", 1, 1, 3, 1, "재출력 / 취소출력이므로, 주문서 출력 매수 1장으로 설정"},
        {"sheet_pickup", 2, 3, 1, 1, "재출력 / 취소출력이므로, 주문서 출력 매수 1장으로 설정"},
        {"sheet_pickup", 0, 0, 1, 0, "주문서 출력 매수 [0]"},
        {"sheet_delivery", 0, 1, -2, 0, "주문서 출력 매수 [-2]"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(std::string(c.pszOrder) + " flags " + std::to_string(c.nFlags));
        SSheetSettings settings;
        settings.nPrintCnt = c.nPrintCnt;
        settings.nDeliveryPrintCnt = c.nDeliveryPrintCnt;
        const docharness::SPrintResult result = Print(c.pszOrder, settings, c.nFlags);
        EXPECT_EQ(result.nStartResult, 0);
        EXPECT_EQ(CountOf(result.strBytes, kCut), c.nCuts);
        // Every copy starts with ESC @; the job's end adds one more.
        EXPECT_EQ(CountOf(result.strBytes, "\x1b@"), c.nCuts + 1);
        EXPECT_NE(Log().find(c.pszLog), std::string::npos) << Utf8FromCp949(c.pszLog);
    }
}

TEST_F(PrintOrderSheetTest, EveryCopyEndsWithTheBottomLineFeedsAndACut)
{
    SSheetSettings settings;
    settings.nPrintCnt = 2;
    const docharness::SPrintResult result = Print("sheet_pickup", settings, 0, 6);
    ASSERT_EQ(result.nStartResult, 0);
    std::string strTail;
    for (int i = 0; i < 6; ++i) {
        strTail += "\r\n";
    }
    strTail += kCut;
    EXPECT_EQ(CountOf(result.strBytes, strTail), 2);
    EXPECT_EQ(result.strBytes.rfind(strTail + "\x1b@"),
              result.strBytes.size() - strTail.size() - 2);
}

// ---------------------------------------------------------------------------
// Column widths of the menu block.

TEST_F(PrintOrderSheetTest, QuantityColumnStaysWithinItsBoundsAndNameColumnIsEven)
{
    struct SCase
    {
        int nLine;
        int nMenunameSize;
        int nFlags;
        std::vector<std::string> vecCnt; // cnt members, as JSON
        int nName;
        int nQuantity;
    } const cases[] = {
        {42, 1, 0, {"1", "2"}, 36, 5},
        {42, 2, 0, {"12345"}, 36, 5},
        {42, 1, 0, {"123456"}, 34, 7}, // 6 makes the name column odd: 35 -> 34
        {42, 1, 0, {"1234567"}, 34, 7},
        {42, 1, 0, {"12345678901"}, 30, 11},     // at the maximum
        {42, 1, 0, {"123456789012345"}, 30, 11}, // beyond it: the maximum
        {42, 1, 2, {"1234"}, 36, 5},             // "-1234"
        {42, 1, 2, {"12345"}, 34, 7},            // "-12345"
        {42, 0, 0, {"1"}, 30, 11},
        {42, 0, 0, {"123456789012345"}, 30, 11},
        {42, 7, 0, {"1"}, 36, 5}, // unknown size: the normal bounds
        {48, 1, 0, {"1"}, 40, 7},
        {48, 1, 0, {"12345678"}, 38, 9},       // 8: 39 is odd -> 38 and 9
        {48, 1, 0, {"1234567890123"}, 34, 13}, // at the maximum
        {48, 1, 0, {"12345678901234567"}, 34, 13},
        {48, 2, 2, {"123456789012"}, 34, 13}, // "-123456789012"
        {48, 0, 0, {"1"}, 32, 15},
        {48, 0, 0, {"1234567890123456789"}, 32, 15},
        {42, 1, 0, {}, 36, 5}, // no menus
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE("W " + std::to_string(c.nLine) + " size " + std::to_string(c.nMenunameSize) +
                     " flags " + std::to_string(c.nFlags) + " cnt " +
                     (c.vecCnt.empty() ? std::string("none") : c.vecCnt.front()));
        SSheetSettings settings;
        settings.nLine = c.nLine;
        settings.nMenunameSize = c.nMenunameSize;
        Apply(settings);
        ASSERT_TRUE(LoadOrder("sheet_pickup"));
        std::vector<std::string> vecMenus;
        for (const std::string& strCnt : c.vecCnt) {
            vecMenus.push_back("{\"menuName\":\"A\",\"cnt\":" + strCnt + "}");
        }
        // An element that does not parse is left out of the computation.
        vecMenus.push_back("{\"menuName\": ");
        CPrintOrderSheet sheet;
        docharness::CHarnessPrinter printer;
        ASSERT_EQ(sheet.SetPrintData(&printer, &m_Data, &m_Setting, c.nFlags, 4), 0);
        std::vector<int> vecWidths;
        EXPECT_EQ(sheet.GetOrderSheetMenusLineCharacter(&vecWidths, vecMenus), 0);
        EXPECT_EQ(vecWidths, (std::vector<int>{c.nName, c.nQuantity}));
        EXPECT_NE(Log().find("SetRecvDataLocal Menus Fail... Index [" +
                             std::to_string(vecMenus.size() - 1) + "]"),
                  std::string::npos);
        SetPrinterKey("LINE", "42");
    }
}

// ---------------------------------------------------------------------------
// Bytes of the pieces the size settings change, and of the cancel signs.

// ESC ! mode, ESC a left, then the text.
std::string Piece(int nMode, const std::string& strText)
{
    return std::string("\x1b!") + static_cast<char>(nMode) +
           std::string("\x1b"
                       "a",
                       2) +
           std::string(1, '\0') + strText;
}

TEST_F(PrintOrderSheetTest, SizeSettingsChooseTheModesOfMemoHeadingMenuAndOptionRows)
{
    struct SCase
    {
        int nSize;
        int nMemo;
        int nHeading;
        int nMenu;
        int nOption;
    } const cases[] = {
        {0, 0x38, 0x30, 0x38, 0x10},
        {1, 0x10, 0x10, 0x18, 0x00},
        {2, 0x08, 0x00, 0x08, 0x00},
        {5, 0x08, 0x00, 0x08, 0x00},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.nSize));
        SSheetSettings settings;
        settings.nMenunameSize = c.nSize;
        settings.nReqCustomerSize = c.nSize;
        const docharness::SPrintResult result = Print("sheet_pickup", settings, 0);
        ASSERT_EQ(result.nStartResult, 0);
        const std::string& b = result.strBytes;
        EXPECT_NE(b.find(Piece(c.nMemo, "[사장님께] \r\n")), std::string::npos) << HexBytes(b);
        EXPECT_NE(b.find(Piece(c.nMemo, "단무지 빼주세요\r\n\r\n")), std::string::npos);
        EXPECT_NE(b.find(Piece(c.nHeading, "메 뉴 명")), std::string::npos);
        EXPECT_NE(b.find(Piece(c.nMenu, "참치김밥")), std::string::npos);
        EXPECT_NE(b.find(Piece(c.nOption, "- 토핑\r\n")), std::string::npos);
        EXPECT_NE(b.find(Piece(c.nOption, "  : 김치 추가")), std::string::npos);
    }
}

// One row of the 42-column menu table at normal size: the name left in 36
// columns and a blank, the quantity right-aligned in 5.
std::string MenuRow(const std::string& strName, const std::string& strQuantity)
{
    return strName + std::string(37 - strName.size(), ' ') +
           std::string(5 - strQuantity.size(), ' ') + strQuantity;
}

TEST_F(PrintOrderSheetTest, CancelPrintMarksEveryNameAndSignsEveryQuantity)
{
    struct SCase
    {
        int nFlags;
        const char* pszMark;
        const char* pszSign;
    } const cases[] = {
        {0, "", ""},
        {2, "(취소)", "-"},
        {1, "", ""},
        {3, "(취소)", "-"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.nFlags));
        const docharness::SPrintResult result = Print("sheet_option_groups", {}, c.nFlags);
        ASSERT_EQ(result.nStartResult, 0);
        const std::string& b = result.strBytes;
        const std::string strMark = c.pszMark;
        const std::string strSign = c.pszSign;
        const std::string strMenuRow = MenuRow(strMark + "수제버거", strSign + "2");
        ASSERT_EQ(strMenuRow.size(), 42u);
        EXPECT_NE(b.find(Piece(0x18, strMenuRow + "\r\n")), std::string::npos) << DecodeText(b);
        EXPECT_NE(b.find(Piece(0x00, "- " + strMark + "소스\r\n")), std::string::npos);
        EXPECT_NE(b.find(Piece(0x00, MenuRow("  : " + strMark + "머스타드 소스", strSign + "2"))),
                  std::string::npos);
        // Ungrouped options print as "- " rows, signed the same way.
        EXPECT_NE(b.find(Piece(0x00, MenuRow("- " + strMark + "피클 빼기", strSign + "1"))),
                  std::string::npos);
        EXPECT_NE(b.find(Piece(0x18, MenuRow(strMark + "감자튀김", strSign + "1"))),
                  std::string::npos);
        // No banner for a cancel print; the re-print banner only with bit 0.
        EXPECT_EQ(CountOf(b, "재출력 주문서입니다."), c.nFlags & 1);
    }
}

TEST_F(PrintOrderSheetTest, LongHangulNameWrapsAtTheNameColumnWithoutSplittingASyllable)
{
    const docharness::SPrintResult result = Print("sheet_long_names", {}, 0);
    ASSERT_EQ(result.nStartResult, 0);
    // 40 syllables at 36 bytes: 18 + 18 + 4 syllables; the quantity column
    // takes 5 columns here ("12345" of the second menu is its widest text).
    const std::string strName =
        "가나다라마바사아자차카타파하가나다라마바사아자차카타파하가나다라마바사아자차카타";
    ASSERT_EQ(strName.size(), 80u);
    // Rows of the name column are padded to 37 columns; the quantity column
    // has one line only.
    const std::string strRows = strName.substr(0, 36) + " " + std::string(4, ' ') + "1\r\n" +
                                strName.substr(36, 36) + " " + "\r\n" + strName.substr(72) +
                                std::string(29, ' ') + "\r\n";
    EXPECT_NE(result.strBytes.find(Piece(0x18, strRows)), std::string::npos)
        << DecodeText(result.strBytes);
}

// ---------------------------------------------------------------------------
// Refusals and bad input.

TEST_F(PrintOrderSheetTest, UnsupportedLineTypeIsRefused)
{
    CPrintOrderSheet sheet;
    EXPECT_EQ(sheet.SetPrintLineCharacterInfo(2), 6);
    EXPECT_EQ(sheet.SetPrintLineCharacterInfo(-1), 6);
    EXPECT_NE(Log().find("[CPrintOrderSheet::SetPrintLineCharacterInfo] Not Supported Length Type "
                         "[2]"),
              std::string::npos);
    EXPECT_EQ(sheet.SetPrintLineCharacterInfo(1), 0);
    EXPECT_EQ(sheet.GetLineCharacter(), 48);
    EXPECT_EQ(sheet.SetPrintLineCharacterInfo(0), 0);
    EXPECT_EQ(sheet.GetLineCharacter(), 42);
}

TEST_F(PrintOrderSheetTest, NotReadySendsNothing)
{
    CPrintOrderSheet sheet;
    docharness::CHarnessPrinter printer;
    EXPECT_EQ(sheet.StartPrintData(), 1);
    EXPECT_EQ(printer.Bytes(), "");
    EXPECT_NE(Log().find("[CPrintOrderSheet::StartPrintData] Init Data Fail... Check Log"),
              std::string::npos);

    // A failed SetPrintData leaves it not ready too.
    CPrintData unparsed;
    EXPECT_EQ(sheet.SetPrintData(&printer, &unparsed, &m_Setting, 0, 4), 2);
    EXPECT_EQ(sheet.StartPrintData(), 1);
    EXPECT_EQ(printer.Bytes(), "");
}

TEST_F(PrintOrderSheetTest, BadOrdersPrintWhatTheyCan)
{
    struct SCase
    {
        const char* pszName;
        std::string strOrder;
        std::vector<std::string> vecExpected; // decoded text contains each
    } const cases[] = {
        {"no members",
         "{}",
         {"{BHW}주문번호:{/}|", "{BH}전화번호 : {/}|", "{H}주문시간 : {/}|", "{BHW}없음{/}|"}},
        {"empty menu list",
         "{\"serviceType\":\"PICKUP\",\"reserveFlag\":\"N\",\"menus\":[]}",
         {"메 뉴 명", "주문서 (포장)"}},
        {"wrong member types",
         "{\"serviceType\":\"TABLE\",\"menus\":[{\"menuName\":123,\"cnt\":\"2\"},"
         "{\"menuName\":\"우동\",\"cnt\":[1]},5,{\"menuName\":\"김밥\",\"cnt\":1,"
         "\"options\":[{\"name\":1,\"cnt\":\"x\"},{\"name\":\"참기름\",\"cnt\":1}]}]}",
         {"123", "우동", "김밥", "- 참기름"}},
        {"enormous quantities",
         "{\"serviceType\":\"TABLE\",\"menus\":[{\"menuName\":\"물\",\"cnt\":"
         "123456789012345678901234567890},{\"menuName\":\"컵\",\"cnt\":-9223372036854775808},"
         "{\"menuName\":\"빨대\",\"cnt\":18446744073709551615}]}",
         // A quantity wider than the column wraps inside it.
         {"물", "-9223372036{/}|", "854775808{/}|", "18446744073{/}|", "709551615{/}|"}},
        {"2000-byte menu name and a cut lead byte",
         "{\"serviceType\":\"TABLE\",\"reqMemo\":\"메모\xB0\",\"packingWords\":\"\xB0\","
         "\"channelType\":\"X\",\"sourceTypeName\":\"앱\xB0\",\"menus\":[{\"menuName\":\"" +
             [] {
                 std::string s;
                 for (int i = 0; i < 1000; ++i) {
                     s += "가";
                 }
                 return s;
             }() +
             "\xB0\",\"cnt\":1}]}",
         {"가가가가", "{BHW}메모{/}|", "주문서 (테이블-앱){/}|"}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        ASSERT_EQ(LoadOrderText(c.strOrder), 0);
        CPrintOrderSheet sheet;
        const docharness::SPrintResult result = PrintDocument(sheet, m_Data, m_Setting, 0);
        ASSERT_EQ(result.nSetResult, 0);
        EXPECT_EQ(result.nStartResult, 0);
        EXPECT_EQ(CountOf(result.strBytes, kCut), 1);
        const std::string strText = DecodeText(result.strBytes);
        for (const std::string& strPart : c.vecExpected) {
            EXPECT_NE(strText.find(Utf8FromCp949(strPart)), std::string::npos)
                << Utf8FromCp949(strPart) << " in\n"
                << strText;
        }
        // Every text line decodes as whole CP949 characters.
        EXPECT_EQ(strText.find("<B0"), std::string::npos) << strText;
    }
}

// ---------------------------------------------------------------------------
// A printer that fails mid-document: the copy stops at the failed piece,
// StartPrintData returns 1 and no cut follows.

// The index of the first SendData call after call nFrom whose bytes satisfy fn.
template <typename F>
int FindCall(const std::vector<std::string>& vecCalls, int nFrom, F fn)
{
    for (int i = nFrom; i < static_cast<int>(vecCalls.size()); ++i) {
        if (fn(vecCalls[static_cast<size_t>(i)])) {
            return i;
        }
    }
    return -1;
}

TEST_F(PrintOrderSheetTest, FailureMidDocumentStopsAtThePieceWithoutACut)
{
    const std::string strDashRule = std::string(42, '-');
    const std::string strEqualRule = std::string(42, '=');
    auto contains = [](const std::string& strPart) {
        return [strPart](const std::string& strCall) {
            return strCall.find(strPart) != std::string::npos;
        };
    };
    auto lineFeed = [](const std::string& strCall) { return strCall == "\r\n"; };

    struct SCase
    {
        const char* pszName;
        const char* pszOrder;
        int nPrintCnt;
        // Chooses the failing call from the calls of a good run; bPersistent:
        // that call and all later ones fail, else only that one.
        std::function<int(const std::vector<std::string>&)> fnChoose;
        bool bPersistent;
        const char* pszLog;
        int nCutsBefore; // copies cut before the failure
    };
    const std::vector<SCase> cases = {
        {"init of the first copy", "sheet_pickup", 1,
         [](const std::vector<std::string>&) { return 0; }, true,
         "[CPrintOrderSheet::StartPrintData:1] Printer_Send_Init Fail... ErrorCode [4] Copies [0 : "
         "1]",
         0},
        {"init of the second copy", "sheet_pickup", 2,
         [&](const std::vector<std::string>& calls) {
             return FindCall(calls, FindCall(calls, 0, contains(kCut)) + 1, contains("\x1b@"));
         },
         true,
         "[CPrintOrderSheet::StartPrintData:1] Printer_Send_Init Fail... ErrorCode [4] Copies [1 : "
         "2]",
         1},
        {"line feed after the identity block", "sheet_pickup", 1,
         [&](const std::vector<std::string>& calls) {
             return FindCall(calls, 0, contains(strDashRule));
         },
         true,
         "[CPrintOrderSheet::StartPrintOrderSheet:45] Printer_Send_LineFeed Fail... ErrorCode [4]",
         0},
        {"line feed of the rule under the memo", "sheet_delivery", 1,
         [&](const std::vector<std::string>& calls) {
             return FindCall(calls, 0, contains(strEqualRule)) + 1;
         },
         false,
         "[CPrintOrderSheet::StartPrintOrderSheet:63] Printer_PrintMsg Fail... ErrorCode [4]", 0},
        {"line feed of the rule under the order number", "sheet_reserved_delivery", 1,
         [&](const std::vector<std::string>& calls) {
             int nFirst = FindCall(calls, 0, contains(strDashRule));
             return FindCall(calls, FindCall(calls, nFirst + 1, contains(strDashRule)), lineFeed);
         },
         false,
         "[CPrintOrderSheet::StartPrintOrderSheet:26] Printer_PrintMsg Fail... ErrorCode [4]", 0},
        {"cut after a dead menu block", "sheet_delivery", 1,
         [&](const std::vector<std::string>& calls) {
             return FindCall(calls, 0, contains("메 뉴 명"));
         },
         true, "[CPrintOrderSheet::StartPrintData:3] Printer_CutPaper Fail... ErrorCode [4]", 0},
    };

    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        SSheetSettings settings;
        settings.nPrintCnt = c.nPrintCnt;
        Apply(settings);
        ASSERT_TRUE(LoadOrder(c.pszOrder));

        // A good run tells which call carries the piece.
        std::vector<std::string> vecCalls;
        {
            CFailingPrinter printer;
            CPrintOrderSheet sheet;
            ASSERT_EQ(sheet.SetPrintData(&printer, &m_Data, &m_Setting, 0, 4), 0);
            ASSERT_EQ(sheet.StartPrintData(), 0);
            vecCalls = printer.FailingPort()->m_Calls;
        }
        const int nFail = c.fnChoose(vecCalls);
        ASSERT_GE(nFail, 0);

        CFailingPrinter printer;
        printer.FailAt(nFail, c.bPersistent);
        CPrintOrderSheet sheet;
        ASSERT_EQ(sheet.SetPrintData(&printer, &m_Data, &m_Setting, 0, 4), 0);
        EXPECT_EQ(sheet.StartPrintData(), 1);
        const std::vector<std::string>& calls = printer.FailingPort()->m_Calls;
        // Nothing is sent after the failed piece except, for a persistent
        // failure, the remaining unchecked pieces up to the one that is checked.
        if (!c.bPersistent) {
            EXPECT_EQ(static_cast<int>(calls.size()), nFail + 1);
        }
        EXPECT_EQ(CountOf(printer.DeviceBytes(), kCut), c.nCutsBefore);
        int nCutCalls = 0;
        for (size_t i = 0; i < calls.size(); ++i) {
            nCutCalls += calls[i].find(kCut) != std::string::npos ? 1 : 0;
        }
        EXPECT_LE(nCutCalls, c.nCutsBefore + 1);
        const std::string strLog = Log();
        EXPECT_NE(strLog.find(c.pszLog), std::string::npos) << c.pszLog;
        if (std::string(c.pszName).find("init") == std::string::npos &&
            std::string(c.pszName).find("cut") == std::string::npos) {
            EXPECT_NE(
                strLog.find("[CPrintOrderSheet::StartPrintData:2] StartPrintOrderSheet Fail... "
                            "ErrorCode [1]"),
                std::string::npos);
        }
    }
}

} // namespace
