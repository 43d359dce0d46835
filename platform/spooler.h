// The print spooler (CUPS): printer look-up, the offline check, one raw
// job per port open, and the list of printers that can take jobs. The
// server is the one libcups finds (CUPS_SERVER, client.conf, default).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

struct SpoolerPrinterState
{
    bool bExists = false;
    bool bStopped = false;       // printer-state 5
    bool bAcceptingJobs = false; // printer-is-accepting-jobs
    bool Offline() const { return bStopped || !bAcceptingJobs; }
};

// Looks the printer up; false when it does not exist (or no server).
bool GetSpoolerPrinterState(const std::string& strPrinter, SpoolerPrinterState& state);

// Names of the printers that exist and are not offline.
std::vector<std::string> ListUsableSpoolerPrinters();

// Last spooler error (libcups' message) for the log.
std::string LastSpoolerError();

// One raw job on one printer.
class CSpoolerJob
{
public:
    CSpoolerJob() = default;
    ~CSpoolerJob();
    CSpoolerJob(const CSpoolerJob&) = delete;
    CSpoolerJob& operator=(const CSpoolerJob&) = delete;

    // Connects to the server, creates the job and starts its one raw
    // document. 0 or an IPP status / errno (nonzero).
    int Start(const std::string& strPrinter, const std::string& strTitle);
    bool IsStarted() const { return m_bStarted; }
    int JobId() const { return m_nJobId; }

    // Streams bytes into the document. 0 or nonzero.
    int Write(const void* pData, size_t nSize);

    // Ends the document; the job is then printed. 0 or nonzero.
    int Finish();

private:
    void Disconnect();

    void* m_pHttp = nullptr; // http_t
    std::string m_strPrinter;
    int m_nJobId = 0;
    bool m_bStarted = false;
};

} // namespace platform
