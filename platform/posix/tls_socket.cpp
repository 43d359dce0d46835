// BSD-socket implementation of the TLS transport socket.
#include "platform/tls_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace platform {

static_assert(sizeof(sockaddr_in) <= 16, "address buffer too small");

namespace {

struct SErrnoCode
{
    int nErrno;
    int nCode;
};

// The system error numbers that have a counterpart in the log numbering.
constexpr SErrnoCode kErrnoCodes[] = {
    {EINTR, 10004},           {EBADF, 10009},        {EACCES, 10013},
    {EFAULT, 10014},          {EINVAL, 10022},       {EMFILE, 10024},
    {EWOULDBLOCK, 10035},     {EINPROGRESS, 10036},  {EALREADY, 10037},
    {ENOTSOCK, 10038},        {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},   {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},        {ENETUNREACH, 10051},  {ENETRESET, 10052},
    {ECONNABORTED, 10053},    {ECONNRESET, 10054},   {ENOBUFS, 10055},
    {EISCONN, 10056},         {ENOTCONN, 10057},     {ESHUTDOWN, 10058},
    {EPIPE, 10058},           {ETOOMANYREFS, 10059}, {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},    {ELOOP, 10062},        {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},       {EHOSTUNREACH, 10065},
};

int ResolveErrorCode(int nGai)
{
    switch (nGai) {
    case EAI_NONAME:
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        return SOCKET_ERROR_HOST_NOT_FOUND;
    case EAI_AGAIN:
        return 11002;
    case EAI_FAIL:
        return 11003;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return 11004;
#endif
    case EAI_MEMORY:
        return 10055;
    case EAI_SYSTEM:
        return CTlsSocket::SocketErrorFromSystem(errno);
    default:
        return 11003;
    }
}

} // namespace

CTlsSocket::~CTlsSocket()
{
    Close();
}

int CTlsSocket::SocketErrorFromSystem(int nErrno)
{
    for (const SErrnoCode& entry : kErrnoCodes) {
        if (entry.nErrno == nErrno) {
            return entry.nCode;
        }
    }
    return nErrno;
}

int CTlsSocket::Fail(int nCode)
{
    m_nLastError = nCode;
    return nCode;
}

int CTlsSocket::Create()
{
    Close();
    m_nLastError = 0;
    m_hSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return m_hSocket >= 0 ? 0 : Fail(SocketErrorFromSystem(errno));
}

int CTlsSocket::SetReceiveTimeout(int nMilliseconds)
{
    timeval tv{};
    if (nMilliseconds > 0) {
        tv.tv_sec = nMilliseconds / 1000;
        tv.tv_usec = static_cast<suseconds_t>(nMilliseconds % 1000) * 1000;
    }
    if (::setsockopt(m_hSocket, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv)) != 0) {
        return Fail(SocketErrorFromSystem(errno));
    }
    return 0;
}

int CTlsSocket::SetLingerReset()
{
    linger value{};
    value.l_onoff = 1;
    value.l_linger = 0;
    if (::setsockopt(m_hSocket, SOL_SOCKET, SO_LINGER, &value, sizeof(value)) != 0) {
        return Fail(SocketErrorFromSystem(errno));
    }
    return 0;
}

int CTlsSocket::Resolve(const std::string& strHost, int nPort)
{
    m_bResolved = false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* pResult = nullptr;
    int nGai = ::getaddrinfo(strHost.c_str(), nullptr, &hints, &pResult);
    if (nGai != 0) {
        return Fail(ResolveErrorCode(nGai));
    }
    if (pResult == nullptr || pResult->ai_addrlen < sizeof(sockaddr_in)) {
        ::freeaddrinfo(pResult);
        return Fail(11004);
    }
    sockaddr_in address;
    std::memcpy(&address, pResult->ai_addr, sizeof(address));
    ::freeaddrinfo(pResult);
    address.sin_port = htons(static_cast<uint16_t>(nPort));
    std::memcpy(m_Address, &address, sizeof(address));
    m_bResolved = true;
    return 0;
}

int CTlsSocket::Connect(int nTimeoutMs)
{
    if (!m_bResolved) {
        return Fail(10039);
    }
    sockaddr_in address;
    std::memcpy(&address, m_Address, sizeof(address));
    // Non-blocking for the connect only: a host that drops the SYNs costs
    // the time-out, not the system's minutes of retries.
    const int nFlags = ::fcntl(m_hSocket, F_GETFL);
    if (nFlags < 0 || ::fcntl(m_hSocket, F_SETFL, nFlags | O_NONBLOCK) != 0) {
        return Fail(SocketErrorFromSystem(errno));
    }
    int nError = 0;
    if (::connect(m_hSocket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        nError = errno;
    }
    if (nError == EINPROGRESS || nError == EINTR) {
        timespec start{};
        clock_gettime(CLOCK_MONOTONIC, &start);
        for (;;) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const long long nElapsedMs =
                (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000;
            const long long nLeft = nTimeoutMs > 0 ? nTimeoutMs - nElapsedMs : -1;
            if (nTimeoutMs > 0 && nLeft <= 0) {
                nError = ETIMEDOUT;
                break;
            }
            pollfd fd{m_hSocket, POLLOUT, 0};
            const int nReady = ::poll(&fd, 1, static_cast<int>(nLeft));
            if (nReady < 0 && errno == EINTR) {
                continue;
            }
            if (nReady < 0) {
                nError = errno;
                break;
            }
            if (nReady == 0) {
                nError = ETIMEDOUT;
                break;
            }
            socklen_t nLength = sizeof(nError);
            if (::getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &nError, &nLength) != 0) {
                nError = errno;
            }
            break;
        }
    }
    ::fcntl(m_hSocket, F_SETFL, nFlags);
    return nError == 0 ? 0 : Fail(SocketErrorFromSystem(nError));
}

long CTlsSocket::Send(const void* pData, size_t nSize)
{
    ssize_t nSent;
    do {
        nSent = ::send(m_hSocket, pData, nSize, MSG_NOSIGNAL);
    } while (nSent < 0 && errno == EINTR);
    if (nSent < 0) {
        Fail(SocketErrorFromSystem(errno));
        return -1;
    }
    return static_cast<long>(nSent);
}

long CTlsSocket::Receive(void* pBuffer, size_t nSize)
{
    ssize_t nReceived;
    do {
        nReceived = ::recv(m_hSocket, pBuffer, nSize, 0);
    } while (nReceived < 0 && errno == EINTR);
    if (nReceived < 0) {
        // The receive time-out shows as "would block".
        int nErr = errno;
        Fail(nErr == EAGAIN || nErr == EWOULDBLOCK ? 10060 : SocketErrorFromSystem(nErr));
        return -1;
    }
    return static_cast<long>(nReceived);
}

void CTlsSocket::Close()
{
    if (m_hSocket >= 0) {
        ::close(m_hSocket);
        m_hSocket = -1;
    }
    m_bResolved = false;
}

} // namespace platform
