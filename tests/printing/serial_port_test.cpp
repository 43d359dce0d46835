// Serial / parallel port against a pseudo-terminal (the test plays the
// printer on the master side) and against a plain file as an LPT device.
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "printing/serial_port.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"
#include "tests/support/pty_pair.h"
#include "tests/support/vprinter_process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::HexBytes;

long long NowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

size_t CountOf(const std::string& strText, const std::string& strWord)
{
    size_t nCount = 0;
    for (size_t nPos = strText.find(strWord); nPos != std::string::npos;
         nPos = strText.find(strWord, nPos + 1)) {
        ++nCount;
    }
    return nCount;
}

// zelkor-vprinter on a pseudo-terminal, linked as dosdevices/<name> of
// the program folder; it writes its receipts into strOut.
class CPtyVirtualPrinter
{
public:
    CPtyVirtualPrinter(const std::string& strFolder, const char* pszName, const std::string& strOut,
                       const std::vector<std::string>& vecFaults)
        : m_strOut(strOut), m_Printer(ZELKOR_VPRINTER_EXE, strOut, vecFaults,
                                      testsupport::CVirtualPrinter::ELine::Pty)
    {
        if (!Started()) {
            return;
        }
        std::filesystem::create_directories(strFolder + "/dosdevices");
        std::filesystem::create_symlink(m_Printer.Address(), strFolder + "/dosdevices/" + pszName);
    }
    bool Started() const { return !m_Printer.Address().empty(); }
    // Names of the receipt files written so far.
    std::vector<std::string> ReceiptFiles() const
    {
        std::vector<std::string> vecNames;
        for (const auto& entry : std::filesystem::directory_iterator(m_strOut)) {
            const std::string strName = entry.path().filename().string();
            if (strName.rfind("receipt-", 0) == 0 && entry.path().extension() == ".txt") {
                vecNames.push_back(strName);
            }
        }
        return vecNames;
    }

private:
    std::string m_strOut;
    testsupport::CVirtualPrinter m_Printer;
};

class SerialPortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        m_Pty.LinkAs(m_Folder.Path(), "com3");
    }

    testsupport::CTempProgramFolder m_Folder;
    testsupport::CPtyPair m_Pty;
};

TEST_F(SerialPortTest, ReceiptArrivesByteForByte)
{
    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SERIAL;
    info.Port = 3;
    info.BaudRate = 19200;
    std::strcpy(info.Portname, "COM3");
    CPrinterCommunicate printer;
    ASSERT_EQ(printer.PrinterOpen(&info), 0);
    ASSERT_EQ(printer.IsSuccessOpenPrinter, 1);
    EXPECT_EQ(printer.Printer_Send_Init(), 0);
    EXPECT_EQ(printer.Printer_Send_Msg("주문서", 1, 0x30, 1), 0);
    EXPECT_EQ(printer.Printer_Send_Msg("Coffee x 2", 1, 0, 0), 0);
    EXPECT_EQ(printer.Printer_CutPaper(2), 0);
    EXPECT_EQ(printer.Printer_Send_End(), 0);
    printer.PrinterClose();

    std::string strExpected = std::string("\x1B\x40\x1B\x21\x30\x1B\x61\x01", 8) +
                              testsupport::Cp949FromUtf8(u8"주문서") + "\r\n" +
                              std::string("\x1B\x21\x00\x1B\x61\x00", 6) + "Coffee x 2\r\n" +
                              "\r\n\r\n\x1B\x69" + "\x1B\x40";
    std::string strGot = m_Pty.Read(strExpected.size(), 5000);
    EXPECT_EQ(HexBytes(strGot), HexBytes(strExpected));

    std::string strLog = m_Folder.ReadCurrentLog();
    // The end of the job ends the receive thread at the last transmit-empty,
    // so the close finds it gone and does not wait.
    EXPECT_NE(strLog.find("EV_TXEMPTY Call... Thread Close"), std::string::npos);
    EXPECT_EQ(strLog.find("Thread Safe Exit Wait Timeout"), std::string::npos);
    EXPECT_NE(strLog.find("Close [1], [//./COM3:19200]"), std::string::npos);
}

