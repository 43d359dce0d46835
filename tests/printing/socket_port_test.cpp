// Network port against a local TCP printer on 127.0.0.1.
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "printing/socket_port.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"
#include "tests/support/tcp_listener.h"
#include "tests/support/vprinter_process.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <time.h>

namespace {

using testsupport::CTcpListener;
using testsupport::HexBytes;

long long NowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

class SocketPortTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_Folder.StartLog()); }
    void TearDown() override { CSocketPort::SetStallMs(CSocketPort::DEFAULT_STALL_MS); }
    testsupport::CTempProgramFolder m_Folder;
};

// The record of a network printer on loopback at nPort.
PrintInfo LoopbackPrinterInfo(int nPort)
{
    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SOCKET;
    std::strcpy(info.LanPrintIP, "127.0.0.1");
    info.LanPrintPort = nPort;
    return info;
}

// A receipt of about nLines * 50 bytes, as the documents send it: buffered
// text, flushed at the cut. The first failing call's code, 0 if none.
int SendReceipt(CPrinterCommunicate& printer, int nLines)
{
    int nResult = printer.Printer_Send_Init();
    for (int i = 0; i < nLines && nResult == 0; ++i) {
        char szLine[64];
        std::snprintf(szLine, sizeof(szLine), "menu line %04d ................................", i);
        printer.Printer_Send_Msg(szLine, 1, 0, 0);
    }
    if (nResult == 0) {
        nResult = printer.Printer_CutPaper(1);
    }
    int nEnd = printer.Printer_Send_End();
    return nResult != 0 ? nResult : nEnd;
}

TEST_F(SocketPortTest, ReceiptArrivesByteForByte)
{
    CTcpListener printer;
    PrintInfo info = LoopbackPrinterInfo(printer.Port());
    CPrinterCommunicate communicate;
    ASSERT_EQ(communicate.PrinterOpen(&info), 0);
    EXPECT_EQ(communicate.Printer_Send_Init(), 0);
    EXPECT_EQ(communicate.Printer_Send_Msg("영수증", 1, 0x38, 1), 0);
    EXPECT_EQ(communicate.Printer_CutPaper(0), 0);
    EXPECT_EQ(communicate.Printer_Send_End(), 0);
    communicate.PrinterClose();

    std::string strExpected = std::string("\x1B\x40\x1B\x21\x38\x1B\x61\x01", 8) +
                              testsupport::Cp949FromUtf8(u8"영수증") +
                              "\r\n\r\n\r\n\r\n\r\n\x1B\x69\x1B\x40";
    EXPECT_EQ(HexBytes(printer.WaitForBytes(strExpected.size(), 5000)), HexBytes(strExpected));
    EXPECT_TRUE(printer.WaitForClientClose(5000));
    EXPECT_FALSE(printer.ResetSeen());
}

TEST_F(SocketPortTest, HostNamesResolve)
{
    CTcpListener printer;
    CSocketPort port("localhost", printer.Port());
    ASSERT_EQ(port.OpenPort(), 0);
    ASSERT_EQ(port.InitializePort(), 0);
    EXPECT_EQ(port.SendData("hi", 2, 1), 0);
    EXPECT_EQ(printer.WaitForBytes(2, 5000), "hi");

    CSocketPort unknown("no-such-host.invalid", printer.Port());
    EXPECT_EQ(unknown.OpenPort(), 3);
    EXPECT_NE(m_Folder.ReadCurrentLog().find("Cannot gethostbyaddr no-such-host.invalid"),
              std::string::npos);
}

TEST_F(SocketPortTest, UnreachablePrinterCostsTheConnectWait)
{
    struct Case
    {
        const char* pszName;
        bool bRefuse; // nothing listens; otherwise the accept queue is full
    };
    const Case cases[] = {{"refused", true}, {"no answer", false}};
    for (const Case& c : cases) {
        CTcpListener::Options options;
        options.nBacklog = 0;
        options.bAccept = false;
        CTcpListener stalled(options);
        int nPort = c.bRefuse ? CTcpListener::FreePort() : stalled.Port();
        if (!c.bRefuse) {
            stalled.FillBacklog();
        }
        CSocketPort port("127.0.0.1", nPort);
        long long nStart = NowMs();
        EXPECT_EQ(port.OpenPort(), 3) << c.pszName;
        long long nElapsed = NowMs() - nStart;
        EXPECT_GE(nElapsed, 2500) << c.pszName;
        EXPECT_LT(nElapsed, 6000) << c.pszName;
        EXPECT_EQ(port.InitializePort(), 0) << c.pszName; // the socket exists until closed
        port.ClosePort();
        EXPECT_EQ(port.InitializePort(), 3) << c.pszName;
        EXPECT_EQ(port.SendData("x", 1, 1), 3) << c.pszName;
    }
    EXPECT_NE(m_Folder.ReadCurrentLog().find("select Not Set fd Error"), std::string::npos);
}

