// Spooler port against a private CUPS server whose raw queue prints to a
// local TCP printer.
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "printing/spooler_names.h"
#include "printing/usb_port.h"
#include "tests/support/cp949.h"
#include "tests/support/cups_server.h"
#include "tests/support/program_folder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using testsupport::CCupsServer;
using testsupport::HexBytes;

class UsbPortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string strError;
        m_pServer = CCupsServer::Shared(strError);
        ASSERT_NE(m_pServer, nullptr) << strError;
        ASSERT_TRUE(m_Folder.StartLog());
    }

    CCupsServer* m_pServer = nullptr;
    testsupport::CTempProgramFolder m_Folder;
};

TEST_F(UsbPortTest, ReceiptArrivesByteForByteAsOneRawJob)
{
    std::string strBefore = m_pServer->Printer().Received();
    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_USB;
    std::strcpy(info.UsbName, CCupsServer::RAW_QUEUE);
    CPrinterCommunicate printer;
    ASSERT_EQ(printer.PrinterOpen(&info), 0);
    EXPECT_EQ(printer.Printer_Send_Init(), 0);
    EXPECT_EQ(printer.Printer_Send_Msg("배달 영수증", 1, 0x20, 1), 0);
    std::string strLong(5000, 'w'); // flushes once before the cut
    EXPECT_EQ(printer.Printer_Send_Msg(strLong.c_str(), 0, 0, 0), 0);
    EXPECT_EQ(printer.Printer_CutPaper(1), 0);
    EXPECT_EQ(printer.Printer_Send_End(), 0);
    printer.PrinterClose();

    std::string strExpected = std::string("\x1B\x40\x1B\x21\x20\x1B\x61\x01", 8) +
                              testsupport::Cp949FromUtf8(u8"배달 영수증") + "\r\n" +
                              std::string("\x1B\x21\x00\x1B\x61\x00", 6) + strLong +
                              "\r\n\x1B\x69\x1B\x40";
    std::string strGot =
        m_pServer->Printer().WaitForBytes(strBefore.size() + strExpected.size(), 30000);
    ASSERT_GE(strGot.size(), strBefore.size());
    EXPECT_EQ(HexBytes(strGot.substr(strBefore.size())), HexBytes(strExpected));
}

TEST_F(UsbPortTest, OfflineOrMissingQueueIsRefusedAtOpen)
{
    const char* names[] = {CCupsServer::STOPPED_QUEUE, CCupsServer::REJECTING_QUEUE,
                           "Zelkor_Missing"};
    for (const char* pszName : names) {
        CUSBPort port(pszName);
        EXPECT_FALSE(port.CanUseUSBPrinter(pszName)) << pszName;
        EXPECT_EQ(port.OpenPort(), 3) << pszName;
        EXPECT_EQ(port.InitializePort(), 3) << pszName;
        EXPECT_EQ(port.SendData("x", 1, 1), 3) << pszName;
    }
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("CanUseUSBPrinter [Zelkor_Off] Fail..."), std::string::npos);
    EXPECT_NE(strLog.find("Printer INVALID_HANDLE!!!"), std::string::npos);
}

TEST_F(UsbPortTest, UsableQueueOpensAndClosesWithoutData)
{
    CUSBPort port(CCupsServer::RAW_QUEUE);
    EXPECT_TRUE(port.CanUseUSBPrinter(CCupsServer::RAW_QUEUE));
    ASSERT_EQ(port.OpenPort(), 0);
    ASSERT_EQ(port.InitializePort(), 0);
    EXPECT_EQ(port.SendData("x", 0, 1), 7);
    EXPECT_EQ(port.ClosePort(), 0);
    EXPECT_EQ(port.ClosePort(), 0);
}

} // namespace

namespace {

// A queue added to the private server; false when CUPS refuses the name.
bool AddQueue(const std::string& strUtf8Name)
{
    const std::string strCommand =
        "lpadmin -p '" + strUtf8Name + "' -E -v socket://127.0.0.1:9 >/dev/null 2>&1";
    return std::system(strCommand.c_str()) == 0;
}

// Queue names cross the spooler seam converted: CUPS's UTF-8 name is the
// CP949 name the record and the list hold, and a name with no CP949 form
// is left out of the list with a log line.
TEST_F(UsbPortTest, QueueNamesAreConvertedAtTheSpoolerSeam)
{
    const std::string strKorean = testsupport::Cp949FromUtf8(u8"주방프린터");
    if (!AddQueue(testsupport::Utf8FromCp949(strKorean))) {
        GTEST_SKIP() << "this CUPS refuses a queue name outside ASCII";
    }
    const bool bNoCp949 = AddQueue("Zelkor_\xE2\x82\xAC\xF0\x9F\x98\x80"); // euro sign, emoji
    const std::vector<std::string> vNames = ListUsableSpoolerPrintersCp949();
    EXPECT_NE(std::find(vNames.begin(), vNames.end(), strKorean), vNames.end());
    CUSBPort port(strKorean.c_str());
    EXPECT_TRUE(port.CanUseUSBPrinter(strKorean.c_str()));
    if (bNoCp949) {
        for (const std::string& strName : vNames) {
            EXPECT_EQ(strName.find("Zelkor_"), strName.rfind("Zelkor_")) << strName;
            EXPECT_EQ(strName.find('?'), std::string::npos) << strName;
        }
        EXPECT_NE(m_Folder.ReadCurrentLog().find("Has No CP949 Name... Skip"), std::string::npos);
    }
}

} // namespace
