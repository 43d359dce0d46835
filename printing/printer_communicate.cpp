// ESC/POS command layer over the printer ports.
#include "printing/printer_communicate.h"

#include "foundation/simple_log.h"
#include "printing/printer_setting.h"
#include "printing/serial_port.h"
#include "printing/socket_port.h"
#include "printing/usb_port.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <strings.h>

namespace {

bool ContainsLpt(const char* pszName)
{
    for (const char* p = pszName; *p != '\0'; ++p) {
        if (strncasecmp(p, "LPT", 3) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

CPrinterCommunicate::~CPrinterCommunicate()
{
    PrinterClose();
}

std::unique_ptr<CBasePort> CPrinterCommunicate::CreatePort(const PrintInfo& info, int& nError)
{
    const char* pszTag = "CPrinterCommunicate::PrinterOpen";
    std::unique_ptr<CBasePort> pPort;
    nError = 9;
    switch (info.PortType) {
    case E_PRINTER_TYPE_SERIAL: {
        char szName[64] = {};
        char szPortname[sizeof(info.Portname) + 1] = {};
        std::memcpy(szPortname, info.Portname, sizeof(info.Portname));
        if (ContainsLpt(szPortname)) {
            std::snprintf(szName, sizeof(szName), "%s", szPortname);
        } else {
            std::snprintf(szName, sizeof(szName), "//./COM%d", info.Port);
        }
        LOG_PRINT(LOG_INFO, "[%s] %s Port Open", pszTag, szName);
        pPort.reset(new (std::nothrow) CSerialPort(szName, info.BaudRate));
        if (!pPort) {
            LOG_PRINT(LOG_ERROR, "[%s] E_PRINTER_TYPE_SERIAL Memory Malloc Fail", pszTag);
            nError = 10;
        }
        break;
    }
    case E_PRINTER_TYPE_SOCKET: {
        char szHost[sizeof(info.LanPrintIP) + 1] = {};
        std::memcpy(szHost, info.LanPrintIP, sizeof(info.LanPrintIP));
        pPort.reset(new (std::nothrow) CSocketPort(szHost, info.LanPrintPort));
        if (!pPort) {
            LOG_PRINT(LOG_ERROR, "[%s] E_PRINTER_TYPE_SOCKET Memory Malloc Fail", pszTag);
            nError = 10;
        }
        break;
    }
    case E_PRINTER_TYPE_USB: {
        char szName[sizeof(info.UsbName) + 1] = {};
        std::memcpy(szName, info.UsbName, sizeof(info.UsbName));
        pPort.reset(new (std::nothrow) CUSBPort(szName));
        if (!pPort) {
            LOG_PRINT(LOG_ERROR, "[%s] E_PRINTER_TYPE_USB Memory Malloc Fail", pszTag);
            nError = 10;
        }
        break;
    }
    default:
        LOG_PRINT(LOG_ERROR, "[%s] Not Support Printer Type [%d]", pszTag, info.PortType);
        nError = 6;
        break;
    }
    return pPort;
}

int CPrinterCommunicate::PrinterOpen(const PrintInfo* pInfo)
{
    if (pInfo == nullptr) {
        return 5;
    }
    PrinterClose();
    int nError = 0;
    m_pPort = CreatePort(*pInfo, nError);
    if (!m_pPort) {
        return nError;
    }
    int nResult = m_pPort->OpenPort();
    if (nResult != 0) {
        IsSuccessOpenPrinter = 0;
        return nResult;
    }
    nResult = m_pPort->InitializePort();
    IsSuccessOpenPrinter = nResult == 0 ? 1 : 0;
    return nResult;
}

int CPrinterCommunicate::Printer_Send_Init()
{
    if (!m_pPort) {
        return 9;
    }
    static const char kInit[] = {0x1B, 0x40};
    return m_pPort->SendData(kInit, sizeof(kInit), 0);
}

int CPrinterCommunicate::Printer_Send_Msg(const char* pszText, int nLineFeed, int nMode,
                                          int nJustify)
{
    if (pszText == nullptr) {
        return 9;
    }
    return Printer_Send_Msg(pszText, std::strlen(pszText), nLineFeed, nMode, nJustify);
}

int CPrinterCommunicate::Printer_Send_Msg(const char* pszText, size_t nLength, int nLineFeed,
                                          int nMode, int nJustify)
{
    const char* pszTag = "CPrinterCommunicate::Printer_Send_Msg";
    if (pszText == nullptr || nLength == 0) {
        return 9;
    }
    if (!m_pPort) {
        return 9;
    }
    size_t nRemaining = nLength;
    size_t nOffset = 0;
    bool bFirst = true;
    bool bAccepted = false;
    // Pieces fit the port's buffer; the mode prefix goes ahead of the
    // first only. A two-byte character cut between pieces stays whole in
    // the byte stream. Only the bytes in use are written to the piece.
    char piece[CBasePort::SEND_BUFFER_SIZE];
    while (nRemaining > 0) {
        int nUsed = 0;
        if (bFirst) {
            piece[nUsed++] = 0x1B;
            piece[nUsed++] = 0x21;
            piece[nUsed++] = static_cast<char>(nMode);
            piece[nUsed++] = 0x1B;
            piece[nUsed++] = 0x61;
            piece[nUsed++] = static_cast<char>(nJustify);
            bFirst = false;
        }
        const size_t nTake =
            std::min(static_cast<size_t>(CBasePort::MAX_BUFFERED - nUsed), nRemaining);
        std::memcpy(piece + nUsed, pszText + nOffset, nTake);
        nUsed += static_cast<int>(nTake);
        nOffset += nTake;
        nRemaining -= nTake;
        if (m_pPort->SendData(piece, nUsed, 0) == 0) {
            bAccepted = true;
        } else {
            LOG_PRINT(LOG_ERROR, "[%s] Printer_SendData Fail... [%.*s]", pszTag, nUsed, piece);
            bAccepted = false;
            break;
        }
    }
    if (bAccepted && nLineFeed > 0) {
        return Printer_Send_LineFeed(nLineFeed);
    }
    return 0;
}

int CPrinterCommunicate::Printer_Send_LineFeed(int nCount)
{
    if (nCount >= MAX_LINE_FEED) {
        LOG_PRINT(LOG_ERROR, "[%s] Max LineFeed [%d], InputParam [%d]",
                  "CPrinterCommunicate::Printer_Send_LineFeed", MAX_LINE_FEED, nCount);
        return 7;
    }
    if (!m_pPort) {
        return 9;
    }
    char buffer[MAX_LINE_FEED * 2];
    int nSize = 0;
    for (int i = 0; i < nCount; ++i) {
        buffer[nSize++] = 0x0D;
        buffer[nSize++] = 0x0A;
    }
    return m_pPort->SendData(buffer, nSize, 0);
}

int CPrinterCommunicate::Printer_CutPaper(int nCount)
{
    if (!m_pPort) {
        return 9;
    }
    int n = nCount < 1 ? 4 : nCount;
    std::string strBytes;
    strBytes.reserve(static_cast<size_t>(n) * 2 + 2);
    for (int i = 0; i < n; ++i) {
        strBytes += "\r\n";
    }
    strBytes += "\x1B\x69";
    return m_pPort->SendData(strBytes.data(), static_cast<int>(strBytes.size()), 1);
}

int CPrinterCommunicate::Printer_Send_End()
{
    const char* pszTag = "CPrinterCommunicate::Printer_Send_End";
    if (!m_pPort) {
        return 9;
    }
    m_pPort->SetEndOfJob(1);
    LOG_PRINT(LOG_DEBUG, "[%s] Call Start", pszTag);
    static const char kInit[] = {0x1B, 0x40};
    int nResult = m_pPort->SendData(kInit, sizeof(kInit), 1);
    LOG_PRINT(LOG_DEBUG, "[%s] Call End [%d]", pszTag, nResult);
    return nResult;
}

int CPrinterCommunicate::Printer_Check_Paper(int nTimeoutMs)
{
    const char* pszTag = "CPrinterCommunicate::Printer_Check_Paper";
    if (!m_pPort) {
        return PAPER_STATUS_SEND_FAIL;
    }
    static const char kPaperStatus[] = {0x10, 0x04, 0x04};
    unsigned char nAnswer = 0;
    int nResult = m_pPort->QueryStatus(kPaperStatus, sizeof(kPaperStatus), nTimeoutMs, nAnswer);
    if (nResult == CBasePort::STATUS_NO_ANSWER) {
        return PAPER_STATUS_NO_ANSWER;
    }
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Status Request Fail [%d]", pszTag, nResult);
        return PAPER_STATUS_SEND_FAIL;
    }
    // Bits 5 and 6: roll paper end; bits 2 and 3: near end.
    if ((nAnswer & 0x60) != 0) {
        return PAPER_STATUS_END;
    }
    if ((nAnswer & 0x0C) != 0) {
        return PAPER_STATUS_NEAR_END;
    }
    return PAPER_STATUS_OK;
}

int CPrinterCommunicate::PrinterClose()
{
    int nResult = 0;
    if (m_pPort) {
        nResult = m_pPort->ClosePort();
        m_pPort.reset();
    }
    IsSuccessOpenPrinter = 0;
    return nResult;
}
