// Window endpoint server: a non-blocking Unix stream socket served through
// one epoll descriptor.
#include "platform/window_endpoint.h"

#include "platform/posix/window_endpoint_address.h"
#include "platform/runtime_dir.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kNoticeError = 0;
constexpr int kNoticeWarn = 1;
constexpr int kNoticeDebug = 3;
constexpr size_t kReadChunk = 64 * 1024;

std::string Format(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* pszFormat, ...)
{
    char szText[512];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(szText, sizeof(szText), pszFormat, args);
    va_end(args);
    return szText;
}

std::string ReadSmallFile(const std::string& strPath)
{
    std::string strText;
    int hFile = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (hFile < 0) {
        return strText;
    }
    char szBuffer[64];
    ssize_t nRead = ::read(hFile, szBuffer, sizeof(szBuffer));
    if (nRead > 0) {
        strText.assign(szBuffer, static_cast<size_t>(nRead));
    }
    ::close(hFile);
    return strText;
}

} // namespace

struct CWindowEndpoint::SConnection
{
    int hFd = -1;
    int nPid = 0;
    std::string strBuffer;
    bool bClosed = false;
};

CWindowEndpoint::CWindowEndpoint() = default;

CWindowEndpoint::~CWindowEndpoint()
{
    Close();
}

bool CWindowEndpoint::Open(intptr_t nWindowId, Handler fnHandler, Notice fnNotice,
                           std::string& strError)
{
    Close();
    std::string strPath;
    sockaddr_un address;
    if (!WindowEndpointAddress(nWindowId, strPath, address, strError)) {
        return false;
    }
    int hListen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (hListen < 0) {
        strError = std::string("endpoint socket cannot be created: ") + std::strerror(errno);
        return false;
    }
    ::unlink(strPath.c_str()); // a dead process's socket of the same id
    if (::bind(hListen, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(strPath.c_str(), 0600) != 0 || ::listen(hListen, SOMAXCONN) != 0) {
        strError = "endpoint " + strPath + " cannot listen: " + std::strerror(errno);
        ::close(hListen);
        ::unlink(strPath.c_str());
        return false;
    }
    m_hEpoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_hEpoll < 0) {
        strError = std::string("epoll cannot be created: ") + std::strerror(errno);
        ::close(hListen);
        ::unlink(strPath.c_str());
        return false;
    }
    m_hListen = hListen;
    m_nWindowId = nWindowId;
    m_strSocketPath = strPath;
    m_fnHandler = std::move(fnHandler);
    m_fnNotice = std::move(fnNotice);
    Watch(m_hListen);
    return true;
}

void CWindowEndpoint::Close()
{
    Unregister();
    for (auto& entry : m_Connections) {
        entry.second->bClosed = true;
        ::close(entry.first);
    }
    m_Connections.clear();
    if (m_hListen >= 0) {
        ::close(m_hListen);
        m_hListen = -1;
        ::unlink(m_strSocketPath.c_str());
    }
    if (m_hEpoll >= 0) {
        ::close(m_hEpoll);
        m_hEpoll = -1;
    }
}

