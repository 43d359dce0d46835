// A command layer opened on an in-memory port: every byte a document sends
// is kept, as the device would receive it.
#pragma once

#include "printing/base_port.h"
#include "printing/printer_communicate.h"

#include <string>

namespace fuzzsupport {

class CMemoryPort : public CBasePort
{
public:
    int OpenPort() override { return 0; }
    int InitializePort() override { return 0; }
    int ClosePort() override { return 0; }

    // Bytes written to the device, then what is still buffered.
    std::string Bytes() const
    {
        return m_strWritten + std::string(BufferedData(), BufferedLength());
    }

protected:
    int SendCurrentMemoryPrintData() override
    {
        m_strWritten.append(m_szSendBuffer, static_cast<size_t>(m_nSendLength));
        return 0;
    }
    bool CheckOpenForSend() override { return true; }
    const char* SendDataTag() const override { return "CMemoryPort::SendData"; }

private:
    std::string m_strWritten;
};

// Opened at construction (a network printer record; the port is memory).
class CMemoryPrinter : public CPrinterCommunicate
{
public:
    CMemoryPrinter();
    // Everything sent so far (null port: "").
    std::string Bytes() const { return m_pMemory != nullptr ? m_pMemory->Bytes() : std::string(); }

protected:
    std::unique_ptr<CBasePort> CreatePort(const PrintInfo& info, int& nError) override;

private:
    CMemoryPort* m_pMemory = nullptr;
};

} // namespace fuzzsupport
