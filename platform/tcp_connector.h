// A TCP client connection to a network printer: resolve, non-blocking
// connect with a time limit, receive time-out, send, and an orderly
// shutdown that lets the sent bytes reach the printer.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

constexpr int TCP_ERROR_TIMEOUT = 110;    // ETIMEDOUT
constexpr int TCP_ERROR_PEER_CLOSED = 32; // EPIPE: the peer closed its side
constexpr int TCP_ERROR_RESET = 104;      // ECONNRESET: the peer reset the connection

class CTcpConnector
{
public:
    CTcpConnector() = default;
    ~CTcpConnector();
    CTcpConnector(const CTcpConnector&) = delete;
    CTcpConnector& operator=(const CTcpConnector&) = delete;

    // Creates an IPv4 stream socket. 0 or errno.
    int Create();
    bool IsOpen() const { return m_hSocket >= 0; }

    // Resolves a host name or dotted address (IPv4) and keeps the first
    // address with the port. 0 or a getaddrinfo code.
    int Resolve(const std::string& strHost, int nPort);
    static const char* ResolveErrorText(int nCode);

    int SetNonBlocking(bool bNonBlocking);

    // Starts the connect: 0 when connected at once, EINPROGRESS when it is
    // under way, otherwise errno.
    int StartConnect();

    // Waits up to nTimeoutMs for the connect to complete. 0 connected,
    // TCP_ERROR_TIMEOUT, or the connect's error (ECONNREFUSED ...). With
    // bWaitFullOnError a failed connect still waits out the time, so a
    // refused and an unanswered printer cost the same.
    int WaitConnected(int nTimeoutMs, bool bWaitFullOnError);

    int SetReceiveTimeout(int nMilliseconds);
    // SO_SNDBUF: how much may wait in the kernel for the peer.
    int SetSendBuffer(int nBytes);
    // TCP_NODELAY: small writes (a status request, the end of a document)
    // leave at once instead of waiting for the peer's delayed ACK.
    int SetNoDelay();

    // One send call (no SIGPIPE). Returns 0 or errno; nSent what went out.
    int Send(const void* pData, size_t nSize, size_t& nSent);

    // Sends all of it, waiting while the peer takes the bytes: fails with
    // TCP_ERROR_TIMEOUT once no byte has gone out for nStallMs (a peer that
    // has stopped reading), otherwise 0 or errno. nSent what went out.
    int SendAll(const void* pData, size_t nSize, int nStallMs, size_t& nSent);

    // One receive call honouring the receive time-out: 0 (nReceived 0 on
    // time-out), TCP_ERROR_PEER_CLOSED at end of stream, or errno.
    int Receive(void* pBuffer, size_t nSize, size_t& nReceived);

    // Half-closes the sending side and waits for the peer to take every
    // byte sent and to end its side, reading and dropping what it still
    // sends (unread input would turn our close into a reset). The wait
    // goes on as long as the peer keeps acknowledging bytes; it fails with
    // TCP_ERROR_TIMEOUT once nothing more was acknowledged for nStallMs,
    // and with TCP_ERROR_RESET when the peer resets (it closed with bytes
    // unread). With everything acknowledged, the peer's close is awaited
    // nCloseGraceMs; a peer that keeps the connection open is not a
    // failure. Then closes (with a reset after a time-out). Returns 0 or
    // the failure (closed all the same).
    int ShutdownAndClose(int nStallMs, int nCloseGraceMs = 1000);

    // Closes at once (no shutdown).
    void Close();
    // Closes at once and drops what is unsent (a reset instead of an
    // orderly end), for a connection already given up.
    void AbortClose();

private:
    int m_hSocket = -1;
    // The socket's file status flags as last read or set (-1: not known
    // yet), so that switching to non-blocking and back costs one call each.
    int m_nFileFlags = -1;
    unsigned char m_Address[16] = {}; // sockaddr_in
    bool m_bResolved = false;
};

} // namespace platform
