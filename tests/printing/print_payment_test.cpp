// Customer receipt: golden receipts of the order corpus, the skip and copy
// rules, coupon labels, cancel signs, menu-column bounds, bad order input and
// a printer that fails in the middle of a receipt.
#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "printing/documents/print_payment.h"
#include "tests/printing/document_harness.h"
#include "tests/support/cp949.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using docharness::CDocumentTest;
using docharness::ChangedOrder;
using docharness::CountOf;
using docharness::DecodeText;
using docharness::PrintDocument;
using docharness::SPrintResult;
using docharness::Utf8;
using testsupport::Cp949FromUtf8;
using testsupport::Utf8FromCp949;

Json::Value ParseJson(const std::u8string& strUtf8)
{
    Json::Value value;
    Json::Reader reader;
    EXPECT_TRUE(reader.parse(Cp949FromUtf8(strUtf8), value)) << Utf8(strUtf8);
    return value;
}

class PrintPaymentTest : public CDocumentTest
{
protected:
    // The store file names no copy counts (its default is 0 receipts).
    void SetUp() override
    {
        CDocumentTest::SetUp();
        m_Setting.SetPickupPaymentPrintCnt(1);
    }

    // Settings of one receipt; the line type is read from Config.ini, so it
    // goes first (it reloads the store).
    void Configure(int nLine, int nMemoSize, int nMenuSize, int nOriginSize, int nOptionGroup)
    {
        SetPrinterKey("LINE", std::to_string(nLine));
        m_Setting.SetReqCustomerSize(nMemoSize);
        m_Setting.SetMenunameSize(nMenuSize);
        m_Setting.SetOriginSize(nOriginSize);
        m_Setting.SetPrintOptiongroup(nOptionGroup);
        m_Setting.SetPickupPaymentPrintCnt(1);
    }

    SPrintResult Print(int nPrintFlag, int nWriteResult = 0)
    {
        CPrintPayment receipt;
        return PrintDocument(receipt, m_Data, m_Setting, nPrintFlag, 4, nWriteResult);
    }

    std::string PrintText(int nPrintFlag)
    {
        CPrintPayment receipt;
        return PrintedText(receipt, nPrintFlag);
    }
};

// --- golden receipts ---------------------------------------------------------

struct SGoldenCase
{
    const char* pszGolden;
    const char* pszOrder;
    int nPrintFlag;
    int nLine;
    int nMemoSize; // ReqCustomerSize
    int nMenuSize; // MenunameSize
    int nOriginSize;
    int nOptionGroup;
};

const SGoldenCase kGoldenCases[] = {
    // Pickup with option groups mixed with ungrouped options, each text size.
    {"receipt_pickup_42", "receipt_pickup", 0, 42, 0, 1, 2, 1},
    {"receipt_pickup_48", "receipt_pickup", 0, 48, 0, 1, 2, 1},
    {"receipt_pickup_menu_large_42", "receipt_pickup", 0, 42, 1, 0, 1, 1},
    {"receipt_pickup_menu_large_48", "receipt_pickup", 0, 48, 1, 0, 1, 1},
    {"receipt_pickup_small_no_groups_42", "receipt_pickup", 0, 42, 2, 2, 0, 0},
    {"receipt_pickup_reprint_cancel_42", "receipt_pickup", 3, 42, 0, 1, 2, 1},
    // Table orders print only when flagged.
    {"receipt_table_reprint_42", "receipt_table", 1, 42, 0, 1, 2, 1},
    {"receipt_table_cancel_48", "receipt_table", 2, 48, 0, 1, 2, 1},
    // Reservation paid by mobile phone with a point discount, and its cancel.
    {"receipt_reservation_point_42", "receipt_point_discount", 0, 42, 0, 1, 2, 1},
    {"receipt_reservation_point_cancel_42", "receipt_point_discount", 2, 42, 0, 1, 2, 1},
    // Reserved pickup and reserved reservation, paid in advance and at the shop.
    {"receipt_reserved_pickup_42", "receipt_reserved_pickup", 0, 42, 0, 1, 2, 1},
    {"receipt_reserved_reservation_48", "receipt_reserved_reservation", 0, 48, 1, 1, 1, 1},
    // Every discount type, coupons of both kinds.
    {"receipt_all_discounts_42", "receipt_all_discounts", 0, 42, 0, 1, 2, 1},
    {"receipt_all_discounts_cancel_48", "receipt_all_discounts", 2, 48, 0, 1, 2, 1},
    // Long Hangul names and memo, wide quantity and amount columns.
    {"receipt_long_names_42", "receipt_long_names", 0, 42, 1, 1, 2, 1},
    {"receipt_long_names_48", "receipt_long_names", 0, 48, 1, 1, 2, 1},
    {"receipt_long_names_menu_large_42", "receipt_long_names", 0, 42, 2, 0, 2, 1},
    // A channel outside the app: the source's own name, no pay time.
    {"receipt_outside_channel_42", "receipt_outside_channel", 0, 42, 0, 1, 2, 1},
};

