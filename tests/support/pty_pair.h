// A pseudo-terminal pair for serial port tests: the test plays the printer
// on the master side while the port under test opens the slave.
#pragma once

#include <string>

namespace testsupport {

class CPtyPair
{
public:
    CPtyPair(); // throws std::runtime_error when no pty can be had
    ~CPtyPair();
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    const std::string& SlavePath() const { return m_strSlave; }
    int MasterFd() const { return m_hMaster; }

    // Reads from the master until nBytes arrived, the stream has been
    // quiet for nQuietMs after something arrived, or nTimeoutMs passed.
    std::string Read(size_t nBytes, int nTimeoutMs, int nQuietMs = 300);
    // Writes bytes to the slave's input (what the printer sends back).
    void Write(const std::string& strBytes);
    // Closes the master: the slave side then fails its writes (a dead line).
    void CloseMaster();

    // Points dosdevices/<name> in the program folder at the slave.
    void LinkAs(const std::string& strProgramFolder, const std::string& strName) const;

private:
    int m_hMaster = -1;
    int m_hKeepSlave = -1; // keeps the line up while the port is closed
    std::string m_strSlave;
};

} // namespace testsupport
