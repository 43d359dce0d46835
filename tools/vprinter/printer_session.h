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
    // Answers to the real-time status request DLE EOT n.
    bool m_bNoStatus = false;     // never answers (a printer without the feature)
    bool m_bPaperNearEnd = false; // the paper near-end sensor is on
    int m_nPaperEndAfter = -1;    // paper end once this many receipts were cut (0: from the start)
};

// The answer of a printer to DLE EOT n (n 1..4) in the state of the faults,
// after nCuts receipts: bits 1 and 4 always set; n = 4 adds 0x0C for paper
// near end and 0x60 for paper end, n = 2 adds 0x20 when paper end stopped
// printing.
unsigned char StatusAnswer(int n, const SFaults& faults, int nCuts);

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
    // Answers every DLE EOT n completed by these bytes.
    void AnswerStatusRequests(const char* pBytes, size_t nSize);

    int m_nFd;
    bool m_bPty;
    const SFaults& m_faults;
    CReceiptOutput& m_output;
    int m_nStopFd;
    int m_nRealTimeState = 0; // bytes of a DLE EOT n seen so far (0..2)
};

} // namespace vprinter
