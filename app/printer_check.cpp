// Open test and test page of a configured printer.
#include "app/printer_check.h"

#include "foundation/simple_log.h"
#include "printing/documents/print_test_page.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"

int IsValidPrinter(const PrintInfo* pInfo, int nPrintFlag)
{
    const char* const pszName = "CDlgPrintSetting::IsValidPrinter";
    if (pInfo == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL!!! [%d]", pszName, nPrintFlag);
        return 0;
    }
    CPrinterCommunicate printer;
    int bValid = 1;
    int nResult = printer.PrinterOpen(pInfo);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR,
                  "[%s] PrinterOpen Fail... PrintType [%d], Com [%s:%d] Net[%s:%d] Usb [%s] "
                  "LineFeed [%d]",
                  pszName, pInfo->PortType, pInfo->Portname, pInfo->BaudRate, pInfo->LanPrintIP,
                  pInfo->LanPrintPort, pInfo->UsbName, pInfo->LineFeed);
        bValid = 0;
    }
    CPrintTestPage page;
    if (bValid &&
        (nResult = page.SetPrintData(&printer, nullptr, PrinterSetting().GetPrintLineType(), 0,
                                     pInfo->LineFeed)) != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] SetPrintData Fail [%d]", pszName, nResult);
        bValid = 0;
    }
    if (bValid && nPrintFlag == 1) {
        if ((nResult = page.StartPrintData()) != 0) {
            LOG_PRINT(LOG_ERROR, "[%s] StartPrintData Fail [%d]", pszName, nResult);
            bValid = 0;
        } else if (printer.Printer_Send_End() != 0) {
            LOG_PRINT(LOG_ERROR, "[%s] Printer_Send_End Fail...", pszName);
            bValid = 0;
        }
    }
    printer.PrinterClose();
    return bValid;
}

int IsValidPrinter(int nIndex)
{
    PrintInfo info;
    if (PrinterSetting().GetPrintInfoForIndex(nIndex, &info) != 1) {
        LOG_PRINT(LOG_ERROR, "[%s] GetPrintInfoForIndex Error... Index [%d]",
                  "CDlgPrintSetting::IsValidPrinter", nIndex);
        return 0;
    }
    return IsValidPrinter(&info, 0);
}

int IsIncludeInValidPrinterToMemory()
{
    for (int nIndex = 0; nIndex < MAX_PRINTER_COUNT; ++nIndex) {
        PrintInfo info;
        if (PrinterSetting().GetPrintInfoForIndex(nIndex, &info) == 1 &&
            (info.Use == 1 || info.Rcp == 1) && !IsValidPrinter(nIndex)) {
            return 1;
        }
    }
    return 0;
}
