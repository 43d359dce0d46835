// A pipe that wakes one waiting thread with a 32-bit value; the write end
// may be used from a signal handler.
#pragma once

#include <cstdint>

namespace platform {

class CWakePipe
{
public:
    CWakePipe() = default;
    ~CWakePipe();
    CWakePipe(const CWakePipe&) = delete;
    CWakePipe& operator=(const CWakePipe&) = delete;

    // Creates the pipe (close-on-exec). False on failure.
    bool Open();
    // Sends nValue; async-signal-safe, never blocks.
    bool Wake(uint32_t nValue);
    // Waits for a value: 1 received, 0 after nTimeoutMs (negative: no
    // limit), -1 when the pipe is closed or broken.
    int Wait(uint32_t& nValue, int nTimeoutMs);

private:
    int m_hRead = -1;
    int m_hWrite = -1;
};

} // namespace platform
