// A zelkor-vprinter process serving an ephemeral loopback TCP port or a
// pseudo-terminal for tests, writing what it gets into an output folder;
// stopped with the object.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

class CVirtualPrinter
{
public:
    // The line the printer listens on.
    enum class ELine
    {
        Tcp,
        Pty
    };

    // strExe: the zelkor-vprinter executable; vecFaults: its --fault modes.
    CVirtualPrinter(const std::string& strExe, const std::string& strOutDir,
                    const std::vector<std::string>& vecFaults = {}, ELine eLine = ELine::Tcp);
    ~CVirtualPrinter();
    CVirtualPrinter(const CVirtualPrinter&) = delete;
    CVirtualPrinter& operator=(const CVirtualPrinter&) = delete;

    // 0 when the printer did not come up (or listens on a pty).
    int Port() const { return m_nPort; }
    // What the printer announced: its bound address (TCP) or the pty's
    // slave device path; "" when it did not come up.
    const std::string& Address() const { return m_strAddress; }

    // Every byte of the nth connection (from 1) so far; "" when none.
    std::string Connection(int nConnection) const;
    // Waits (generously) until the nth connection has brought nBytes or
    // more; returns its bytes so far.
    std::string WaitForConnection(int nConnection, size_t nBytes, int nTimeoutMs) const;
    // Connections seen so far (their files exist).
    int Connections() const;
    // The decoded text (UTF-8) of the first nCount receipts cut, waiting
    // (generously) until the nCount-th is written; fewer after nTimeoutMs.
    std::vector<std::string> WaitForReceipts(int nCount, int nTimeoutMs) const;

private:
    std::string m_strOutDir;
    std::string m_strAddress;
    pid_t m_nPid = -1;
    int m_nReadFd = -1;
    int m_nPort = 0;
};

} // namespace testsupport
