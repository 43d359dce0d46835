// Customer receipt: golden receipts of the order corpus, the skip and copy
// rules, coupon labels, cancel signs, menu-column bounds, bad order input and
// a printer that fails in the middle of a receipt.
#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "printing/documents/print_payment.h"
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

std::string Utf8(const std::u8string& str)
{
    return std::string(str.begin(), str.end());
}

[[maybe_unused]] int CountOf(const std::string& strText, const std::string& strPart)
{
    int nCount = 0;
    for (size_t nPos = strText.find(strPart); nPos != std::string::npos;
         nPos = strText.find(strPart, nPos + strPart.size())) {
        ++nCount;
    }
    return nCount;
}

// A fixture order with some members changed (texts given as CP949).
[[maybe_unused]] std::string ChangedOrder(const std::string& strFixture,
                                          const std::function<void(Json::Value&)>& fn)
{
    Json::Value order;
    Json::Reader reader;
    EXPECT_TRUE(reader.parse(docharness::ReadDataFile("orders/" + strFixture + ".json"), order));
    fn(order);
    return CjsonCtrl::StyledText(order);
}

[[maybe_unused]] Json::Value ParseJson(const std::u8string& strUtf8)
{
    Json::Value value;
    Json::Reader reader;
    EXPECT_TRUE(reader.parse(Cp949FromUtf8(strUtf8), value)) << Utf8(strUtf8);
    return value;
}

class PrintPaymentTest : public CDocumentTest
{
protected:
    // Settings of one receipt; the line type is read from Config.ini, so it
    // goes first (it reloads the store).
    void Configure(int nLine, int nMemoSize, int nMenuSize, int nOriginSize, int nOptionGroup)
    {
        SetPrinterKey("LINE", std::to_string(nLine));
        m_Setting.SetReqCustomerSize(nMemoSize);
        m_Setting.SetMenunameSize(nMenuSize);
        m_Setting.SetOriginSize(nOriginSize);
        m_Setting.SetPrintOptiongroup(nOptionGroup);
    }

    SPrintResult Print(int nPrintFlag, int nWriteResult = 0)
    {
        CPrintPayment receipt;
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

} // namespace
