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
    int QueryStatus(const char* pRequest, int nSize, int nTimeoutMs,
                    unsigned char& nAnswer) override;

    // What the printer sent back after the last write (only logged).
    const std::string& LastReply() const { return m_strLastReply; }

    static constexpr int CONNECT_WAIT_MS = 3000;
    static constexpr int RECEIVE_TIMEOUT_MS = 3;
    // The reply read after each write: a printer's status answer is a few
    // bytes that come within milliseconds; more, or longer, is chatter.
    static constexpr int REPLY_MAX_MS = 50;
    static constexpr int REPLY_MAX_BYTES = 4096;
    // A send, and the close's wait for the printer to acknowledge the last
    // bytes, fail once the printer has taken nothing for this long. A
    // working printer paces its reads with the paper (a cut, a logo, a
    // long receipt pause it for a second or two), so only a printer that
    // has stopped reading stays silent this long.
    static constexpr int DEFAULT_STALL_MS = 10000;
    // Kernel send buffer of a printer connection.
    static constexpr int SEND_BUFFER_BYTES = 32768;
    // The bound in use (tests shorten it); process-wide.
    static int StallMs();
    static void SetStallMs(int nMs);

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
