// Network printer port: bounded connect, one send per flush, the
// printer's reply logged, an orderly close.
#include "printing/socket_port.h"

#include "foundation/simple_log.h"
#include "platform/local_clock.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::atomic<int> g_nStallMs{CSocketPort::DEFAULT_STALL_MS};

// The first nMax bytes as hex ("12 12 ..."), for replies that are not text.
std::string HexText(const std::string& strBytes, size_t nMax)
{
    std::string strHex;
    for (size_t i = 0; i < strBytes.size() && i < nMax; ++i) {
        char szByte[4];
        std::snprintf(szByte, sizeof(szByte), "%s%02X", i == 0 ? "" : " ",
                      static_cast<unsigned char>(strBytes[i]));
        strHex += szByte;
    }
    if (strBytes.size() > nMax) {
        strHex += " ...";
    }
    return strHex;
}

} // namespace

int CSocketPort::StallMs()
{
    return g_nStallMs.load();
}

void CSocketPort::SetStallMs(int nMs)
{
    g_nStallMs = nMs > 0 ? nMs : DEFAULT_STALL_MS;
}

CSocketPort::CSocketPort(const char* pszHost, int nPort) : m_nPort(nPort)
{
    if (pszHost == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input IP Address NULL !!!!!", "CSocketPort::CSocketPort");
        return;
    }
    m_strHost = pszHost;
}

CSocketPort::~CSocketPort()
{
    ClosePort();
}

int CSocketPort::OpenPort()
{
    const char* pszTag = "CSocketPort::OpenPort";
    ClosePort();
    if (m_Socket.Create() != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Socket create failed.", pszTag);
        return 3;
    }
    if (m_Socket.Resolve(m_strHost, m_nPort) != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Error: Cannot gethostbyaddr %s", pszTag, m_strHost.c_str());
        return 3;
    }
    int nError = m_Socket.SetNonBlocking(true);
    if (nError != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] ioctlsocket NonBlock error. (Error code : %d)", pszTag, nError);
        return 3;
    }
    nError = m_Socket.StartConnect();
    if (nError != 0 && nError != EINPROGRESS) {
        LOG_PRINT(LOG_ERROR, "[%s] Connect error. (Error code : %d)", pszTag, nError);
        return 3;
    }
    if (nError == EINPROGRESS) {
        // A refused connection waits out the time like an unanswered one,
        // so every unreachable printer costs the same before the caller
        // moves on.
        nError = m_Socket.WaitConnected(CONNECT_WAIT_MS, true);
        if (nError != 0) {
            LOG_PRINT(LOG_ERROR, "[%s] select Not Set fd Error", pszTag);
            return 3;
        }
    }
    nError = m_Socket.SetNonBlocking(false);
    if (nError != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] ioctlsocket Block error. (Error code : %d)", pszTag, nError);
        return 3;
    }
    return 0;
}

int CSocketPort::InitializePort()
{
    if (!m_Socket.IsOpen()) {
        LOG_PRINT(LOG_ERROR, "[%s] Socket INVALID_HANDLE!!!", "CSocketPort::InitializePort");
        return 3;
    }
    m_Socket.SetReceiveTimeout(RECEIVE_TIMEOUT_MS);
    // A few documents in flight at most: what a stalled printer leaves
    // unread stays small, so the send notices it within one document.
    m_Socket.SetSendBuffer(SEND_BUFFER_BYTES);
    // The printer is spoken to in commands and short answers (the paper
    // status request after a cut): with Nagle's rule a small write behind
    // unacknowledged bytes waits ~40 ms for the printer's delayed ACK.
    m_Socket.SetNoDelay();
    return 0;
}

bool CSocketPort::CheckOpenForSend()
{
    if (!m_Socket.IsOpen()) {
        LOG_PRINT(LOG_ERROR, "[%s] Socket INVALID_HANDLE!!!", SendDataTag());
        return false;
    }
    return true;
}