TEST_F(PrintPaymentTest, GoldenReceipts)
{
    for (const SGoldenCase& c : kGoldenCases) {
        SCOPED_TRACE(c.pszGolden);
        Configure(c.nLine, c.nMemoSize, c.nMenuSize, c.nOriginSize, c.nOptionGroup);
        m_Setting.SetPickupPaymentPrintCnt(1);
        ASSERT_TRUE(LoadOrder(c.pszOrder));
        docharness::ExpectGolden(c.pszGolden, PrintText(c.nPrintFlag));
    }
}

// --- whether and how often -------------------------------------------------

struct SCopyCase
{
    const char* pszOrder;
    int nPrintFlag;
    int nPickupCopies; // PickupPaymentPrintCnt
    int nCuts;
    const char* pszLog; // a line of the log (CP949)
};

const SCopyCase kCopyCases[] = {
    {"receipt_table", 0, 1, 0,
     "[CPrintPayment::StartPrintData] 테이블 오더(0)이므로, 접수 영수증 출력 스킵"},
    {"receipt_table", 1, 1, 1,
     "[CPrintPayment::GetPrintCopies] 재출력 / 취소출력이므로, 영수증 출력 매수 1장으로 설정"},
    {"receipt_table", 2, 1, 1,
     "[CPrintPayment::StartPrintData] 영수증 출력 시작. 진행 인쇄 매수 [1:1]"},
    {"receipt_delivery", 0, 1, 0,
     "[CPrintPayment::StartPrintData] 배달 오더(5)이므로, 영수증 출력 스킵"},
    {"receipt_delivery", 1, 1, 0,
     "[CPrintPayment::StartPrintData] 배달 오더(5)이므로, 영수증 출력 스킵"},
    {"receipt_delivery_reserved", 0, 1, 0, "배달 오더(6)이므로, 영수증 출력 스킵"},
    {"receipt_pickup_delivery", 2, 1, 0, "배달 오더(7)이므로, 영수증 출력 스킵"},
    {"receipt_pickup", 0, 3, 3,
     "[CPrintPayment::StartPrintData] 영수증 출력 시작. 진행 인쇄 매수 [3:3]"},
    {"receipt_pickup", 0, 3, 3, "[CPrintPayment::GetPrintCopies] 영수증 출력 매수 [3]"},
    {"receipt_pickup", 2, 3, 1, "재출력 / 취소출력이므로, 영수증 출력 매수 1장으로 설정"},
    {"receipt_point_discount", 0, 2, 2, "진행 인쇄 매수 [2:2]"},
    {"receipt_pickup", 0, 0, 0, "[CPrintPayment::GetPrintCopies] 영수증 출력 매수 [0]"},
};

TEST_F(PrintPaymentTest, SkipRulesAndCopies)
{
    for (const SCopyCase& c : kCopyCases) {
        SCOPED_TRACE(std::string(c.pszOrder) + " flags " + std::to_string(c.nPrintFlag));
        m_Setting.SetPickupPaymentPrintCnt(c.nPickupCopies);
        m_Setting.SetDeliveryPaymentPrintCnt(4); // never used by this document
        ASSERT_TRUE(LoadOrder(c.pszOrder));
        SPrintResult result = Print(c.nPrintFlag);
        EXPECT_EQ(result.nStartResult, 0);
        EXPECT_EQ(CountOf(result.strBytes, "\x1B\x69"), c.nCuts);
        if (c.nCuts == 0) {
            EXPECT_EQ(result.strBytes, "\x1B\x40"); // only the job's end
        }
        EXPECT_NE(Log().find(c.pszLog), std::string::npos) << Utf8FromCp949(c.pszLog);
    }
}

