// A printer that goes away in the middle of a document: its port takes a
// given number of bytes and then refuses every send, as a printer switched
// off or unplugged mid-receipt. Tests aim the loss at a piece of a document
// by the byte offset of that piece in a complete print.
#pragma once

#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "tests/printing/recording_port.h"

#include <memory>
#include <string>

class CVanishingPort : public CRecordingPort
{
public:
    explicit CVanishingPort(size_t nLimit) : m_nLimit(nLimit) {}

    int SendData(const char* pData, int nSize, int bFlush) override
    {
        if (m_bOpen && nSize > 0 && m_strTaken.size() + static_cast<size_t>(nSize) > m_nLimit) {
            m_bOpen = false; // the base refuses every send from here on (3)
        }
        if (m_bOpen && pData != nullptr && nSize > 0) {
            m_strTaken.append(pData, static_cast<size_t>(nSize));
        }
        return CRecordingPort::SendData(pData, nSize, bFlush);
    }

    // Every byte the port accepted before it went away.
    const std::string& Taken() const { return m_strTaken; }

private:
    size_t m_nLimit;
    std::string m_strTaken;
};

// The command layer opened on a CVanishingPort.
class CVanishingPrinter : public CPrinterCommunicate
{
public:
    explicit CVanishingPrinter(size_t nLimit) : m_nLimit(nLimit)
    {
        PrintInfo info;
        info.PortType = E_PRINTER_TYPE_SOCKET;
        m_nOpenResult = PrinterOpen(&info);
    }

    int OpenResult() const { return m_nOpenResult; }
    const std::string& Taken() const { return m_pVanishing->Taken(); }

protected:
    std::unique_ptr<CBasePort> CreatePort(const PrintInfo& /*info*/, int& /*nError*/) override
    {
        auto pPort = std::make_unique<CVanishingPort>(m_nLimit);
        m_pVanishing = pPort.get();
        return pPort;
    }

private:
    size_t m_nLimit;
    int m_nOpenResult = -1;
    CVanishingPort* m_pVanishing = nullptr;
};
