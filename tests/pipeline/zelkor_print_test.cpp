// zelkor-print end to end: the real executable in a temporary program
// folder with the stand-in agent library, printing to a real
// zelkor-vprinter on loopback TCP configured as network printer 1.
#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "platform/instance_lock.h"
#include "tests/support/cp949.h"
#include "tests/support/printer_config.h"
#include "tests/support/program_folder.h"
#include "tests/support/runtime_dir.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/test_data.h"
#include "tests/support/vprinter_process.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using testsupport::CTempProgramFolder;
using testsupport::CVirtualPrinter;
using testsupport::ParseJson;
using testsupport::TestDataFile;
using testsupport::Utf8FromCp949;

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

    // [ORDER]: today's current wait number nNumber, start number 1.
    void WriteWaitNumber(int nNumber)
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char szToday[16];
        std::strftime(szToday, sizeof(szToday), "%Y%m%d", &local);
        const std::string strConfig = m_Folder.File("Config.ini");
        ASSERT_TRUE(IniWriteString("ORDER", "StartNo", "1", strConfig.c_str()));
        ASSERT_TRUE(
            IniWriteString("ORDER", "LastNo", std::to_string(nNumber).c_str(), strConfig.c_str()));
        ASSERT_TRUE(IniWriteString("ORDER", "LastDate", szToday, strConfig.c_str()));
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

    // Starts zelkor-print on event.json without waiting; its process id.
    pid_t StartPrint(int nEventId)
    {
        const std::string strEventId = std::to_string(nEventId);
        const std::string strFile = m_Folder.File("event.json");
        pid_t nPid = fork();
        if (nPid == 0) {
            const int hNull = open("/dev/null", O_WRONLY);
            dup2(hNull, STDERR_FILENO);
            execl(ZELKOR_PRINT_EXE, ZELKOR_PRINT_EXE, strEventId.c_str(), strFile.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        return nPid;
    }

    // The wait numbers of every ACCEPTED answer in the agent's journal, in
    // order (a line cut by a kill is skipped).
    std::vector<std::string> AnsweredWaitNumbers()
    {
        std::vector<std::string> vecNumbers;
        std::istringstream stream(m_Folder.ReadFile("agent_journal.jsonl"));
        std::string strLine;
        while (std::getline(stream, strLine)) {
            Json::Value line;
            Json::Value answer;
            if (!Json::Reader().parse(strLine, line) || line["call"].asString() != "SendData" ||
                line["args"]["command"].asString() != "ACCEPTED" ||
                !Json::Reader().parse(line["args"]["data"].asString(), answer)) {
                continue;
            }
            for (const Json::Value& order : answer) {
                vecNumbers.push_back(order["waitNo"].asString());
            }
        }
        return vecNumbers;
    }

    // The runs' instance lock lives here, away from any running program.
    testsupport::CTempRuntimeDir m_RuntimeDir;
    CTempProgramFolder m_Folder;
};

// The shop's pickup order with its number taken away, as an accept event.
std::string UnnumberedPickupOrder()
{
    Json::Value order = ParseJson(TestDataFile("orders/pickup_order.json"));
    order["waitNo"] = "";
    Json::Value orders(Json::arrayValue);
    orders.append(order);
    return CjsonCtrl::StyledText(orders);
}

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

// zelkor-print killed (SIGKILL) again and again while it accepts an order:
// half the kills land the moment the agent has its answer, the others at
// random. A number the agent was given is never given again.
TEST_F(ZelkorPrintTest, KilledRunsNeverHandOutANumberTwice)
{
    CVirtualPrinter printer(ZELKOR_VPRINTER_EXE, m_Folder.File("receipts"));
    ASSERT_GT(printer.Port(), 0);
    ConfigurePrinter(printer.Port());
    WriteWaitNumber(12);
    m_Folder.WriteFile("event.json", UnnumberedPickupOrder());
    std::mt19937 random(20260305);
    std::uniform_int_distribution<int> delayUs(0, 150000);
    constexpr int kKills = 40;
    const std::string strJournal = m_Folder.File("agent_journal.jsonl");
    auto journalSize = [&strJournal] {
        std::error_code error;
        const auto nSize = std::filesystem::file_size(strJournal, error);
        return error ? 0 : nSize;
    };
    for (int i = 0; i < kKills; ++i) {
        const auto nJournal = journalSize();
        const pid_t nPid = StartPrint(36001);
        ASSERT_GT(nPid, 0);
        if (i % 2 == 0) {
            for (int n = 0; n < 50000 && journalSize() <= nJournal; ++n) {
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        }
        kill(nPid, SIGKILL);
        waitpid(nPid, nullptr, 0);
    }
    std::string strErrors;
    EXPECT_EQ(0, RunPrint(36001, UnnumberedPickupOrder(), strErrors)) << strErrors;

    const std::vector<std::string> vecNumbers = AnsweredWaitNumbers();
    EXPECT_GE(vecNumbers.size(), static_cast<size_t>(kKills / 2));
    std::map<std::string, int> counts;
    for (const std::string& strNumber : vecNumbers) {
        ++counts[strNumber];
    }
    for (const auto& [strNumber, nCount] : counts) {
        EXPECT_EQ(1, nCount) << "wait number " << strNumber << " handed out " << nCount << " times";
    }
    // Killed writers left no temporary file behind once a run has loaded.
    for (const auto& entry : std::filesystem::directory_iterator(m_Folder.Path())) {
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".Config.ini.tmp"))
            << entry.path();
    }
}

