// Spooler printer names between UTF-8 (CUPS) and CP949 (the program).
#include "printing/spooler_names.h"

#include "foundation/simple_log.h"
#include "platform/spooler.h"
#include "platform/text_encoding.h"

std::vector<std::string> ListUsableSpoolerPrintersCp949()
{
    std::vector<std::string> vNames;
    for (const std::string& strUtf8 : platform::ListUsableSpoolerPrinters()) {
        std::string strCp949;
        if (!platform::Utf8ToCp949Exact(strUtf8, strCp949)) {
            // The name is logged as CUPS gives it; the log is CP949, so its
            // bytes may show oddly there, but the queue is identifiable.
            LOG_PRINT(LOG_WARN, "[%s] Printer [%s] Has No CP949 Name... Skip",
                      "ListUsableSpoolerPrintersCp949", strUtf8.c_str());
            continue;
        }
        vNames.push_back(std::move(strCp949));
    }
    return vNames;
}

std::string SpoolerNameOfCp949(const std::string& strCp949)
{
    return platform::Cp949ToUtf8(strCp949);
}