bool CWindowEndpoint::Register(const std::string& strClass, const std::string& strTitle,
                               std::string& strError)
{
    std::string strDirectory;
    if (!IsOpen() || !GetRuntimeDirectory(strDirectory, strError)) {
        if (strError.empty()) {
            strError = "the endpoint is not open";
        }
        return false;
    }
    const std::string strPath = WindowRegistrationPath(strDirectory, strClass, strTitle);
    const std::string strTemp = strPath + ".tmp" + std::to_string(::getpid());
    const std::string strId = std::to_string(static_cast<long long>(m_nWindowId)) + "\n";
    int hFile =
        ::open(strTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    bool bWritten = hFile >= 0 && ::write(hFile, strId.data(), strId.size()) ==
                                      static_cast<ssize_t>(strId.size());
    if (hFile >= 0) {
        ::close(hFile);
    }
    if (!bWritten || ::rename(strTemp.c_str(), strPath.c_str()) != 0) {
        strError = "registration " + strPath + " cannot be written: " + std::strerror(errno);
        ::unlink(strTemp.c_str());
        return false;
    }
    m_strRegistrationPath = strPath;
    return true;
}

void CWindowEndpoint::Unregister()
{
    if (m_strRegistrationPath.empty()) {
        return;
    }
    // A later window may have registered under the same name meanwhile.
    if (ReadSmallFile(m_strRegistrationPath) ==
        std::to_string(static_cast<long long>(m_nWindowId)) + "\n") {
        ::unlink(m_strRegistrationPath.c_str());
    }
    m_strRegistrationPath.clear();
}

void CWindowEndpoint::Dispatch()
{
    if (m_hEpoll < 0) {
        return;
    }
    epoll_event aEvents[16];
    int nReady;
    do {
        nReady = ::epoll_wait(m_hEpoll, aEvents, 16, 0);
    } while (nReady < 0 && errno == EINTR);
    for (int i = 0; i < nReady && m_hEpoll >= 0; ++i) {
        int hFd = aEvents[i].data.fd;
        if (hFd == m_hListen) {
            Accept();
        } else {
            Serve(hFd);
        }
    }
}

void CWindowEndpoint::Accept()
{
    for (;;) {
        int hFd = ::accept4(m_hListen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (hFd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                Say(kNoticeError, Format("[CWindowEndpoint::Accept] accept Fail [%d] %s", errno,
                                         std::strerror(errno)));
            }
            return;
        }
        ucred peer = {};
        socklen_t nLength = sizeof(peer);
        if (::getsockopt(hFd, SOL_SOCKET, SO_PEERCRED, &peer, &nLength) != 0) {
            Say(kNoticeWarn, "[CWindowEndpoint::Accept] Peer credentials unreadable, refused");
            ::close(hFd);
            continue;
        }
        if (peer.uid != ::geteuid()) {
            Say(kNoticeWarn,
                Format("[CWindowEndpoint::Accept] Peer uid [%u] pid [%d] refused: not this user",
                       static_cast<unsigned>(peer.uid), static_cast<int>(peer.pid)));
            ::close(hFd);
            continue;
        }
        if (ConnectionCount() >= kMaxConnections) {
            Say(kNoticeWarn,
                Format("[CWindowEndpoint::Accept] Peer pid [%d] refused: %d connections open",
                       static_cast<int>(peer.pid), kMaxConnections));
            ::close(hFd);
            continue;
        }
        auto pConnection = std::make_shared<SConnection>();
        pConnection->hFd = hFd;
        pConnection->nPid = static_cast<int>(peer.pid);
        m_Connections[hFd] = pConnection;
        if (!Watch(hFd)) {
            Drop(hFd, kNoticeError, "cannot be watched");
        }
    }
}

void CWindowEndpoint::Serve(int hFd)
{
    auto it = m_Connections.find(hFd);
    if (it == m_Connections.end()) {
        return;
    }
    std::shared_ptr<SConnection> pConnection = it->second;
    char aChunk[kReadChunk];
    for (;;) {
        ssize_t nRead = ::recv(hFd, aChunk, sizeof(aChunk), 0);
        if (nRead > 0) {
            pConnection->strBuffer.append(aChunk, static_cast<size_t>(nRead));
            // Each chunk is judged at once: a bad or oversize header is
            // refused before any more of it is read.
            if (!HandleFrames(pConnection)) {
                return;
            }
            continue;
        }
        if (nRead < 0 && errno == EINTR) {
            continue;
        }
        if (nRead < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        if (nRead == 0 && pConnection->strBuffer.empty()) {
            Drop(hFd, kNoticeDebug, "closed by the peer");
        } else if (nRead == 0) {
            Drop(hFd, kNoticeWarn,
                 Format("closed by the peer inside a frame, %zu bytes dropped",
                        pConnection->strBuffer.size()));
        } else {
            Drop(hFd, kNoticeWarn, Format("recv Fail [%d] %s", errno, std::strerror(errno)));
        }
        return;
    }
}

bool CWindowEndpoint::HandleFrames(const std::shared_ptr<SConnection>& pConnection)
{
    const int hFd = pConnection->hFd;
    for (;;) {
        SWindowRequest request;
        size_t nConsumed = 0;
        const std::string& strBuffer = pConnection->strBuffer;
        EWindowFrameParse eParse =
            ParseWindowFrame(strBuffer.data(), strBuffer.size(), request.frame, nConsumed);
        switch (eParse) {
        case EWindowFrameParse::NeedMore:
            return true;
        case EWindowFrameParse::BadMagic:
            Drop(hFd, kNoticeWarn,
                 Format("sent a frame with a bad magic [0x%08x]",
                        PeekFrameMagic(strBuffer.data(), strBuffer.size())));
            return false;
        case EWindowFrameParse::BadVersion:
            Drop(hFd, kNoticeWarn, "sent a frame of an unknown version");
            return false;
        case EWindowFrameParse::BadFlags:
            Drop(hFd, kNoticeWarn, "sent a frame with bad flags");
            return false;
        case EWindowFrameParse::TooLarge:
            Drop(hFd, kNoticeWarn,
                 Format("sent a frame of %u payload bytes (at most %u)",
                        PeekFramePayloadLength(strBuffer.data(), strBuffer.size()),
                        kWindowFrameMaxPayload));
            return false;
        case EWindowFrameParse::Complete:
            break;
        }
        pConnection->strBuffer.erase(0, nConsumed);
        request.nPeerPid = pConnection->nPid;

        // While the handler runs (perhaps in a nested loop that dispatches
        // again), this connection is not served: its next frame waits.
        Unwatch(hFd);
        SWindowReply reply;
        try {
            reply = m_fnHandler ? m_fnHandler(request) : SWindowReply{WINDOW_REPLY_REFUSED, 0};
        } catch (const std::exception& e) {
            Say(kNoticeError,
                Format("[CWindowEndpoint::Dispatch] Handler Exception [%s] Message [%u]", e.what(),
                       request.frame.nMessage));
            reply = SWindowReply{WINDOW_REPLY_REFUSED, 0};
        }
        if (pConnection->bClosed) {
            return false; // the endpoint was closed meanwhile
        }
        if ((request.frame.nFlags & WINDOW_FRAME_POST) == 0) {
            const std::string strReply = EncodeWindowReply(reply);
            ssize_t nSent;
            do {
                nSent = ::send(hFd, strReply.data(), strReply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            } while (nSent < 0 && errno == EINTR);
            if (nSent != static_cast<ssize_t>(strReply.size())) {
                Drop(hFd, kNoticeDebug, "left before its reply");
                return false;
            }
        }
        if (!Watch(hFd)) {
            Drop(hFd, kNoticeError, "cannot be watched");
            return false;
        }
    }
}

void CWindowEndpoint::Drop(int hFd, int nLevel, const std::string& strWhy)
{
    auto it = m_Connections.find(hFd);
    if (it == m_Connections.end()) {
        return;
    }
    Say(nLevel, Format("[CWindowEndpoint::Dispatch] Peer pid [%d] %s, connection closed",
                       it->second->nPid, strWhy.c_str()));
    it->second->bClosed = true;
    Unwatch(hFd);
    ::close(hFd);
    m_Connections.erase(it);
}

void CWindowEndpoint::Say(int nLevel, const std::string& strText) const
{
    if (m_fnNotice) {
        m_fnNotice(nLevel, strText);
    }
}

bool CWindowEndpoint::Watch(int hFd)
{
    epoll_event event = {};
    event.events = EPOLLIN;
    event.data.fd = hFd;
    return ::epoll_ctl(m_hEpoll, EPOLL_CTL_ADD, hFd, &event) == 0 || errno == EEXIST;
}

void CWindowEndpoint::Unwatch(int hFd)
{
    ::epoll_ctl(m_hEpoll, EPOLL_CTL_DEL, hFd, nullptr);
}

} // namespace platform
