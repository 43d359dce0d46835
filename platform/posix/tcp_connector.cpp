// BSD-socket implementation of the network printer connection.
#include "platform/tcp_connector.h"

#include "platform/local_clock.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

static_assert(sizeof(sockaddr_in) <= 16, "address buffer too small");

namespace {

int64_t NowMs()
{
    return static_cast<int64_t>(GetMonotonicMs());
}

} // namespace

CTcpConnector::~CTcpConnector()
{
    Close();
}

int CTcpConnector::Create()
{
    Close();
    m_hSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return m_hSocket >= 0 ? 0 : errno;
}

int CTcpConnector::Resolve(const std::string& strHost, int nPort)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* pResult = nullptr;
    int nCode = getaddrinfo(strHost.c_str(), nullptr, &hints, &pResult);
    if (nCode != 0) {
        return nCode;
    }
    if (pResult == nullptr || pResult->ai_addrlen > sizeof(m_Address)) {
        freeaddrinfo(pResult);
        return EAI_NONAME;
    }
    sockaddr_in address;
    std::memcpy(&address, pResult->ai_addr, sizeof(address));
    freeaddrinfo(pResult);
    address.sin_port = htons(static_cast<uint16_t>(nPort));
    std::memcpy(m_Address, &address, sizeof(address));
    m_bResolved = true;
    return 0;
}

const char* CTcpConnector::ResolveErrorText(int nCode)
{
    return gai_strerror(nCode);
}

int CTcpConnector::SetNonBlocking(bool bNonBlocking)
{
    if (m_nFileFlags < 0) {
        m_nFileFlags = fcntl(m_hSocket, F_GETFL);
        if (m_nFileFlags < 0) {
            return errno;
        }
    }
    const int nFlags = bNonBlocking ? (m_nFileFlags | O_NONBLOCK) : (m_nFileFlags & ~O_NONBLOCK);
    if (fcntl(m_hSocket, F_SETFL, nFlags) != 0) {
        return errno;
    }
    m_nFileFlags = nFlags;
    return 0;
}

int CTcpConnector::StartConnect()
{
    if (!m_bResolved) {
        return EDESTADDRREQ;
    }
    if (::connect(m_hSocket, reinterpret_cast<const sockaddr*>(m_Address), sizeof(sockaddr_in)) ==
        0) {
        return 0;
    }
    return errno;
}

int CTcpConnector::WaitConnected(int nTimeoutMs, bool bWaitFullOnError)
{
    int64_t nDeadline = NowMs() + std::max(nTimeoutMs, 0);
    for (;;) {
        int64_t nLeft = nDeadline - NowMs();
        if (nLeft < 0) {
            nLeft = 0;
        }
        pollfd fd{m_hSocket, POLLOUT, 0};
        int nReady = ::poll(&fd, 1, static_cast<int>(nLeft));
        if (nReady < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (nReady == 0) {
            return TCP_ERROR_TIMEOUT;
        }
        int nError = 0;
        socklen_t nLength = sizeof(nError);
        if (getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &nError, &nLength) != 0) {
            nError = errno;
        }
        if (nError == 0) {
            return 0;
        }
        if (bWaitFullOnError) {
            nLeft = nDeadline - NowMs();
            if (nLeft > 0) {
                ::poll(nullptr, 0, static_cast<int>(nLeft));
            }
        }
        return nError;
    }
}

int CTcpConnector::SetSendBuffer(int nBytes)
{
    return setsockopt(m_hSocket, SOL_SOCKET, SO_SNDBUF, &nBytes, sizeof(nBytes)) == 0 ? 0 : errno;
}

int CTcpConnector::SetNoDelay()
{
    int nOn = 1;
    return setsockopt(m_hSocket, IPPROTO_TCP, TCP_NODELAY, &nOn, sizeof(nOn)) == 0 ? 0 : errno;
}

int CTcpConnector::SetReceiveTimeout(int nMilliseconds)
{
    timeval tv{};
    tv.tv_sec = nMilliseconds / 1000;
    tv.tv_usec = (nMilliseconds % 1000) * 1000;
    return setsockopt(m_hSocket, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv)) == 0 ? 0 : errno;
}

int CTcpConnector::Send(const void* pData, size_t nSize, size_t& nSent)
{
    nSent = 0;
    for (;;) {
        ssize_t n = ::send(m_hSocket, pData, nSize, MSG_NOSIGNAL);
        if (n >= 0) {
            nSent = static_cast<size_t>(n);
            return 0;
        }
        if (errno != EINTR) {
            return errno;
        }
    }
}

