// A blocking IPv4 client socket that carries a TLS session: create,
// receive time-out, reset-on-close, resolve, connect, and the raw send and
// receive the TLS library's transport calls go through. Failures are
// reported as socket error codes in the numbering the program's logs use
// (10060 timed out, 10061 refused, 11001 host not found ...).
#pragma once

#include <cstddef>
#include <string>

namespace platform {

constexpr int SOCKET_ERROR_HOST_NOT_FOUND = 11001;

class CTlsSocket
{
public:
    CTlsSocket() = default;
    ~CTlsSocket();
    CTlsSocket(const CTlsSocket&) = delete;
    CTlsSocket& operator=(const CTlsSocket&) = delete;

    // Creates the socket. 0 or a socket error code.
    int Create();
    bool IsOpen() const { return m_hSocket >= 0; }
    // The descriptor number, for log lines; 0 when there is none.
    int Number() const { return m_hSocket >= 0 ? m_hSocket : 0; }

    // Every receive waits at most nMilliseconds (0: without limit).
    int SetReceiveTimeout(int nMilliseconds);
    // Linger on with zero seconds: closing the socket resets the connection
    // at once instead of draining it.
    int SetLingerReset();

    // Resolves a host name or dotted address and keeps the first IPv4
    // address with the port. 0 or a socket error code (11001 and up for
    // name failures).
    int Resolve(const std::string& strHost, int nPort);
    // Connect to the resolved address, waiting at most nTimeoutMs (0:
    // the system's own limit). 0 or a socket error code (10060 when the
    // time ran out).
    int Connect(int nTimeoutMs);

    // One send (never raises SIGPIPE) / one receive honouring the receive
    // time-out. Both return the byte count, 0 on end of stream (receive),
    // or -1 with LastError() set; a time-out is -1 with 10060.
    long Send(const void* pData, size_t nSize);
    long Receive(void* pBuffer, size_t nSize);

    void Close();

    // The code of the last failure of this socket (0 when none).
    int LastError() const { return m_nLastError; }

    // A system error number in the log numbering; numbers without a
    // counterpart are returned unchanged.
    static int SocketErrorFromSystem(int nErrno);

private:
    int Fail(int nCode);

    int m_hSocket = -1;
    int m_nLastError = 0;
    unsigned char m_Address[16] = {}; // sockaddr_in
    bool m_bResolved = false;
};

} // namespace platform
