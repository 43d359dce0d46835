// Reading loop of one printer job, with its fault modes.
#include "tools/vprinter/printer_session.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vprinter {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kIdlePollMs = 20;

} // namespace

unsigned char StatusAnswer(int n, const SFaults& faults, int nCuts)
{
    const bool bPaperEnd = faults.m_nPaperEndAfter >= 0 && nCuts >= faults.m_nPaperEndAfter;
    unsigned char nAnswer = 0x12;
    if (n == 4) {
        if (faults.m_bPaperNearEnd || bPaperEnd) {
            nAnswer |= 0x0C;
        }
        if (bPaperEnd) {
            nAnswer |= 0x60;
        }
    } else if (n == 2 && bPaperEnd) {
        nAnswer |= 0x20;
    }
    return nAnswer;
}

void CPrinterSession::AnswerStatusRequests(const char* pBytes, size_t nSize)
{
    for (size_t i = 0; i < nSize; ++i) {
        const unsigned char c = static_cast<unsigned char>(pBytes[i]);
        if (m_nRealTimeState == 2 && c >= 1 && c <= 4) {
            m_nRealTimeState = 0;
            if (!m_faults.m_bNoStatus) {
                const unsigned char nAnswer = StatusAnswer(c, m_faults, m_output.CutCount());
                const ssize_t nWritten = write(m_nFd, &nAnswer, 1);
                (void)nWritten;
            }
            continue;
        }
        if (m_nRealTimeState == 1 && c == 0x04) {
            m_nRealTimeState = 2;
            continue;
        }
        m_nRealTimeState = c == 0x10 ? 1 : 0;
    }
}

CPrinterSession::CPrinterSession(int nFd, bool bPty, const SFaults& faults, CReceiptOutput& output,
                                 int nStopFd)
    : m_nFd(nFd), m_bPty(bPty), m_faults(faults), m_output(output), m_nStopFd(nStopFd)
{
}

bool CPrinterSession::Wait(short nEvents, int nMs, short& nRevents)
{
    pollfd fds[2] = {{m_nFd, nEvents, 0}, {m_nStopFd, POLLIN, 0}};
    nRevents = 0;
    if (poll(fds, 2, nMs) < 0) {
        return errno == EINTR;
    }
    if (fds[1].revents != 0) {
        return false;
    }
    nRevents = fds[0].revents;
    return true;
}

bool CPrinterSession::Sleep(int nMs)
{
    pollfd fd = {m_nStopFd, POLLIN, 0};
    return poll(&fd, 1, nMs) <= 0;
}

CPrinterSession::EEnd CPrinterSession::RunNoRead(bool bBegun)
{
    // The sender's data piles up unread; only its close (or the stop) ends
    // the connection. A pseudo-terminal simply stays full.
    if (!bBegun) {
        m_output.BeginConnection();
    }
    short nRevents = 0;
    for (;;) {
        if (!Wait(m_bPty ? 0 : POLLRDHUP, -1, nRevents)) {
            m_output.EndConnection();
            return END_STOPPED;
        }
        if (!m_bPty && (nRevents & (POLLRDHUP | POLLHUP | POLLERR)) != 0) {
            m_output.EndConnection();
            return END_PEER_CLOSED;
        }
    }
}

