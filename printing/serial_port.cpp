// Serial / parallel printer port: bounded open on a thread of its own,
// receive thread, one device write per flush.
#include "printing/serial_port.h"

#include "foundation/simple_log.h"
#include "foundation/wait.h"
#include "platform/thread_start_hook.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr int kOpenTries = 10;
constexpr int kOpenRetryMs = 30;
constexpr uint32_t kOpenWaitMs = 3000;
constexpr uint32_t kWriteSuccessWaitMs = 3000;
constexpr uint32_t kSafeExitWaitMs = 3000;
constexpr uint32_t kClosePauseMs = 1000;
constexpr int kRecvWaitSliceMs = 100;

// Serial and parallel devices belong to the groups dialout and lp: a user
// outside them gets EACCES, which the log line then explains.
const char* const kPermissionHint =
    " (permission denied: the user must be in the group dialout for serial ports and lp for "
    "parallel ports; log out and in again after adding)";

} // namespace

struct CSerialPort::COpenAttempt
{
    std::shared_ptr<platform::CSerialDevice> pDevice;
    std::string strPortName;
    int nBaudRate = 9600;
    std::atomic<int>* pAttempts = nullptr; // null once abandoned
    std::atomic<int> nAttempts{0};
    CTeskEvent Done{true};
};

CSerialPort::CSerialPort(const char* pszPortName, int nBaudRate)
    : m_pDevice(std::make_shared<platform::CSerialDevice>())
{
    if (pszPortName == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input PortName NULL !!!!!", "CSerialPort::CSerialPort");
        return;
    }
    m_strPortName = pszPortName;
    m_nBaudRate = nBaudRate > 0 ? nBaudRate : 9600;
}

CSerialPort::~CSerialPort()
{
    ClosePort();
}

int CSerialPort::PendingWriteWaitMs(int nLength)
{
    int nWaitMs = (nLength / 800 + 2) * 1000;
    return nWaitMs < 1000 ? 1000 : nWaitMs;
}

int CSerialPort::OpenPort()
{
    ClosePort();
    auto pAttempt = std::make_shared<COpenAttempt>();
    pAttempt->pDevice = m_pDevice;
    pAttempt->strPortName = m_strPortName;
    pAttempt->nBaudRate = m_nBaudRate;
    bool bStarted = false;
    try {
        std::thread openThread(&CSerialPort::ThreadOpenPort, pAttempt);
        bStarted = true;
        LOG_PRINT(LOG_DEBUG, "[%s] Try Thread CreateFile [%s:%d]", "CSerialPort::OpenPort",
                  m_strPortName.c_str(), m_nBaudRate);
        if (WaitForEvent(&pAttempt->Done, kOpenWaitMs) == WAIT_RESULT_SIGNALLED) {
            openThread.join();
        } else {
            // A thread cannot be killed safely: it is left to finish on
            // its own with the device it holds, and the port starts over
            // with a fresh one.
            openThread.detach();
            m_pDevice = std::make_shared<platform::CSerialDevice>();
            LOG_PRINT(LOG_TRACE, "[%s] Thread Timeout... Terminate Thread Result [%d] [0x%08x]",
                      "CSerialPort::OpenPort", 0, 0u);
        }
    } catch (const std::system_error&) {
        bStarted = false;
    }
    if (!bStarted) {
        LOG_PRINT(LOG_DEBUG, "[%s] Try CreateFile [%s:%d]", "CSerialPort::OpenPort",
                  m_strPortName.c_str(), m_nBaudRate);
        TryOpenDevice(*pAttempt);
    }
    m_nOpenAttempts = pAttempt->nAttempts.load();
    if (!m_pDevice->IsOpen()) {
        LOG_PRINT(LOG_ERROR, "[%s] CreateFile [%s:%d] Fail", "CSerialPort::OpenPort",
                  m_strPortName.c_str(), m_nBaudRate);
        return 3;
    }
    LOG_PRINT(LOG_DEBUG, "[%s] Create Success [%s:%d]", "CSerialPort::OpenPort",
              m_strPortName.c_str(), m_nBaudRate);
    return 0;
}

