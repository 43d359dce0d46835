// Fuzz target: a sales event's text through CPrintSalesData and the sales
// report into an in-memory printer, with the printed stream checked line
// by line.
//
// Input: one choice byte (bit 0 48 columns, else 42; bits 1-2 bottom line
// feeds, 1 to 4), then the sales text (CP949 JSON).
#include "fuzz/support/fuzz_folder.h"
#include "fuzz/support/fuzz_printer.h"
#include "fuzz/support/receipt_check.h"
#include "printing/documents/print_sales.h"
#include "printing/documents/print_sales_data.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 1) {
        return -1;
    }
    fuzzsupport::ProgramFolder();
    const int nLineType = pData[0] & 0x01;
    const int nBottomLineFeed = 1 + ((pData[0] >> 1) & 0x03);
    const std::string strText(reinterpret_cast<const char*>(pData) + 1, nSize - 1);

    CPrintSalesData sales;
    const int nParsed = sales.SetJsonData(strText);
    if ((nParsed == 0) != sales.IsSetJsonData()) {
        fuzzsupport::Fail("sales data: result " + std::to_string(nParsed) +
                          " disagrees with IsSetJsonData");
    }
    fuzzsupport::CMemoryPrinter printer;
    CPrintSales report;
    if (report.SetPrintData(&printer, nParsed == 0 ? &sales : nullptr, nLineType, 0,
                            nBottomLineFeed) != 0) {
        fuzzsupport::Fail("sales report refused an open printer");
    }
    fuzzsupport::SDocumentRun run;
    run.pszDocument = "sales report";
    run.nPaperWidth = nLineType == 1 ? 48 : 42;
    run.nStartResult = report.StartPrintData();
    run.strBytes = printer.Bytes();
    if (nParsed != 0 && run.nStartResult == 0) {
        fuzzsupport::Fail("sales report printed without sales data");
    }
    fuzzsupport::CheckDocumentRun(run);
    return 0;
}
