// Pseudo-terminal master of the virtual printer.
#include "tools/vprinter/pty_endpoint.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vprinter {

CPtyEndpoint::~CPtyEndpoint()
{
    Close();
}

bool CPtyEndpoint::Open(bool bUnlock, std::string& strError)
{
    m_nFd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_nFd < 0) {
        strError = std::string("posix_openpt: ") + std::strerror(errno);
        return false;
    }
    // Raw on both directions: no LF to CR LF on the slave's output, no echo,
    // no line editing; the termios of the pair is set through the master.
    termios tio{};
    if (tcgetattr(m_nFd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_nFd, TCSANOW, &tio);
    }
    char szName[128];
    if (grantpt(m_nFd) != 0 || ptsname_r(m_nFd, szName, sizeof(szName)) != 0 ||
        (bUnlock && unlockpt(m_nFd) != 0)) {
        strError = std::string("pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    m_strSlavePath = szName;
    return true;
}

void CPtyEndpoint::Close()
{
    if (m_nFd >= 0) {
        close(m_nFd);
        m_nFd = -1;
    }
}

} // namespace vprinter