void CSerialPort::ThreadOpenPort(std::shared_ptr<COpenAttempt> pAttempt)
{
    platform::RunThreadStartHook();
    TryOpenDevice(*pAttempt);
    pAttempt->Done.Set();
}

void CSerialPort::TryOpenPort()
{
    COpenAttempt attempt;
    attempt.pDevice = m_pDevice;
    attempt.strPortName = m_strPortName;
    attempt.nBaudRate = m_nBaudRate;
    TryOpenDevice(attempt);
    m_nOpenAttempts = attempt.nAttempts.load();
}

void CSerialPort::TryOpenDevice(COpenAttempt& attempt)
{
    if (attempt.pDevice->IsOpen()) {
        LOG_PRINT(LOG_DEBUG, "[%s] Already Create Success", "CSerialPort::TryOpenPort");
        return;
    }
    int nError = 0;
    for (int i = 0; i < kOpenTries; ++i) {
        ++attempt.nAttempts;
        nError = attempt.pDevice->Open(attempt.strPortName);
        if (nError == 0 || nError == platform::SERIAL_ERROR_NO_SUCH_DEVICE) {
            break;
        }
        if (i + 1 < kOpenTries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kOpenRetryMs));
        }
    }
    if (!attempt.pDevice->IsOpen()) {
        LOG_PRINT(LOG_ERROR, "[%s] CreateFile [%s:%d] Fail ErrorCode [0x%08x]%s",
                  "CSerialPort::TryOpenPort", attempt.strPortName.c_str(), attempt.nBaudRate,
                  static_cast<unsigned>(nError), nError == EACCES ? kPermissionHint : "");
    }
}

int CSerialPort::InitializePort()
{
    const char* pszTag = "CSerialPort::InitializePort";
    platform::CSerialDevice& device = *m_pDevice;
    if (!device.IsOpen()) {
        LOG_PRINT(LOG_ERROR, "[%s] hCommPort Not Open", pszTag);
        return 3;
    }
    struct Step
    {
        const char* pszFormat;
        int nError;
    };
    // The driver's settings are kept for the close; reads return at once
    // with what has arrived; the line runs 8N1 at the configured rate.
    // Each failure is a warning: LPT devices refuse all of these.
    // A rate the line cannot run at would leave it at its old speed and
    // the printer would get garbage while the job "succeeds": on a serial
    // line (not an LPT device, which has no speed) that open fails.
    if (device.CheckTerminal() == 0 && !platform::IsSupportedBaudRate(m_nBaudRate)) {
        LOG_PRINT(LOG_ERROR, "[%s] BaudRate [%d] Not Supported By The Line [%s]", pszTag,
                  m_nBaudRate, m_strPortName.c_str());
        return 3;
    }
    int nSave = device.SaveSettings();
    int nTimeouts = device.SetReadReturnsAtOnce();
    int nTerminal = device.CheckTerminal();
    int nSaveState = nSave;
    int nSetState = device.SetLine8N1(m_nBaudRate);
    int nPurge = device.Purge();
    const Step steps[] = {
        {"[%s] GetCommTimeouts Fail... ErrorCode [0x%08x] (Ignore it in case of LPT port)", nSave},
        {"[%s] SetCommTimeouts Fail... ErrorCode [0x%08x] (Ignore it in case of LPT port)",
         nTimeouts},
        {"[%s] SetCommMask Fail... ErrorCode [0x%08x] (Ignore it in case of LPT port)", nTerminal},
        {"[%s] SetupComm Fail... ErrorCode [0x%08x] (Ignore it in case of LPT port)", nTerminal},
        {"[%s] GetCommState Fail... ErrorCode [0x%08x] (Ignore it in case of LPT port)",
         nSaveState},
        {"[%s] SetCommState Fail... ErrorCode [0x%08x] (Ignore it in case of LPT port)", nSetState},
        {"[%s] PurgeComm Fail... ErrorCode [0x%08x] (Ignore it in case of LPT port)", nPurge},
    };
    for (const Step& step : steps) {
        if (step.nError != 0) {
            LOG_PRINT(LOG_WARN, step.pszFormat, pszTag, static_cast<unsigned>(step.nError));
        }
    }
    m_EventRecvThreadSafeExit.Reset();
    m_EventWriteSuccess.Reset();
    m_nExitRequest = 0;
    if (!m_RecvThread.joinable()) {
        try {
            m_RecvThread = std::thread(&CSerialPort::ThreadRecvCommEvent, this);
        } catch (const std::system_error& error) {
            LOG_PRINT(LOG_ERROR, "[%s] CreateThread(RecvCommEvent) Fail ErrorCode [0x%08x]", pszTag,
                      static_cast<unsigned>(error.code().value()));
        }
    }
    m_nInitialized = 1;
    return 0;
}

