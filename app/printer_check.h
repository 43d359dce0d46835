// The printer check that start-up and the print settings dialog share: can
// each printer in use be opened (and, on request, print a test page)?
#pragma once

struct PrintInfo;

// Opens the printer of the record through the command layer and prepares
// the test page on it; with nPrintFlag 1 also prints the page and ends the
// job. The port is closed in every case. TRUE (1) when all of it worked.
int IsValidPrinter(const PrintInfo* pInfo, int nPrintFlag);

// The stored record of printer nIndex (0 or 1), open test only.
int IsValidPrinter(int nIndex);

// 1 when a printer that prints order sheets or receipts cannot be opened,
// else 0 (the start-up check).
int IsIncludeInValidPrinterToMemory();