// An order whose service type is not known prints one receipt.
TEST_F(PrintPaymentTest, UnknownServiceTypePrintsOneCopy)
{
    m_Setting.SetPickupPaymentPrintCnt(3);
    ASSERT_EQ(LoadOrderText(ChangedOrder("receipt_pickup",
                                         [](Json::Value& o) { o["serviceType"] = "pickup"; })),
              0);
    SPrintResult result = Print(0);
    EXPECT_EQ(result.nStartResult, 0);
    EXPECT_EQ(CountOf(result.strBytes, "\x1B\x69"), 1);
    EXPECT_NE(Log().find("[CPrintPayment::GetPrintCopies] 테이블 오더는 영수증 출력매수 1장"),
              std::string::npos);
}

// --- price block -------------------------------------------------------------

// One price row as printed: label in 30 columns and a blank, amount right
// in the rest (W - 31).
std::string PriceLine(const std::string& strLabel, const std::string& strAmount, int nLine = 42)
{
    std::string strRow = strLabel;
    strRow.resize(31, ' ');
    strRow += std::string(static_cast<size_t>(nLine - 31) - strAmount.size(), ' ') + strAmount;
    return "L|" + Utf8FromCp949(strRow) + "|\n";
}

std::string RuleLine(int nLine = 42)
{
    return "L|" + std::string(static_cast<size_t>(nLine), '-') + "|\n";
}

struct SPriceCase
{
    const char* pszName;
    std::u8string strDiscounts; // the order's discounts array
    int nPrintFlag;
    // Lines from the menu table's closing rule to the total row.
    std::vector<std::pair<std::string, std::string>> vecRows; // label, amount; "" label = rule
};

TEST_F(PrintPaymentTest, CouponLabelsRulesAndSigns)
{
    const SPriceCase kCases[] = {
        {"one owner coupon, nothing else",
         u8R"([{"type":"MEMBERSHIP_COUPON","amt":1000,"companyAmt":0}])",
         0,
         {{"쿠폰(사장님)", "-1,000"}, {"", ""}}},
        {"one service coupon",
         u8R"([{"type":"MEMBERSHIP_COUPON","amt":2000,"companyAmt":2000}])",
         0,
         {{"쿠폰", "-2,000"}, {"", ""}}},
        {"two owner coupons and a service coupon listed first",
         u8R"([{"type":"MEMBERSHIP_COUPON","amt":3000,"companyAmt":1500},
               {"type":"MEMBERSHIP_COUPON","amt":1000,"companyAmt":0},
               {"type":"MEMBERSHIP_COUPON","amt":500,"companyAmt":0}])",
         0,
         {{"쿠폰1(사장님)", "-1,000"}, {"쿠폰2(사장님)", "-500"}, {"쿠폰3", "-3,000"}, {"", ""}}},
        {"one coupon of each kind",
         u8R"([{"type":"MEMBERSHIP_COUPON","amt":1000,"companyAmt":0},
               {"type":"MEMBERSHIP_COUPON","amt":2000,"companyAmt":-1}])",
         0,
         {{"쿠폰1(사장님)", "-1,000"}, {"쿠폰2", "-2,000"}, {"", ""}}},
        {"a coupon of 0 still has its row",
         u8R"([{"type":"MEMBERSHIP_COUPON","amt":0,"companyAmt":0}])",
         0,
         {{"쿠폰(사장님)", "0"}, {"", ""}}},
        {"sums of 0 or less print no row and no rule",
         u8R"([{"type":"TAKEOUT","amt":0},{"type":"MEMBERSHIP_POINT","amt":-300},
               {"type":"GIFT_CARD","amt":0}])",
         0,
         {}},
        {"second group only: no first rule",
         u8R"([{"type":"VOUCHER","amt":5000},{"type":"MEMBERSHIP_POINT","amt":700},
               {"type":"STAMP","amt":100},{"type":"EVENT","amt":200}])",
         0,
         {{"포인트", "-700"}, {"모바일상품권", "-5,000"}, {"기타할인", "-300"}, {"", ""}}},
        {"cancel print: deductions without sign",
         u8R"([{"type":"MEMBERSHIP_COUPON","amt":1000,"companyAmt":0},{"type":"TAKEOUT","amt":1500},
               {"type":"GIFT_CARD","amt":3000}])",
         2,
         {{"쿠폰(사장님)", "1,000"},
          {"픽업할인", "1,500"},
          {"", ""},
          {"충전금", "3,000"},
          {"", ""}}},
    };
    for (const SPriceCase& c : kCases) {
        SCOPED_TRACE(c.pszName);
        const Json::Value discounts = ParseJson(c.strDiscounts);
        ASSERT_EQ(LoadOrderText(ChangedOrder("receipt_pickup",
                                             [&](Json::Value& o) {
                                                 o["discounts"] = discounts;
                                                 o["payAmt"] = 12000;
                                             })),
                  0);
        std::string strExpected = RuleLine();
        for (const auto& [strLabel, strAmount] : c.vecRows) {
            strExpected += strLabel.empty() ? RuleLine() : PriceLine(strLabel, strAmount);
        }
        strExpected += PriceLine("총 결제금액", c.nPrintFlag == 2 ? "-12,000" : "12,000");
        const std::string strText = PrintText(c.nPrintFlag);
        EXPECT_NE(strText.find(strExpected), std::string::npos) << "expected:\n"
                                                                << strExpected << "printed:\n"
                                                                << strText;
    }
}