int CSocketPort::SendCurrentMemoryPrintData()
{
    const char* pszTag = "CSocketPort::SendCurrentMemoryPrintData";
    LOG_PRINT(LOG_INFO, "[%s] PrintData\r\n%s", pszTag, m_szSendBuffer);
    size_t nSent = 0;
    int nError =
        m_Socket.SendAll(m_szSendBuffer, static_cast<size_t>(m_nSendLength), StallMs(), nSent);
    if (nError == platform::TCP_ERROR_TIMEOUT) {
        LOG_PRINT(LOG_ERROR,
                  "[%s] send Stalled... the printer took nothing for %d ms, Sent [%d : %d]", pszTag,
                  StallMs(), static_cast<int>(nSent), m_nSendLength);
        return 3;
    }
    if (nError != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] send WSA Error [%d]", pszTag, nError);
        return 3;
    }
    // Status bytes the printer may send back; with the short receive
    // time-out this ends at once when it is silent. A printer that keeps
    // sending is not listened to for longer than REPLY_MAX_MS or beyond
    // REPLY_MAX_BYTES: what it says is logged, never waited for. A printer
    // never ends the connection while a job is being sent, so its close or
    // reset here means the bytes just sent may not all have been printed:
    // the send fails, and the job is printed again on the next pass.
    m_strLastReply.clear();
    const uint64_t nReplyEnd = platform::GetMonotonicMs() + REPLY_MAX_MS;
    bool bCut = false;
    char buffer[4096];
    for (;;) {
        if (m_strLastReply.size() >= static_cast<size_t>(REPLY_MAX_BYTES) ||
            platform::GetMonotonicMs() >= nReplyEnd) {
            bCut = true;
            break;
        }
        std::memset(buffer, 0, sizeof(buffer));
        size_t nReceived = 0;
        const size_t nWant = std::min(sizeof(buffer) - 1,
                                      static_cast<size_t>(REPLY_MAX_BYTES) - m_strLastReply.size());
        nError = m_Socket.Receive(buffer, nWant, nReceived);
        if (nError != 0) {
            LOG_PRINT(LOG_ERROR, "[%s] recv Error [%d], the printer closed the connection", pszTag,
                      nError);
            return 3;
        }
        if (nReceived == 0) {
            break;
        }
        m_strLastReply.append(buffer, nReceived);
    }
    if (bCut) {
        LOG_PRINT(LOG_INFO,
                  "[%s] The printer keeps sending... reply read ends after [%d] bytes, Recv Data "
                  "[%s]",
                  pszTag, static_cast<int>(m_strLastReply.size()),
                  HexText(m_strLastReply, 64).c_str());
    }
    LOG_PRINT(LOG_DEBUG, "[%s] send Success, Recv Data [%s]", pszTag, m_strLastReply.c_str());
    return 0;
}

int CSocketPort::QueryStatus(const char* pRequest, int nSize, int nTimeoutMs,
                             unsigned char& nAnswer)
{
    const char* pszTag = "CSocketPort::QueryStatus";
    nAnswer = 0;
    if (!CheckOpenForSend()) {
        return 3;
    }
    if (m_nSendFailed != 0) {
        return m_nSendFailed;
    }
    // What the job buffered goes first; then the request goes out on its
    // own, and the answer is taken as soon as it comes (not after the
    // reply window of a write).
    if (m_nSendLength > 0) {
        int nResult = SendCurrentMemoryPrintData();
        ClearSendBuffer();
        if (nResult != 0) {
            m_nSendFailed = nResult;
            return nResult;
        }
    }
    size_t nSent = 0;
    int nError = m_Socket.SendAll(pRequest, static_cast<size_t>(nSize), StallMs(), nSent);
    if (nError != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] send Error [%d]", pszTag, nError);
        m_nSendFailed = 3;
        return 3;
    }
    const uint64_t nEnd = platform::GetMonotonicMs() + static_cast<uint64_t>(nTimeoutMs);
    for (;;) {
        char buffer[256];
        size_t nReceived = 0;
        nError = m_Socket.Receive(buffer, sizeof(buffer), nReceived);
        if (nError != 0) {
            LOG_PRINT(LOG_ERROR, "[%s] recv Error [%d], the printer closed the connection", pszTag,
                      nError);
            m_nSendFailed = 3;
            return 3;
        }
        for (size_t i = 0; i < nReceived; ++i) {
            if (IsStatusByte(static_cast<unsigned char>(buffer[i]))) {
                nAnswer = static_cast<unsigned char>(buffer[i]);
                LOG_PRINT(LOG_DEBUG, "[%s] Status [0x%02x]", pszTag, nAnswer);
                return 0;
            }
        }
        if (platform::GetMonotonicMs() >= nEnd) {
            return STATUS_NO_ANSWER;
        }
    }
}

int CSocketPort::ClosePort()
{
    const char* pszTag = "CSocketPort::ClosePort";
    int nResult = 0;
    if (m_Socket.IsOpen()) {
        if (SendFailed()) {
            // The job has failed and is printed again; what is still
            // queued for this printer is dropped rather than waited for.
            m_Socket.AbortClose();
            nResult = 3;
        } else {
            // An orderly close lets the bytes still in the socket buffer
            // reach the printer (an abortive close would drop them). A
            // printer that stopped taking them, or that hangs up with
            // bytes unread, has not printed the job.
            int nError = m_Socket.ShutdownAndClose(StallMs());
            if (nError == platform::TCP_ERROR_TIMEOUT) {
                LOG_PRINT(LOG_ERROR,
                          "[%s] Close Fail... the printer did not take the last bytes within %d ms",
                          pszTag, StallMs());
                nResult = 3;
            } else if (nError != 0) {
                LOG_PRINT(LOG_ERROR,
                          "[%s] Close Fail... the printer reset the connection with bytes unread "
                          "[%d]",
                          pszTag, nError);
                nResult = 3;
            }
        }
        LOG_PRINT(LOG_DEBUG, "[%s] Close", pszTag);
    }
    ClearSendFailure();
    return nResult;
}
