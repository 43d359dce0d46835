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
using docharness::DecodeText;
using docharness::PrintDocument;
using docharness::SPrintResult;
using testsupport::Cp949FromUtf8;
using testsupport::Utf8FromCp949;

[[maybe_unused]] std::string Utf8(const std::u8string& str)
{
    return std::string(str.begin(), str.end());
}

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
        SPrintResult result = Print(nPrintFlag);
        EXPECT_EQ(result.nSetResult, 0);
        EXPECT_EQ(result.nStartResult, 0);
        return DecodeText(result.strBytes);
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

} // namespace