CPrinterSession::EEnd CPrinterSession::Run()
{
    if (m_faults.m_bNoRead) {
        return RunNoRead(false);
    }
    bool bStarted = false;
    auto begin = [&] {
        if (!bStarted) {
            m_output.BeginConnection();
            bStarted = true;
        }
    };
    auto end = [&](EEnd eEnd) {
        if (bStarted) {
            m_output.EndConnection();
        }
        return eEnd;
    };
    if (!m_bPty) {
        begin();
    }
    const std::chrono::nanoseconds byteTime =
        m_faults.m_nBaud > 0 ? std::chrono::nanoseconds(10'000'000'000LL / m_faults.m_nBaud)
                             : std::chrono::nanoseconds(0);
    // A paced reader takes at most 10 ms of line time per read.
    const size_t nPacedChunk =
        m_faults.m_nBaud > 0 ? static_cast<size_t>(std::max(1, m_faults.m_nBaud / 1000)) : 0;
    Clock::time_point nextDue = Clock::now();
    int64_t nReceived = 0;
    char buffer[4096];
    for (;;) {
        if (m_faults.m_nCloseAfter >= 0 && nReceived >= m_faults.m_nCloseAfter) {
            return end(END_FAULT_CLOSED);
        }
        if (m_faults.m_nStallAfter >= 0 && nReceived >= m_faults.m_nStallAfter) {
            begin();
            return RunNoRead(true);
        }
        if (m_faults.m_nBaud > 0) {
            const Clock::time_point now = Clock::now();
            if (now < nextDue) {
                const auto wait =
                    std::chrono::duration_cast<std::chrono::microseconds>(nextDue - now);
                if (wait.count() >= 1000) {
                    if (!Sleep(static_cast<int>(wait.count() / 1000))) {
                        return end(END_STOPPED);
                    }
                } else {
                    std::this_thread::sleep_for(wait);
                }
                continue;
            }
        }
        short nRevents = 0;
        if (!Wait(POLLIN, m_faults.m_strChatter.empty() ? -1 : 1, nRevents)) {
            return end(END_STOPPED);
        }
        if (!m_faults.m_strChatter.empty()) {
            // A printer that never stops talking: its socket is kept full,
            // so the sender always finds more of it waiting.
            std::string strBlock;
            while (strBlock.size() < 16384) {
                strBlock += m_faults.m_strChatter;
            }
            while (send(m_nFd, strBlock.data(), strBlock.size(), MSG_DONTWAIT | MSG_NOSIGNAL) > 0) {
            }
        }
        if ((nRevents & POLLIN) == 0 && (nRevents & (POLLHUP | POLLERR)) != 0) {
            if (m_bPty && !bStarted) {
                // No one has the slave open yet: wait for the next writer.
                if (!Sleep(kIdlePollMs)) {
                    return end(END_STOPPED);
                }
                continue;
            }
            return end(END_PEER_CLOSED);
        }
        if ((nRevents & POLLIN) == 0) {
            continue;
        }
        size_t nWant = sizeof(buffer);
        if (nPacedChunk > 0) {
            nWant = std::min(nWant, nPacedChunk);
        }
        if (m_faults.m_nCloseAfter >= 0) {
            nWant =
                std::min<size_t>(nWant, static_cast<size_t>(m_faults.m_nCloseAfter - nReceived));
        }
        if (m_faults.m_nStallAfter >= 0) {
            nWant =
                std::min<size_t>(nWant, static_cast<size_t>(m_faults.m_nStallAfter - nReceived));
        }
        const ssize_t nRead = read(m_nFd, buffer, nWant);
        if (nRead < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (nRead < 0 && m_bPty && errno == EIO && !bStarted) {
            continue;
        }
        if (nRead <= 0) {
            return end(nRead == 0 || errno == EIO || errno == ECONNRESET ? END_PEER_CLOSED
                                                                         : END_ERROR);
        }
        begin();
        nReceived += nRead;
        m_output.AddBytes(std::string_view(buffer, static_cast<size_t>(nRead)));
        AnswerStatusRequests(buffer, static_cast<size_t>(nRead));
        if (m_faults.m_nBaud > 0) {
            nextDue = std::max(nextDue, Clock::now()) + byteTime * nRead;
        }
        if (!m_faults.m_strStatus.empty()) {
            // A sender that is gone makes this fail; its close shows on the next read.
            const ssize_t nWritten =
                write(m_nFd, m_faults.m_strStatus.data(), m_faults.m_strStatus.size());
            (void)nWritten;
        }
        if (m_faults.m_nCloseAfter >= 0 && nReceived >= m_faults.m_nCloseAfter) {
            return end(END_FAULT_CLOSED);
        }
    }
}

} // namespace vprinter
