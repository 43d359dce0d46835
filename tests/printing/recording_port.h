// A port that records each device write, for tests of the send buffer and
// of the command layer's byte sequences.
#pragma once

#include "printing/base_port.h"

#include <string>
#include <vector>

class CRecordingPort : public CBasePort
{
public:
    int OpenPort() override { return m_nOpenResult; }
    int InitializePort() override { return m_nInitResult; }
    int ClosePort() override
    {
        ++m_nCloseCalls;
        ClearSendFailure();
        return 0;
    }

    std::vector<std::string> m_Writes; // one entry per device write
    int m_nWriteResult = 0;            // what the device write returns
    bool m_bOpen = true;
    int m_nOpenResult = 0;
    int m_nInitResult = 0;
    int m_nCloseCalls = 0;

    std::string Buffered() const { return std::string(BufferedData(), BufferedLength()); }

protected:
    int SendCurrentMemoryPrintData() override
    {
        m_Writes.emplace_back(m_szSendBuffer, m_nSendLength);
        return m_nWriteResult;
    }
    bool CheckOpenForSend() override { return m_bOpen; }
    const char* SendDataTag() const override { return "CRecordingPort::SendData"; }
};