TEST_F(SocketPortTest, StatusReplyIsLoggedNotInterpreted)
{
    CTcpListener::Options options;
    options.strReply = "\x12";
    CTcpListener printer(options);
    CSocketPort port("127.0.0.1", printer.Port());
    ASSERT_EQ(port.OpenPort(), 0);
    ASSERT_EQ(port.InitializePort(), 0);
    ASSERT_EQ(port.SendData("A", 1, 1), 0);
    ASSERT_EQ(printer.WaitForBytes(1, 3000), "A");
    // The reply may come after the 3 ms receive window of the first send;
    // it is then picked up after the next one.
    for (int i = 0; i < 50 && port.LastReply().empty(); ++i) {
        ASSERT_EQ(port.SendData("B", 1, 1), 0);
    }
    EXPECT_EQ(port.LastReply(), "\x12");
    EXPECT_NE(m_Folder.ReadCurrentLog().find("send Success, Recv Data [\x12]"), std::string::npos);
}

TEST_F(SocketPortTest, PrinterThatHangsUpMidJobFailsTheNextSend)
{
    // The printer takes the first byte and closes cleanly. The kernel still
    // accepts the next send, so only the reply window can tell that the
    // printer is gone; counting that send as printed would lose the rest of
    // the job. (The first send itself fails when the close comes within its
    // reply window.)
    CTcpListener::Options options;
    options.nCloseAfterBytes = 1;
    CTcpListener printer(options);
    CSocketPort port("127.0.0.1", printer.Port());
    ASSERT_EQ(port.OpenPort(), 0);
    ASSERT_EQ(port.InitializePort(), 0);
    port.SendData("A", 1, 1);
    ASSERT_TRUE(printer.WaitForClientClose(3000));
    EXPECT_EQ(port.SendData("B", 1, 1), 3);
    EXPECT_EQ(port.SendData("C", 1, 1), 3);
    EXPECT_EQ(printer.Received(), "A");
    EXPECT_NE(m_Folder.ReadCurrentLog().find("the printer closed the connection"),
              std::string::npos);
}

TEST_F(SocketPortTest, CloseLetsTheLastBytesReachASlowPrinter)
{
    // A printer that applies flow control: a small receive window and a
    // pause before it reads. The tail of the job still sits in our socket
    // buffer at close; an abortive close would drop it.
    CTcpListener::Options options;
    options.nReceiveBufferBytes = 2048;
    options.nReadDelayMs = 400;
    CTcpListener printer(options);
    PrintInfo info = LoopbackPrinterInfo(printer.Port());
    CPrinterCommunicate communicate;
    ASSERT_EQ(communicate.PrinterOpen(&info), 0);
    std::string strSent;
    for (int i = 0; i < 40; ++i) {
        char szLine[64];
        std::snprintf(szLine, sizeof(szLine), "line %04d ......................................",
                      i);
        ASSERT_EQ(communicate.Printer_Send_Msg(szLine, 1, 0, 0), 0);
        strSent += std::string("\x1B\x21\x00\x1B\x61\x00", 6) + szLine + "\r\n";
    }
    ASSERT_EQ(communicate.Printer_CutPaper(1), 0);
    strSent += "\r\n\x1B\x69";
    communicate.PrinterClose();
    std::string strGot = printer.WaitForBytes(strSent.size(), 5000);
    EXPECT_EQ(strGot.size(), strSent.size());
    EXPECT_EQ(strGot, strSent);
    EXPECT_FALSE(printer.ResetSeen());
}

