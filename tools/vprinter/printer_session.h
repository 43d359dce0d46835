// One job on the virtual printer: reads a connected socket or the
// pseudo-terminal master until the sender closes, the stop signal arrives or
// a fault ends it, feeding every byte to the receipt output. The faults make
// the printer misbehave on request.
#pragma once

#include "tools/vprinter/receipt_output.h"

#include <cstdint>
#include <string>

namespace vprinter {

struct SFaults
{
    bool m_bRefuse = false;     // connections are refused (the tool never accepts)
    bool m_bNoRead = false;     // accept and never read
    int64_t m_nStallAfter = -1; // stop reading after this many bytes, stay connected
    int64_t m_nCloseAfter = -1; // close the connection after this many bytes
    std::string m_strStatus;    // bytes answered after each chunk of data
    std::string m_strChatter;   // bytes sent over and over while connected
    int m_nBaud = 0;            // reading paced to this rate, 10 bits a byte
    int m_nFirst = -1;          // the faults hit only the first N connections (-1: all)
};

class CPrinterSession
{
public:
    enum EEnd
    {
        END_PEER_CLOSED,  // the sender closed (pseudo-terminal: its last close)
        END_FAULT_CLOSED, // close-after closed it
        END_STOPPED,      // SIGTERM / SIGINT
        END_ERROR,
    };

    // bPty: the fd is a pseudo-terminal master, where "closed" means that no
    // one holds the slave open any more and a job starts with its first byte.
    CPrinterSession(int nFd, bool bPty, const SFaults& faults, CReceiptOutput& output, int nStopFd);
    EEnd Run();

private:
    // Waits up to nMs for the fd or the stop pipe; false when stopped.
    bool Wait(short nEvents, int nMs, short& nRevents);
    bool Sleep(int nMs);
    // Reads nothing more until the sender closes; bBegun: the connection's
    // output has been started already.
    EEnd RunNoRead(bool bBegun);

    int m_nFd;
    bool m_bPty;
    const SFaults& m_faults;
    CReceiptOutput& m_output;
    int m_nStopFd;
};

} // namespace vprinter