// --- menu table ----------------------------------------------------------------

struct SSignCase
{
    int nPrintFlag;
    std::u8string strMenuRow;   // decoded, mode marks included
    std::u8string strOptionRow; // decoded
    std::u8string strTotal;     // decoded
};

// Menu and option amounts and quantities carry "-" on a cancel print only,
// and a value that is already negative is never signed twice.
TEST_F(PrintPaymentTest, CancelSignsOfMenusOptionsAndTotal)
{
    const Json::Value menus = ParseJson(u8R"([{"menuName":"비빔밥","cnt":1,"amt":15000,"options":[
                 {"name":"곱빼기","cnt":1,"totAmt":2000,"groupName":""}]},
              {"menuName":"환불","cnt":1,"amt":-500,"options":[]}])");
    ASSERT_EQ(LoadOrderText(ChangedOrder("receipt_point_discount",
                                         [&](Json::Value& o) { o["menus"] = menus; })),
              0);
    const SSignCase kCases[] = {
        {0, u8"L|{BH}비빔밥                        1     15,000{/}|\n",
         u8"L|- 곱빼기                      1      2,000|\n",
         u8"L|총 결제금액                         13,000|\n"},
        {2, u8"L|{BH}(취소)비빔밥                 -1    -15,000{/}|\n",
         u8"L|- (취소)곱빼기               -1     -2,000|\n",
         u8"L|총 결제금액                        -13,000|\n"},
    };
    for (const SSignCase& c : kCases) {
        SCOPED_TRACE(c.nPrintFlag);
        const std::string strText = PrintText(c.nPrintFlag);
        EXPECT_NE(strText.find(Utf8(c.strMenuRow)), std::string::npos) << strText;
        EXPECT_NE(strText.find(Utf8(c.strOptionRow)), std::string::npos) << strText;
        EXPECT_NE(strText.find(Utf8(c.strTotal)), std::string::npos) << strText;
        EXPECT_NE(strText.find(Utf8(u8"환불")), std::string::npos);
        EXPECT_NE(strText.find("-500{/}|"), std::string::npos) << strText;
        EXPECT_EQ(strText.find("--500"), std::string::npos) << strText;
    }
}

// The column widths of the menu table, measured on the menus' own quantity
// and amount texts.
class CMeasuredPayment : public CPrintPayment
{
public:
    using CPrintPayment::GetPaymentLineMenusCharacter;
};

