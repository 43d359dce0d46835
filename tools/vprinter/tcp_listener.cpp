// TCP listening socket of the virtual printer.
#include "tools/vprinter/tcp_listener.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vprinter {

CTcpListener::~CTcpListener()
{
    if (m_nFd >= 0) {
        close(m_nFd);
    }
}

bool CTcpListener::Open(const std::string& strHost, int nPort, bool bListen, int nReceiveBuffer,
                        std::string& strError)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* pList = nullptr;
    const std::string strPort = std::to_string(nPort);
    const int nRc =
        getaddrinfo(strHost.empty() ? nullptr : strHost.c_str(), strPort.c_str(), &hints, &pList);
    if (nRc != 0) {
        strError = "cannot resolve " + strHost + ": " + gai_strerror(nRc);
        return false;
    }
    for (addrinfo* p = pList; p != nullptr && m_nFd < 0; p = p->ai_next) {
        const int nFd = socket(p->ai_family, p->ai_socktype | SOCK_CLOEXEC, p->ai_protocol);
        if (nFd < 0) {
            strError = std::string("socket: ") + std::strerror(errno);
            continue;
        }
        const int nOne = 1;
        setsockopt(nFd, SOL_SOCKET, SO_REUSEADDR, &nOne, sizeof(nOne));
        if (nReceiveBuffer > 0) {
            setsockopt(nFd, SOL_SOCKET, SO_RCVBUF, &nReceiveBuffer, sizeof(nReceiveBuffer));
        }
        if (bind(nFd, p->ai_addr, p->ai_addrlen) != 0 || (bListen && listen(nFd, 8) != 0)) {
            strError = "cannot bind " + strHost + ":" + strPort + ": " + std::strerror(errno);
            close(nFd);
            continue;
        }
        m_nFd = nFd;
    }
    freeaddrinfo(pList);
    if (m_nFd < 0) {
        return false;
    }
    sockaddr_storage bound{};
    socklen_t nLen = sizeof(bound);
    getsockname(m_nFd, reinterpret_cast<sockaddr*>(&bound), &nLen);
    char szHost[NI_MAXHOST];
    char szPort[NI_MAXSERV];
    getnameinfo(reinterpret_cast<sockaddr*>(&bound), nLen, szHost, sizeof(szHost), szPort,
                sizeof(szPort), NI_NUMERICHOST | NI_NUMERICSERV);
    m_strAddress = bound.ss_family == AF_INET6 ? "[" + std::string(szHost) + "]:" + szPort
                                               : std::string(szHost) + ":" + szPort;
    return true;
}

int CTcpListener::Accept(int nStopFd)
{
    for (;;) {
        pollfd fds[2] = {{m_nFd, POLLIN, 0}, {nStopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (fds[1].revents != 0) {
            return -1;
        }
        const int nFd = accept4(m_nFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (nFd >= 0) {
            return nFd;
        }
        if (errno != EINTR && errno != ECONNABORTED && errno != EAGAIN) {
            return -1;
        }
    }
}

} // namespace vprinter
