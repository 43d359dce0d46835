// zelkor-print end to end: the real executable in a temporary program
// folder with the stand-in agent library, printing to a real
// zelkor-vprinter on loopback TCP configured as network printer 1.
#include "foundation/ini_file.h"
#include "tests/support/printer_config.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/vprinter_process.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using testsupport::CTempProgramFolder;
using testsupport::CVirtualPrinter;
using testsupport::ParseJson;
using testsupport::TestDataFile;

class ZelkorPrintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(ZELKOR_STUB_AGENT_LIB, m_Folder.File("libNUBEQ_IF.so"));
        m_Folder.WriteFile("Config.ini", TestDataFile("store/Config.ini"));
        m_Folder.WriteFile("Store_Orgin.dat", TestDataFile("store/Store_Orgin.dat"));
        std::filesystem::create_directories(m_Folder.File("receipts"));
    }

    // Printer 1 on the network at nPort, printing sheets and receipts.
    void ConfigurePrinter(int nPort)
    {
        ASSERT_TRUE(testsupport::WritePrinterConfig(m_Folder.File("Config.ini"),
                                                    {.nUse = 1, .nRcp = 1, .nLanPort = nPort}, {}));
    }

    // Runs zelkor-print; its exit status, stderr into strErrors.
    int RunPrint(int nEventId, const std::string& strData, std::string& strErrors)
    {
        m_Folder.WriteFile("event.json", strData);
        const std::string strCommand =
            std::string("'") + ZELKOR_PRINT_EXE + "' " + std::to_string(nEventId) + " '" +
            m_Folder.File("event.json") + "' 2>'" + m_Folder.File("stderr.txt") + "'";
        int nStatus = std::system(strCommand.c_str());
        strErrors = m_Folder.ReadFile("stderr.txt");
        return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    }

    CTempProgramFolder m_Folder;
};

TEST_F(ZelkorPrintTest, AcceptedOrderIsPrintedOnTheVirtualPrinter)
{
    CVirtualPrinter printer(ZELKOR_VPRINTER_EXE, m_Folder.File("receipts"));
    ASSERT_GT(printer.Port(), 0);
    ConfigurePrinter(printer.Port());
    std::string strErrors;
    EXPECT_EQ(0, RunPrint(36001, "[" + TestDataFile("orders/pickup_order.json") + "]", strErrors))
        << strErrors;
    EXPECT_EQ("", strErrors);
    // The order sheet and the customer receipt.
    std::vector<std::string> vecReceipts = printer.WaitForReceipts(2, 10000);
    ASSERT_EQ(2u, vecReceipts.size());
    EXPECT_NE(std::string::npos, vecReceipts[1].find("15,000")) << vecReceipts[1];
    EXPECT_TRUE(m_Folder.ReadFile("receipts/receipt-003.txt").empty());
    // The agent was answered first.
    EXPECT_NE(std::string::npos, m_Folder.ReadFile("agent_journal.jsonl").find("\"ACCEPTED\""));
}

TEST_F(ZelkorPrintTest, FailuresGiveNonZeroWithTheReason)
{
    struct SCase
    {
        const char* pszName;
        int nEventId;
        bool bRefuseAnswer;
        const char* pszReason;
    } cases[] = {
        {"printer refuses", 36102, false, "FailCount"},
        {"agent refuses the answer", 36001, true, "not printed"},
        {"unsupported event", 36999, false, "not supported"},
    };
    // A printer that is there but refuses every connection.
    CVirtualPrinter printer(ZELKOR_VPRINTER_EXE, m_Folder.File("receipts"), {"refuse"});
    ASSERT_GT(printer.Port(), 0);
    ConfigurePrinter(printer.Port());
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        m_Folder.WriteFile("agent_stub.ini",
                           c.bRefuseAnswer ? "[RESULTS]\nSendData=0\n" : "[RESULTS]\n");
        std::string strErrors;
        EXPECT_NE(0, RunPrint(c.nEventId, "[" + TestDataFile("orders/pickup_order.json") + "]",
                              strErrors));
        EXPECT_NE(std::string::npos, strErrors.find(c.pszReason)) << strErrors;
    }
    EXPECT_TRUE(m_Folder.ReadFile("receipts/receipt-001.txt").empty());
}

} // namespace