// The program folder on a full disk: the wait number cannot be saved. The
// run still prints and answers, and says so with its own exit code: this
// tool keeps no number between runs, so the next run hands out the same one.
TEST_F(ZelkorPrintTest, WaitNumberThatCannotBeSavedGivesItsOwnExitCode)
{
    testsupport::CSmallTmpfs disk(2048);
    if (!disk.Mounted()) {
        GTEST_SKIP() << disk.Why();
    }
    CVirtualPrinter printer(ZELKOR_VPRINTER_EXE, m_Folder.File("receipts"));
    ASSERT_GT(printer.Port(), 0);
    ConfigurePrinter(printer.Port());
    WriteWaitNumber(12);
    for (const char* pszName : {"libNUBEQ_IF.so", "Config.ini", "Store_Orgin.dat"}) {
        std::filesystem::copy_file(m_Folder.File(pszName), disk.File(pszName));
    }
    std::filesystem::create_directories(disk.File("Log/NubeqLog"));
    m_Folder.WriteFile("event.json", UnnumberedPickupOrder());
    ASSERT_TRUE(disk.Fill());
    const std::string strCommand = "ZELKOR_HOME='" + disk.Path() + "' '" + ZELKOR_PRINT_EXE +
                                   "' 36001 '" + m_Folder.File("event.json") + "' 2>'" +
                                   m_Folder.File("stderr.txt") + "'";
    for (int nRun = 1; nRun <= 2; ++nRun) {
        SCOPED_TRACE(nRun);
        const int nStatus = std::system(strCommand.c_str());
        ASSERT_TRUE(WIFEXITED(nStatus));
        EXPECT_EQ(6, WEXITSTATUS(nStatus));
        EXPECT_NE(std::string::npos,
                  m_Folder.ReadFile("stderr.txt").find("the wait number could not be saved"))
            << m_Folder.ReadFile("stderr.txt");
        // Printed all the same, with the number the run handed out.
        const std::vector<std::string> vecReceipts = printer.WaitForReceipts(2 * nRun, 10000);
        ASSERT_EQ(static_cast<size_t>(2 * nRun), vecReceipts.size());
        EXPECT_NE(std::string::npos, vecReceipts.back().find(Utf8FromCp949("주문번호:12")));
    }
    EXPECT_EQ("12", IniGetString("ORDER", "LastNo", "", disk.File("Config.ini").c_str()));
}