bool CSerialPort::CheckOpenForSend()
{
    if (!m_pDevice->IsOpen()) {
        LOG_PRINT(LOG_ERROR, "[%s] CommPort INVALID_HANDLE!!!", SendDataTag());
        return false;
    }
    return true;
}

int CSerialPort::SendData(const char* pData, int nSize, int bFlush)
{
    if (m_pDevice->IsOpen() && m_pDevice->ClearError() != 0) {
        LOG_PRINT(LOG_WARN, "[%s] ClearCommError Fail... (Ignore it in case of LPT port)",
                  SendDataTag());
    }
    // A failed device write is reported to the caller, as by the other
    // ports, so a dead serial printer is seen and the job retried.
    return CBasePort::SendData(pData, nSize, bFlush);
}

int CSerialPort::SendCurrentMemoryPrintData()
{
    const char* pszTag = "CSerialPort::SendCurrentMemoryPrintData";
    platform::CSerialDevice& device = *m_pDevice;
    LOG_PRINT(LOG_INFO, "[%s] PrintData\r\n%s", pszTag, m_szSendBuffer);
    m_EventWriteSuccess.Reset();
    const size_t nLength = static_cast<size_t>(m_nSendLength);
    size_t nWritten = 0;
    bool bPending = false;
    int nError = device.Write(m_szSendBuffer, nLength, 0, nWritten, bPending);
    if (nError == 0 && device.WaitTransmitted(0) == 0) {
        m_EventWriteSuccess.Set();
        LOG_PRINT(LOG_INFO, "[%s] WriteFile Success... Not Pending Send Size [%d:%d]", pszTag,
                  m_nSendLength, static_cast<int>(nWritten));
        return 0;
    }
    int nResult = 0;
    if (nError == 0 || nError == platform::SERIAL_ERROR_TIMEOUT) {
        // The write is complete once the bytes have left the line, which
        // at 9600 baud takes about a second per 960 bytes.
        int nWaitMs = PendingWriteWaitMs(m_nSendLength);
        LOG_PRINT(LOG_DEBUG, "[%s] WriteFile IO_PENDING DataSize [%d] WaitTime [%d]", pszTag,
                  m_nSendLength, nWaitMs);
        uint64_t nDeadline = GetTickCount64Safe() + static_cast<uint64_t>(nWaitMs);
        if (nWritten < nLength) {
            size_t nMore = 0;
            nError = device.Write(m_szSendBuffer + nWritten, nLength - nWritten, nWaitMs, nMore,
                                  bPending);
            nWritten += nMore;
        }
        if (nError == 0) {
            uint64_t nNow = GetTickCount64Safe();
            int nLeft = nNow < nDeadline ? static_cast<int>(nDeadline - nNow) : 0;
            nError = device.WaitTransmitted(nLeft);
        }
        if (nError == platform::SERIAL_ERROR_TIMEOUT) {
            LOG_PRINT(LOG_ERROR, "[%s] WriteFile IO_PENDING Wait Fail...", pszTag);
            nResult = 4;
        } else if (nError != 0) {
            LOG_PRINT(LOG_ERROR, "[%s] Write Comport Fail ErrorCode [0x%08x]", pszTag,
                      static_cast<unsigned>(nError));
            nResult = 4;
        } else if (device.ClearError() != 0) {
            LOG_PRINT(LOG_WARN,
                      "[%s] WriteFile IO_PENDING ClearCommError Fail... (Ignore it in case of LPT "
                      "port)",
                      pszTag);
        }
    } else {
        LOG_PRINT(LOG_ERROR, "[%s] Write Comport Fail ErrorCode [0x%08x]", pszTag,
                  static_cast<unsigned>(nError));
        nResult = 4;
    }
    if (nWritten != nLength) {
        LOG_PRINT(LOG_ERROR, "[%s] WriteFile Pending Send Size Not Same [%d : %d]", pszTag,
                  m_nSendLength, static_cast<int>(nWritten));
    }
    if (nResult == 4) {
        LOG_PRINT(LOG_ERROR, "[%s] WriteFile Fail... Error Code [%d]", pszTag, nError);
    } else {
        LOG_PRINT(LOG_DEBUG, "[%s] Wait Write Event Start", pszTag);
        if (WaitForEvent(&m_EventWriteSuccess, kWriteSuccessWaitMs) != WAIT_RESULT_SIGNALLED) {
            LOG_PRINT(LOG_ERROR, "[%s] Wait Write Event Timeout", pszTag);
        }
        LOG_PRINT(LOG_DEBUG, "[%s] Wait Write Event End", pszTag);
    }
    m_EventWriteSuccess.Set();
    return nResult;
}

