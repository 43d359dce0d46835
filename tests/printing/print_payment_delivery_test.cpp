// Delivery receipt: golden receipts of the delivery kinds, the skip and copy
// rules, the address choice, the pieces that depend on the kind of delivery,
// and a printer that fails in the middle of a receipt.
#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "printing/documents/print_payment_delivery.h"
#include "tests/printing/document_harness.h"
#include "tests/support/cp949.h"

#include <functional>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <string>
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

class PrintPaymentDeliveryTest : public CDocumentTest
{
protected:
    // The store file names no copy counts (its default is 0 receipts).
    void SetUp() override
    {
        CDocumentTest::SetUp();
        m_Setting.SetDeliveryPaymentPrintCnt(1);
    }

    // The line type is read from Config.ini (it reloads the store), so it
    // goes first.
    void Configure(int nLine, int nMemoSize, int nRiderSize, int nMenuSize, int nOriginSize)
    {
        SetPrinterKey("LINE", std::to_string(nLine));
        m_Setting.SetReqCustomerSize(nMemoSize);
        m_Setting.SetReqDelivererSize(nRiderSize);
        m_Setting.SetMenunameSize(nMenuSize);
        m_Setting.SetOriginSize(nOriginSize);
        m_Setting.SetPrintOptiongroup(1);
        m_Setting.SetDeliveryPaymentPrintCnt(1);
    }

    // USE_NEWADDR of [PRINT]; null removes the key.
    void SetUseNewAddr(const char* pszValue)
    {
        ASSERT_TRUE(
            IniWriteString("PRINT", "USE_NEWADDR", pszValue, m_Folder.File("Config.ini").c_str()));
    }

    // The document reads USE_NEWADDR when it is constructed.
    SPrintResult Print(int nPrintFlag, int nWriteResult = 0)
    {
        CPrintPaymentDelivery receipt;
        return PrintDocument(receipt, m_Data, m_Setting, nPrintFlag, 4, nWriteResult);
    }