struct SWidthCase
{
    int nLine;
    int nMenuSize;
    int nPrintFlag;
    const char* pszCnt; // JSON values
    const char* pszAmt;
    std::vector<int> vecWidths;
};

TEST_F(PrintPaymentTest, MenuColumnBoundsAt42And48)
{
    const SWidthCase kCases[] = {
        // Narrowest tables.
        {42, 1, 0, "1", "1000", {24, 6, 10}},
        {48, 1, 0, "1", "1000", {28, 7, 11}},
        {42, 2, 0, "1", "1000", {24, 6, 10}},
        // Wider texts widen their column up to its maximum.
        // 1,234,567,890 (13): name 21 is odd, so 20 and the quantity 7.
        {42, 1, 0, "1", "1234567890", {20, 7, 13}},
        // -1,234,567,890 (14) is past the maximum 13 and wraps in its column.
        {42, 1, 2, "1", "1234567890", {20, 7, 13}},
        {48, 1, 0, "1", "1234567890", {26, 7, 13}},
        // -2,147,483,647 (14) within 15; name 25 -> 24, quantity 8.
        {48, 1, 2, "1", "2147483647", {24, 8, 14}},
        // Quantity 7 > 6; name 23 -> 22, quantity 8.
        {42, 1, 0, "1234567", "100", {22, 8, 10}},
        // Held to the int range, 2147483647 (10) is past 9: 9, name 21 -> 20, quantity 10.
        {42, 1, 0, "123456789012", "1", {20, 10, 10}},
        // -2147483647 (11) is the 48-column maximum exactly.
        {48, 1, 2, "12345678901", "1", {24, 11, 11}},
        // Large menu names: fixed widths whatever the texts.
        {42, 0, 0, "1", "1000", {16, 10, 12}},
        {42, 0, 2, "123456", "123456789", {16, 10, 12}},
        {48, 0, 0, "1", "1000", {22, 10, 12}},
    };
    for (const SWidthCase& c : kCases) {
        SCOPED_TRACE(std::to_string(c.nLine) + " size " + std::to_string(c.nMenuSize) + " cnt " +
                     c.pszCnt + " amt " + c.pszAmt + " flags " + std::to_string(c.nPrintFlag));
        SetPrinterKey("LINE", std::to_string(c.nLine));
        m_Setting.SetMenunameSize(c.nMenuSize);
        const std::string strMenu =
            std::string(R"({"menuName":"A","cnt":)") + c.pszCnt + R"(,"amt":)" + c.pszAmt + "}";
        ASSERT_EQ(LoadOrderText(ChangedOrder(
                      "receipt_pickup",
                      [&](Json::Value& o) { o["menus"] = Json::Value(Json::arrayValue); })),
                  0);
        docharness::CHarnessPrinter printer;
        CMeasuredPayment receipt;
        ASSERT_EQ(receipt.SetPrintData(&printer, &m_Data, &m_Setting, c.nPrintFlag, 4), 0);
        std::vector<int> vecWidths;
        EXPECT_EQ(receipt.GetPaymentLineMenusCharacter(vecWidths, {strMenu}), 0);
        EXPECT_EQ(vecWidths, c.vecWidths);
        // Every row fills the line: columns plus their separating blanks.
        const int nBlanks = c.nMenuSize == 0 ? 4 : 2;
        EXPECT_EQ(vecWidths[0] + vecWidths[1] + vecWidths[2] + nBlanks, c.nLine);
        EXPECT_EQ(vecWidths[0] % 2, 0);
    }
}

TEST_F(PrintPaymentTest, LineTypesOtherThan42And48AreRefused)
{
    CPrintPayment receipt;
    EXPECT_EQ(receipt.SetPrintLineCharacterInfo(0), 0);
    EXPECT_EQ(receipt.GetLineCharacter(), 42);
    EXPECT_EQ(receipt.SetPrintLineCharacterInfo(1), 0);
    EXPECT_EQ(receipt.GetLineCharacter(), 48);
    for (int nType : {2, -1, 48}) {
        EXPECT_EQ(receipt.SetPrintLineCharacterInfo(nType), 6);
        EXPECT_NE(Log().find("[CPrintPayment::SetPrintLineCharacterInfo] Not Supported Length "
                             "Type [" +
                             std::to_string(nType) + "]"),
                  std::string::npos);
    }
}

