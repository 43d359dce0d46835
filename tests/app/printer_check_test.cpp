// The start-up printer check: a printer in use that cannot be opened is
// found; one that is not in use is never opened.
#include "app/printer_check.h"
#include "printing/printer_setting.h"
#include "tests/support/printer_config.h"
#include "tests/support/program_folder.h"
#include "tests/support/tcp_listener.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A loopback port nobody listens on.
int ClosedPort()
{
    int hSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(hSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t nLength = sizeof(address);
    getsockname(hSocket, reinterpret_cast<sockaddr*>(&address), &nLength);
    close(hSocket);
    return ntohs(address.sin_port);
}

TEST(PrinterCheckTest, PrintersInUseMustOpen)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    testsupport::CTcpListener printer;
    const int nClosed = ClosedPort();
    struct SCase
    {
        const char* pszName;
        testsupport::SPrinterConfig first;
        testsupport::SPrinterConfig second;
        int nInvalid;
    } cases[] = {
        {"both open",
         {.nUse = 1, .nLanPort = printer.Port()},
         {.nRcp = 1, .nLanPort = printer.Port()},
         0},
        {"second refuses",
         {.nUse = 1, .nLanPort = printer.Port()},
         {.nRcp = 1, .nLanPort = nClosed},
         1},
        {"first refuses", {.nRcp = 1, .nLanPort = nClosed}, {}, 1},
        {"refusing printer not in use",
         {.nLanPort = nClosed},
         {.nUse = 1, .nLanPort = printer.Port()},
         0},
        {"nothing configured", {}, {}, 0},
    };
    for (const SCase& c : cases) {
        folder.WriteFile("Config.ini", "[PRINTER]\r\n");
        ASSERT_TRUE(testsupport::WritePrinterConfig(folder.File("Config.ini"), c.first, c.second));
        PrinterSetting().SetConfigFilePath(folder.File("Config.ini").c_str());
        PrinterSetting().ReadFilePrintInfo(1);
        EXPECT_EQ(IsIncludeInValidPrinterToMemory(), c.nInvalid) << c.pszName;
    }
    EXPECT_NE(folder.ReadCurrentLog().find("[ERROR] [CDlgPrintSetting::IsValidPrinter] PrinterOpen "
                                           "Fail... PrintType [1]"),
              std::string::npos);
    // The open test prints nothing.
    EXPECT_EQ(printer.Received().find("\x1bi"), std::string::npos);
}

} // namespace
