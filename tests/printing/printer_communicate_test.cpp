// The command layer's byte sequences, flush rules, limits and port choice.
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "tests/printing/recording_port.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using testsupport::HexBytes;

// A command layer whose port records the bytes instead of printing.
class CTestCommunicate : public CPrinterCommunicate
{
public:
    CRecordingPort* m_pRecorder = nullptr;
    int m_nCreated = 0;

protected:
    std::unique_ptr<CBasePort> CreatePort(const PrintInfo& info, int& nError) override
    {
        if (info.PortType < 0 || info.PortType > 2) {
            return CPrinterCommunicate::CreatePort(info, nError);
        }
        ++m_nCreated;
        auto pPort = std::make_unique<CRecordingPort>();
        m_pRecorder = pPort.get();
        return pPort;
    }
};

class PrinterCommunicateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PrintInfo info;
        info.PortType = E_PRINTER_TYPE_SOCKET;
        ASSERT_EQ(m_Printer.PrinterOpen(&info), 0);
        ASSERT_EQ(m_Printer.IsSuccessOpenPrinter, 1);
        m_pPort = m_Printer.m_pRecorder;
    }
    std::string Written() const
    {
        std::string str;
        for (const std::string& strWrite : m_pPort->m_Writes) {
            str += strWrite;
        }
        return str;
    }

    CTestCommunicate m_Printer;
    CRecordingPort* m_pPort = nullptr;
};

TEST_F(PrinterCommunicateTest, CutPaperFeedsAndCutsAndFlushes)
{
    struct Case
    {
        int nCount;
        const char* pszHex;
    };
    const Case cases[] = {
        {0, "0D 0A 0D 0A 0D 0A 0D 0A 1B 69"},
        {-3, "0D 0A 0D 0A 0D 0A 0D 0A 1B 69"},
        {2, "0D 0A 0D 0A 1B 69"},
    };
    for (const Case& c : cases) {
        m_pPort->m_Writes.clear();
        EXPECT_EQ(m_Printer.Printer_CutPaper(c.nCount), 0);
        ASSERT_EQ(m_pPort->m_Writes.size(), 1u) << c.nCount;
        EXPECT_EQ(HexBytes(m_pPort->m_Writes[0]), c.pszHex) << c.nCount;
        EXPECT_EQ(m_pPort->BufferedLength(), 0);
    }
}

TEST_F(PrinterCommunicateTest, LineFeedLimitIs130)
{
    EXPECT_EQ(m_Printer.Printer_Send_LineFeed(129), 0);
    EXPECT_EQ(m_pPort->BufferedLength(), 258);
    EXPECT_EQ(m_pPort->Buffered().find_first_not_of("\r\n"), std::string::npos);
    EXPECT_EQ(m_Printer.Printer_Send_LineFeed(130), 7);
    EXPECT_EQ(m_pPort->BufferedLength(), 258);
    // No line feed at all hands zero bytes to the port, which refuses them.
    EXPECT_EQ(m_Printer.Printer_Send_LineFeed(0), 7);
    EXPECT_TRUE(m_pPort->m_Writes.empty());
}

TEST_F(PrinterCommunicateTest, MessageWithModeAndJustificationStaysBuffered)
{
    EXPECT_EQ(m_Printer.Printer_Send_Msg("AB", 1, 0x08, 1), 0);
    EXPECT_EQ(HexBytes(m_pPort->Buffered()), "1B 21 08 1B 61 01 41 42 0D 0A");
    EXPECT_TRUE(m_pPort->m_Writes.empty());
}

TEST_F(PrinterCommunicateTest, KoreanTextGoesOutAsItsCp949Bytes)
{
    EXPECT_EQ(m_Printer.Printer_Send_Msg("주문서", 0, 0x30, 0), 0);
    EXPECT_EQ(m_pPort->Buffered(),
              std::string("\x1B\x21\x30\x1B\x61\x00", 6) + testsupport::Cp949FromUtf8(u8"주문서"));
}

