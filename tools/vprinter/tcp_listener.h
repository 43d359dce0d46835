// The virtual printer's TCP side: a socket bound to HOST:PORT that accepts
// one connection at a time, or stays bound without listening so that every
// connect is refused while the port stays taken.
#pragma once

#include <string>

namespace vprinter {

class CTcpListener
{
public:
    CTcpListener() = default;
    ~CTcpListener();
    CTcpListener(const CTcpListener&) = delete;
    CTcpListener& operator=(const CTcpListener&) = delete;

    // Binds (port 0: an ephemeral port) and listens unless bListen is false.
    // nReceiveBuffer > 0 shrinks the accepted sockets' receive buffers, so a
    // slow reader holds the sender back soon. False with a message.
    bool Open(const std::string& strHost, int nPort, bool bListen, int nReceiveBuffer,
              std::string& strError);
    // The bound address as "HOST:PORT" ("[HOST]:PORT" for IPv6).
    const std::string& Address() const { return m_strAddress; }
    // Waits for the next connection; -1 when nStopFd became readable first
    // or accepting failed.
    int Accept(int nStopFd);

private:
    int m_nFd = -1;
    std::string m_strAddress;
};

} // namespace vprinter