// A rate the line cannot be set to fails the open instead of printing at
// the old speed; every rate the line can take opens.
TEST_F(SerialPortTest, OpenFailsForARateTheLineCannotTake)
{
    struct Case
    {
        int nBaudRate;
        int bOpens;
    };
    const Case cases[] = {{9600, 1}, {115200, 1}, {14400, 0}, {128000, 0}, {256000, 0}};
    for (const Case& c : cases) {
        PrintInfo info;
        info.PortType = E_PRINTER_TYPE_SERIAL;
        info.Port = 3;
        info.BaudRate = c.nBaudRate;
        std::strcpy(info.Portname, "COM3");
        CPrinterCommunicate printer;
        EXPECT_EQ(printer.PrinterOpen(&info) == 0, c.bOpens == 1) << c.nBaudRate;
        printer.PrinterClose();
    }
    EXPECT_NE(m_Folder.ReadCurrentLog().find("BaudRate [14400] Not Supported By The Line"),
              std::string::npos);
}

TEST_F(SerialPortTest, MissingDeviceIsTriedOnce)
{
    std::filesystem::create_symlink(m_Folder.File("no-such-tty"), m_Folder.File("dosdevices/com7"));
    CSerialPort port("//./COM7", 9600);
    EXPECT_EQ(port.OpenPort(), 3);
    EXPECT_EQ(port.LastOpenAttempts(), 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.InitializePort(), 3);
    EXPECT_EQ(port.SendData("A", 1, 1), 3);
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("CreateFile [//./COM7:9600] Fail ErrorCode [0x00000002]"),
              std::string::npos);
    EXPECT_NE(strLog.find("CommPort INVALID_HANDLE!!!"), std::string::npos);
    EXPECT_EQ(strLog.find("permission denied"), std::string::npos);
}

// A device the user may not open (not in the group dialout or lp): the
// failed open's log line says which groups open it. Root opens any plain
// file, so root gets a sysfs file that refuses writers.
TEST_F(SerialPortTest, RefusedDeviceNamesTheGroups)
{
    std::string strDevice = m_Folder.File("locked-device");
    if (geteuid() == 0) {
        strDevice = "/sys/kernel/uevent_seqnum";
    } else {
        m_Folder.WriteFile("locked-device", "");
        std::filesystem::permissions(strDevice, std::filesystem::perms::none);
    }
    int hProbe = open(strDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (hProbe >= 0 || errno != EACCES) {
        if (hProbe >= 0) {
            close(hProbe);
        }
        GTEST_SKIP() << strDevice << " does not refuse this user";
    }
    for (const char* pszName : {"com9", "lpt3"}) {
        std::filesystem::create_symlink(strDevice,
                                        m_Folder.File(std::string("dosdevices/") + pszName));
    }
    struct SCase
    {
        const char* pszPort;
        const char* pszLine;
    };
    for (const SCase& c : {SCase{"COM9", "CreateFile [COM9:9600] Fail ErrorCode [0x0000000d] "
                                         "(permission denied: the user must be in the group "
                                         "dialout for serial ports and lp for parallel ports"},
                           SCase{"LPT3", "CreateFile [LPT3:9600] Fail ErrorCode [0x0000000d] "
                                         "(permission denied"}}) {
        CSerialPort port(c.pszPort, 9600);
        EXPECT_EQ(port.OpenPort(), 3) << c.pszPort;
        EXPECT_FALSE(port.IsOpen()) << c.pszPort;
        EXPECT_NE(m_Folder.ReadCurrentLog().find(c.pszLine), std::string::npos) << c.pszPort;
    }
}

TEST_F(SerialPortTest, DeviceHeldByAnotherOpenIsTriedTenTimes)
{
    CSerialPort holder("//./COM3", 9600);
    ASSERT_EQ(holder.OpenPort(), 0);
    CSerialPort second("COM3", 9600);
    long long nStart = NowMs();
    EXPECT_EQ(second.OpenPort(), 3);
    long long nElapsed = NowMs() - nStart;
    EXPECT_EQ(second.LastOpenAttempts(), 10);
    EXPECT_GE(nElapsed, 200); // nine pauses of 30 ms between the tries
    EXPECT_LT(nElapsed, 3500);
    EXPECT_NE(m_Folder.ReadCurrentLog().find("ErrorCode [0x00000010]"), std::string::npos);
    // Once the holder lets go, the device opens again.
    holder.ClosePort();
    EXPECT_EQ(second.OpenPort(), 0);
}

TEST_F(SerialPortTest, DeadLineFailsTheFlush)
{
    // A printer that went away: the write fails, and SendData says so, so
    // the job can be retried instead of being counted as printed.
    CSerialPort port("//./COM3", 9600);
    ASSERT_EQ(port.OpenPort(), 0);
    ASSERT_EQ(port.InitializePort(), 0);
    ASSERT_EQ(port.SendData("ok", 2, 1), 0);
    EXPECT_EQ(m_Pty.Read(2, 3000), "ok");
    m_Pty.CloseMaster();
    EXPECT_EQ(port.SendData("lost", 4, 1), 4);
    EXPECT_EQ(port.BufferedLength(), 0);
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("Write Comport Fail ErrorCode"), std::string::npos);
    EXPECT_NE(strLog.find("SendCurrentMemoryPrintData Fail... Size [4]"), std::string::npos);
}

