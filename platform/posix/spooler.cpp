// libcups implementation of the print spooler.
#include "platform/spooler.h"

#include <cstring>
#include <cups/cups.h>

namespace platform {

namespace {

http_t* Connect()
{
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000,
                        nullptr);
}

void StateFromDest(const cups_dest_t* pDest, SpoolerPrinterState& state)
{
    state.bExists = true;
    const char* pszState = cupsGetOption("printer-state", pDest->num_options, pDest->options);
    state.bStopped = pszState != nullptr && std::strcmp(pszState, "5") == 0;
    const char* pszAccepting =
        cupsGetOption("printer-is-accepting-jobs", pDest->num_options, pDest->options);
    state.bAcceptingJobs = pszAccepting == nullptr || std::strcmp(pszAccepting, "true") == 0;
}

} // namespace

bool GetSpoolerPrinterState(const std::string& strPrinter, SpoolerPrinterState& state)
{
    state = SpoolerPrinterState{};
    http_t* pHttp = Connect();
    if (pHttp == nullptr) {
        return false;
    }
    cups_dest_t* pDest = cupsGetNamedDest(pHttp, strPrinter.c_str(), nullptr);
    if (pDest != nullptr) {
        StateFromDest(pDest, state);
        cupsFreeDests(1, pDest);
    }
    httpClose(pHttp);
    return state.bExists;
}

std::vector<std::string> ListUsableSpoolerPrinters()
{
    std::vector<std::string> names;
    http_t* pHttp = Connect();
    if (pHttp == nullptr) {
        return names;
    }
    cups_dest_t* pDests = nullptr;
    int nDests = cupsGetDests2(pHttp, &pDests);
    for (int i = 0; i < nDests; ++i) {
        if (pDests[i].instance != nullptr) {
            continue;
        }
        SpoolerPrinterState state;
        StateFromDest(&pDests[i], state);
        if (!state.Offline()) {
            names.emplace_back(pDests[i].name);
        }
    }
    cupsFreeDests(nDests, pDests);
    httpClose(pHttp);
    return names;
}

std::string LastSpoolerError()
{
    const char* pszText = cupsLastErrorString();
    return pszText != nullptr ? pszText : "";
}

CSpoolerJob::~CSpoolerJob()
{
    if (m_bStarted) {
        Finish();
    }
    Disconnect();
}

void CSpoolerJob::Disconnect()
{
    if (m_pHttp != nullptr) {
        httpClose(static_cast<http_t*>(m_pHttp));
        m_pHttp = nullptr;
    }
}

int CSpoolerJob::Start(const std::string& strPrinter, const std::string& strTitle)
{
    if (m_bStarted) {
        Finish();
    }
    Disconnect();
    http_t* pHttp = Connect();
    if (pHttp == nullptr) {
        return IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
    }
    m_pHttp = pHttp;
    m_strPrinter = strPrinter;
    m_nJobId = cupsCreateJob(pHttp, strPrinter.c_str(), strTitle.c_str(), 0, nullptr);
    if (m_nJobId <= 0) {
        int nStatus = cupsLastError();
        Disconnect();
        return nStatus != 0 ? nStatus : IPP_STATUS_ERROR_INTERNAL;
    }
    http_status_t status = cupsStartDocument(pHttp, strPrinter.c_str(), m_nJobId, strTitle.c_str(),
                                             CUPS_FORMAT_RAW, 1);
    if (status != HTTP_STATUS_CONTINUE) {
        int nStatus = cupsLastError();
        cupsCancelJob2(pHttp, strPrinter.c_str(), m_nJobId, 0);
        Disconnect();
        return nStatus != 0 ? nStatus : static_cast<int>(status);
    }
    m_bStarted = true;
    return 0;
}

int CSpoolerJob::Write(const void* pData, size_t nSize)
{
    if (!m_bStarted) {
        return IPP_STATUS_ERROR_NOT_POSSIBLE;
    }
    http_status_t status =
        cupsWriteRequestData(static_cast<http_t*>(m_pHttp), static_cast<const char*>(pData), nSize);
    return status == HTTP_STATUS_CONTINUE ? 0 : static_cast<int>(status);
}

int CSpoolerJob::Finish()
{
    if (!m_bStarted) {
        return 0;
    }
    m_bStarted = false;
    ipp_status_t status = cupsFinishDocument(static_cast<http_t*>(m_pHttp), m_strPrinter.c_str());
    Disconnect();
    return status <= IPP_STATUS_OK_EVENTS_COMPLETE ? 0 : static_cast<int>(status);
}

} // namespace platform
