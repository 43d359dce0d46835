// The common printer port: a 4096-byte send buffer that collects a
// document and is written to the device on request or when full.
#pragma once

#include <atomic>

class CBasePort
{
public:
    static constexpr int SEND_BUFFER_SIZE = 4096;
    static constexpr int MAX_BUFFERED = SEND_BUFFER_SIZE - 1;

    CBasePort() = default;
    virtual ~CBasePort();
    CBasePort(const CBasePort&) = delete;
    CBasePort& operator=(const CBasePort&) = delete;

    virtual int OpenPort() = 0;
    virtual int InitializePort() = 0;
    // Buffers pData; writes the buffer out first when the new data does
    // not fit, and after buffering when bFlush. 0 or 3, 4, 5, 7. Once a
    // write to the device has failed, every later call fails with that
    // write's code until the port is closed: the bytes of the failed write
    // are gone, and a job that went on would print with a hole in it.
    virtual int SendData(const char* pData, int nSize, int bFlush);
    // 0; 3 when the device did not take all of the job's bytes (the job
    // has not been printed). Ends the failed state of SendData.
    virtual int ClosePort() = 0;

    // The code of the write that failed in this job, 0 while none has.
    int SendFailed() const { return m_nSendFailed; }

    // Sends a real-time status request (DLE EOT n) at once and waits up to
    // nTimeoutMs for the printer's status byte (bits 1 and 4 set, 0 and 7
    // clear). 0 with nAnswer, STATUS_NO_ANSWER when none came (or the port
    // kind cannot be asked), or the send's failure code.
    static constexpr int STATUS_NO_ANSWER = 1;
    virtual int QueryStatus(const char* pRequest, int nSize, int nTimeoutMs,
                            unsigned char& nAnswer);
    static bool IsStatusByte(unsigned char nByte) { return (nByte & 0x93) == 0x12; }

    // Set by the command layer at the end of a job (the serial receive
    // thread stops after the next transmit-empty event).
    void SetEndOfJob(int nFlag) { m_nEndOfJob = nFlag; }
    int GetEndOfJob() const { return m_nEndOfJob; }

    // What is buffered and not yet written.
    const char* BufferedData() const { return m_szSendBuffer; }
    int BufferedLength() const { return m_nSendLength; }

protected:
    // Writes m_szSendBuffer[0..m_nSendLength) to the device: 0 or 3/4.
    virtual int SendCurrentMemoryPrintData() = 0;
    // Whether the device is open; logs the port's INVALID_HANDLE line if not.
    virtual bool CheckOpenForSend() = 0;
    // "CSerialPort::SendData" and the like.
    virtual const char* SendDataTag() const = 0;

    void ClearSendBuffer();
    void ClearSendFailure() { m_nSendFailed = 0; }

    char m_szSendBuffer[SEND_BUFFER_SIZE] = {};
    int m_nSendLength = 0;
    int m_nSendFailed = 0;
    std::atomic<int> m_nEndOfJob{0}; // read by the serial receive thread
};
