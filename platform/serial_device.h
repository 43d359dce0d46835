// A serial (COM) or parallel (LPT) printer device: name resolution through
// the device map, exclusive open, 8N1 line set-up, bounded writes, a
// transmit-empty check and an interruptible event wait for a reader thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <shared_mutex>
#include <string>
#include <vector>

namespace platform {

// Error numbers of the device calls (errno values; 0 is success).
constexpr int SERIAL_ERROR_NO_SUCH_DEVICE = 2; // ENOENT: retrying is pointless
constexpr int SERIAL_ERROR_BUSY = 16;          // EBUSY: held by another open
constexpr int SERIAL_ERROR_TIMEOUT = 110;      // ETIMEDOUT
constexpr int SERIAL_ERROR_CANCELLED = 125;    // ECANCELED: Cancel or Close

// Events reported by CSerialDevice::WaitEvent (a bit set).
constexpr unsigned SERIAL_EVENT_RXCHAR = 0x0001;
constexpr unsigned SERIAL_EVENT_TXEMPTY = 0x0004;
constexpr unsigned SERIAL_EVENT_ERR = 0x0080;

// Device path for a port name: "COM3", "com3", "//./COM5", "\\.\COM5",
// "LPT1", "lpt1". A symlink dosdevices/<lowercase name> in the program
// folder wins; otherwise COM1-32 -> /dev/ttyS0-31, COM33-64 ->
// /dev/ttyUSB0-31, COM65-96 -> /dev/ttyACM0-31, LPTn -> /dev/lp(n-1).
// Any other name is taken as a path. "" for a COM/LPT number outside the map.
std::string ResolveSerialDevicePath(const std::string& strName);

// True when the line can be set to this rate (termios has a speed for it).
// 14400, 128000 and 256000, which some printers' manuals list, have none.
bool IsSupportedBaudRate(int nBaudRate);

// The port names a user can choose: "COMn" for every name of the map whose
// device exists ("LPTn" likewise, after them), in number order, plus the
// names that a dosdevices/comN or lptN link of the program folder points at
// an existing file. A /dev/ttyS device is listed only when it is a real
// UART (the kernel creates ttyS0-31 whether or not the hardware is there).
std::vector<std::string> ListSerialPortNames();

class CSerialDevice
{
public:
    CSerialDevice();
    ~CSerialDevice();
    CSerialDevice(const CSerialDevice&) = delete;
    CSerialDevice& operator=(const CSerialDevice&) = delete;

    // Opens the resolved device for reading and writing, non-blocking, as
    // no controlling terminal, exclusively (a second open fails with
    // SERIAL_ERROR_BUSY). Returns 0 or an error number.
    int Open(const std::string& strName);
    bool IsOpen() const;
    const std::string& Path() const { return m_strPath; }

    // Line set-up; each returns 0 or an error number (ENOTTY on an LPT
    // device or a plain file, which callers treat as a warning).
    int SaveSettings();         // keeps the driver's settings for Close
    int SetReadReturnsAtOnce(); // VMIN 0, VTIME 0
    int CheckTerminal() const;  // 0 when the device is a terminal
    // Rate, 8 data bits, no parity, 1 stop; EINVAL for a rate that
    // IsSupportedBaudRate refuses (the line is then left as it was).
    int SetLine8N1(int nBaudRate);
    int Purge();            // drops both directions
    int PurgeInput();       // drops what arrived and was not read
    int ClearError() const; // no sticky error state here; checks the line

    // Writes up to nSize bytes within nTimeoutMs. bPending is false when
    // the first attempt took everything. Returns 0 when all was written,
    // SERIAL_ERROR_TIMEOUT, SERIAL_ERROR_CANCELLED or the write's errno.
    int Write(const void* pData, size_t nSize, int nTimeoutMs, size_t& nWritten, bool& bPending);

    // Waits until the output queue is empty, at most nTimeoutMs (bounded
    // tcdrain). 0, SERIAL_ERROR_TIMEOUT or an error number.
    int WaitTransmitted(int nTimeoutMs);

    // Reads what has arrived without waiting (nRead 0 when nothing).
    int Read(void* pBuffer, size_t nSize, size_t& nRead);

    // Waits at most nTimeoutMs for input, an error on the line, or the
    // output queue running empty after a write. nEvents 0 on time-out.
    // SERIAL_ERROR_CANCELLED after Cancel or Close.
    int WaitEvent(int nTimeoutMs, unsigned& nEvents);

    // Wakes WaitEvent / Write in other threads; they return CANCELLED.
    void Cancel();

    // Restores the saved settings (bounded) and closes. Returns 0 or errno.
    int Close();

private:
    int OutputQueued(int& nQueued) const;
    void Kick(); // wakes WaitEvent to look at the output queue

    std::string m_strPath;
    std::atomic<int> m_hFile{-1};
    int m_hWake = -1; // eventfd, lives as long as the object
    std::atomic<bool> m_bCancelled{false};
    std::atomic<bool> m_bTxPending{false};
    bool m_bTerminal = false; // input and hang-up are watched on terminals only
    std::atomic<bool> m_bHungUp{false};
    bool m_bSaved = false;
    alignas(8) unsigned char m_SavedSettings[128] = {}; // struct termios
    // Calls using the descriptor hold it shared; Close holds it exclusive,
    // so no thread uses a descriptor number that is being closed.
    mutable std::shared_mutex m_Lock;
};

} // namespace platform
