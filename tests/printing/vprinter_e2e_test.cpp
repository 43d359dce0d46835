// A receipt through the network port to the virtual receipt printer
// (tools/vprinter), which keeps every byte and draws the receipt. With
// ZELKOR_KEEP_TEST_FOLDERS=1 its files stay in the test's program folder
// under vprinter/ (connection-*.bin, receipt-*.txt, receipt-*.png).
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::string VirtualPrinterPath()
{
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path().parent_path() / "tools" / "vprinter" / "zelkor-vprinter").string();
}

TEST(VirtualPrinterTest, NetworkReceiptArrivesAndIsDrawn)
{
    std::string strExe = VirtualPrinterPath();
    if (access(strExe.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "zelkor-vprinter is not built (" << strExe << ")";
    }
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    std::string strOut = folder.File("vprinter");
    std::filesystem::create_directories(strOut);
    std::string strCommand = "QT_QPA_PLATFORM=offscreen timeout 30 '" + strExe +
                             "' --tcp 127.0.0.1:0 --out '" + strOut + "' --png --count 1";
    FILE* pPipe = popen(strCommand.c_str(), "r");
    ASSERT_NE(pPipe, nullptr);
    char szLine[128] = {};
    ASSERT_NE(fgets(szLine, sizeof(szLine), pPipe), nullptr);
    std::string strAddress(szLine);
    size_t nColon = strAddress.rfind(':');
    ASSERT_NE(nColon, std::string::npos) << strAddress;

    PrintInfo info;
    info.PortType = E_PRINTER_TYPE_SOCKET;
    std::snprintf(info.LanPrintIP, sizeof(info.LanPrintIP), "%s",
                  strAddress.substr(0, nColon).c_str());
    info.LanPrintPort = std::stoi(strAddress.substr(nColon + 1));
    CPrinterCommunicate printer;
    ASSERT_EQ(printer.PrinterOpen(&info), 0);
    EXPECT_EQ(printer.Printer_Send_Init(), 0);
    EXPECT_EQ(printer.Printer_Send_Msg("주문서", 1, 0x30, 1), 0);
    EXPECT_EQ(printer.Printer_Send_Msg("아메리카노 2", 1, 0, 0), 0);
    EXPECT_EQ(printer.Printer_CutPaper(2), 0);
    EXPECT_EQ(printer.Printer_Send_End(), 0);
    printer.PrinterClose();
    EXPECT_EQ(pclose(pPipe), 0);

    std::string strExpected = std::string("\x1B\x40\x1B\x21\x30\x1B\x61\x01", 8) +
                              testsupport::Cp949FromUtf8(u8"주문서") + "\r\n" +
                              std::string("\x1B\x21\x00\x1B\x61\x00", 6) +
                              testsupport::Cp949FromUtf8(u8"아메리카노 2") + "\r\n" +
                              "\r\n\r\n\x1B\x69\x1B\x40";
    std::string strConnection;
    bool bPng = false;
    for (const auto& entry : std::filesystem::directory_iterator(strOut)) {
        std::string strName = entry.path().filename().string();
        if (strName.rfind("connection-", 0) == 0) {
            strConnection = testsupport::ReadWholeFile(entry.path().string());
        }
        if (strName.rfind("receipt-", 0) == 0 && entry.path().extension() == ".png") {
            bPng = entry.file_size() > 0;
        }
    }
    EXPECT_EQ(testsupport::HexBytes(strConnection), testsupport::HexBytes(strExpected));
    EXPECT_TRUE(bPng);
}

} // namespace
