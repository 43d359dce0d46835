// The wake pipe over pipe2 and poll.
#include "platform/wake_pipe.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace platform {

CWakePipe::~CWakePipe()
{
    if (m_hRead >= 0) {
        ::close(m_hRead);
    }
    if (m_hWrite >= 0) {
        ::close(m_hWrite);
    }
}

bool CWakePipe::Open()
{
    int hPipe[2];
    if (::pipe2(hPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    m_hRead = hPipe[0];
    m_hWrite = hPipe[1];
    return true;
}

bool CWakePipe::Wake(uint32_t nValue)
{
    // Four bytes are below PIPE_BUF: written whole or not at all.
    ssize_t nWritten;
    do {
        nWritten = ::write(m_hWrite, &nValue, sizeof(nValue));
    } while (nWritten < 0 && errno == EINTR);
    return nWritten == sizeof(nValue);
}

int CWakePipe::Wait(uint32_t& nValue, int nTimeoutMs)
{
    pollfd fd{m_hRead, POLLIN, 0};
    int nReady;
    do {
        nReady = ::poll(&fd, 1, nTimeoutMs);
    } while (nReady < 0 && errno == EINTR);
    if (nReady == 0) {
        return 0;
    }
    if (nReady < 0) {
        return -1;
    }
    ssize_t nRead;
    do {
        nRead = ::read(m_hRead, &nValue, sizeof(nValue));
    } while (nRead < 0 && errno == EINTR);
    return nRead == sizeof(nValue) ? 1 : -1;
}

} // namespace platform
