// Fuzz target: an order event's text through CPrintData and every order
// document (order sheet, customer receipt, delivery receipt) into an
// in-memory printer, with the printed stream checked line by line.
//
// Input: two choice bytes, then the order text (CP949 JSON).
//   byte 0: bit 0 48 columns (else 42), bit 1 re-print, bit 2 cancel print,
//           bit 3 option groups, bit 4 origin notice, bit 5 road-name
//           addresses, bits 6-7 bottom line feeds (1 to 4)
//   byte 1: two bits each for the customer memo, rider memo, menu name and
//           origin notice sizes (3 is a value outside the known sizes)
#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "fuzz/support/fuzz_folder.h"
#include "fuzz/support/fuzz_printer.h"
#include "fuzz/support/receipt_check.h"
#include "printing/documents/print_order_sheet.h"
#include "printing/documents/print_payment.h"
#include "printing/documents/print_payment_delivery.h"
#include "printing/print_data.h"
#include "printing/printer_setting.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

using namespace fuzzsupport;

struct SSettings
{
    CPrinterSetting lines42;
    CPrinterSetting lines48;
    int nUseNewAddr = -1; // what [PRINT] USE_NEWADDR holds now
};

void ReadSetting(CPrinterSetting& setting, const char* pszFile, const char* pszLine)
{
    CopyDataFile("store/Config.ini", pszFile);
    const std::string strPath = FolderFile(pszFile);
    IniWriteString("PRINTER", "LINE", pszLine, strPath.c_str());
    setting.SetConfigFilePath(strPath.c_str());
    setting.ReadFilePrintInfo(1);
    // One copy of every document, so each input prints each of them once.
    setting.SetPrintCnt(1);
    setting.SetDeliveryPrintCnt(1);
    setting.SetPickupPaymentPrintCnt(1);
    setting.SetDeliveryPaymentPrintCnt(1);
}

SSettings& Settings()
{
    static SSettings* const pSettings = [] {
        auto* p = new SSettings;
        CopyDataFile("store/Config.ini", "Config.ini");
        CopyDataFile("store/Store_Orgin.dat", "Store_Orgin.dat");
        ReadSetting(p->lines42, "Config42.ini", "42");
        ReadSetting(p->lines48, "Config48.ini", "48");
        if (p->lines42.GetPrintLineType() != 0 || p->lines48.GetPrintLineType() != 1) {
            Fail("line types of the two settings files");
        }
        return p;
    }();
    return *pSettings;
}

// The document's bytes ("" when it refused the order), checked.
std::string PrintOne(CPrintBase& document, const char* pszName, CPrintData& data,
                     CPrinterSetting& setting, int nFlags, int nBottomLineFeed, int nPaperWidth)
{
    CMemoryPrinter printer;
    const int nSet = document.SetPrintData(&printer, &data, &setting, nFlags, nBottomLineFeed);
    if (nSet != 0) {
        if (data.IsSetJsonData() == 1) {
            Fail(std::string(pszName) + ": SetPrintData refused a parsed order with " +
                 std::to_string(nSet));
        }
        return {};
    }
    SDocumentRun run;
    run.pszDocument = pszName;
    run.nPaperWidth = nPaperWidth;
    run.nStartResult = document.StartPrintData();
    run.strBytes = printer.Bytes();
    CheckDocumentRun(run);
    printer.Printer_Send_End();
    return run.strBytes;
}

// The three documents of one order, one after the other.
std::string PrintAll(CPrintData& data, CPrinterSetting& setting, int nFlags, int nBottomLineFeed,
                     int nPaperWidth, int nUseNewAddr)
{
    CPrintOrderSheet sheet;
    std::string strBytes =
        PrintOne(sheet, "order sheet", data, setting, nFlags, nBottomLineFeed, nPaperWidth);
    CPrintPayment receipt;
    strBytes +=
        PrintOne(receipt, "customer receipt", data, setting, nFlags, nBottomLineFeed, nPaperWidth);
    CPrintPaymentDelivery delivery;
    if (delivery.GetUseNewAddr() != nUseNewAddr) {
        Fail("the delivery receipt did not read USE_NEWADDR");
    }
    strBytes +=
        PrintOne(delivery, "delivery receipt", data, setting, nFlags, nBottomLineFeed, nPaperWidth);
    return strBytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 2) {
        return -1;
    }
    SSettings& settings = Settings();
    const uint8_t chFlags = pData[0];
    const uint8_t chSizes = pData[1];
    const bool b48 = (chFlags & 0x01) != 0;
    const int nPrintFlag = ((chFlags & 0x02) != 0 ? PRINT_FLAG_REPRINT : 0) |
                           ((chFlags & 0x04) != 0 ? PRINT_FLAG_CANCEL : 0);
    const int nBottomLineFeed = 1 + ((chFlags >> 6) & 0x03);

    CPrinterSetting& setting = b48 ? settings.lines48 : settings.lines42;
    setting.SetPrintOptiongroup((chFlags >> 3) & 0x01);
    const int nOrigin = (chFlags >> 4) & 0x01;
    setting.SetPrintOrigin(nOrigin);
    PrinterSetting().SetPrintOrigin(nOrigin);
    setting.SetReqCustomerSize(chSizes & 0x03);
    setting.SetReqDelivererSize((chSizes >> 2) & 0x03);
    setting.SetMenunameSize((chSizes >> 4) & 0x03);
    setting.SetOriginSize((chSizes >> 6) & 0x03);
    const int nUseNewAddr = (chFlags >> 5) & 0x01;
    if (nUseNewAddr != settings.nUseNewAddr) {
        IniWriteString("PRINT", "USE_NEWADDR", nUseNewAddr == 1 ? "1" : "0",
                       FolderFile("Config.ini").c_str());
        settings.nUseNewAddr = nUseNewAddr;
    }

    const std::string strText(reinterpret_cast<const char*>(pData) + 2, nSize - 2);
    CPrintData data;
    const int nTextResult = data.SetJsonData(strText);

    const int nPaperWidth = b48 ? 48 : 42;
    const std::string strBytes =
        PrintAll(data, setting, nPrintFlag, nBottomLineFeed, nPaperWidth, nUseNewAddr);

    // The print worker hands each printer the order parsed once: read from
    // the parsed value, the order prints the same bytes.
    CjsonCtrl json;
    if (json.SetRecvDataLocal(strText, 0, 0)) {
        CPrintData fromValue;
        if (fromValue.SetJsonData(json.Root()) != nTextResult) {
            Fail("the parsed order's result differs from its text's");
        }
        if (PrintAll(fromValue, setting, nPrintFlag, nBottomLineFeed, nPaperWidth, nUseNewAddr) !=
            strBytes) {
            Fail("the parsed order printed other bytes than its text");
        }
    }
    return 0;
}
