// Printer port on a network printer (raw TCP, typically port 9100).
#pragma once

#include "platform/tcp_connector.h"
#include "printing/base_port.h"

#include <string>

class CSocketPort : public CBasePort
{
public:
    CSocketPort(const char* pszHost, int nPort);
    ~CSocketPort() override;

    int OpenPort() override;
    int InitializePort() override;
    int ClosePort() override;

    // What the printer sent back after the last write (only logged).
    const std::string& LastReply() const { return m_strLastReply; }

    static constexpr int CONNECT_WAIT_MS = 3000;
    static constexpr int RECEIVE_TIMEOUT_MS = 3;
    // Longest wait at close for the printer to take the last bytes.
    static constexpr int CLOSE_DRAIN_MS = 2500;

protected:
    int SendCurrentMemoryPrintData() override;
    bool CheckOpenForSend() override;
    const char* SendDataTag() const override { return "CSocketPort::SendData"; }

private:
    std::string m_strHost;
    int m_nPort = 0;
    platform::CTcpConnector m_Socket;
    std::string m_strLastReply;
};