int CTcpConnector::SendAll(const void* pData, size_t nSize, int nStallMs, size_t& nSent)
{
    nSent = 0;
    const char* pBytes = static_cast<const char*>(pData);
    int64_t nDeadline = NowMs() + std::max(nStallMs, 0);
    while (nSent < nSize) {
        ssize_t n = ::send(m_hSocket, pBytes + nSent, nSize - nSent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            nSent += static_cast<size_t>(n);
            nDeadline = NowMs() + std::max(nStallMs, 0); // progress: the wait starts over
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return errno;
        }
        int64_t nLeft = nDeadline - NowMs();
        if (nLeft <= 0) {
            return TCP_ERROR_TIMEOUT;
        }
        pollfd fd{m_hSocket, POLLOUT, 0};
        if (::poll(&fd, 1, static_cast<int>(nLeft)) < 0 && errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

int CTcpConnector::Receive(void* pBuffer, size_t nSize, size_t& nReceived)
{
    nReceived = 0;
    for (;;) {
        ssize_t n = ::recv(m_hSocket, pBuffer, nSize, 0);
        if (n == 0 && nSize > 0) {
            return TCP_ERROR_PEER_CLOSED;
        }
        if (n >= 0) {
            nReceived = static_cast<size_t>(n);
            return 0;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return 0;
        }
        if (errno != EINTR) {
            return errno;
        }
    }
}

int CTcpConnector::ShutdownAndClose(int nStallMs, int nCloseGraceMs)
{
    if (m_hSocket < 0) {
        return 0;
    }
    int nResult = 0;
    if (::shutdown(m_hSocket, SHUT_WR) == 0) {
        int64_t nDeadline = NowMs() + std::max(nStallMs, 0);
        int nLastUnacked = -1;
        bool bPeerClosed = false;
        char buffer[4096];
        for (;;) {
            int nUnacked = 0;
            if (ioctl(m_hSocket, SIOCOUTQ, &nUnacked) != 0) {
                nUnacked = 0;
            }
            if (nUnacked == 0 && bPeerClosed) {
                break; // the peer has every byte and ended in order
            }
            if (nLastUnacked < 0 || nUnacked < nLastUnacked) {
                // Acknowledged more since the last look: a slow peer, not
                // a stalled one. Once everything is acknowledged, the
                // peer's answer to the end (its close, or a reset when it
                // left bytes unread) is awaited a short while only.
                nLastUnacked = nUnacked;
                nDeadline = NowMs() + std::max(nUnacked == 0 ? nCloseGraceMs : nStallMs, 0);
            }
            int64_t nLeft = nDeadline - NowMs();
            if (nLeft <= 0) {
                nResult = nUnacked == 0 ? 0 : TCP_ERROR_TIMEOUT;
                break;
            }
            pollfd fd{m_hSocket, static_cast<short>(bPeerClosed ? 0 : POLLIN), 0};
            int nReady = ::poll(&fd, 1, static_cast<int>(std::min<int64_t>(nLeft, 10)));
            if (nReady > 0 && !bPeerClosed) {
                ssize_t n = ::recv(m_hSocket, buffer, sizeof(buffer), MSG_DONTWAIT);
                if (n == 0) {
                    bPeerClosed = true;
                } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                    // A reset: the peer closed with bytes of ours unread.
                    nResult = errno == ECONNRESET ? TCP_ERROR_RESET : errno;
                    break;
                }
            }
        }
        // Drop input that arrived meanwhile, so close does not reset.
        while (::recv(m_hSocket, buffer, sizeof(buffer), MSG_DONTWAIT) > 0) {
        }
    }
    if (nResult == TCP_ERROR_TIMEOUT) {
        // Given up: a reset frees the peer, instead of leaving it the
        // unsent rest to wait for.
        AbortClose();
    } else {
        Close();
    }
    return nResult;
}

void CTcpConnector::AbortClose()
{
    if (m_hSocket >= 0) {
        linger abort{1, 0};
        setsockopt(m_hSocket, SOL_SOCKET, SO_LINGER, &abort, sizeof(abort));
    }
    Close();
}

void CTcpConnector::Close()
{
    if (m_hSocket >= 0) {
        ::close(m_hSocket);
        m_hSocket = -1;
    }
    m_nFileFlags = -1;
    m_bResolved = false;
}

} // namespace platform
