// Printer records of a test's Config.ini.
#include "tests/support/printer_config.h"

#include "foundation/ini_file.h"

namespace testsupport {

bool WritePrinterConfig(const std::string& strConfigPath, const SPrinterConfig& first,
                        const SPrinterConfig& second)
{
    bool bOk = true;
    auto write = [&](int nPrinter, const char* pszKey, const std::string& strValue) {
        const std::string strKey = "Printer" + std::to_string(nPrinter) + pszKey;
        bOk &= IniWriteString("PRINTER", strKey.c_str(), strValue.c_str(), strConfigPath.c_str());
    };
    const SPrinterConfig* printers[] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        const SPrinterConfig& printer = *printers[i];
        write(i + 1, "Name", i == 0 ? "KITCHEN" : "COUNTER");
        write(i + 1, "Use", std::to_string(printer.nUse));
        write(i + 1, "Rcp", std::to_string(printer.nRcp));
        write(i + 1, "LanPrintUse", printer.nLanPort > 0 ? "1" : "0");
        write(i + 1, "LanPrintIP", printer.nLanPort > 0 ? "127.0.0.1" : "");
        write(i + 1, "LanPrintPort", std::to_string(printer.nLanPort));
        write(i + 1, "UsbUse", printer.pszUsb != nullptr ? "1" : "0");
        write(i + 1, "UsbName", printer.pszUsb != nullptr ? printer.pszUsb : "");
        write(i + 1, "Port", std::to_string(printer.nComPort));
        write(i + 1, "StatusCheck", std::to_string(printer.nStatusCheck));
    }
    bOk &= IniWriteString("PRINTER", "PickupPaymentPrintCnt", "1", strConfigPath.c_str());
    return bOk;
}

} // namespace testsupport