// --- origin notice and foot ------------------------------------------------------

TEST_F(PrintPaymentTest, EmptyOriginNoticeLeavesOneLineFeedBeforeTheCustomerNumber)
{
    m_Folder.WriteFile("Store_Orgin.dat", "");
    ASSERT_TRUE(IniDeleteKey("STORE", "COA", m_Folder.File("Config.ini").c_str()));
    ASSERT_TRUE(LoadOrder("receipt_pickup"));
    ASSERT_EQ(m_Data.GetCOA(), "");
    ASSERT_EQ(m_Setting.GetPrintOrigin(), 1);
    const SPrintResult result = Print(0);
    EXPECT_EQ(result.nStartResult, 0);
    const std::string strFoot = "14,000\r\n\r\n\x1B\x21\x38\x1B\x61\x01주문번호:23\r\n"
                                "\r\n\r\n\r\n\r\n\x1B\x69";
    EXPECT_NE(result.strBytes.find(strFoot), std::string::npos)
        << testsupport::HexBytes(result.strBytes.substr(result.strBytes.size() - 60));
}

TEST_F(PrintPaymentTest, OriginNoticeOnlyWhenPrintOriginIsOne)
{
    ASSERT_TRUE(LoadOrder("receipt_pickup"));
    m_Setting.SetPrintOrigin(0);
    EXPECT_EQ(PrintText(0).find(Utf8(u8"원산지")), std::string::npos);
    m_Setting.SetPrintOrigin(1);
    EXPECT_NE(PrintText(0).find(Utf8(u8"원산지")), std::string::npos);
}

// --- bad order input ---------------------------------------------------------------

struct SBadMenuCase
{
    const char* pszName;
    std::string strMenus;      // the order's menus member (CP949 JSON)
    std::u8string strExpected; // decoded text that must appear ("" none)
    const char* pszLog;        // log text that must appear (null none)
};

// Every decoded line fits the paper: W columns, double width counted twice.
void ExpectLinesFit(const std::string& strText, int nLine)
{
    size_t nStart = 0;
    while (nStart < strText.size()) {
        size_t nEnd = strText.find('\n', nStart);
        if (nEnd == std::string::npos) {
            nEnd = strText.size();
        }
        const std::string strLine = strText.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        if (strLine.size() < 3 || strLine[1] != '|') {
            continue;
        }
        const bool bWide = strLine.find("W}") != std::string::npos;
        std::string strPlain;
        for (size_t i = 2; i < strLine.size(); ++i) {
            if (strLine[i] == '{') {
                i = strLine.find('}', i);
                continue;
            }
            if (strLine[i] == '<') {
                // Unknown bytes in hex ("<B0>", "<B0 20>"): one column each.
                const size_t nClose = strLine.find('>', i);
                strPlain.append((nClose - i) / 3, '?');
                i = nClose;
                continue;
            }
            strPlain += strLine[i];
        }
        if (!strPlain.empty() && strPlain.back() == '|') {
            strPlain.pop_back();
        }
        const int nColumns = static_cast<int>(testsupport::Cp949FromUtf8(
                                                  std::u8string(strPlain.begin(), strPlain.end()))
                                                  .size()) *
                             (bWide ? 2 : 1);
        EXPECT_LE(nColumns, nLine) << strLine;
    }
}

