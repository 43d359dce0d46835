// Sales report: golden reports at 42 and 48 columns, amount texts from the
// JSON text of each member, period and time texts, the parse and setup
// refusals, and a printer failing mid-page.
#include "printing/documents/print_sales.h"
#include "printing/documents/print_sales_data.h"
#include "tests/printing/document_harness.h"
#include "tests/support/cp949.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using docharness::CDocumentTest;
using docharness::CFailingPort;
using docharness::CFailingPrinter;
using docharness::CountOf;
using docharness::DecodeText;
using docharness::ExpectGolden;
using testsupport::HexBytes;

namespace {

constexpr const char* kCut = "\x1b\x69";

class PrintSalesTest : public CDocumentTest
{
protected:
    // Prints the report of strJson on line type nLineType; returns all bytes.
    std::string PrintReport(const std::string& strJson, int nLineType, int nBottomLineFeed = 4)
    {
        CPrintSalesData data;
        EXPECT_EQ(data.SetJsonData(strJson), 0);
        return docharness::PrintWith([&](docharness::CHarnessPrinter& printer) {
            CPrintSales sales;
            EXPECT_EQ(sales.SetPrintData(&printer, &data, nLineType, 0, nBottomLineFeed), 0);
            EXPECT_EQ(sales.StartPrintData(), 0);
        });
    }
};

// ESC ! 0, ESC a 0, the row and its line feed, as PrintColumns sends a row.
std::string PlainRow(const std::string& strRow)
{
    return std::string("\x1b!\0\x1b"
                       "a\0",
                       6) +
           strRow + "\r\n";
}

// ---------------------------------------------------------------------------
// Golden reports.

TEST_F(PrintSalesTest, PrintsTheReviewedReports)
{
    struct SCase
    {
        const char* pszGolden;
        const char* pszSales;
        int nLineType;
    } const cases[] = {
        {"sales_month_42", "sales/month.json", 0},
        {"sales_month_48", "sales/month.json", 1},
        {"sales_odd_values_42", "sales/odd_values.json", 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszGolden);
        const std::string strBytes = PrintReport(docharness::ReadDataFile(c.pszSales), c.nLineType);
        // One copy, one cut; the job's end adds the last ESC @.
        EXPECT_EQ(CountOf(strBytes, kCut), 1);
        ExpectGolden(c.pszGolden, DecodeText(strBytes));
    }
}

// ---------------------------------------------------------------------------
// Amounts: the JSON text of the member, formatted, right-aligned.

TEST_F(PrintSalesTest, AmountRowsFormatTheMembersJsonText)
{
    struct SCase
    {
        const char* pszMember; // JSON member text, or nullptr for a missing member
        const char* pszAmount;
    } const cases[] = {
        {"1234567", "1,234,567"},
        {"0", "0"},
        {"999", "999"},
        {"-154000", "-154,000"},
        {"1234.5", "1,235"},
        {"1234.4", "1,234"},
        {"-0.6", "-1"},
        {"1234567890123456", "1,234,567,890,123,456"}, // fills the column at 42
        {"\"1000\"", ""},                              // a string keeps its quotes: no number
        {"\"\"", ""},
        {"null", ""},
        {nullptr, ""},
        {"true", ""},
        {"[1000]", ""},
        {"{\"v\":1000}", ""},
        {"1e+21", ""},
    };
    for (int nLineType : {0, 1}) {
        const int W = nLineType == 0 ? 42 : 48;
        for (const SCase& c : cases) {
            SCOPED_TRACE(std::string(c.pszMember != nullptr ? c.pszMember : "(missing)") + " at " +
                         std::to_string(W));
            std::string strJson = "{\"shopName\":\"A\"";
            if (c.pszMember != nullptr) {
                strJson += std::string(",\"totalOrderAmount\":") + c.pszMember;
            }
            strJson += "}";
            const std::string strBytes = PrintReport(strJson, nLineType);
            // Label in 20 columns and a blank, the amount right-aligned in W - 21.
            const std::string strLabel = "총 주문 금액";
            const std::string strAmount = c.pszAmount;
            const std::string strRow = strLabel + std::string(21 - strLabel.size(), ' ') +
                                       std::string(W - 21 - strAmount.size(), ' ') + strAmount;
            ASSERT_EQ(strRow.size(), static_cast<size_t>(W));
            EXPECT_NE(strBytes.find(PlainRow(strRow)), std::string::npos) << DecodeText(strBytes);
        }
    }
}

TEST_F(PrintSalesTest, EveryRowPrintsWhateverItsValue)
{
    const std::string strBytes = PrintReport("{}", 0);
    const char* const labels[] = {
        "매 장 명 :",       "기    간 :",        "출력일시 :",   "총 주문 금액",
        "- 메뉴 주문 금액", "- 일회용컵 보증금", "- 배달비",     "사장님 할인",
        "- 사장님 쿠폰",    "- 포장 할인",       "총 결제 금액", "거절/취소 주문 금액"};
    size_t nPos = 0;
    for (const char* pszLabel : labels) {
        SCOPED_TRACE(testsupport::Utf8FromCp949(pszLabel));
        const size_t nFound =
            strBytes.find(PlainRow(pszLabel).substr(0, 6 + strlen(pszLabel)), nPos);
        ASSERT_NE(nFound, std::string::npos) << DecodeText(strBytes);
        nPos = nFound;
    }
    EXPECT_NE(strBytes.find("--.--.--~--.--.--"), std::string::npos);
    EXPECT_NE(strBytes.find("----.--.-- --:--"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Period and report time.

TEST(PrintSalesTextTest, PeriodAndReportTimeTexts)
{
    struct SPeriod
    {
        const char* pszFrom;
        const char* pszTo;
        const char* pszText;
    } const periods[] = {
        {"20240101", "20240131", "2024.01.01~2024.01.31"},
        {"240101", "20240131", "--.--.--~2024.01.31"},
        {"20240101", "2024013", "2024.01.01~--.--.--"},
        {"", "", "--.--.--~--.--.--"},
        // A date that carries a time as well still shows its own day.
        {"202401010000", "20240131235959", "2024.01.01~2024.01.31"},
    };
    for (const SPeriod& p : periods) {
        EXPECT_EQ(CPrintSales::GetPeriodText(p.pszFrom, p.pszTo), p.pszText) << p.pszFrom;
    }
    struct STime
    {
        const char* pszDatetime;
        const char* pszText;
    } const times[] = {
        {"202402010915", "2024.02.01 09:15"},
        {"20240201091530123", "2024.02.01 09:15"},
        {"20240201091", "----.--.-- --:--"},
        {"", "----.--.-- --:--"},
    };
    for (const STime& t : times) {
        EXPECT_EQ(CPrintSales::GetReportTimeText(t.pszDatetime), t.pszText) << t.pszDatetime;
    }
}

// ---------------------------------------------------------------------------
// Parsing the sales JSON.

TEST_F(PrintSalesTest, SalesDataKeepsTextsAndJsonTexts)
{
    CPrintSalesData data;
    ASSERT_EQ(data.SetJsonData(docharness::ReadDataFile("sales/month.json")), 0);
    EXPECT_TRUE(data.IsSetJsonData());
    EXPECT_EQ(data.GetShopName(), "젤코르 분식 정자점");
    EXPECT_EQ(data.GetFrom(), "20240101");
    EXPECT_EQ(data.GetTo(), "20240131");
    EXPECT_EQ(data.GetDatetime(), "202402010915");
    EXPECT_EQ(data.GetTotalOrderAmount(), "8765432\n");
    EXPECT_EQ(data.GetGreenDeposit(), "12000\n");
    EXPECT_EQ(data.GetTotalOrderDiscountAmount(), "-154000\n");
    EXPECT_EQ(data.GetOrderCount(), "412\n");
    EXPECT_EQ(data.GetCancelCount(), "3\n");
    EXPECT_EQ(data.GetPreviousTotalOrderAmount(), "7998000\n");
    // The log shows the parsed document at DEBUG.
    EXPECT_NE(Log().find("RECV_DATA"), std::string::npos);

    CPrintSalesData odd;
    ASSERT_EQ(odd.SetJsonData(docharness::ReadDataFile("sales/odd_values.json")), 0);
    EXPECT_EQ(odd.GetTotalOrderAmount(), "\"1000\"\n");
    EXPECT_EQ(odd.GetOrderDeliveryAmount(), "null\n");
    EXPECT_EQ(odd.GetGreenDeposit(), "null\n");
}

TEST_F(PrintSalesTest, SalesDataRefusesWhatIsNoSalesObject)
{
    {
        CPrintSalesData data;
        EXPECT_EQ(data.SetJsonData(nullptr), 5);
        EXPECT_FALSE(data.IsSetJsonData());
        EXPECT_NE(Log().find("[CPrintSalesData::SetJsonData] Input Param NULL"), std::string::npos);
    }
    struct SCase
    {
        const char* pszText;
        const char* pszLog;
    } const cases[] = {
        {"{\"shopName\": ", "[CPrintSalesData::SetJsonData] SetRecvDataLocal [{\"shopName\": ]"},
        {"", "[CPrintSalesData::SetJsonData] SetRecvDataLocal []"},
        {"[1,2]", "[CPrintSalesData::SetJsonData] SetRecvDataLocal [[1,2]]"},
        {"5000", "[CPrintSalesData::SetJsonData] SetRecvDataLocal [5000]"},
        {"{\"shopName\":5,\"totalOrderAmount\":1}",
         "[CPrintSalesData::SetJsonData] Member Type Fail"},
        {"{\"from\":[2024]}", "[CPrintSalesData::SetJsonData] Member Type Fail"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszText);
        CPrintSalesData data;
        EXPECT_EQ(data.SetJsonData(std::string(c.pszText)), 2);
        EXPECT_FALSE(data.IsSetJsonData());
        EXPECT_EQ(data.GetTotalOrderAmount(), "");
        EXPECT_NE(Log().find(c.pszLog), std::string::npos);
    }
}

// ---------------------------------------------------------------------------
// Setup and refusals: nothing reaches the printer.

TEST_F(PrintSalesTest, SetPrintDataChecksPrinterThenLineType)
{
    CPrintSalesData data;
    ASSERT_EQ(data.SetJsonData(std::string("{}")), 0);

    docharness::CHarnessPrinter printer;
    CPrintSales sales;
    EXPECT_EQ(sales.SetPrintData(&printer, &data, 2, 0, 4), 1);
    EXPECT_EQ(sales.IsReady(), 0);
    EXPECT_EQ(sales.StartPrintData(), 1);
    EXPECT_EQ(printer.Bytes(), "");
    const std::string strLog = Log();
    EXPECT_NE(strLog.find("[CPrintSales::SetPrintLineCharacterInfo] Not Supported Length Type [2]"),
              std::string::npos);
    EXPECT_NE(strLog.find("[CPrintSales::SetPrintData] SetPrintLineCharacterInfo Fail... Length "
                          "Type [2]"),
              std::string::npos);
    EXPECT_NE(strLog.find("[CPrintSales::StartPrintData] Init Data Fail... Check Log"),
              std::string::npos);

    EXPECT_EQ(sales.SetPrintData(&printer, &data, 1, 77, 6), 0);
    EXPECT_EQ(sales.GetLineCharacter(), 48);
    EXPECT_EQ(sales.GetBottomLineFeed(), 6);
    EXPECT_NE(Log().find("[CPrintSales::SetPrintData] Success... Set Line Length [48]"),
              std::string::npos);
    EXPECT_EQ(sales.SetPrintData(&printer, &data, 0, 0, 4), 0);
    EXPECT_EQ(sales.GetLineCharacter(), 42);

    // A printer that is not open (or none) is refused before the line type.
    printer.PrinterClose();
    EXPECT_EQ(sales.SetPrintData(&printer, &data, 2, 0, 4), 3);
    EXPECT_EQ(sales.IsReady(), 0);
    EXPECT_EQ(sales.SetPrintData(nullptr, &data, 0, 0, 4), 3);
    EXPECT_NE(Log().find("[CPrintSales::SetPrintData] IsSuccessOpenPrinter Fail"),
              std::string::npos);
}

TEST_F(PrintSalesTest, MissingSalesDataSendsNothing)
{
    docharness::CHarnessPrinter printer;
    CPrintSales sales;
    ASSERT_EQ(sales.SetPrintData(&printer, nullptr, 0, 0, 4), 0);
    EXPECT_EQ(sales.StartPrintData(), 1);
    EXPECT_EQ(printer.Bytes(), "");
    EXPECT_NE(Log().find("[CPrintSales::StartPrintData] SalesPrintData is Null..."),
              std::string::npos);
}

TEST_F(PrintSalesTest, FailureMidPageStopsWithoutACut)
{
    CPrintSalesData data;
    ASSERT_EQ(data.SetJsonData(docharness::ReadDataFile("sales/month.json")), 0);
    auto ruleLineFeed = [](char ch, int nNth) {
        return [ch, nNth](const std::vector<std::string>& calls) {
            int nSeen = 0;
            for (size_t i = 0; i + 1 < calls.size(); ++i) {
                if (calls[i].find(std::string(42, ch)) != std::string::npos && ++nSeen == nNth) {
                    return static_cast<int>(i + 1);
                }
            }
            return -1;
        };
    };
    struct SCase
    {
        const char* pszName;
        std::function<int(const std::vector<std::string>&)> fnChoose;
        bool bPersistent;
        const char* pszLog;
    };
    const std::vector<SCase> cases = {
        {"init", [](const std::vector<std::string>&) { return 0; }, true,
         "[CPrintSales::StartPrintData] Printer_Init Fail... Error [4]"},
        {"first = rule", ruleLineFeed('=', 1), false,
         "[CPrintSales::StartPrintData:2] Printer_PrintMsg Fail... ErrorCode [4]"},
        {"- rule", ruleLineFeed('-', 1), false,
         "[CPrintSales::StartPrintData:3] Printer_PrintMsg Fail... ErrorCode [4]"},
        {"second = rule", ruleLineFeed('=', 2), false,
         "[CPrintSales::StartPrintData:4] Printer_PrintMsg Fail... ErrorCode [4]"},
        {"third = rule", ruleLineFeed('=', 3), false,
         "[CPrintSales::StartPrintData:5] Printer_PrintMsg Fail... ErrorCode [4]"},
        {"cut of a dead page", [](const std::vector<std::string>&) { return 1; }, true,
         "[CPrintSales::StartPrintData] Printer_Send_CutPaper Fail... ErrorCode [4]"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        std::vector<std::string> vecCalls;
        {
            CFailingPrinter printer;
            CPrintSales sales;
            ASSERT_EQ(sales.SetPrintData(&printer, &data, 0, 0, 4), 0);
            ASSERT_EQ(sales.StartPrintData(), 0);
            vecCalls = printer.FailingPort()->m_Calls;
        }
        const int nFail = c.fnChoose(vecCalls);
        ASSERT_GE(nFail, 0);

        CFailingPrinter printer;
        printer.FailAt(nFail, c.bPersistent);
        if (!c.bPersistent) {
            ASSERT_EQ(vecCalls[static_cast<size_t>(nFail)], "\r\n");
        }
        CPrintSales sales;
        ASSERT_EQ(sales.SetPrintData(&printer, &data, 0, 0, 4), 0);
        EXPECT_EQ(sales.StartPrintData(), 1);
        const std::vector<std::string>& calls = printer.FailingPort()->m_Calls;
        if (!c.bPersistent) {
            // Nothing is sent after the failed piece.
            EXPECT_EQ(static_cast<int>(calls.size()), nFail + 1);
        }
        EXPECT_EQ(CountOf(printer.DeviceBytes(), kCut), 0) << HexBytes(printer.DeviceBytes());
        EXPECT_NE(Log().find(c.pszLog), std::string::npos) << c.pszLog;
    }
}

} // namespace
