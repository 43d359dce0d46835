// What the print settings dialog edits, as plain data: both printers'
// records and the shop-wide counts and display settings. The dialog reads
// its screen into this, and everything it decides (valid? changed? the log
// text, the published document, the save) is done here, without Qt.
#pragma once

#include "printing/printer_setting.h"

#include <string>

struct SPrintSettingData
{
    PrintInfo aPrinter[MAX_PRINTER_COUNT];
    int nPickupOrderSheetCnt = 1;   // "PrintCnt"
    int nPickupPaymentCnt = 0;      // "PickupPaymentPrintCnt"
    int nDeliveryOrderSheetCnt = 1; // "DeliveryPrintCnt"
    int nDeliveryPaymentCnt = 1;    // "DeliveryPaymentPrintCnt"
    int nPrintOrigin = 1;
    int nPrintOptionGroup = 1;
    int nReqCustomerSize = 0;
    int nReqDelivererSize = 0;
    int nMenuNameSize = 1;
    int nOriginSize = 2;
};

// Counts are 0 to 999 (the edits take three digits).
constexpr int MAX_PRINT_COUNT = 999;

// The store's current values.
SPrintSettingData ReadPrintSettingData(CPrinterSetting& setting);

// Checks the connection values of printer nIndex (0 or 1) as the save and
// the test print need them; a printer that prints nothing passes. Serial:
// a port number of 1 or more and a rate the line can be set to; network:
// an address and a port of 1 to 65535; spooler: a printer name. Each
// refusal is logged at ERROR. A line-feed count below 1 is logged and
// accepted.
bool IsValidPrinterData(int nIndex, const PrintInfo& info);

// True when a value the user can change differs (the printer names are not
// compared; port name, spooler name and address ignore letter case).
bool IsChangedPrintSettingData(const SPrintSettingData& screen, const SPrintSettingData& store);

// The settings as the log shows them (CP949, CR LF lines).
std::string MakePrintSettingLogText(const SPrintSettingData& data);

// The settings document other processes read from the shared block:
// styled JSON, CP949 strings.
std::string MakePrintSettingSharedText(const SPrintSettingData& data);

enum class ESaveResult
{
    Saved,
    InvalidPrinter, // nInvalidPrinter names it (1 or 2); nothing changed
    WriteFailed,    // the file kept its old content; the store was reloaded from it
};

// Validates both printers, then stores both records and the shop-wide
// values, then writes [PRINTER] of Config.ini with one replace. [ORDER]
// is neither read nor written: the wait numbers belong to the event
// worker. Counts below 1 are stored as 0, above 999 as 999.
ESaveResult SavePrintSettingData(CPrinterSetting& setting, const SPrintSettingData& data,
                                 int& nInvalidPrinter);