TEST_F(PrinterCommunicateTest, LongTextGoesInPiecesWithThePrefixOnTheFirst)
{
    std::string strText(5000, 'k');
    EXPECT_EQ(m_Printer.Printer_Send_Msg(strText.c_str(), 0, 0x10, 0), 0);
    // The first piece (6 + 4089) fills the buffer; the second piece of 911
    // flushes it and waits in the buffer.
    ASSERT_EQ(m_pPort->m_Writes.size(), 1u);
    EXPECT_EQ(m_pPort->m_Writes[0].size(), 4095u);
    EXPECT_EQ(HexBytes(m_pPort->m_Writes[0].substr(0, 6)), "1B 21 10 1B 61 00");
    EXPECT_EQ(m_pPort->m_Writes[0].substr(6), std::string(4089, 'k'));
    EXPECT_EQ(m_pPort->Buffered(), std::string(911, 'k'));
}

TEST_F(PrinterCommunicateTest, FailedPieceIsSwallowedButLineFeedResultIsNot)
{
    EXPECT_EQ(m_Printer.Printer_Send_Msg("", 1, 0, 0), 9);
    EXPECT_EQ(m_Printer.Printer_Send_Msg(nullptr, 1, 0, 0), 9);
    m_pPort->m_bOpen = false;
    EXPECT_EQ(m_Printer.Printer_Send_Msg("AB", 1, 0, 0), 0);
    EXPECT_EQ(m_Printer.Printer_Send_Init(), 3);
    EXPECT_EQ(m_Printer.Printer_CutPaper(1), 3);
}

TEST_F(PrinterCommunicateTest, JobSequenceAndEndOfJob)
{
    EXPECT_EQ(m_Printer.Printer_Send_Init(), 0);
    EXPECT_EQ(m_Printer.Printer_Send_Msg("A", 0, 0, 0), 0);
    EXPECT_EQ(m_Printer.Printer_CutPaper(1), 0);
    EXPECT_EQ(m_pPort->GetEndOfJob(), 0);
    EXPECT_EQ(m_Printer.Printer_Send_End(), 0);
    EXPECT_EQ(m_pPort->GetEndOfJob(), 1);
    ASSERT_EQ(m_pPort->m_Writes.size(), 2u);
    EXPECT_EQ(HexBytes(m_pPort->m_Writes[0]), "1B 40 1B 21 00 1B 61 00 41 0D 0A 1B 69");
    EXPECT_EQ(HexBytes(m_pPort->m_Writes[1]), "1B 40");

    m_pPort->m_nWriteResult = 4;
    EXPECT_EQ(m_Printer.Printer_Send_End(), 4);
    m_Printer.PrinterClose();
    EXPECT_EQ(m_Printer.Port(), nullptr);
    EXPECT_EQ(m_Printer.IsSuccessOpenPrinter, 0);
    m_Printer.PrinterClose(); // nothing open: no effect
}

TEST(PrinterCommunicateOpenTest, MissingRecordAndUnsupportedType)
{
    CTestCommunicate printer;
    EXPECT_EQ(printer.PrinterOpen(nullptr), 5);
    PrintInfo info;
    info.PortType = 3;
    EXPECT_EQ(printer.PrinterOpen(&info), 6);
    EXPECT_EQ(printer.Port(), nullptr);
    EXPECT_EQ(printer.m_nCreated, 0);
    EXPECT_EQ(printer.IsSuccessOpenPrinter, 0);
}

TEST(PrinterCommunicateOpenTest, OpenAndInitialiseResultsReachTheCaller)
{
    // The real ports: a serial device that does not exist fails its open
    // with 3 and the port object stays until PrinterClose.
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SERIAL;
    info.Port = 5;
    info.BaudRate = 9600;
    std::strcpy(info.Portname, "COM3");
    // dosdevices/com5 points nowhere: "no such device".
    folder.WriteFile("dosdevices/.keep", "");
    std::string strLink = folder.File("dosdevices/com5");
    ASSERT_EQ(symlink((folder.Path() + "/missing-tty").c_str(), strLink.c_str()), 0);
    CPrinterCommunicate printer;
    EXPECT_EQ(printer.PrinterOpen(&info), 3);
    EXPECT_NE(printer.Port(), nullptr);
    EXPECT_EQ(printer.IsSuccessOpenPrinter, 0);
    printer.PrinterClose();
    std::string strLog = folder.ReadCurrentLog();
    // The port number decides, not the name.
    EXPECT_NE(strLog.find("//./COM5 Port Open"), std::string::npos);
    EXPECT_NE(strLog.find("CreateFile [//./COM5:9600] Fail"), std::string::npos);
}

} // namespace
