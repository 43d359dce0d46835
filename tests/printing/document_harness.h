// Shared harness of the printed-document tests: a printer that records every
// byte, the decoded receipt text of those bytes, golden-file comparison, and a
// fixture with the shop files, a settings store and order fixtures.
#pragma once

#include "printing/print_data.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "tests/printing/recording_port.h"
#include "tests/support/program_folder.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class CPrintBase;

namespace Json {
class Value;
}

namespace docharness {

// Path of a file under tests/data ("orders/receipt_pickup.json").
std::string DataPath(const std::string& strRelative);
// Its bytes as stored (orders are CP949); a missing file fails the test.
std::string ReadDataFile(const std::string& strRelative);

// A command layer opened on a CRecordingPort, as a real job would be: the
// document sees IsSuccessOpenPrinter 1 and every device write is recorded.
class CHarnessPrinter : public CPrinterCommunicate
{
public:
    CHarnessPrinter();

    // The recording port (null after PrinterClose).
    CRecordingPort* RecordingPort() const { return m_pRecorder; }
    // What every device write from now on returns (0 ok; 4 a failed write,
    // as a port that dropped the connection).
    void SetWriteResult(int nResult);
    // Every byte written to the device so far, then what is still buffered.
    std::string Bytes() const;

protected:
    std::unique_ptr<CBasePort> CreatePort(const PrintInfo& info, int& nError) override;

private:
    CRecordingPort* m_pRecorder = nullptr;
};

// A port whose device fails on request: every SendData call is kept, and
// from call m_nFailFrom on (or only at call m_nFailOnly) the call is refused
// with 4, as a printer whose connection dropped.
class CFailingPort : public CRecordingPort
{
public:
    int SendData(const char* pData, int nSize, int bFlush) override;

    std::vector<std::string> m_Calls;
    int m_nFailFrom = -1;
    int m_nFailOnly = -1;
};

// A command layer opened on a CFailingPort.
class CFailingPrinter : public CPrinterCommunicate
{
public:
    CFailingPrinter();
    CFailingPort* FailingPort() const { return m_pFailing; }
    // Refuses device call nCall (0 first) and, when bPersistent, every call
    // after it.
    void FailAt(int nCall, bool bPersistent);
    // What reached the device, then what is still buffered.
    std::string DeviceBytes() const;

protected:
    std::unique_ptr<CBasePort> CreatePort(const PrintInfo& info, int& nError) override;

private:
    CFailingPort* m_pFailing = nullptr;
};

// The bytes of one message as the command layer sends it: ESC ! nMode,
// ESC a nJustify, the text, then nLineFeed CR LF.
std::string Msg(int nMode, int nJustify, const std::string& strText, int nLineFeed);

// How often strPart stands in strText (non-overlapping).
int CountOf(const std::string& strText, const std::string& strPart);

// A UTF-8 literal as a plain string, for messages.
std::string Utf8(const std::u8string& str);

// A fixture order (tests/data/orders/<strFixture>.json) with some members
// changed by fn, as styled JSON text (texts given as CP949).
std::string ChangedOrder(const std::string& strFixture,
                         const std::function<void(Json::Value&)>& fn);

struct SPrintResult
{
    int nSetResult = -1;   // SetPrintData
    int nStartResult = -1; // StartPrintData (not called when SetPrintData failed)
    std::string strBytes;  // everything sent, the job's closing ESC @ included
};

// Prints one order document as the print control does: SetPrintData,
// StartPrintData, then Printer_Send_End; returns the results and all bytes.
// nWriteResult other than 0 makes every device write fail with it.
SPrintResult PrintDocument(CPrintBase& document, CPrintData& data, CPrinterSetting& setting,
                           int nPrintFlag, int nBottomLineFeed = 4, int nWriteResult = 0);

// Runs fnPrint on a fresh harness printer, ends the job with
// Printer_Send_End and returns all bytes (for documents with their own
// SetPrintData, such as the test page).
std::string PrintWith(const std::function<void(CHarnessPrinter&)>& fnPrint);

// Path of the virtual printer built next to this test binary.
std::string VirtualPrinterPath();

// Starts the virtual printer on a loopback TCP port for one connection,
// its receipts written into strOutDir (created), opens a socket printer on
// it, runs fnPrint, ends the job, closes and waits for the virtual printer
// to exit. Anything that goes wrong is a test failure.
void PrintToVirtualPrinter(const std::string& strOutDir,
                           const std::function<void(CPrinterCommunicate&)>& fnPrint);

// The receipts of a byte stream in the virtual printer's text notation.
std::string DecodeText(const std::string& strBytes);

// Compares strText with tests/data/golden/<strName>.txt and shows a line
// diff on mismatch. With ZELKOR_WRITE_GOLDENS=1 the file is written instead
// and the test is reported as skipped, so a regeneration never passes
// silently.
void ExpectGolden(const std::string& strName, const std::string& strText);

// A line diff of two texts ("-" expected only, "+" actual only).
std::string LineDiff(const std::string& strExpected, const std::string& strActual);

// Fixture of the document tests: a program folder holding the shop's
// Config.ini and origin notice, the log started, a settings store reading
// that Config.ini and an order parsed from a fixture.
class CDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes [PRINTER] keys into the folder's Config.ini ("LINE", "48") and
    // reloads the store from the file (the line type is read from it).
    void SetPrinterKey(const char* pszKey, const std::string& strValue);
    // Parses tests/data/orders/<strName>.json into m_Data; false (with a
    // test failure) when it does not parse.
    bool LoadOrder(const std::string& strName);
    // Parses an order text given inline (CP949) into m_Data.
    int LoadOrderText(const std::string& strJson);
    std::string Log() const { return m_Folder.ReadCurrentLog(); }
    // Prints m_Data with document on the harness printer, expecting both
    // SetPrintData and StartPrintData to succeed; the decoded text.
    std::string PrintedText(CPrintBase& document, int nPrintFlag);
    // Prints document (a fresh one, not yet set up) on a printer that goes
    // away after nLimit bytes: StartPrintData must fail, strLog must be in
    // the log, and what the printer took must be the start of strWhole (the
    // complete print) and no longer than nLimit. Returns what it took.
    std::string PrintUntilLost(CPrintBase& document, size_t nLimit, const std::string& strWhole,
                               const std::string& strLog);

    testsupport::CTempProgramFolder m_Folder;
    CPrinterSetting m_Setting;
    CPrintData m_Data;

private:
    int m_nOldPrintOrigin = 1;
};

} // namespace docharness