void CSerialPort::ThreadRecvCommEvent()
{
    platform::RunThreadStartHook();
    const char* pszTag = "CSerialPort::ThreadRecvCommEvent";
    platform::CSerialDevice& device = *m_pDevice;
    // The exit request is looked at after each wait, so events that came
    // before it (the last transmit-empty of a job) are still handled.
    while (device.IsOpen()) {
        unsigned nEvents = 0;
        int nError = device.WaitEvent(kRecvWaitSliceMs, nEvents);
        if (nError != 0) {
            if (nError != platform::SERIAL_ERROR_CANCELLED) {
                LOG_PRINT(LOG_WARN,
                          "[%s] WaitCommEvent Fail ErrorCode [0x%08x] (Ignore it in case of LPT "
                          "port)",
                          pszTag, static_cast<unsigned>(nError));
            }
            break;
        }
        if (nEvents & platform::SERIAL_EVENT_TXEMPTY) {
            LOG_PRINT(LOG_DEBUG, "[%s] EV_TXEMPTY Call !!! Set Write Success Event", pszTag);
            m_EventWriteSuccess.Set();
            if (m_nEndOfJob == 1) {
                LOG_PRINT(LOG_DEBUG, "[%s] EV_TXEMPTY Call... Thread Close", pszTag);
                break;
            }
        }
        if (nEvents & platform::SERIAL_EVENT_ERR) {
            LOG_PRINT(LOG_INFO, "[%s] EV_ERR...", pszTag);
        }
        if (nEvents & platform::SERIAL_EVENT_RXCHAR) {
            LOG_PRINT(LOG_INFO, "[%s] EV_RXCHAR...", pszTag);
            // What the printer sends back is only logged.
            for (int i = 0; i < 10; ++i) {
                char buffer[4096];
                std::memset(buffer, 0, sizeof(buffer));
                size_t nRead = 0;
                device.Read(buffer, sizeof(buffer) - 1, nRead);
                if (nRead == 0) {
                    break;
                }
                LOG_PRINT(LOG_DEBUG, "[%s] EV_RXCHAR... Data [%s]", pszTag, buffer);
                {
                    std::lock_guard<std::mutex> guard(m_ReceivedLock);
                    if (m_strReceived.size() < 4096) {
                        m_strReceived.append(buffer, nRead);
                    }
                }
                m_EventReceived.Set();
            }
        }
        if (m_nExitRequest != 0) {
            break;
        }
    }
    m_EventRecvThreadSafeExit.Set();
    LOG_PRINT(LOG_DEBUG, "[%s] Thread End !!!", pszTag);
}

