// The in-memory printer of the document fuzz targets.
#include "fuzz/support/fuzz_printer.h"

#include "fuzz/support/fuzz_folder.h"
#include "printing/printer_setting.h"

namespace fuzzsupport {

CMemoryPrinter::CMemoryPrinter()
{
    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SOCKET;
    if (PrinterOpen(&info) != 0 || IsSuccessOpenPrinter != 1) {
        Fail("the memory printer did not open");
    }
}

std::unique_ptr<CBasePort> CMemoryPrinter::CreatePort(const PrintInfo& /*info*/, int& /*nError*/)
{
    auto pPort = std::make_unique<CMemoryPort>();
    m_pMemory = pPort.get();
    return pPort;
}

} // namespace fuzzsupport
