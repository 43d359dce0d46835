// The one way to a receipt printer: chooses and owns the port for a
// PrintInfo record and turns each printing operation into its ESC/POS
// byte sequence.
#pragma once

#include "printing/base_port.h"

#include <cstddef>
#include <memory>

struct PrintInfo;

enum EPrinterType
{
    E_PRINTER_TYPE_SERIAL = 0,
    E_PRINTER_TYPE_SOCKET = 1,
    E_PRINTER_TYPE_USB = 2,
};

// The paper roll sensor as the printer reports it (Printer_Check_Paper).
enum EPaperStatus
{
    PAPER_STATUS_OK = 0,
    PAPER_STATUS_NEAR_END = 1,
    PAPER_STATUS_END = 2,
    PAPER_STATUS_NO_ANSWER = 3, // the printer does not answer the request
    PAPER_STATUS_SEND_FAIL = 4, // the request could not be sent
};

class CPrinterCommunicate
{
public:
    static constexpr int MAX_LINE_FEED = 130;
    // A printer answers a real-time request within milliseconds, on a LAN
    // and on a 9600 baud line alike; one that has not answered in this
    // time does not know the request.
    static constexpr int STATUS_ANSWER_WAIT_MS = 500;

    CPrinterCommunicate() = default;
    virtual ~CPrinterCommunicate();
    CPrinterCommunicate(const CPrinterCommunicate&) = delete;
    CPrinterCommunicate& operator=(const CPrinterCommunicate&) = delete;

    // Creates, opens and initialises the port of the record. 0, or 3..10.
    int PrinterOpen(const PrintInfo* pInfo);
    // ESC @ (buffered).
    int Printer_Send_Init();
    // ESC ! nMode, ESC a nJustify, the text (CP949 bytes), then nLineFeed
    // CR LF. A failed piece is logged, not returned; the rest of the text
    // and its line feeds are not sent (the port refuses them until it is
    // closed, and the job fails at its next checked step).
    int Printer_Send_Msg(const char* pszText, int nLineFeed, int nMode, int nJustify);
    // The same for a text of known length (no NUL byte in it).
    int Printer_Send_Msg(const char* pText, size_t nLength, int nLineFeed, int nMode, int nJustify);
    // nCount CR LF (buffered); 7 from 130 on.
    int Printer_Send_LineFeed(int nCount);
    // nCount CR LF (4 when below 1) and ESC i, flushed.
    int Printer_CutPaper(int nCount);
    // Ends the job: ESC @, flushed.
    int Printer_Send_End();
    // Asks the paper roll sensor (DLE EOT 4, sent at once) and waits up to
    // nTimeoutMs for the answer. Only serial and network ports can answer.
    int Printer_Check_Paper(int nTimeoutMs = STATUS_ANSWER_WAIT_MS);
    // Closes and deletes the port; safe when nothing is open. 0, or the
    // port's close failure (3: the printer did not take the job's last
    // bytes, so the job has not been printed).
    int PrinterClose();

    int IsSuccessOpenPrinter = 0;

    // The port in use (null before PrinterOpen and after PrinterClose).
    CBasePort* Port() const { return m_pPort.get(); }

protected:
    // Creates the port object for the record; tests replace it to watch
    // the bytes. Returns the code for PrinterOpen when no port results.
    virtual std::unique_ptr<CBasePort> CreatePort(const PrintInfo& info, int& nError);

private:
    std::unique_ptr<CBasePort> m_pPort;
};