TEST_F(PrintPaymentTest, BadMenuInputPrintsWhatItCan)
{
    std::string strHangul;
    for (int i = 0; i < 1000; ++i) {
        strHangul += "가";
    }
    const SBadMenuCase kCases[] = {
        {"amount as text that is no number", R"([{"menuName":"A","cnt":1,"amt":"abc"}])",
         u8"L|{BH}A                             1          0{/}|", nullptr},
        {"amount as a number in text", R"([{"menuName":"A","cnt":"3","amt":"1000"}])",
         u8"L|{BH}A                             3      1,000{/}|", nullptr},
        {"real quantity, negative amount", R"([{"menuName":"A","cnt":2.9,"amt":-1500}])",
         u8"L|{BH}A                             2     -1,500{/}|", nullptr},
        {"name as a number, no options member", R"([{"menuName":123,"cnt":1,"amt":1}])",
         u8"L|{BH}123                           1          1{/}|", nullptr},
        {"members missing", R"([{}])", u8"L|{BH}                              0          0{/}|",
         nullptr},
        {"options not an array", R"([{"menuName":"A","cnt":1,"amt":1,"options":"x"}])",
         u8"L|{BH}A                             1          1{/}|\nL||", nullptr},
        {"option of wrong types dropped, others kept",
         R"([{"menuName":"A","cnt":1,"amt":1,"options":[{"name":"O","cnt":"x","totAmt":1},
             {"name":"P","cnt":1,"totAmt":1}]}])",
         u8"L|- P                           1          1|", nullptr},
        {"menu that is not an object", R"([5,{"menuName":"B","cnt":1,"amt":2}])",
         u8"L|{BH}B                             1          2{/}|",
         "[CPrintPayment::PrintPaymentMenus] SetRecvDataLocal Menus Fail... Index [0]"},
        {"no menus", "[]",
         u8"L|{H}메 뉴 명                  수 량      금 액{/}|\n"
         u8"L|------------------------------------------|\n"
         u8"L|------------------------------------------|",
         nullptr},
        {"menus not an array", R"("none")", u8"L|{H}메 뉴 명", nullptr},
        {"enormous quantity and amount", R"([{"menuName":"A","cnt":99999999999999,"amt":1e300}])",
         u8"L|{BH}A                  214748364 2,147,483,647{/}|\n"
         u8"L|{BH}                           7 {/}|",
         nullptr},
        {"name of 2000 bytes", R"([{"menuName":")" + strHangul + R"(","cnt":1,"amt":1}])",
         u8"L|{BH}가가가가가가가가가가가가      1          1{/}|", nullptr},
        {"name ending in a lone lead byte", "[{\"menuName\":\"AB\xB0\",\"cnt\":1,\"amt\":1}]", u8"",
         nullptr},
    };
    for (const SBadMenuCase& c : kCases) {
        SCOPED_TRACE(c.pszName);
        Json::Value menus;
        Json::Reader reader;
        ASSERT_TRUE(reader.parse(c.strMenus, menus));
        ASSERT_EQ(LoadOrderText(
                      ChangedOrder("receipt_pickup", [&](Json::Value& o) { o["menus"] = menus; })),
                  0);
        const std::string strText = PrintText(0);
        EXPECT_EQ(CountOf(strText, "-- cut 1B 69"), 1);
        if (!c.strExpected.empty()) {
            EXPECT_NE(strText.find(Utf8(c.strExpected)), std::string::npos) << strText;
        }
        if (c.pszLog != nullptr) {
            EXPECT_NE(Log().find(c.pszLog), std::string::npos) << c.pszLog;
        }
        ExpectLinesFit(strText, 42);
    }
}

// --- failures ------------------------------------------------------------------------

TEST_F(PrintPaymentTest, NotReadySendsNothing)
{
    CPrintPayment receipt;
    EXPECT_EQ(receipt.StartPrintData(), 1);
    EXPECT_NE(Log().find("[CPrintPayment::StartPrintData] Init Data Fail... Check Log"),
              std::string::npos);
}

TEST_F(PrintPaymentTest, FailedDeviceWriteStopsAtTheCut)
{
    m_Setting.SetPickupPaymentPrintCnt(2);
    ASSERT_TRUE(LoadOrder("receipt_pickup"));
    const SPrintResult result = Print(0, 4);
    EXPECT_EQ(result.nStartResult, 1);
    EXPECT_NE(Log().find("[CPrintPayment::StartPrintPayment:18] Printer_CutPaper Fail... "
                         "ErrorCode [4]"),
              std::string::npos);
    // The second copy is not started.
    EXPECT_NE(Log().find("진행 인쇄 매수 [1:2]"), std::string::npos);
    EXPECT_EQ(Log().find("진행 인쇄 매수 [2:2]"), std::string::npos);
}

