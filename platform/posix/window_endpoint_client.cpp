// Window endpoint client over a blocking Unix stream socket with poll
// time-outs.
#include "platform/window_endpoint_client.h"

#include "platform/local_clock.h"
#include "platform/posix/window_endpoint_address.h"
#include "platform/runtime_dir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

CWindowEndpointClient::~CWindowEndpointClient()
{
    Close();
}

bool CWindowEndpointClient::Connect(intptr_t nWindowId, std::string& strError)
{
    Close();
    std::string strPath;
    sockaddr_un address;
    if (!WindowEndpointAddress(nWindowId, strPath, address, strError)) {
        return false;
    }
    int hSocket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (hSocket < 0) {
        strError = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    int nResult;
    do {
        nResult = ::connect(hSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    } while (nResult != 0 && errno == EINTR);
    if (nResult != 0) {
        strError = "window " + std::to_string(static_cast<long long>(nWindowId)) +
                   " cannot be reached (" + strPath + "): " + std::strerror(errno);
        ::close(hSocket);
        return false;
    }
    m_hSocket = hSocket;
    return true;
}

bool CWindowEndpointClient::SendRaw(const std::string& strBytes, std::string& strError)
{
    size_t nDone = 0;
    while (nDone < strBytes.size()) {
        ssize_t nSent =
            ::send(m_hSocket, strBytes.data() + nDone, strBytes.size() - nDone, MSG_NOSIGNAL);
        if (nSent < 0 && errno == EINTR) {
            continue;
        }
        if (nSent <= 0) {
            strError = std::string("send: ") + std::strerror(errno);
            return false;
        }
        nDone += static_cast<size_t>(nSent);
    }
    return true;
}

bool CWindowEndpointClient::ReadReply(SWindowReply& reply, int nTimeoutMs, std::string& strError)
{
    char aReply[kWindowReplySize];
    size_t nHave = 0;
    const uint64_t nStart = GetMonotonicMs();
    while (nHave < sizeof(aReply)) {
        int nWait = -1;
        if (nTimeoutMs >= 0) {
            uint64_t nElapsed = GetMonotonicMs() - nStart;
            if (nElapsed >= static_cast<uint64_t>(nTimeoutMs)) {
                strError = "no reply within " + std::to_string(nTimeoutMs) + " ms";
                return false;
            }
            nWait = nTimeoutMs - static_cast<int>(nElapsed);
        }
        pollfd entry = {m_hSocket, POLLIN, 0};
        int nReady = ::poll(&entry, 1, nWait);
        if (nReady < 0 && errno == EINTR) {
            continue;
        }
        if (nReady == 0) {
            continue; // the time-out is judged above
        }
        ssize_t nRead = ::recv(m_hSocket, aReply + nHave, sizeof(aReply) - nHave, 0);
        if (nRead < 0 && errno == EINTR) {
            continue;
        }
        if (nRead <= 0) {
            strError = nRead == 0 ? "the window closed the connection without a reply"
                                  : std::string("recv: ") + std::strerror(errno);
            return false;
        }
        nHave += static_cast<size_t>(nRead);
    }
    if (!ParseWindowReply(aReply, sizeof(aReply), reply)) {
        strError = "the reply is not in the endpoint format";
        return false;
    }
    return true;
}

bool CWindowEndpointClient::Send(const SWindowFrame& frame, SWindowReply& reply, int nTimeoutMs,
                                 std::string& strError)
{
    if (!SendRaw(EncodeWindowFrame(frame), strError)) {
        return false;
    }
    if ((frame.nFlags & WINDOW_FRAME_POST) != 0) {
        reply = SWindowReply{};
        return true;
    }
    return ReadReply(reply, nTimeoutMs, strError);
}

void CWindowEndpointClient::Close()
{
    if (m_hSocket >= 0) {
        ::close(m_hSocket);
        m_hSocket = -1;
    }
}

bool SendWindowMessage(intptr_t nWindowId, const SWindowFrame& frame, SWindowReply& reply,
                       int nTimeoutMs, std::string& strError)
{
    CWindowEndpointClient client;
    return client.Connect(nWindowId, strError) && client.Send(frame, reply, nTimeoutMs, strError);
}

intptr_t FindRegisteredWindow(const std::string& strClass, const std::string& strTitle)
{
    std::string strDirectory;
    std::string strError;
    if (!GetRuntimeDirectory(strDirectory, strError)) {
        return 0;
    }
    const std::string strPath = WindowRegistrationPath(strDirectory, strClass, strTitle);
    int hFile = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (hFile < 0) {
        return 0;
    }
    char szId[32] = {};
    ssize_t nRead = ::read(hFile, szId, sizeof(szId) - 1);
    ::close(hFile);
    if (nRead <= 0) {
        return 0;
    }
    char* pEnd = nullptr;
    long long nId = std::strtoll(szId, &pEnd, 10);
    if (pEnd == szId || nId <= 0) {
        return 0;
    }
    // A registration left by a process that died: its socket is gone or
    // refuses connections.
    CWindowEndpointClient probe;
    if (!probe.Connect(static_cast<intptr_t>(nId), strError)) {
        return 0;
    }
    return static_cast<intptr_t>(nId);
}

} // namespace platform
