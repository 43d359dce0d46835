// termios implementation of the serial / parallel printer device.
#include "platform/serial_device.h"

#include "platform/local_clock.h"
#include "platform/program_folder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

static_assert(sizeof(termios) <= 128, "saved settings buffer too small");

namespace {

int64_t NowMs()
{
    return static_cast<int64_t>(GetMonotonicMs());
}

std::string Lower(std::string str)
{
    for (char& c : str) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return str;
}

speed_t SpeedFor(int nBaudRate, bool& bKnown)
{
    struct Entry
    {
        int nRate;
        speed_t speed;
    };
    static const Entry kRates[] = {
        {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
        {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
        {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const Entry& entry : kRates) {
        if (entry.nRate == nBaudRate) {
            bKnown = true;
            return entry.speed;
        }
    }
    bKnown = false;
    return B9600;
}

// A /dev/ttySn the kernel made without a UART behind it reports type 0
// (PORT_UNKNOWN) in sysfs; without sysfs, the serial ioctl tells the same.
bool IsRealUart(const std::string& strPath)
{
    const std::string strName = strPath.substr(strPath.rfind('/') + 1);
    int hType = ::open(("/sys/class/tty/" + strName + "/type").c_str(), O_RDONLY | O_CLOEXEC);
    if (hType >= 0) {
        char szType[16] = {};
        ssize_t nRead = ::read(hType, szType, sizeof(szType) - 1);
        ::close(hType);
        return nRead > 0 && std::atoi(szType) != 0;
    }
    int hFile = ::open(strPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (hFile < 0) {
        return false;
    }
    serial_struct info{};
    bool bReal = ioctl(hFile, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(hFile);
    return bReal;
}

bool ExistingDevice(const std::string& strPath)
{
    struct stat st;
    return !strPath.empty() && ::stat(strPath.c_str(), &st) == 0;
}

} // namespace

bool IsSupportedBaudRate(int nBaudRate)
{
    bool bKnown = false;
    SpeedFor(nBaudRate, bKnown);
    return bKnown;
}

std::vector<std::string> ListSerialPortNames()
{
    std::vector<std::string> vNames;
    const std::string strOverrides = JoinPath(GetProgramFolder(), "dosdevices");
    for (const char* pszPrefix : {"COM", "LPT"}) {
        const int nLast = pszPrefix[0] == 'C' ? 255 : 9;
        for (int nNumber = 1; nNumber <= nLast; ++nNumber) {
            const std::string strName = pszPrefix + std::to_string(nNumber);
            const std::string strPath = ResolveSerialDevicePath(strName);
            if (!ExistingDevice(strPath)) {
                continue;
            }
            // A dosdevices link is the shop's own choice and is listed as
            // it is; the kernel's ttyS placeholders are not.
            const bool bOverride = strPath.rfind(strOverrides + "/", 0) == 0;
            if (!bOverride && strPath.rfind("/dev/ttyS", 0) == 0 && !IsRealUart(strPath)) {
                continue;
            }
            vNames.push_back(strName);
        }
    }
    return vNames;
}

std::string ResolveSerialDevicePath(const std::string& strName)
{
    std::string strBare = strName;
    if (strBare.rfind("//./", 0) == 0 || strBare.rfind("\\\\.\\", 0) == 0) {
        strBare = strBare.substr(4);
    }
    std::string strLower = Lower(strBare);
    bool bCom = strLower.rfind("com", 0) == 0;
    bool bLpt = strLower.rfind("lpt", 0) == 0;
    std::string strDigits = strLower.size() > 3 ? strLower.substr(3) : std::string();
    bool bNumbered = !strDigits.empty() && strDigits.size() <= 3 &&
                     std::all_of(strDigits.begin(), strDigits.end(),
                                 [](unsigned char c) { return std::isdigit(c) != 0; });
    if (!(bCom || bLpt) || !bNumbered) {
        return strName;
    }
    int nNumber = std::stoi(strDigits);
    std::string strOverride = JoinPath(JoinPath(GetProgramFolder(), "dosdevices"),
                                       (bCom ? "com" : "lpt") + std::to_string(nNumber));
    struct stat st;
    if (lstat(strOverride.c_str(), &st) == 0) {
        return strOverride;
    }
    if (bLpt) {
        return nNumber >= 1 ? "/dev/lp" + std::to_string(nNumber - 1) : std::string();
    }
    if (nNumber >= 1 && nNumber <= 32) {
        return "/dev/ttyS" + std::to_string(nNumber - 1);
    }
    if (nNumber >= 33 && nNumber <= 64) {
        return "/dev/ttyUSB" + std::to_string(nNumber - 33);
    }
    if (nNumber >= 65 && nNumber <= 96) {
        return "/dev/ttyACM" + std::to_string(nNumber - 65);
    }
    return {};
}

CSerialDevice::CSerialDevice() : m_hWake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CSerialDevice::~CSerialDevice()
{
    Close();
    if (m_hWake >= 0) {
        ::close(m_hWake);
    }
}

int CSerialDevice::Open(const std::string& strName)
{
    std::unique_lock lock(m_Lock);
    if (m_hFile.load() >= 0) {
        return 0;
    }
    m_strPath = ResolveSerialDevicePath(strName);
    if (m_strPath.empty()) {
        return SERIAL_ERROR_NO_SUCH_DEVICE;
    }
    int hFile = ::open(m_strPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (hFile < 0) {
        int nError = errno;
        return nError == EBUSY ? SERIAL_ERROR_BUSY : nError;
    }
    // TIOCEXCL refuses further opens of a terminal (except by root), the
    // advisory lock covers root and devices that are not terminals.
    if (flock(hFile, LOCK_EX | LOCK_NB) != 0) {
        int nError = errno;
        ::close(hFile);
        return (nError == EWOULDBLOCK || nError == EAGAIN) ? SERIAL_ERROR_BUSY : nError;
    }
    m_bTerminal = isatty(hFile) != 0;
    if (m_bTerminal) {
        ioctl(hFile, TIOCEXCL);
    }
    m_bHungUp = false;
    m_bSaved = false;
    m_bCancelled = false;
    m_bTxPending = false;
    uint64_t nDrain = 0;
    if (m_hWake >= 0) {
        [[maybe_unused]] ssize_t n = ::read(m_hWake, &nDrain, sizeof(nDrain));
    }
    m_hFile = hFile;
    return 0;
}

bool CSerialDevice::IsOpen() const
{
    return m_hFile.load() >= 0;
}

int CSerialDevice::SaveSettings()
{
    std::shared_lock lock(m_Lock);
    termios tio;
    if (tcgetattr(m_hFile, &tio) != 0) {
        return errno;
    }
    std::memcpy(m_SavedSettings, &tio, sizeof(tio));
    m_bSaved = true;
    return 0;
}

int CSerialDevice::SetReadReturnsAtOnce()
{
    std::shared_lock lock(m_Lock);
    termios tio;
    if (tcgetattr(m_hFile, &tio) != 0) {
        return errno;
    }
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(m_hFile, TCSANOW, &tio) == 0 ? 0 : errno;
}

int CSerialDevice::CheckTerminal() const
{
    std::shared_lock lock(m_Lock);
    return isatty(m_hFile) ? 0 : errno;
}

int CSerialDevice::SetLine8N1(int nBaudRate)
{
    std::shared_lock lock(m_Lock);
    termios tio;
    if (tcgetattr(m_hFile, &tio) != 0) {
        return errno;
    }
    bool bKnown = false;
    speed_t speed = SpeedFor(nBaudRate, bKnown);
    if (!bKnown) {
        return EINVAL;
    }
    // Raw bytes both ways: receipt data is binary (ESC sequences, CP949),
    // so no output processing, no echo, no line editing. Flow control is
    // left as the driver has it.
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return tcsetattr(m_hFile, TCSANOW, &tio) == 0 ? 0 : errno;
}

int CSerialDevice::Purge()
{
    std::shared_lock lock(m_Lock);
    return tcflush(m_hFile, TCIOFLUSH) == 0 ? 0 : errno;
}

int CSerialDevice::PurgeInput()
{
    std::shared_lock lock(m_Lock);
    return tcflush(m_hFile, TCIFLUSH) == 0 ? 0 : errno;
}

int CSerialDevice::ClearError() const
{
    std::shared_lock lock(m_Lock);
    termios tio;
    return tcgetattr(m_hFile, &tio) == 0 ? 0 : errno;
}

int CSerialDevice::OutputQueued(int& nQueued) const
{
    nQueued = 0;
    return ioctl(m_hFile, TIOCOUTQ, &nQueued) == 0 ? 0 : errno;
}

int CSerialDevice::Write(const void* pData, size_t nSize, int nTimeoutMs, size_t& nWritten,
                         bool& bPending)
{
    std::shared_lock lock(m_Lock);
    nWritten = 0;
    bPending = false;
    int hFile = m_hFile;
    if (hFile < 0) {
        return EBADF;
    }
    const char* pBytes = static_cast<const char*>(pData);
    int64_t nDeadline = NowMs() + std::max(nTimeoutMs, 0);
    m_bTxPending = true;
    while (nWritten < nSize) {
        ssize_t n = ::write(hFile, pBytes + nWritten, nSize - nWritten);
        if (n > 0) {
            nWritten += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return errno;
        }
        bPending = true;
        int64_t nLeft = nDeadline - NowMs();
        if (nLeft <= 0) {
            return SERIAL_ERROR_TIMEOUT;
        }
        pollfd fds[2] = {{hFile, POLLOUT, 0}, {m_hWake, POLLIN, 0}};
        int nReady = ::poll(fds, 2, static_cast<int>(std::min<int64_t>(nLeft, 100)));
        if (nReady < 0 && errno != EINTR) {
            return errno;
        }
        if (m_bCancelled) {
            return SERIAL_ERROR_CANCELLED;
        }
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            return EIO;
        }
    }
    Kick();
    return 0;
}

void CSerialDevice::Kick()
{
    if (m_hWake >= 0) {
        uint64_t nOne = 1;
        [[maybe_unused]] ssize_t n = ::write(m_hWake, &nOne, sizeof(nOne));
    }
}

int CSerialDevice::WaitTransmitted(int nTimeoutMs)
{
    std::shared_lock lock(m_Lock);
    if (m_hFile < 0) {
        return EBADF;
    }
    int64_t nDeadline = NowMs() + std::max(nTimeoutMs, 0);
    for (;;) {
        int nQueued = 0;
        int nError = OutputQueued(nQueued);
        if (nError == ENOTTY || nError == EINVAL) {
            return 0; // not a terminal: a write is transmitted when it returns
        }
        if (nError != 0) {
            return nError;
        }
        if (nQueued == 0) {
            return 0;
        }
        if (m_bCancelled) {
            return SERIAL_ERROR_CANCELLED;
        }
        if (NowMs() >= nDeadline) {
            return SERIAL_ERROR_TIMEOUT;
        }
        usleep(2000);
    }
}

int CSerialDevice::Read(void* pBuffer, size_t nSize, size_t& nRead)
{
    std::shared_lock lock(m_Lock);
    nRead = 0;
    if (m_hFile < 0) {
        return EBADF;
    }
    ssize_t n = ::read(m_hFile, pBuffer, nSize);
    if (n >= 0) {
        nRead = static_cast<size_t>(n);
        return 0;
    }
    return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : errno;
}

int CSerialDevice::WaitEvent(int nTimeoutMs, unsigned& nEvents)
{
    nEvents = 0;
    int64_t nDeadline = NowMs() + std::max(nTimeoutMs, 0);
    for (;;) {
        std::shared_lock lock(m_Lock);
        int hFile = m_hFile;
        if (m_bCancelled || hFile < 0) {
            return SERIAL_ERROR_CANCELLED;
        }
        if (m_bTxPending) {
            int nQueued = 0;
            int nError = OutputQueued(nQueued);
            if (nError != 0 || nQueued == 0) {
                m_bTxPending = false;
                nEvents |= SERIAL_EVENT_TXEMPTY;
            }
        }
        int64_t nLeft = nDeadline - NowMs();
        // While output is queued the queue is sampled every few ms, so
        // the transmit-empty event is not late by a whole wait.
        int nSlice = static_cast<int>(std::clamp<int64_t>(nLeft, 0, m_bTxPending ? 5 : 100));
        // A plain file or a printer driver without poll support is always
        // "readable", and a hung-up line stays so: those are not watched.
        bool bWatchLine = m_bTerminal && !m_bHungUp;
        pollfd fds[2] = {{m_hWake, POLLIN, 0}, {hFile, POLLIN, 0}};
        int nReady = ::poll(fds, bWatchLine ? 2 : 1, nEvents != 0 ? 0 : nSlice);
        if (nReady < 0 && errno != EINTR) {
            return errno;
        }
        if (fds[0].revents & POLLIN) {
            // A kick after a write (look at the output queue now) or a cancel.
            uint64_t nCount = 0;
            [[maybe_unused]] ssize_t n = ::read(m_hWake, &nCount, sizeof(nCount));
            if (m_bCancelled) {
                return SERIAL_ERROR_CANCELLED;
            }
            continue;
        }
        if (m_bCancelled) {
            return SERIAL_ERROR_CANCELLED;
        }
        if (bWatchLine && (fds[1].revents & POLLIN)) {
            nEvents |= SERIAL_EVENT_RXCHAR;
        }
        if (bWatchLine && (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL))) {
            m_bHungUp = true;
            nEvents |= SERIAL_EVENT_ERR;
        }
        if (nEvents != 0 || NowMs() >= nDeadline) {
            return 0;
        }
    }
}

void CSerialDevice::Cancel()
{
    m_bCancelled = true;
    Kick();
}

int CSerialDevice::Close()
{
    Cancel();
    std::unique_lock lock(m_Lock);
    int hFile = m_hFile;
    if (hFile < 0) {
        return 0;
    }
    if (m_bSaved) {
        // Like the CUPS serial backend: let the output drain (bounded),
        // then put the driver's own settings back.
        for (int i = 0; i < 500; ++i) {
            int nQueued = 0;
            if (OutputQueued(nQueued) != 0 || nQueued == 0) {
                break;
            }
            usleep(2000);
        }
        termios tio;
        std::memcpy(&tio, m_SavedSettings, sizeof(tio));
        tcsetattr(hFile, TCSANOW, &tio);
        m_bSaved = false;
    }
    flock(hFile, LOCK_UN);
    m_hFile = -1;
    return ::close(hFile) == 0 ? 0 : errno;
}

} // namespace platform