TEST_F(SerialPortTest, LineSlowerThanTheWaitFailsTheRestOfTheJob)
{
    // The printer reads at 2400 baud while the port runs at 9600. Once the
    // line's buffers are full (a pseudo-terminal holds some 64 KB), a full
    // send buffer of the receipt cannot leave within the write's wait. That
    // write fails, and with it every later send of the job, so the receipt
    // fails at its cut (to be printed again) instead of counting as printed
    // with the lines of the lost write missing.
    CPtyVirtualPrinter printer(m_Folder.Path(), "com5", m_Folder.File("vprinter"), {"slow=2400"});
    ASSERT_TRUE(printer.Started());
    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SERIAL;
    info.Port = 5;
    info.BaudRate = 9600;
    std::strcpy(info.Portname, "COM5");
    CPrinterCommunicate communicate;
    ASSERT_EQ(communicate.PrinterOpen(&info), 0);
    ASSERT_EQ(communicate.Printer_Send_Init(), 0);
    int nFailedAt = -1;
    for (int i = 0; i < 2000; ++i) {
        char szLine[64];
        std::snprintf(szLine, sizeof(szLine), "menu %04d .................................", i);
        communicate.Printer_Send_Msg(szLine, 1, 0, 0);
        if (nFailedAt < 0 && communicate.Port()->SendFailed() != 0) {
            nFailedAt = i;
        }
    }
    EXPECT_GE(nFailedAt, 0) << "no write timed out";
    EXPECT_EQ(communicate.Printer_CutPaper(1), 4);
    EXPECT_EQ(communicate.Printer_Send_End(), 4);
    communicate.PrinterClose();
    const std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("WriteFile IO_PENDING Wait Fail..."), std::string::npos);
    EXPECT_NE(strLog.find("Refused... an earlier write of this job failed [4]"), std::string::npos);
    // Nothing was cut: no receipt counts as printed on the paper either.
    for (const std::string& strName : printer.ReceiptFiles()) {
        EXPECT_NE(strName.find("uncut"), std::string::npos) << strName;
    }
}

