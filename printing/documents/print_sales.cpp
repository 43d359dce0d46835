// CPrintSales: lays out the sales figures of a period on one page.
#include "printing/documents/print_sales.h"

#include "foundation/simple_log.h"
#include "foundation/text_util.h"
#include "printing/documents/print_sales_data.h"
#include "printing/printer_communicate.h"

#include <exception>
#include <vector>

namespace {

constexpr const char* kTitle = "매출 내역";

// -digits[.digits]: what the number formatter accepts.
bool IsPlainNumber(const std::string& strText)
{
    size_t nPos = 0;
    if (nPos < strText.size() && strText[nPos] == '-') {
        ++nPos;
    }
    size_t nDigits = 0;
    while (nPos < strText.size() && strText[nPos] >= '0' && strText[nPos] <= '9') {
        ++nPos;
        ++nDigits;
    }
    if (nDigits == 0) {
        return false;
    }
    if (nPos < strText.size() && strText[nPos] == '.') {
        ++nPos;
        size_t nFraction = 0;
        while (nPos < strText.size() && strText[nPos] >= '0' && strText[nPos] <= '9') {
            ++nPos;
            ++nFraction;
        }
        if (nFraction == 0) {
            return false;
        }
    }
    return nPos == strText.size();
}

// yyyyMMdd as yyyy.MM.dd; the day is taken from its own digits so that a
// date followed by a time still shows the day.
std::string DateText(const std::string& strDate)
{
    if (strDate.size() < 8) {
        return "--.--.--";
    }
    return strDate.substr(0, 4) + "." + strDate.substr(4, 2) + "." + strDate.substr(6, 2);
}

} // namespace

int CPrintSales::SetPrintLineCharacterInfo(int nLineType)
{
    if (nLineType == 0) {
        m_nLineCharacter = 42;
        return 0;
    }
    if (nLineType == 1) {
        m_nLineCharacter = 48;
        return 0;
    }
    LOG_PRINT(LOG_DEBUG, "[%s] Not Supported Length Type [%d]",
              "CPrintSales::SetPrintLineCharacterInfo", nLineType);
    return 6;
}

int CPrintSales::SetPrintData(CPrinterCommunicate* pPrinter, CPrintSalesData* pSalesData,
                              int nLineType, int /*nUnused*/, int nBottomLineFeed)
{
    const char* pszName = "CPrintSales::SetPrintData";
    m_pSalesData = pSalesData;
    m_pPrinter = pPrinter;
    m_bReady = 0;
    // A missing printer is as good as one that is not open.
    if (pPrinter == nullptr || pPrinter->IsSuccessOpenPrinter == 0) {
        LOG_PRINT(LOG_ERROR, "[%s] IsSuccessOpenPrinter Fail", pszName);
        return 3;
    }
    if (SetPrintLineCharacterInfo(nLineType) != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] SetPrintLineCharacterInfo Fail... Length Type [%d]", pszName,
                  nLineType);
        return 1;
    }
    LOG_PRINT(LOG_DEBUG, "[%s] Success... Set Line Length [%d]", pszName, m_nLineCharacter);
    m_nBottomLineFeed = nBottomLineFeed;
    m_bReady = 1;
    return 0;
}

std::string CPrintSales::GetPeriodText(const std::string& strFrom, const std::string& strTo)
{
    return DateText(strFrom) + "~" + DateText(strTo);
}

std::string CPrintSales::GetReportTimeText(const std::string& strDatetime)
{
    if (strDatetime.size() < 12) {
        return "----.--.-- --:--";
    }
    return strDatetime.substr(0, 4) + "." + strDatetime.substr(4, 2) + "." +
           strDatetime.substr(6, 2) + " " + strDatetime.substr(8, 2) + ":" +
           strDatetime.substr(10, 2);
}

std::string CPrintSales::GetAmountText(const std::string& strJsonText)
{
    std::string strNumber;
    for (char ch : strJsonText) {
        if (ch != '\r' && ch != '\n') {
            strNumber += ch;
        }
    }
    return IsPlainNumber(strNumber) ? FormatNumber(strNumber) : std::string();
}

void CPrintSales::PrintHeadRow(const char* pszLabel, const std::string& strValue)
{
    const std::vector<int> vecWidths = {10, m_nLineCharacter - 11};
    const std::vector<std::string> vecTexts = {pszLabel, strValue};
    const std::vector<int> vecAligns = {0, 0};
    PrintColumns(&vecWidths, &vecTexts, &vecAligns, 0, 0x00);
}

void CPrintSales::PrintAmountRow(const char* pszLabel, const std::string& strJsonText)
{
    const std::vector<int> vecWidths = {20, m_nLineCharacter - 21};
    const std::vector<std::string> vecTexts = {pszLabel, GetAmountText(strJsonText)};
    const std::vector<int> vecAligns = {0, 1};
    PrintColumns(&vecWidths, &vecTexts, &vecAligns, 0, 0x00);
}

int CPrintSales::PrintRule(char ch, int nSite)
{
    const int nResult = CPrintBase::PrintRule(ch);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]",
                  "CPrintSales::StartPrintData", nSite, nResult);
        return 1;
    }
    return 0;
}

int CPrintSales::StartPrintData()
{
    const char* pszName = "CPrintSales::StartPrintData";
    if (!m_bReady || m_pPrinter == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Init Data Fail... Check Log", pszName);
        return 1;
    }
    if (m_pSalesData == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] SalesPrintData is Null...", pszName);
        return 1;
    }
    try {
        int nResult = m_pPrinter->Printer_Send_Init();
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s] Printer_Init Fail... Error [%d]", pszName, nResult);
            return 1;
        }
        nResult = Printer_PrintMsg(m_nLineCharacter, kTitle, PRINT_ALIGN_CENTER, 2, 0x18);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszName, 1,
                      kTitle, nResult);
            return 1;
        }
        const CPrintSalesData& data = *m_pSalesData;
        PrintHeadRow("매 장 명 :", data.GetShopName());
        PrintHeadRow("기    간 :", GetPeriodText(data.GetFrom(), data.GetTo()));
        PrintHeadRow("출력일시 :", GetReportTimeText(data.GetDatetime()));
        if (PrintRule('=', 2) != 0) {
            return 1;
        }
        PrintAmountRow("총 주문 금액", data.GetTotalOrderAmount());
        PrintAmountRow("- 메뉴 주문 금액", data.GetOrderAmount());
        PrintAmountRow("- 일회용컵 보증금", data.GetGreenDeposit());
        PrintAmountRow("- 배달비", data.GetOrderDeliveryAmount());
        if (PrintRule('-', 3) != 0) {
            return 1;
        }
        PrintAmountRow("사장님 할인", data.GetTotalOrderDiscountAmount());
        PrintAmountRow("- 사장님 쿠폰", data.GetOrderDiscountCouponAmount());
        PrintAmountRow("- 포장 할인", data.GetOrderDiscountTakeoutAmount());
        if (PrintRule('=', 4) != 0) {
            return 1;
        }
        PrintAmountRow("총 결제 금액", data.GetTotalOrderSalesAmount());
        if (PrintRule('=', 5) != 0) {
            return 1;
        }
        PrintAmountRow("거절/취소 주문 금액", data.GetTotalCancelAmount());
        nResult = m_pPrinter->Printer_CutPaper(m_nBottomLineFeed);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s] Printer_Send_CutPaper Fail... ErrorCode [%d]", pszName,
                      nResult);
            return 1;
        }
    } catch (const std::exception& e) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Exception... [%s]", pszName, 6, e.what());
        return 1;
    }
    return 0;
}
