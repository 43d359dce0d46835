// The sales report: one page with the shop, the period, the time of the
// report and the order, discount, payment and cancel totals of the period.
#pragma once

#include "printing/print_base.h"

#include <string>

class CPrintSalesData;

class CPrintSales : public CPrintBase
{
public:
    CPrintSales() = default;
    ~CPrintSales() override = default;

    // The order form is not used for this document.
    using CPrintBase::SetPrintData;
    // Binds the printer and the sales figures and sets W from the line type
    // (0: 42, 1: 48). 0 ready; 3 the printer is missing or not open; 1 the
    // line type is not supported. nUnused is ignored; the sales data pointer
    // is checked when printing.
    int SetPrintData(CPrinterCommunicate* pPrinter, CPrintSalesData* pSalesData, int nLineType,
                     int nUnused, int nBottomLineFeed);

    // Prints the one copy and cuts. 0, or 1 when not ready, without sales
    // data, or when the init, the title, a rule or the cut failed (nothing
    // more is printed then, and no cut after a failure mid-page).
    int StartPrintData() override;
    // 0 with W 42 or 48 for line type 0 or 1; 6 for any other type.
    int SetPrintLineCharacterInfo(int nLineType) override;

    // yyyyMMdd..yyyyMMdd as "2024.01.01~2024.01.31"; a side shorter than
    // eight characters prints as "--.--.--".
    static std::string GetPeriodText(const std::string& strFrom, const std::string& strTo);
    // yyyyMMddHHmm... as "2024.02.01 09:15", or "----.--.-- --:--".
    static std::string GetReportTimeText(const std::string& strDatetime);
    // An amount's JSON text without CR and LF, with thousands separators;
    // "" for anything that is not a plain number (a quoted string, null).
    static std::string GetAmountText(const std::string& strJsonText);

private:
    void PrintHeadRow(const char* pszLabel, const std::string& strValue);
    void PrintAmountRow(const char* pszLabel, const std::string& strJsonText);
    // A rule of W copies of ch; 0, or 1 after logging the failure.
    int PrintRule(char ch, int nSite);

    CPrintSalesData* m_pSalesData = nullptr;
};