TEST_F(SerialPortTest, PaperSensorAnswersOverTheLine)
{
    // DLE EOT 4 goes out at once and the receive thread hands the answer
    // back; a printer that does not know the request stays silent. What
    // the check sends prints nothing: the receipt after it is unchanged.
    struct Case
    {
        const char* pszFault;
        int nStatus;
    };
    const Case cases[] = {
        {nullptr, PAPER_STATUS_OK},
        {"paper-near-end", PAPER_STATUS_NEAR_END},
        {"paper-end", PAPER_STATUS_END},
        {"no-status", PAPER_STATUS_NO_ANSWER},
    };
    int nCom = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszFault != nullptr ? c.pszFault : "paper");
        ++nCom;
        std::vector<std::string> vecFaults;
        if (c.pszFault != nullptr) {
            vecFaults.push_back(c.pszFault);
        }
        const std::string strName = "com" + std::to_string(nCom);
        CPtyVirtualPrinter printer(m_Folder.Path(), strName.c_str(),
                                   m_Folder.File("vprinter-" + strName), vecFaults);
        ASSERT_TRUE(printer.Started());
        PrintInfo info;
        info.PortType = E_PRINTER_TYPE_SERIAL;
        info.Port = nCom;
        info.BaudRate = 9600;
        CPrinterCommunicate communicate;
        ASSERT_EQ(communicate.PrinterOpen(&info), 0);
        EXPECT_EQ(communicate.Printer_Check_Paper(), c.nStatus);
        EXPECT_EQ(communicate.Printer_Send_Init(), 0);
        EXPECT_EQ(communicate.Printer_Send_Msg("paper", 1, 0, 0), 0);
        EXPECT_EQ(communicate.Printer_CutPaper(1), 0);
        EXPECT_EQ(communicate.Printer_Check_Paper(), c.nStatus);
        EXPECT_EQ(communicate.Printer_Send_End(), 0);
        communicate.PrinterClose();
    }
}

TEST_F(SerialPortTest, PrinterRepliesAreOnlyLogged)
{
    CSerialPort port("//./COM3", 9600);
    ASSERT_EQ(port.OpenPort(), 0);
    ASSERT_EQ(port.InitializePort(), 0);
    m_Pty.Write("READY");
    std::string strLog;
    for (int i = 0; i < 100 && strLog.find("EV_RXCHAR... Data [READY]") == std::string::npos; ++i) {
        usleep(20000);
        strLog = m_Folder.ReadCurrentLog();
    }
    EXPECT_NE(strLog.find("EV_RXCHAR... Data [READY]"), std::string::npos);
    EXPECT_EQ(port.SendData("x", 1, 1), 0);
    EXPECT_EQ(m_Pty.Read(1, 3000), "x");
}

TEST(SerialPortLptTest, PlainFileAsLptTakesWritesWithWarnings)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    folder.WriteFile("paper.bin", "");
    std::filesystem::create_directories(folder.File("dosdevices"));
    std::filesystem::create_symlink(folder.File("paper.bin"), folder.File("dosdevices/lpt1"));

    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SERIAL;
    info.Port = 5;
    std::strcpy(info.Portname, "lpt1"); // the LPT name wins over the port number
    CPrinterCommunicate printer;
    ASSERT_EQ(printer.PrinterOpen(&info), 0);
    EXPECT_EQ(printer.Printer_Send_Init(), 0);
    EXPECT_EQ(printer.Printer_CutPaper(1), 0);
    EXPECT_EQ(printer.Printer_Send_End(), 0);
    printer.PrinterClose();

    EXPECT_EQ(HexBytes(folder.ReadFile("paper.bin")), "1B 40 0D 0A 1B 69 1B 40");
    std::string strLog = folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("lpt1 Port Open"), std::string::npos);
    EXPECT_NE(strLog.find("SetCommState Fail... ErrorCode [0x00000019] (Ignore it in case of "
                          "LPT port)"),
              std::string::npos);
    EXPECT_GE(CountOf(strLog, "(Ignore it in case of LPT port)"), 5u);
}

TEST(SerialPortWaitTest, PendingWriteWaitScalesWithLength)
{
    struct Case
    {
        int nLength;
        int nWaitMs;
    };
    const Case cases[] = {{4000, 7000}, {100, 2000}, {0, 2000}, {4095, 7000}, {800, 3000}};
    for (const Case& c : cases) {
        EXPECT_EQ(CSerialPort::PendingWriteWaitMs(c.nLength), c.nWaitMs) << c.nLength;
    }
}

} // namespace