// An accepted order with one member of the wrong type prints: the member
// reads as missing, the rest as sent.
TEST_F(ZelkorPrintTest, OrderWithAWrongTypedMemberPrints)
{
    CVirtualPrinter printer(ZELKOR_VPRINTER_EXE, m_Folder.File("receipts"));
    ASSERT_GT(printer.Port(), 0);
    ConfigurePrinter(printer.Port());
    Json::Value order = ParseJson(TestDataFile("orders/pickup_order.json"));
    order["amt"] = "15,000";
    Json::Value orders(Json::arrayValue);
    orders.append(order);
    std::string strErrors;
    EXPECT_EQ(0, RunPrint(36001, CjsonCtrl::StyledText(orders), strErrors)) << strErrors;
    const std::vector<std::string> vecReceipts = printer.WaitForReceipts(2, 10000);
    ASSERT_EQ(2u, vecReceipts.size());
    EXPECT_NE(std::string::npos, vecReceipts[0].find(Utf8FromCp949("참치김밥"))) << vecReceipts[0];
    EXPECT_EQ(1, printer.Connections());
}

// Two runs started together on one program folder: the second waits for
// the first's instance lock, so each hands out its own number.
TEST_F(ZelkorPrintTest, ConcurrentRunsNeverShareANumber)
{
    CVirtualPrinter printer(ZELKOR_VPRINTER_EXE, m_Folder.File("receipts"));
    ASSERT_GT(printer.Port(), 0);
    ConfigurePrinter(printer.Port());
    WriteWaitNumber(12);
    m_Folder.WriteFile("event.json", UnnumberedPickupOrder());
    constexpr int kRounds = 3;
    for (int nRound = 0; nRound < kRounds; ++nRound) {
        const pid_t nFirst = StartPrint(36001);
        const pid_t nSecond = StartPrint(36001);
        ASSERT_GT(nFirst, 0);
        ASSERT_GT(nSecond, 0);
        for (pid_t nPid : {nFirst, nSecond}) {
            int nStatus = 0;
            ASSERT_EQ(nPid, waitpid(nPid, &nStatus, 0));
            ASSERT_TRUE(WIFEXITED(nStatus));
            EXPECT_EQ(0, WEXITSTATUS(nStatus)) << "round " << nRound;
        }
    }
    std::vector<std::string> vecNumbers = AnsweredWaitNumbers();
    std::sort(vecNumbers.begin(), vecNumbers.end());
    const std::vector<std::string> vecExpected = {"12", "13", "14", "15", "16", "17"};
    EXPECT_EQ(vecExpected, vecNumbers);
    EXPECT_EQ(static_cast<size_t>(2 * 2 * kRounds), printer.WaitForReceipts(12, 10000).size());
}

// The program (or a stuck run) holds the lock: the run gives up after its
// wait with its own code and a clear message, and touches nothing.
TEST_F(ZelkorPrintTest, HeldInstanceLockGivesItsOwnExitCode)
{
    CVirtualPrinter printer(ZELKOR_VPRINTER_EXE, m_Folder.File("receipts"));
    ASSERT_GT(printer.Port(), 0);
    ConfigurePrinter(printer.Port());
    WriteWaitNumber(12);
    platform::CInstanceLock programLock(platform::kZelkorInstanceLockName);
    ASSERT_EQ(platform::EInstanceLockResult::Acquired, programLock.Acquire());
    setenv("ZELKOR_PRINT_LOCK_WAIT_MS", "300", 1);
    std::string strErrors;
    const int nExit = RunPrint(36001, UnnumberedPickupOrder(), strErrors);
    unsetenv("ZELKOR_PRINT_LOCK_WAIT_MS");
    EXPECT_EQ(7, nExit);
    EXPECT_NE(std::string::npos,
              strErrors.find("Zelkor or another zelkor-print holds the instance lock"))
        << strErrors;
    EXPECT_NE(std::string::npos, strErrors.find("gave up after 300 ms")) << strErrors;
    EXPECT_TRUE(AnsweredWaitNumbers().empty());
    EXPECT_EQ(0, printer.Connections());
    EXPECT_EQ("12", IniGetString("ORDER", "LastNo", "", m_Folder.File("Config.ini").c_str()));

    // Released: the next run goes through.
    programLock.Release();
    EXPECT_EQ(0, RunPrint(36001, UnnumberedPickupOrder(), strErrors)) << strErrors;
    EXPECT_EQ(std::vector<std::string>{"12"}, AnsweredWaitNumbers());
}

} // namespace
