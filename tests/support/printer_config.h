// The two printer records of a test's Config.ini, written the way the
// settings dialog stores them.
#pragma once

#include <string>

namespace testsupport {

// How one printer is connected; a printer with none of the ports set is
// serial on port 0 (not configured).
struct SPrinterConfig
{
    int nUse = 0;                 // prints order sheets
    int nRcp = 0;                 // prints receipts
    int nLanPort = 0;             // network printer on 127.0.0.1 when > 0
    const char* pszUsb = nullptr; // spooler queue when set
    int nComPort = 0;             // serial port number when > 0
    int nStatusCheck = 1;         // Printer%dStatusCheck
};

// Writes [PRINTER] Printer1* / Printer2* (named KITCHEN and COUNTER) and
// one pickup receipt copy into strConfigPath. False when a write failed.
bool WritePrinterConfig(const std::string& strConfigPath, const SPrinterConfig& first,
                        const SPrinterConfig& second);

} // namespace testsupport