    std::string PrintText(int nPrintFlag)
    {
        CPrintPaymentDelivery receipt;
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
    int nMemoSize;  // ReqCustomerSize
    int nRiderSize; // ReqDelivererSize
    int nMenuSize;  // MenunameSize
    int nOriginSize;
    const char* pszUseNewAddr; // null: key absent
};

const SGoldenCase kGoldenCases[] = {
    // Delivery (type 5) with a service-paid coupon and a safe number.
    {"delivery_receipt_delivery_42", "receipt_delivery", 0, 42, 0, 0, 1, 2, nullptr},
    {"delivery_receipt_delivery_48", "receipt_delivery", 0, 48, 0, 0, 1, 2, "1"},
    {"delivery_receipt_delivery_lot_address_42", "receipt_delivery", 0, 42, 1, 2, 1, 2, "0"},
    {"delivery_receipt_delivery_reprint_42", "receipt_delivery", 1, 42, 0, 0, 1, 2, nullptr},
    {"delivery_receipt_delivery_cancel_48", "receipt_delivery", 2, 48, 0, 0, 1, 2, nullptr},
    // Every text size.
    {"delivery_receipt_delivery_normal_sizes_42", "receipt_delivery", 0, 42, 1, 1, 1, 1, nullptr},
    {"delivery_receipt_delivery_small_sizes_42", "receipt_delivery", 0, 42, 2, 2, 2, 0, nullptr},
    {"delivery_receipt_delivery_menu_large_48", "receipt_delivery", 0, 48, 2, 1, 0, 0, nullptr},
    // Reserved delivery (type 6): due time in the head, fee 0, no road address.
    {"delivery_receipt_reserved_42", "receipt_delivery_reserved", 0, 42, 0, 0, 1, 2, nullptr},
    {"delivery_receipt_reserved_48", "receipt_delivery_reserved", 0, 48, 1, 1, 1, 2, nullptr},
    // Pickup carried by a delivery service (type 7): no address, rider memo
    // or customer number.
    {"delivery_receipt_pickup_delivery_42", "receipt_pickup_delivery", 0, 42, 0, 0, 1, 2, nullptr},
    {"delivery_receipt_pickup_delivery_cancel_48", "receipt_pickup_delivery", 2, 48, 0, 0, 1, 2,
     nullptr},
    // Multi-line memos, three discount kinds.
    {"delivery_receipt_two_line_memos_42", "delivery_order", 0, 42, 0, 0, 1, 2, nullptr},
};

TEST_F(PrintPaymentDeliveryTest, GoldenReceipts)
{
    for (const SGoldenCase& c : kGoldenCases) {
        SCOPED_TRACE(c.pszGolden);
        Configure(c.nLine, c.nMemoSize, c.nRiderSize, c.nMenuSize, c.nOriginSize);
        SetUseNewAddr(c.pszUseNewAddr);
        ASSERT_TRUE(LoadOrder(c.pszOrder));
        docharness::ExpectGolden(c.pszGolden, PrintText(c.nPrintFlag));
    }
}

// --- whether and how often -------------------------------------------------

struct SCopyCase
{
    const char* pszOrder;
    int nPrintFlag;
    int nDeliveryCopies; // DeliveryPaymentPrintCnt
    int nCuts;
    const char* pszLog; // a line of the log (CP949)
};

const SCopyCase kCopyCases[] = {
    {"receipt_pickup", 0, 2, 0,
     "[CPrintPaymentDelivery::StartPrintData] 배달 오더(1)가 아니므로, 배달 영수증 출력 스킵"},
    {"receipt_point_discount", 1, 2, 0, "배달 오더(2)가 아니므로, 배달 영수증 출력 스킵"},
    {"receipt_table", 2, 2, 0, "배달 오더(0)가 아니므로, 배달 영수증 출력 스킵"},
    {"receipt_delivery", 0, 2, 2,
     "[CPrintPaymentDelivery::StartPrintData] 배달 영수증 출력 시작. 진행 인쇄 매수 [2:2]"},
    {"receipt_delivery", 0, 2, 2,
     "[CPrintPaymentDelivery::GetPrintCopies] 배달 영수증 출력 매수 [2]"},
    {"receipt_delivery_reserved", 1, 3, 1,
     "[CPrintPaymentDelivery::GetPrintCopies] 재출력 / 취소출력이므로, 배달 영수증 출력 매수 "
     "1장으로 설정"},
    {"receipt_pickup_delivery", 0, 3, 3, "배달 영수증 출력 시작. 진행 인쇄 매수 [3:3]"},
    {"receipt_pickup_delivery", 2, 3, 1, "배달 영수증 출력 시작. 진행 인쇄 매수 [1:1]"},
    {"receipt_delivery", 0, 0, 0, "배달 영수증 출력 매수 [0]"},
};

TEST_F(PrintPaymentDeliveryTest, SkipRuleAndCopies)
{
    for (const SCopyCase& c : kCopyCases) {
        SCOPED_TRACE(std::string(c.pszOrder) + " flags " + std::to_string(c.nPrintFlag));
        m_Setting.SetDeliveryPaymentPrintCnt(c.nDeliveryCopies);
        m_Setting.SetPickupPaymentPrintCnt(4); // never used by this document
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

// --- address -----------------------------------------------------------------

class CAddressReceipt : public CPrintPaymentDelivery
{
public:
    using CPrintPaymentDelivery::GetDeliveryAddress;
    using CPrintPaymentDelivery::GetDeliveryAddressDetail;
};

struct SAddressCase
{
    const char* pszUseNewAddr; // null: key absent
    const char* pszRoadAddr;
    const char* pszAddr;
    const char* pszRoadDetail;
    const char* pszAddrDetail;
    const char* pszAddress;
    const char* pszDetail;
};

TEST_F(PrintPaymentDeliveryTest, AddressAndDetailChosenEachOnItsOwn)
{
    const SAddressCase kCases[] = {
        {nullptr, "R", "A", "RD", "AD", "R", "RD"},
        {"1", "R", "A", "RD", "AD", "R", "RD"},
        {"0", "R", "A", "RD", "AD", "A", "AD"},
        {"2", "R", "A", "RD", "AD", "A", "AD"}, // only 1 means road names
        {"yes", "R", "A", "RD", "AD", "A", "AD"},
        {"1", "", "A", "RD", "AD", "A", "RD"},
        {"1", "R", "A", "", "AD", "R", "AD"},
        {"0", "R", "", "RD", "AD", "R", "AD"},
        {"0", "R", "A", "RD", "", "A", "RD"},
        {"1", "", "", "", "", "", ""},
    };
    for (const SAddressCase& c : kCases) {
        SCOPED_TRACE(std::string(c.pszUseNewAddr ? c.pszUseNewAddr : "absent") + " " +
                     c.pszRoadAddr + "/" + c.pszAddr + " " + c.pszRoadDetail + "/" +
                     c.pszAddrDetail);
        SetUseNewAddr(c.pszUseNewAddr);
        ASSERT_EQ(LoadOrderText(ChangedOrder("receipt_delivery",
                                             [&](Json::Value& o) {
                                                 o["roadAddr"] = c.pszRoadAddr;
                                                 o["addr"] = c.pszAddr;
                                                 o["roadAddrDetail"] = c.pszRoadDetail;
                                                 o["addrDetail"] = c.pszAddrDetail;
                                             })),
                  0);
        docharness::CHarnessPrinter printer;
        CAddressReceipt receipt;
        ASSERT_EQ(receipt.SetPrintData(&printer, &m_Data, &m_Setting, 0, 4), 0);
        EXPECT_EQ(receipt.GetDeliveryAddress(), c.pszAddress);
        EXPECT_EQ(receipt.GetDeliveryAddressDetail(), c.pszDetail);
    }
}

// The preference is read when the document is made: one job sees one value.
TEST_F(PrintPaymentDeliveryTest, RoadNamePreferenceReadOncePerDocument)
{
    SetUseNewAddr("0");
    CPrintPaymentDelivery receipt;
    SetUseNewAddr("1");
    EXPECT_EQ(receipt.GetUseNewAddr(), 0);
    EXPECT_EQ(CPrintPaymentDelivery().GetUseNewAddr(), 1);
    m_Folder.WriteFile("Config.ini", "");
    EXPECT_EQ(CPrintPaymentDelivery().GetUseNewAddr(), 1);
}

// --- pieces by kind of delivery ------------------------------------------------

struct SKindCase
{
    const char* pszOrder;
    bool bDueTime;  // "배달 예정 시간" in the head block, between two rules
    bool bAddress;  // "배달주소 :"
    bool bRider;    // "[배달 기사님께]" and the rider memo
    bool bCustomer; // "주문번호:" at the foot
};

TEST_F(PrintPaymentDeliveryTest, PiecesDependOnTheKindOfDelivery)
{
    const SKindCase kCases[] = {
        {"receipt_delivery", false, true, true, true},
        {"receipt_delivery_reserved", true, true, true, true},
        {"receipt_pickup_delivery", false, false, false, false},
    };
    const std::string strRule = "L|" + std::string(42, '-') + "|\n";
    for (const SKindCase& c : kCases) {
        SCOPED_TRACE(c.pszOrder);
        ASSERT_TRUE(LoadOrder(c.pszOrder));
        const std::string strText = PrintText(0);
        EXPECT_EQ(strText.find(strRule + Utf8(u8"L|{BH}배달 예정 시간 : 18:30{/}|\n") + strRule) !=
                      std::string::npos,
                  c.bDueTime);
        EXPECT_EQ(CountOf(strText, Utf8(u8"배달 예정 시간")), c.bDueTime ? 1 : 0);
        EXPECT_EQ(strText.find(Utf8(u8"배달주소 : ")) != std::string::npos, c.bAddress);
        EXPECT_EQ(strText.find(Utf8(u8"[배달 기사님께]")) != std::string::npos, c.bRider);
        EXPECT_EQ(strText.find(Utf8(u8"주문번호:")) != std::string::npos, c.bCustomer);
        // The contact line is on every delivery receipt.
        EXPECT_NE(strText.find(Utf8(u8"L|{BH}연락처 : 0")), std::string::npos);
    }
}

// The fee row is printed also when the fee is 0, with its rule, and signed
// like the total.
TEST_F(PrintPaymentDeliveryTest, DeliveryFeeRowAlwaysPrinted)
{
    struct
    {
        int nFee;
        int nPrintFlag;
        std::u8string strRow;
    } const kCases[] = {
        {0, 0, u8"L|배달비                                   0|\n"},
        {3000, 0, u8"L|배달비                               3,000|\n"},
        {3000, 2, u8"L|배달비                              -3,000|\n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.nFee);
        ASSERT_EQ(LoadOrderText(ChangedOrder("receipt_delivery_reserved",
                                             [&](Json::Value& o) { o["deliveryAmt"] = c.nFee; })),
                  0);
        const std::string strText = PrintText(c.nPrintFlag);
        // Closing rule of the menu table, fee, its rule, total (no discounts).
        const std::string strRule = "L|" + std::string(42, '-') + "|\n";
        const std::u8string strTotal = c.nPrintFlag == 2
                                           ? u8"L|총 결제금액                        -52,000|\n"
                                           : u8"L|총 결제금액                         52,000|\n";
        EXPECT_NE(strText.find(strRule + Utf8(c.strRow) + strRule + Utf8(strTotal)),
                  std::string::npos)
            << strText;
    }
}

// Without a customer identifier the foot has neither the line feed nor the
// number: the cut follows the price block directly.
TEST_F(PrintPaymentDeliveryTest, NoCustomerIdentifierNoFoot)
{
    m_Setting.SetPrintOrigin(0);
    ASSERT_EQ(LoadOrderText(ChangedOrder("receipt_delivery",
                                         [](Json::Value& o) {
                                             o["safeTelNo"] = "";
                                             o["telNo"] = "";
                                         })),
              0);
    const SPrintResult result = Print(0);
    EXPECT_EQ(result.nStartResult, 0);
    const std::string strEnd = "27,500\r\n\r\n\r\n\r\n\r\n\x1B\x69\x1B\x40";
    ASSERT_GE(result.strBytes.size(), strEnd.size());
    EXPECT_EQ(result.strBytes.substr(result.strBytes.size() - strEnd.size()), strEnd)
        << testsupport::HexBytes(result.strBytes.substr(result.strBytes.size() - 40));
}

// --- failures ------------------------------------------------------------------------

TEST_F(PrintPaymentDeliveryTest, NotReadySendsNothing)
{
    CPrintPaymentDelivery receipt;
    EXPECT_EQ(receipt.StartPrintData(), 1);
    EXPECT_NE(Log().find("[CPrintPaymentDelivery::StartPrintData] Init Data Fail... Check Log"),
              std::string::npos);
    EXPECT_EQ(receipt.SetPrintLineCharacterInfo(2), 6);
    EXPECT_NE(Log().find("[CPrintPaymentDelivery::SetPrintLineCharacterInfo] Not Supported "
                         "Length Type [2]"),
              std::string::npos);
}

TEST_F(PrintPaymentDeliveryTest, FailedDeviceWriteStopsAtTheCut)
{
    m_Setting.SetDeliveryPaymentPrintCnt(2);
    ASSERT_TRUE(LoadOrder("receipt_delivery"));
    const SPrintResult result = Print(0, 4);
    EXPECT_EQ(result.nStartResult, 1);
    EXPECT_NE(Log().find("[CPrintPaymentDelivery::StartPrintDeliveryOrderPayment:20] "
                         "Printer_Send_CutPaper Fail... ErrorCode [4]"),
              std::string::npos);
    EXPECT_EQ(Log().find("진행 인쇄 매수 [2:2]"), std::string::npos);
}

struct SVanishCase
{
    const char* pszName;
    const char* pszOrder;
    std::string strMarker; // the printer goes away where this first appears ("" at once)
    int nPrintOrigin;
    const char* pszLog;
};

// A printer that goes away mid-receipt: StartPrintData returns 1 at the
// first piece whose send is checked after the loss, and no cut follows.
TEST_F(PrintPaymentDeliveryTest, PrinterLostMidReceiptStopsWithoutCut)
{
    const SVanishCase kCases[] = {
        {"before anything", "receipt_delivery", "", 1,
         "[CPrintPaymentDelivery::StartPrintDeliveryOrderPayment:1] Printer_Send_Init Fail... "
         "ErrorCode [3]"},
        {"in the menu table, origin notice on", "receipt_delivery", "메 뉴 명", 1,
         "[CPrintPaymentDelivery::StartPrintDeliveryOrderPayment:18] Printer_Send_LineFeed "
         "Fail... ErrorCode [3]"},
        {"in the menu table, origin notice off", "receipt_delivery", "메 뉴 명", 0,
         "[CPrintPaymentDelivery::StartPrintDeliveryOrderPayment:19] Printer_Send_LineFeed "
         "Fail... ErrorCode [3]"},
        {"pickup delivered, in the price block", "receipt_pickup_delivery", "배달비", 0,
         "[CPrintPaymentDelivery::StartPrintDeliveryOrderPayment:20] Printer_Send_CutPaper "
         "Fail... ErrorCode [3]"},
    };
    for (const SVanishCase& c : kCases) {
        SCOPED_TRACE(c.pszName);
        m_Setting.SetPrintOrigin(c.nPrintOrigin);
        ASSERT_TRUE(LoadOrder(c.pszOrder));
        const SPrintResult whole = Print(0);
        ASSERT_EQ(whole.nStartResult, 0);
        const size_t nLimit = c.strMarker.empty() ? 0 : whole.strBytes.find(c.strMarker);
        ASSERT_NE(nLimit, std::string::npos);
        // What it took is the complete print up to the lost piece, uncut.
        CPrintPaymentDelivery receipt;
        const std::string strTaken = PrintUntilLost(receipt, nLimit, whole.strBytes, c.pszLog);
        EXPECT_EQ(strTaken.find("\x1B\x69"), std::string::npos);
    }
}

} // namespace
