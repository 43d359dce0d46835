// Spooler printer port: offline check, one raw document per job.
#include "printing/usb_port.h"

#include "foundation/simple_log.h"
#include "printing/spooler_names.h"

CUSBPort::CUSBPort(const char* pszPrinterName)
{
    if (pszPrinterName == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input PrinterName NULL !!!!!", "CUSBPort::CUSBPort");
        return;
    }
    m_strPrinterName = pszPrinterName;
}

CUSBPort::~CUSBPort()
{
    ClosePort();
}

bool CUSBPort::CanUseUSBPrinter(const char* pszPrinterName)
{
    const char* pszTag = "CUSBPort::CanUseUSBPrinter";
    const char* pszName = pszPrinterName != nullptr ? pszPrinterName : "";
    LOG_PRINT(LOG_INFO, "[%s] USB 프린터 [%s] 오프라인 체크", pszTag, pszName);
    platform::SpoolerPrinterState state;
    if (!platform::GetSpoolerPrinterState(SpoolerNameOfCp949(pszName), state)) {
        LOG_PRINT(LOG_ERROR, "[%s] Printer [%s] Not Found [%s]", pszTag, pszName,
                  platform::LastSpoolerError().c_str());
        return false;
    }
    if (state.Offline()) {
        LOG_PRINT(LOG_INFO, "[%s] Printer [%s] Offline (Stopped [%d] Accepting [%d])... Skip",
                  pszTag, pszName, state.bStopped ? 1 : 0, state.bAcceptingJobs ? 1 : 0);
        return false;
    }
    return true;
}

int CUSBPort::OpenPort()
{
    ClosePort();
    if (!CanUseUSBPrinter(m_strPrinterName.c_str())) {
        LOG_PRINT(LOG_ERROR, "[%s] CanUseUSBPrinter [%s] Fail...", "CUSBPort::OpenPort",
                  m_strPrinterName.c_str());
        return 3;
    }
    m_bOpen = true;
    return 0;
}

int CUSBPort::InitializePort()
{
    const char* pszTag = "CUSBPort::InitializePort";
    if (!m_bOpen) {
        LOG_PRINT(LOG_ERROR, "[%s] Printer INVALID_HANDLE!!!", pszTag);
        return 3;
    }
    // The record holds the CP949 name; CUPS knows the queue by UTF-8.
    int nError = m_Job.Start(SpoolerNameOfCp949(m_strPrinterName), DOCUMENT_NAME);
    if (nError != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] StartDocPrinter [%s] Fail... Win Error [0x%08x] [%s]", pszTag,
                  m_strPrinterName.c_str(), static_cast<unsigned>(nError),
                  platform::LastSpoolerError().c_str());
        return 3;
    }
    m_nDocStarted = 1;
    return 0;
}

bool CUSBPort::CheckOpenForSend()
{
    if (!m_bOpen) {
        LOG_PRINT(LOG_ERROR, "[%s] Printer INVALID_HANDLE!!!", SendDataTag());
        return false;
    }
    return true;
}

int CUSBPort::SendCurrentMemoryPrintData()
{
    const char* pszTag = "CUSBPort::SendCurrentMemoryPrintData";
    LOG_PRINT(LOG_INFO, "[%s] PrintData\r\n%s", pszTag, m_szSendBuffer);
    int nError = m_Job.Write(m_szSendBuffer, static_cast<size_t>(m_nSendLength));
    if (nError != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] WritePrinter Fail !!! Win Error [0x%08x], Send Size [%d]",
                  pszTag, static_cast<unsigned>(nError), m_nSendLength);
        return 4;
    }
    return 0;
}

int CUSBPort::ClosePort()
{
    ClearSendFailure();
    if (!m_bOpen) {
        return 0;
    }
    if (m_nDocStarted) {
        int nError = m_Job.Finish();
        if (nError != 0) {
            LOG_PRINT(LOG_WARN, "[%s] EndDocPrinter Fail... Win Error [0x%08x]",
                      "CUSBPort::ClosePort", static_cast<unsigned>(nError));
        }
        m_nDocStarted = 0;
    }
    m_bOpen = false;
    LOG_PRINT(LOG_DEBUG, "[%s] Close [%d]", "CUSBPort::ClosePort", 1);
    return 0;
}
