// A private CUPS server for spooler tests, started once per test process
// by tests/printing/cups/start-cupsd.sh, with its queues sending to a local
// TCP printer. CUPS_SERVER points at it, so libcups in the process uses it.
#pragma once

#include "tests/support/tcp_listener.h"

#include <memory>
#include <string>

namespace testsupport {

class CCupsServer
{
public:
    static constexpr const char* RAW_QUEUE = "Zelkor_Raw";          // prints to Printer()
    static constexpr const char* STOPPED_QUEUE = "Zelkor_Off";      // cupsdisable
    static constexpr const char* REJECTING_QUEUE = "Zelkor_Reject"; // cupsreject

    // The process's server, started on first use. Null with strError set
    // when CUPS cannot be started (the caller fails the test with it).
    static CCupsServer* Shared(std::string& strError);

    ~CCupsServer();
    CCupsServer(const CCupsServer&) = delete;
    CCupsServer& operator=(const CCupsServer&) = delete;

    const std::string& SocketPath() const { return m_strSocket; }
    // The TCP printer behind the raw queue (collects every job's bytes).
    CTcpListener& Printer() { return *m_pPrinter; }

private:
    CCupsServer() = default;
    bool Start(std::string& strError);

    std::unique_ptr<CTcpListener> m_pPrinter;
    std::string m_strDir;
    std::string m_strSocket;
    int m_nPid = 0;
};

} // namespace testsupport
