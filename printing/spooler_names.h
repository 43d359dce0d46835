// Spooler (CUPS) printer names cross between two encodings here: CUPS
// names its queues in UTF-8, while the printer record, Config.ini, the log
// and the published settings hold CP949. Every name goes through these on
// its way in or out of the spooler.
#pragma once

#include <string>
#include <vector>

// The spooler's usable printers by their CP949 names. A queue whose name
// has no CP949 form cannot be stored or chosen: it is left out with a log
// line.
std::vector<std::string> ListUsableSpoolerPrintersCp949();

// The spooler's (UTF-8) name of a printer stored in CP949.
std::string SpoolerNameOfCp949(const std::string& strCp949);
