// Printer port on a spooler printer (CUPS queue; "USB" in the settings,
// since USB receipt printers appear as spooler printers). One open is one
// raw job.
#pragma once

#include "platform/spooler.h"
#include "printing/base_port.h"

#include <string>

class CUSBPort : public CBasePort
{
public:
    explicit CUSBPort(const char* pszPrinterName);
    ~CUSBPort() override;

    int OpenPort() override;
    int InitializePort() override;
    int ClosePort() override;

    // Whether the printer exists and is not offline (stopped or not
    // accepting jobs).
    bool CanUseUSBPrinter(const char* pszPrinterName);

    static constexpr const char* DOCUMENT_NAME = "Zelkor_Print";

protected:
    int SendCurrentMemoryPrintData() override;
    bool CheckOpenForSend() override;
    const char* SendDataTag() const override { return "CUSBPort::SendData"; }

private:
    std::string m_strPrinterName;
    bool m_bOpen = false; // the printer handle
    platform::CSpoolerJob m_Job;
    int m_nDocStarted = 0;
};
