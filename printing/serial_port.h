// Printer port on a serial COM or parallel LPT device, with an open
// thread (bounded open) and a receive thread that watches the line and
// signals when the transmit buffer has drained.
#pragma once

#include "foundation/tesk_event.h"
#include "platform/serial_device.h"
#include "printing/base_port.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CSerialPort : public CBasePort
{
public:
    // pszPortName: "//./COM%d" or an LPT name; nBaudRate 9600 when 0.
    explicit CSerialPort(const char* pszPortName, int nBaudRate = 9600);
    ~CSerialPort() override;

    int OpenPort() override;
    int InitializePort() override;
    int SendData(const char* pData, int nSize, int bFlush) override;
    int ClosePort() override;
    int QueryStatus(const char* pRequest, int nSize, int nTimeoutMs,
                    unsigned char& nAnswer) override;

    // One open attempt cycle: up to 10 tries 30 ms apart, none more after
    // "no such device".
    void TryOpenPort();

    bool IsOpen() const { return m_pDevice->IsOpen(); }
    // Open attempts made by the last TryOpenPort.
    int LastOpenAttempts() const { return m_nOpenAttempts; }

    // Write wait for a pending write: (length / 800 + 2) s, at least 1 s.
    static int PendingWriteWaitMs(int nLength);

protected:
    int SendCurrentMemoryPrintData() override;
    bool CheckOpenForSend() override;
    const char* SendDataTag() const override { return "CSerialPort::SendData"; }

private:
    struct COpenAttempt;
    static void ThreadOpenPort(std::shared_ptr<COpenAttempt> pAttempt);
    static void TryOpenDevice(COpenAttempt& attempt);
    void ThreadRecvCommEvent();

    std::string m_strPortName;
    int m_nBaudRate = 9600;
    // Shared with the open thread: an open that overruns its time is
    // abandoned together with the device it works on, never waited for.
    std::shared_ptr<platform::CSerialDevice> m_pDevice;
    std::atomic<int> m_nOpenAttempts{0};
    std::atomic<int> m_nExitRequest{0};
    int m_nInitialized = 0;

    // What the printer sent, kept by the receive thread for QueryStatus.
    std::mutex m_ReceivedLock;
    std::string m_strReceived;
    CTeskEvent m_EventReceived{false};

    CTeskEvent m_EventRecvThreadSafeExit{true};
    CTeskEvent m_EventWriteSuccess{false};
    std::thread m_RecvThread;
};
