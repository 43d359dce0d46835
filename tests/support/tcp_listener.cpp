// Local TCP printer for network port tests.
#include "tests/support/tcp_listener.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace testsupport {

namespace {

long long NowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

sockaddr_in Loopback(int nPort)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(nPort));
    return address;
}

} // namespace

CTcpListener::CTcpListener(const Options& options) : m_Options(options)
{
    m_hListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int nOne = 1;
    setsockopt(m_hListen, SOL_SOCKET, SO_REUSEADDR, &nOne, sizeof(nOne));
    if (options.nReceiveBufferBytes > 0) {
        setsockopt(m_hListen, SOL_SOCKET, SO_RCVBUF, &options.nReceiveBufferBytes,
                   sizeof(options.nReceiveBufferBytes));
    }
    sockaddr_in address = Loopback(options.nPort);
    if (::bind(m_hListen, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(m_hListen, options.nBacklog) != 0) {
        throw std::runtime_error("listener bind/listen failed");
    }
    socklen_t nLength = sizeof(address);
    getsockname(m_hListen, reinterpret_cast<sockaddr*>(&address), &nLength);
    m_nPort = ntohs(address.sin_port);
    if (::pipe2(m_hWake, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    if (options.bAccept) {
        m_Thread = std::thread(&CTcpListener::Run, this);
    }
}

CTcpListener::~CTcpListener()
{
    [[maybe_unused]] ssize_t n = ::write(m_hWake[1], "x", 1);
    if (m_Thread.joinable()) {
        m_Thread.join();
    }
    for (int hFiller : m_Fillers) {
        ::close(hFiller);
    }
    ::close(m_hListen);
    ::close(m_hWake[0]);
    ::close(m_hWake[1]);
}

void CTcpListener::Run()
{
    std::vector<int> clients;
    std::vector<long long> readFrom;
    std::vector<bool> replied;
    std::vector<long long> broughtBytes;
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({m_hWake[0], POLLIN, 0});
        fds.push_back({m_hListen, POLLIN, 0});
        long long nNow = NowMs();
        int nTimeout = 50;
        for (size_t i = 0; i < clients.size(); ++i) {
            bool bReading = clients[i] >= 0 && nNow >= readFrom[i];
            fds.push_back({bReading ? clients[i] : -1, POLLIN, 0});
        }
        ::poll(fds.data(), fds.size(), nTimeout);
        if (fds[0].revents & POLLIN) {
            break;
        }
        if (fds[1].revents & POLLIN) {
            int hClient = ::accept4(m_hListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (hClient >= 0) {
                clients.push_back(hClient);
                readFrom.push_back(NowMs() + m_Options.nReadDelayMs);
                replied.push_back(false);
                broughtBytes.push_back(0);
                ++m_nConnections;
            }
        }
        // Only the clients that were polled (one accepted just now waits
        // for the next round).
        for (size_t i = 0; i + 2 < fds.size(); ++i) {
            if (clients[i] < 0 || !(fds[2 + i].revents & (POLLIN | POLLHUP | POLLERR))) {
                continue;
            }
            char buffer[65536];
            size_t nWant = sizeof(buffer);
            if (m_Options.nCloseAfterBytes >= 0) {
                nWant = std::min<size_t>(
                    nWant, static_cast<size_t>(m_Options.nCloseAfterBytes - broughtBytes[i]));
            }
            ssize_t n = nWant > 0 ? ::recv(clients[i], buffer, nWant, 0) : 0;
            if (n > 0) {
                std::lock_guard lock(m_Lock);
                m_strReceived.append(buffer, static_cast<size_t>(n));
                broughtBytes[i] += n;
                if (!replied[i] && !m_Options.strReply.empty()) {
                    ::send(clients[i], m_Options.strReply.data(), m_Options.strReply.size(),
                           MSG_NOSIGNAL);
                    replied[i] = true;
                }
                if (broughtBytes[i] != m_Options.nCloseAfterBytes) {
                    continue;
                }
                n = 0; // enough: this printer hangs up
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n < 0 && errno == ECONNRESET) {
                m_bReset = true;
            }
            ::close(clients[i]);
            clients[i] = -1;
            ++m_nClosed;
        }
    }
    for (int hClient : clients) {
        if (hClient >= 0) {
            ::close(hClient);
        }
    }
}

std::string CTcpListener::WaitForBytes(size_t nBytes, int nTimeoutMs) const
{
    long long nDeadline = NowMs() + nTimeoutMs;
    for (;;) {
        {
            std::lock_guard lock(m_Lock);
            if (m_strReceived.size() >= nBytes || NowMs() >= nDeadline) {
                return m_strReceived;
            }
        }
        usleep(5000);
    }
}

bool CTcpListener::WaitForClientClose(int nTimeoutMs) const
{
    long long nDeadline = NowMs() + nTimeoutMs;
    while (m_nClosed == 0) {
        if (NowMs() >= nDeadline) {
            return false;
        }
        usleep(5000);
    }
    return true;
}

std::string CTcpListener::Received() const
{
    std::lock_guard lock(m_Lock);
    return m_strReceived;
}

void CTcpListener::FillBacklog()
{
    // Connect until one does not complete at once: from then on the
    // accept queue is full and SYNs are dropped.
    for (int i = 0; i < 64; ++i) {
        int hFiller = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_in address = Loopback(m_nPort);
        int nResult = ::connect(hFiller, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        m_Fillers.push_back(hFiller);
        if (nResult != 0 && errno == EINPROGRESS) {
            pollfd fd{hFiller, POLLOUT, 0};
            if (::poll(&fd, 1, 200) == 0) {
                return;
            }
        }
    }
}

int CTcpListener::FreePort()
{
    int hSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    ::bind(hSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t nLength = sizeof(address);
    getsockname(hSocket, reinterpret_cast<sockaddr*>(&address), &nLength);
    ::close(hSocket);
    return ntohs(address.sin_port);
}

} // namespace testsupport