TEST_F(SocketPortTest, PrinterThatStopsReadingFailsTheJob)
{
    // The printer takes the connection and then reads nothing more (from
    // the start, or in the middle of the job). A small receipt fits in the
    // printer's input buffer: its TCP acknowledges it, and only the reset
    // at the close shows it unread. A larger one is left unacknowledged in
    // our socket buffer, and the close's wait for it runs out; a large one
    // finds the send making no progress. Either way the job has not been
    // printed, and nothing hangs.
    CSocketPort::SetStallMs(1000);
    struct Case
    {
        const char* pszFault;
        int nLines;
        int nSendResult; // of the receipt; the close fails in every case
        const char* pszLogLine;
    };
    const Case cases[] = {
        {"no-read", 20, 0, "the printer reset the connection with bytes unread"},
        {"stall-after=300", 20, 0, "the printer reset the connection with bytes unread"},
        {"no-read", 400, 0, "the printer did not take the last bytes within 1000 ms"},
        {"no-read", 6000, 3, "send Stalled... the printer took nothing for 1000 ms"},
        {"stall-after=5000", 6000, 3, "send Stalled... the printer took nothing for 1000 ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pszFault) + " lines " + std::to_string(c.nLines));
        testsupport::CVirtualPrinter vprinter(ZELKOR_VPRINTER_EXE, m_Folder.File("vprinter"),
                                              {c.pszFault});
        ASSERT_GT(vprinter.Port(), 0);
        PrintInfo info = LoopbackPrinterInfo(vprinter.Port());
        CPrinterCommunicate printer;
        ASSERT_EQ(printer.PrinterOpen(&info), 0);
        EXPECT_EQ(SendReceipt(printer, c.nLines), c.nSendResult);
        EXPECT_EQ(printer.PrinterClose(), 3);
        EXPECT_NE(m_Folder.ReadCurrentLog().find(c.pszLogLine), std::string::npos);
    }
}

TEST_F(SocketPortTest, SlowPrinterIsNotCutOff)
{
    // A printer reading at 9600 baud takes a 6 KB receipt in about seven
    // seconds, longer than the stall bound: it keeps taking bytes, so the
    // send and the close wait for it. (Its small input buffer opens the
    // window about every two seconds; the bound must stay above that.)
    CSocketPort::SetStallMs(5000);
    testsupport::CVirtualPrinter vprinter(ZELKOR_VPRINTER_EXE, m_Folder.File("vprinter"),
                                          {"slow=9600"});
    ASSERT_GT(vprinter.Port(), 0);
    PrintInfo info = LoopbackPrinterInfo(vprinter.Port());
    CPrinterCommunicate printer;
    ASSERT_EQ(printer.PrinterOpen(&info), 0);
    EXPECT_EQ(SendReceipt(printer, 120), 0);
    EXPECT_EQ(printer.PrinterClose(), 0);
    const std::vector<std::string> vecReceipts = vprinter.WaitForReceipts(1, 20000);
    ASSERT_EQ(vecReceipts.size(), 1u);
    EXPECT_NE(vecReceipts[0].find("menu line 0119"), std::string::npos);
}

TEST_F(SocketPortTest, PrinterThatKeepsSendingDoesNotHoldTheJob)
{
    // The printer answers without pause. The reply read after each write
    // is bounded in time and bytes and logs what it got; the job goes on.
    testsupport::CVirtualPrinter vprinter(ZELKOR_VPRINTER_EXE, m_Folder.File("vprinter"),
                                          {"chatter=1212121212121212"});
    ASSERT_GT(vprinter.Port(), 0);
    PrintInfo info = LoopbackPrinterInfo(vprinter.Port());
    CPrinterCommunicate printer;
    ASSERT_EQ(printer.PrinterOpen(&info), 0);
    // Long enough that the printer has been talking before the first write.
    usleep(100000);
    EXPECT_EQ(SendReceipt(printer, 200), 0);
    EXPECT_EQ(printer.PrinterClose(), 0);
    EXPECT_EQ(vprinter.WaitForReceipts(1, 10000).size(), 1u);
    const std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("The printer keeps sending... reply read ends after ["),
              std::string::npos);
    EXPECT_NE(strLog.find("Recv Data [12 12 12 12"), std::string::npos);
}

} // namespace