struct SVanishCase
{
    const char* pszName;
    std::string strMarker; // the printer goes away where this first appears ("" at once)
    int nOccurrence;       // which appearance of the marker (1 first)
    int nPrintOrigin;
    int nCopies;
    const char* pszLog;
    int nCutsTaken; // cuts the printer got before it went away
};

// A printer that goes away mid-receipt: StartPrintData returns 1 at the
// first piece whose send is checked after the loss, and no cut follows.
TEST_F(PrintPaymentTest, PrinterLostMidReceiptStopsWithoutCut)
{
    const SVanishCase kCases[] = {
        {"before anything", "", 1, 1, 1,
         "[CPrintPayment::StartPrintPayment:1] Printer_Send_Init Fail... ErrorCode [3]", 0},
        {"in the menu table, origin notice on", "메 뉴 명", 1, 1, 1,
         "[CPrintPayment::StartPrintPayment:15] Printer_Send_LineFeed Fail... ErrorCode [3]", 0},
        {"in the menu table, origin notice off", "메 뉴 명", 1, 0, 1,
         "[CPrintPayment::StartPrintPayment:16] Printer_Send_LineFeed Fail... ErrorCode [3]", 0},
        {"at the cut", "\r\n\r\n\r\n\r\n\x1B\x69", 1, 1, 1,
         "[CPrintPayment::StartPrintPayment:18] Printer_CutPaper Fail... ErrorCode [3]", 0},
        {"at the start of the second copy", "\x1B\x40", 2, 1, 2,
         "[CPrintPayment::StartPrintPayment:1] Printer_Send_Init Fail... ErrorCode [3]", 1},
    };
    for (const SVanishCase& c : kCases) {
        SCOPED_TRACE(c.pszName);
        m_Setting.SetPrintOrigin(c.nPrintOrigin);
        m_Setting.SetPickupPaymentPrintCnt(c.nCopies);
        ASSERT_TRUE(LoadOrder("receipt_pickup"));
        // Where the piece lies in a complete print.
        const SPrintResult whole = Print(0);
        ASSERT_EQ(whole.nStartResult, 0);
        size_t nLimit = 0;
        if (!c.strMarker.empty()) {
            nLimit = std::string::npos;
            for (int i = 0; i < c.nOccurrence; ++i) {
                nLimit =
                    whole.strBytes.find(c.strMarker, nLimit == std::string::npos ? 0 : nLimit + 1);
                ASSERT_NE(nLimit, std::string::npos);
            }
        }
        // What it took is the complete print up to the lost piece.
        CPrintPayment receipt;
        const std::string strTaken = PrintUntilLost(receipt, nLimit, whole.strBytes, c.pszLog);
        EXPECT_EQ(CountOf(strTaken, "\x1B\x69"), c.nCutsTaken);
    }
}

// --- a real network printer ------------------------------------------------------

// Two copies over a real socket to the virtual printer: it cuts two
// receipts, each the golden receipt.
TEST_F(PrintPaymentTest, NetworkPrinterCutsEveryCopy)
{
    const std::string strExe = docharness::VirtualPrinterPath();
    if (access(strExe.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "zelkor-vprinter is not built (" << strExe << ")";
    }
    Configure(42, 0, 1, 2, 1);
    m_Setting.SetPickupPaymentPrintCnt(2);
    ASSERT_TRUE(LoadOrder("receipt_pickup"));
    const std::string strOut = m_Folder.File("vprinter");
    docharness::PrintToVirtualPrinter(strOut, [this](CPrinterCommunicate& printer) {
        CPrintPayment receipt;
        ASSERT_EQ(receipt.SetPrintData(&printer, &m_Data, &m_Setting, 0, 4), 0);
        EXPECT_EQ(receipt.StartPrintData(), 0);
    });

    for (const char* pszFile : {"/receipt-001.txt", "/receipt-002.txt"}) {
        SCOPED_TRACE(pszFile);
        const std::string strReceipt = testsupport::ReadWholeFile(strOut + pszFile);
        ASSERT_FALSE(strReceipt.empty()) << "no receipt in " << strOut;
        docharness::ExpectGolden("receipt_pickup_42", strReceipt);
    }
}

} // namespace
