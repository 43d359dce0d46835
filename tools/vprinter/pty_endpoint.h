// The virtual printer's serial side: a pseudo-terminal master in raw mode
// whose slave the program under test opens as its serial device.
#pragma once

#include <string>

namespace vprinter {

class CPtyEndpoint
{
public:
    CPtyEndpoint() = default;
    ~CPtyEndpoint();
    CPtyEndpoint(const CPtyEndpoint&) = delete;
    CPtyEndpoint& operator=(const CPtyEndpoint&) = delete;

    // Opens the master. With bUnlock false the slave stays locked, so every
    // open of it fails (EIO) as with a device that cannot be opened.
    bool Open(bool bUnlock, std::string& strError);
    const std::string& SlavePath() const { return m_strSlavePath; }
    int MasterFd() const { return m_nFd; }
    void Close();

private:
    int m_nFd = -1;
    std::string m_strSlavePath;
};

} // namespace vprinter