int CSerialPort::QueryStatus(const char* pRequest, int nSize, int nTimeoutMs,
                             unsigned char& nAnswer)
{
    nAnswer = 0;
    if (!m_RecvThread.joinable()) {
        return STATUS_NO_ANSWER; // nothing listens to the line
    }
    {
        std::lock_guard<std::mutex> guard(m_ReceivedLock);
        m_strReceived.clear();
    }
    m_EventReceived.Reset();
    int nResult = SendData(pRequest, nSize, 1);
    if (nResult != 0) {
        return nResult;
    }
    const uint64_t nEnd = GetTickCount64Safe() + static_cast<uint64_t>(nTimeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(m_ReceivedLock);
            for (char c : m_strReceived) {
                if (IsStatusByte(static_cast<unsigned char>(c))) {
                    nAnswer = static_cast<unsigned char>(c);
                    LOG_PRINT(LOG_DEBUG, "[%s] Status [0x%02x]", "CSerialPort::QueryStatus",
                              nAnswer);
                    return 0;
                }
            }
            m_strReceived.clear();
        }
        const uint64_t nNow = GetTickCount64Safe();
        if (nNow >= nEnd) {
            return STATUS_NO_ANSWER;
        }
        m_EventReceived.Wait(static_cast<long>(nEnd - nNow));
    }
}

int CSerialPort::ClosePort()
{
    const char* pszTag = "CSerialPort::ClosePort";
    platform::CSerialDevice& device = *m_pDevice;
    ClearSendFailure();
    if (!device.IsOpen()) {
        if (m_RecvThread.joinable()) {
            m_RecvThread.join();
        }
        return 0;
    }
    // The receive thread sees the exit request within one wait slice
    // (well inside the pause below) after it has handled a last
    // transmit-empty; the cancel before the close wakes it in any case, so
    // it has ended before the descriptor goes.
    m_nExitRequest = 1;
    if (m_nInitialized) {
        // Only the input is dropped: every write has been transmitted
        // before it returned, and on a pseudo-terminal dropping the
        // output would take back bytes the reader has not fetched yet.
        int nPurge = device.PurgeInput();
        if (nPurge != 0) {
            LOG_PRINT(LOG_WARN,
                      "[%s] PurgeComm... ErrorCode [0x%08x] (Ignore it in case of LPT port)",
                      pszTag, static_cast<unsigned>(nPurge));
        }
        int nClear = device.ClearError();
        if (nClear != 0) {
            LOG_PRINT(LOG_WARN,
                      "[%s] ClearCommError... ErrorCode [0x%08x] (Ignore it in case of LPT port)",
                      pszTag, static_cast<unsigned>(nClear));
        }
        m_nInitialized = 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kClosePauseMs));
    device.Cancel();
    int nClose = device.Close();
    LOG_PRINT(LOG_DEBUG, "[%s] Close [%d], [%s:%d]", pszTag, nClose == 0 ? 1 : 0,
              m_strPortName.c_str(), m_nBaudRate);
    if (m_RecvThread.joinable()) {
        if (WaitForEvent(&m_EventRecvThreadSafeExit, kSafeExitWaitMs) != WAIT_RESULT_SIGNALLED) {
            LOG_PRINT(LOG_TRACE,
                      "[%s] Thread Safe Exit Wait Timeout... Terminate Thread Result [%d] [0x%08x]",
                      pszTag, 0, 0u);
        }
        // Every wait of the receive thread is cancelled by the close, so
        // the join is short even after a time-out.
        m_RecvThread.join();
    }
    return 0;
}
