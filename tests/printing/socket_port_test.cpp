// Network port against a local TCP printer on 127.0.0.1.
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "printing/socket_port.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"
#include "tests/support/tcp_listener.h"

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
    testsupport::CTempProgramFolder m_Folder;
};

TEST_F(SocketPortTest, ReceiptArrivesByteForByte)
{
    CTcpListener printer;
    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SOCKET;
    std::strcpy(info.LanPrintIP, "127.0.0.1");
    info.LanPrintPort = printer.Port();
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
    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SOCKET;
    std::strcpy(info.LanPrintIP, "127.0.0.1");
    info.LanPrintPort = printer.Port();
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

} // namespace
