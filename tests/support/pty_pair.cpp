// Pseudo-terminal pair for serial port tests.
#include "tests/support/pty_pair.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace testsupport {

namespace {

long long NowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

CPtyPair::CPtyPair()
{
    m_hMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_hMaster < 0 || grantpt(m_hMaster) != 0 || unlockpt(m_hMaster) != 0) {
        throw std::runtime_error("posix_openpt failed");
    }
    char szName[128] = {};
    if (ptsname_r(m_hMaster, szName, sizeof(szName)) != 0) {
        throw std::runtime_error("ptsname failed");
    }
    m_strSlave = szName;
    // Raw mode on the slave side, so bytes pass unchanged whatever the
    // port does; a held slave descriptor stops hang-ups between opens.
    m_hKeepSlave = ::open(szName, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_hKeepSlave >= 0) {
        termios tio;
        if (tcgetattr(m_hKeepSlave, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(m_hKeepSlave, TCSANOW, &tio);
        }
    }
    int nFlags = fcntl(m_hMaster, F_GETFL);
    fcntl(m_hMaster, F_SETFL, nFlags | O_NONBLOCK);
}

CPtyPair::~CPtyPair()
{
    CloseMaster();
    if (m_hKeepSlave >= 0) {
        ::close(m_hKeepSlave);
    }
}

std::string CPtyPair::Read(size_t nBytes, int nTimeoutMs, int nQuietMs)
{
    std::string strData;
    long long nDeadline = NowMs() + nTimeoutMs;
    while (strData.size() < nBytes && m_hMaster >= 0) {
        long long nLeft = nDeadline - NowMs();
        if (nLeft <= 0) {
            break;
        }
        int nWait =
            static_cast<int>(strData.empty() ? nLeft : std::min<long long>(nLeft, nQuietMs));
        pollfd fd{m_hMaster, POLLIN, 0};
        int nReady = ::poll(&fd, 1, nWait);
        if (nReady == 0 && !strData.empty()) {
            break;
        }
        if (nReady <= 0) {
            continue;
        }
        char buffer[4096];
        ssize_t n = ::read(m_hMaster, buffer, std::min(sizeof(buffer), nBytes - strData.size()));
        if (n > 0) {
            strData.append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        }
    }
    return strData;
}

void CPtyPair::Write(const std::string& strBytes)
{
    [[maybe_unused]] ssize_t n = ::write(m_hMaster, strBytes.data(), strBytes.size());
}

void CPtyPair::CloseMaster()
{
    if (m_hMaster >= 0) {
        ::close(m_hMaster);
        m_hMaster = -1;
    }
}

void CPtyPair::LinkAs(const std::string& strProgramFolder, const std::string& strName) const
{
    std::filesystem::path dir = std::filesystem::path(strProgramFolder) / "dosdevices";
    std::filesystem::create_directories(dir);
    std::filesystem::path link = dir / strName;
    std::error_code ec;
    std::filesystem::remove(link, ec);
    std::filesystem::create_symlink(m_strSlave, link);
}

} // namespace testsupport
