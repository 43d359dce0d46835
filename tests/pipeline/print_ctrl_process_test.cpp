// CPrintCtrlProcess with real documents on real sockets: printers are local
// TCP listeners configured as network printers in Config.ini; the agent is
// the stand-in library whose journal shows the pop-up requests.
#include "agent/nubeq_dll_mngr.h"
#include "foundation/ini_file.h"
#include "foundation/window_sink.h"
#include "pipeline/print_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "printing/print_base.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "tests/support/cp949.h"
#include "tests/support/printer_config.h"
#include "tests/support/program_folder.h"
#include "tests/support/tcp_listener.h"
#include "tests/support/test_data.h"
#include "tests/support/text_lines.h"
#include "tests/support/vprinter_process.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/value.h>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using testsupport::CTcpListener;
using testsupport::CTempProgramFolder;
using testsupport::ParseJson;
using testsupport::SPrinterConfig;
using testsupport::TestDataFile;
using testsupport::Utf8FromCp949;

// Documents end with a cut (ESC i): one per printed copy.
int CutCount(const std::string& strBytes)
{
    int nCount = 0;
    for (size_t nPos = strBytes.find("\x1bi"); nPos != std::string::npos;
         nPos = strBytes.find("\x1bi", nPos + 2)) {
        ++nCount;
    }
    return nCount;
}

size_t Occurrences(const std::string& strText, const std::string& strPart)
{
    size_t nCount = 0;
    for (size_t nPos = strText.find(strPart); nPos != std::string::npos;
         nPos = strText.find(strPart, nPos + strPart.size())) {
        ++nCount;
    }
    return nCount;
}

// The main window's toast handling, counted.
class CToastCounter
{
public:
    CToastCounter()
    {
        InstallMainWindowSink([](unsigned, uintptr_t, intptr_t) { return false; },
                              [this](unsigned nMsg, uintptr_t, intptr_t lParam) -> intptr_t {
                                  if (nMsg == WM_TRAY_SHOW_TOAST) {
                                      delete reinterpret_cast<ToastRequestInfo*>(lParam);
                                      ++m_nToasts;
                                  }
                                  return 0;
                              });
    }
    ~CToastCounter() { RemoveMainWindowSink(); }
    int Count() const { return m_nToasts; }

private:
    std::atomic<int> m_nToasts{0};
};

class PrintCtrlProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        std::filesystem::copy_file(ZELKOR_STUB_AGENT_LIB, m_Folder.File("libNUBEQ_IF.so"));
        m_Folder.WriteFile("Config.ini", TestDataFile("store/Config.ini"));
        m_Folder.WriteFile("Store_Orgin.dat", TestDataFile("store/Store_Orgin.dat"));
        m_pAgent = std::make_unique<CNubeqDllMngr>();
        m_Setting.SetConfigFilePath(m_Folder.File("Config.ini").c_str());
        m_pPrint = std::make_unique<CPrintCtrlProcess>(m_Toast, *m_pAgent, m_Setting);
    }

    void ConfigurePrinters(const SPrinterConfig& first, const SPrinterConfig& second)
    {
        ASSERT_TRUE(testsupport::WritePrinterConfig(m_Folder.File("Config.ini"), first, second));
        ASSERT_EQ(1, m_Setting.ReadFilePrintInfo(1));
    }

    // A serial port whose device does not exist: every open fails at once.
    int MissingSerialPort()
    {
        std::filesystem::create_directories(m_Folder.File("dosdevices"));
        std::filesystem::create_symlink(m_Folder.File("no-such-device"),
                                        m_Folder.File("dosdevices/com7"));
        return 7;
    }

    // Every report message queued so far, in order.
    std::vector<std::pair<int, std::string>> Reports()
    {
        std::vector<std::pair<int, std::string>> vecReports;
        while (m_Toast.ToastQueueCount() > 0) {
            int nLevel = 0;
            std::string strMsg;
            if (m_Toast.PopToastQueueCtrlData(nLevel, strMsg) == 1) {
                vecReports.emplace_back(nLevel, strMsg);
            }
        }
        return vecReports;
    }

    std::vector<Json::Value> Journal()
    {
        std::vector<Json::Value> vecLines;
        std::istringstream stream(m_Folder.ReadFile("agent_journal.jsonl"));
        std::string strLine;
        while (std::getline(stream, strLine)) {
            vecLines.push_back(ParseJson(strLine));
        }
        return vecLines;
    }

    static std::string OrderArray(std::initializer_list<const char*> orders)
    {
        std::string strArray = "[";
        for (const char* pszOrder : orders) {
            strArray += (strArray.size() > 1 ? "," : "") + TestDataFile(pszOrder);
        }
        return strArray + "]";
    }

    CTempProgramFolder m_Folder;
    CPrinterSetting m_Setting;
    CToastCtrlProcess m_Toast;
    std::unique_ptr<CNubeqDllMngr> m_pAgent;
    std::unique_ptr<CPrintCtrlProcess> m_pPrint;
};

TEST(PrintCtrlProcessTextTest, PrintTypeText)
{
    struct SCase
    {
        int nType;
        int nMode;
        const char* pszText;
    } cases[] = {
        {0x7, 0, "주문서/영수증 프린트 요청"},
        {0x1, 3, "주문서 프린트 요청 [취소재출력] "},
        {0x6, 2, "영수증 프린트 요청 [취소] "},
        {0x4, 1, "영수증 프린트 요청 [재출력] "},
        {0x10000001, 0, "주문서/테스트 프린트 요청"},
        {0x0, 0, " 프린트 요청"},
        {0x107, 3, "매출 내역"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(Utf8FromCp949(c.pszText),
                  Utf8FromCp949(CPrintCtrlProcess::MakePrintTypeText(c.nType, c.nMode)))
            << std::hex << c.nType << " mode " << c.nMode;
    }
}

TEST(PrintCtrlProcessTextTest, RealUsePrintTypeAndConfiguredPorts)
{
    PrintInfo network;
    network.PortType = 1;
    SetPrintInfoText(network.LanPrintIP, std::string("10.0.0.9"));
    network.LanPrintPort = 9100;
    PrintInfo serial;
    serial.Port = 3;
    serial.BaudRate = 9600;
    PrintInfo spooler;
    spooler.PortType = 2;
    SetPrintInfoText(spooler.UsbName, std::string("Kitchen"));
    PrintInfo slowSerial = serial;
    slowSerial.BaudRate = 4800;
    PrintInfo noAddress = network;
    noAddress.LanPrintIP[0] = '\0';
    PrintInfo unknownType = network;
    unknownType.PortType = 3;
    EXPECT_EQ(1, CPrintCtrlProcess::IsSetPrinterData(&network));
    EXPECT_EQ(1, CPrintCtrlProcess::IsSetPrinterData(&serial));
    EXPECT_EQ(1, CPrintCtrlProcess::IsSetPrinterData(&spooler));
    EXPECT_EQ(0, CPrintCtrlProcess::IsSetPrinterData(&slowSerial));
    EXPECT_EQ(0, CPrintCtrlProcess::IsSetPrinterData(&noAddress));
    EXPECT_EQ(0, CPrintCtrlProcess::IsSetPrinterData(&unknownType));
    EXPECT_EQ(0, CPrintCtrlProcess::IsSetPrinterData(nullptr));

    struct SCase
    {
        const char* pszName;
        int nUse;
        int nRcp;
        const PrintInfo* pPort;
        int nType;
        int nMode;
        int bAnySheet;
        int bAnyReceipt;
        int nExpected;
    } cases[] = {
        {"sheet printer, accept", 1, 0, &network, 0x7, 0, 1, 1, 0x1},
        {"receipt printer, accept", 0, 1, &network, 0x7, 0, 1, 1, 0x6},
        {"both, sales bit never", 1, 1, &network, 0x107, 0, 1, 1, 0x7},
        {"reprint, nobody prints sheets", 0, 1, &network, 0x1, 1, 0, 1, 0x1},
        {"reprint, unconfigured port", 0, 0, &noAddress, 0x7, 1, 0, 0, 0x0},
        {"reprint, other printer prints sheets", 0, 1, &network, 0x1, 1, 1, 1, 0x0},
        {"first print, nobody prints anything", 0, 0, &network, 0x7, 0, 0, 0, 0x0},
        {"reprint, nobody prints receipts", 1, 0, &serial, 0x6, 3, 1, 0, 0x6},
    };
    for (const SCase& c : cases) {
        PrintInfo info = *c.pPort;
        info.Use = c.nUse;
        info.Rcp = c.nRcp;
        EXPECT_EQ(c.nExpected, CPrintCtrlProcess::GetRealUsePrintType(c.nType, &info, c.nMode,
                                                                      c.bAnySheet, c.bAnyReceipt))
            << c.pszName;
    }
    EXPECT_EQ(0, CPrintCtrlProcess::GetRealUsePrintType(0x7, nullptr, 1, 0, 0));
}

TEST(PrintCtrlProcessTextTest, IncludeStatusData)
{
    struct SCase
    {
        const char* pszData;
        const char* pszStatus;
        int nExpected;
    } cases[] = {
        {"[{\"status\":\"ACCEPTED\"},{\"status\":\"COMPLETED\"}]", "COMPLETED", 1},
        {"[{\"status\":\"COMPLETED \"}]", "COMPLETED", 0},
        {"[{\"status\":\"completed\"}]", "COMPLETED", 0},
        {"[{\"status\":7},{\"status\":\"CANCELED\"}]", "CANCELED", 1},
        {"[{\"no\":\"1\"}]", "CANCELED", 0},
        {"[]", "COMPLETED", 0},
        {"not json", "COMPLETED", 0},
        {"[[1],{\"status\":\"CANCELED\"}]", "CANCELED", 1},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(c.nExpected, CPrintCtrlProcess::IsIncludeStatusData(c.pszData, c.pszStatus))
            << c.pszData;
    }
}

// The event table: each event's documents and mode show in the request text
// of the report that an unreadable order (an element that is no object)
// produces on printer 1.
TEST_F(PrintCtrlProcessTest, EventTableChoosesTypesAndModes)
{
    CTcpListener printer;
    ConfigurePrinters({.nUse = 1, .nRcp = 1, .nLanPort = printer.Port()}, {});
    const char* pszBroken = "{\"status\":\"%s\"},5";
    auto broken = [&](const char* pszStatus) {
        char szOrder[128];
        std::snprintf(szOrder, sizeof(szOrder), pszBroken, pszStatus);
        return std::string("[") + szOrder + "]";
    };
    struct SCase
    {
        int nEventId;
        std::string strData;
        const char* pszReport; // the first report message
        const char* pszType;   // requested type in the log
    } cases[] = {
        {36001, broken("NEW"),
         "[CPrintCtrlProcess::PrintOrderData] KITCHEN Jsondata 세팅 실패 (주문서/영수증 프린트 "
         "요청)\r\nNo : ",
         "요청Type(00000007)"},
        {36003, broken("NEW"),
         "[CPrintCtrlProcess::PrintOrderData] KITCHEN Jsondata 세팅 실패 (주문서/영수증 프린트 "
         "요청)\r\nNo : ",
         "요청Type(00000007)"},
        {36006, broken("COMPLETED"),
         "[CPrintCtrlProcess::PrintOrderData] KITCHEN Jsondata 세팅 실패 (영수증 프린트 요청 "
         "[취소] )\r\nNo : ",
         "요청Type(00000006)"},
        {36101, broken("ACCEPTED"),
         "[CPrintCtrlProcess::PrintOrderData] KITCHEN Jsondata 세팅 실패 (주문서 프린트 요청 "
         "[취소] )\r\nNo : ",
         "요청Type(00000001)"},
        {36102, broken("CANCELED"),
         "[CPrintCtrlProcess::PrintOrderData] KITCHEN Jsondata 세팅 실패 (주문서 프린트 요청 "
         "[취소재출력] )\r\nNo : ",
         "요청Type(00000001)"},
        {36102, broken("COMPLETED"),
         "[CPrintCtrlProcess::PrintOrderData] KITCHEN Jsondata 세팅 실패 (주문서 프린트 요청 "
         "[재출력] )\r\nNo : ",
         "요청Type(00000001)"},
        {36103, broken("COMPLETED"),
         "[CPrintCtrlProcess::PrintOrderData] KITCHEN Jsondata 세팅 실패 (영수증 프린트 요청 "
         "[재출력] )\r\nNo : ",
         "요청Type(00000006)"},
        {36104, broken("CANCELED"),
         "[CPrintCtrlProcess::PrintOrderData] KITCHEN Jsondata 세팅 실패 (영수증 프린트 요청 "
         "[취소재출력] )\r\nNo : ",
         "요청Type(00000006)"},
        {36105, "[1]", "[CPrintCtrlProcess::PrintSalesData] KITCHEN Jsondata 세팅 실패 (매출 내역)",
         "요청Type(00000100)"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.nEventId);
        const size_t nLogBefore = m_Folder.ReadCurrentLog().size();
        EXPECT_EQ(0, m_pPrint->PrintProcess(c.nEventId, c.strData));
        std::vector<std::pair<int, std::string>> reports = Reports();
        // The order never prints, so the printer is tried in every pass.
        ASSERT_EQ(4u, reports.size());
        EXPECT_EQ(0, reports[0].first);
        EXPECT_EQ(Utf8FromCp949(c.pszReport), Utf8FromCp949(reports[0].second));
        const std::string strLog = m_Folder.ReadCurrentLog().substr(nLogBefore);
        EXPECT_NE(std::string::npos, strLog.find(c.pszType));
        // Failed documents are not open failures.
        EXPECT_EQ(0, m_pPrint->FailCount());
    }

    // A completion prints nothing; an unknown event is refused and reported once.
    const int nConnections = printer.Connections();
    EXPECT_EQ(0, m_pPrint->PrintProcess(36002, OrderArray({"orders/pickup_order.json"})));
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(6, m_pPrint->PrintProcess(36999, OrderArray({"orders/pickup_order.json"})));
    std::vector<std::pair<int, std::string>> reports = Reports();
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(0, reports[0].first);
    EXPECT_EQ(Utf8FromCp949("[CPrintCtrlProcess::PrintProcess] 지원하지 않는 타입 [Event ID : "
                            "36999]  ( 프린트 요청)"),
              Utf8FromCp949(reports[0].second));
    EXPECT_NE(std::string::npos,
              m_Folder.ReadCurrentLog().find(
                  "[CPrintCtrlProcess::PrintProcess] EventID [36999] Not Support"));
    EXPECT_EQ(nConnections, printer.Connections());
}

TEST_F(PrintCtrlProcessTest, WorkerPrintsAnAcceptedOrderOnPrinterOne)
{
    CTcpListener printer;
    ConfigurePrinters({.nUse = 1, .nRcp = 1, .nLanPort = printer.Port()}, {});
    ASSERT_EQ(0, m_pPrint->StartCtrlProcess());
    ASSERT_EQ(1, m_pPrint->PushQueueCtrlData(36001, OrderArray({"orders/pickup_order.json"})));
    ASSERT_EQ(1, m_pPrint->PushQueueCtrlData(36001, "[]"));
    ASSERT_EQ(1, m_pPrint->PushQueueCtrlData(36999, "[]"));

    // The kitchen order sheet and the customer receipt (no delivery receipt
    // for a pickup order), then the job's end.
    std::string strLog;
    for (int i = 0; i < 200; ++i) {
        strLog = m_Folder.ReadCurrentLog();
        if (strLog.find("EventID [36999] Not Support") != std::string::npos) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(printer.WaitForClientClose(5000));
    const std::string strBytes = printer.Received();
    EXPECT_EQ(2, CutCount(strBytes));
    EXPECT_EQ(1, printer.Connections());
    EXPECT_EQ(0, m_pPrint->FailCount());
    for (const char* pszLine : {
             "[CPrintCtrlProcess::PrintProcess] EventInfo [36001]",
             "[CPrintCtrlProcess::PrintProcess] 주문 수락(or 자동 수락) 프린트!!!",
             "[CPrintCtrlProcess::PrintOrderData] 프린터(1) 출력 요청... 주문서출력설정(1) "
             "영수증출력설정(1), 요청Type(00000007) / 출력Type(00000007)",
             "[CPrintCtrlProcess::PrintOrderData] Printer(1) Success. Delete Try List",
             "[CPrintCtrlProcess::PrintOrderData] 프린터(2) 출력 할게 없음... 주문서출력설정(0) "
             "영수증출력설정(0), 요청Type(00000007) / 출력Type(00000000), AnyUse(1:1)",
             "[CPrintCtrlProcess::PrintOrderData] Parsing 실패, Array Size 0",
             "[CPrintCtrlProcess::PrintProcess] EventID [36001] PrintType [7] Print Fail...",
             "[CPrintCtrlProcess::ThreadPrintCtrlProcess] Print Fail... EventType [36001]",
             "[CPrintCtrlProcess::ThreadPrintCtrlProcess] Print Fail... EventType [36999]",
         }) {
        EXPECT_NE(std::string::npos, strLog.find(pszLine)) << Utf8FromCp949(pszLine);
    }
    std::vector<std::pair<int, std::string>> reports = Reports();
    ASSERT_EQ(1u, reports.size()); // the unsupported event only
    m_pPrint.reset();
    EXPECT_NE(std::string::npos, m_Folder.ReadCurrentLog().find(
                                     "[CPrintCtrlProcess::ThreadPrintCtrlProcess] Set Exit Event"));
}

TEST_F(PrintCtrlProcessTest, SheetAndReceiptPrintersShareTheDocuments)
{
    CTcpListener kitchen;
    CTcpListener counter;
    ConfigurePrinters({.nUse = 1, .nLanPort = kitchen.Port()},
                      {.nRcp = 1, .nLanPort = counter.Port()});
    EXPECT_EQ(0, m_pPrint->PrintProcess(36001, OrderArray({"orders/pickup_order.json",
                                                           "orders/delivery_order.json"})));
    EXPECT_TRUE(kitchen.WaitForClientClose(5000));
    EXPECT_TRUE(counter.WaitForClientClose(5000));
    // Two order sheets on the kitchen printer; the pickup order's receipt and
    // the delivery order's delivery receipt on the counter printer.
    EXPECT_EQ(2, CutCount(kitchen.Received()));
    EXPECT_EQ(2, CutCount(counter.Received()));
    EXPECT_EQ(1, kitchen.Connections());
    EXPECT_EQ(1, counter.Connections());
    const std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(std::string::npos, strLog.find("요청Type(00000007) / 출력Type(00000001)"));
    EXPECT_NE(std::string::npos, strLog.find("요청Type(00000007) / 출력Type(00000006)"));
    EXPECT_NE(std::string::npos, strLog.find("Printer(1) Success. Delete Try List"));
    EXPECT_NE(std::string::npos, strLog.find("Printer(2) Success. Delete Try List"));
    // The event is parsed once; each printer reads each order's print data
    // once, and nothing else does (the first order's number for the
    // messages is read from the parsed order).
    EXPECT_EQ(4u, testsupport::Count(strLog, "RECV_DATA : ["));
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(0, m_pPrint->LastJobUnprintedCount());
}

// A printer that is down for the first pass and back for the second has
// printed: the job's outcome says so, although the failed pass was reported.
TEST_F(PrintCtrlProcessTest, PrinterBackOnTheRetryCountsAsPrinted)
{
    CToastCounter window;
    const int nPort = CTcpListener::FreePort();
    ConfigurePrinters({.nUse = 1, .nRcp = 1, .nLanPort = nPort}, {});
    std::unique_ptr<CTcpListener> pPrinter;
    int nOpens = 0;
    m_pPrint->SetPrinterFactory([&]() {
        // The second open finds the printer listening again.
        if (++nOpens == 2) {
            CTcpListener::Options options;
            options.nPort = nPort;
            pPrinter = std::make_unique<CTcpListener>(options);
        }
        return std::make_unique<CPrinterCommunicate>();
    });
    EXPECT_EQ(0, m_pPrint->PrintProcess(36001, OrderArray({"orders/pickup_order.json"})));
    ASSERT_NE(nullptr, pPrinter);
    EXPECT_TRUE(pPrinter->WaitForClientClose(5000));
    EXPECT_EQ(2, CutCount(pPrinter->Received()));
    EXPECT_EQ(1, window.Count());
    EXPECT_EQ(0, m_pPrint->FailCount());
    EXPECT_EQ(0, m_pPrint->LastJobUnprintedCount());
}

TEST_F(PrintCtrlProcessTest, RefusingPrinterIsTriedInFourPassesTheOtherPrintsOnce)
{
    CToastCounter window;
    CTcpListener counter;
    ConfigurePrinters({.nUse = 1, .nRcp = 1, .nLanPort = CTcpListener::FreePort()},
                      {.nUse = 1, .nRcp = 1, .nLanPort = counter.Port()});
    EXPECT_EQ(0, m_pPrint->PrintProcess(36001, OrderArray({"orders/pickup_order.json"})));
    const std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_EQ(4u, Occurrences(strLog, "[CPrintCtrlProcess::PrintOrderData] 프린터(1) 오픈 실패. "
                                      "포트 타입(1) ;0=시리얼, 1=네트워크, 2=USB"));
    for (int i = 1; i <= 4; ++i) {
        const std::string strLine = "Print Open Fail... FailCount [" + std::to_string(i) + "]";
        EXPECT_NE(std::string::npos, strLog.find(strLine)) << strLine;
    }
    EXPECT_EQ(4, m_pPrint->FailCount());
    EXPECT_EQ(1, m_pPrint->LastJobUnprintedCount());
    EXPECT_EQ(4, window.Count()); // one print-failure toast per failed pass
    EXPECT_EQ(1, counter.Connections());
    EXPECT_EQ(2, CutCount(counter.Received()));
    EXPECT_TRUE(Reports().empty()); // the level-1 report waits for the fifth pass
}

TEST_F(PrintCtrlProcessTest, FifthOpenFailureSendsOneLevelOneReport)
{
    CToastCounter window;
    ConfigurePrinters({.nUse = 1, .nRcp = 1, .nComPort = MissingSerialPort()}, {});
    m_pPrint->SetFailCount(4);
    EXPECT_EQ(0, m_pPrint->PrintProcess(36103, OrderArray({"orders/pickup_order.json"})));
    std::vector<std::pair<int, std::string>> reports = Reports();
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(1, reports[0].first);
    EXPECT_EQ(Utf8FromCp949("[CPrintCtrlProcess::PrintOrderData] 프린터 포트 오픈 실패 (영수증 "
                            "프린트 요청 [재출력] )\r\nNo : 20231208120501000456"),
              Utf8FromCp949(reports[0].second));
    // Reset at five, then three more failed passes of the same job.
    EXPECT_EQ(3, m_pPrint->FailCount());
    EXPECT_EQ(4, window.Count());

    // A sales report without a receipt printer: the pop-up, and the count
    // goes on.
    ConfigurePrinters({.nUse = 1, .nComPort = 7}, {});
    EXPECT_EQ(0, m_pPrint->PrintProcess(36105, TestDataFile("sales/month.json")));
    EXPECT_EQ(4, m_pPrint->FailCount());
    std::vector<Json::Value> journal = Journal();
    ASSERT_EQ(1u, journal.size());
    EXPECT_EQ("SHOW_POPUP", journal[0]["args"]["key"].asString());
    EXPECT_EQ("영수증 프린터 설정을 확인해주세요.",
              ParseJson(journal[0]["args"]["type"].asString())["message"].asString());
}

TEST_F(PrintCtrlProcessTest, ReprintWithoutAnyPrinterAsksTheAgentOnce)
{
    CToastCounter window;
    ConfigurePrinters({}, {});
    EXPECT_EQ(0, m_pPrint->PrintProcess(36102, OrderArray({"orders/pickup_order.json"})));
    std::vector<Json::Value> journal = Journal();
    ASSERT_EQ(1u, journal.size());
    EXPECT_EQ("RequestJob", journal[0]["call"].asString());
    EXPECT_EQ("SHOW_POPUP", journal[0]["args"]["key"].asString());
    const std::string strPopup = journal[0]["args"]["type"].asString();
    Json::Value popup = ParseJson(strPopup);
    EXPECT_EQ("주문서 프린터 설정을 확인해주세요.", popup["message"].asString());
    EXPECT_EQ("", popup["type"].asString());
    EXPECT_NE(std::string::npos, strPopup.find("\n   \"message\" : ")); // styled form
    EXPECT_EQ(1, m_pPrint->FailCount());
    EXPECT_EQ(0, window.Count());
    EXPECT_TRUE(Reports().empty());
    const std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(std::string::npos,
              strLog.find("[CPrintCtrlProcess::PrintOrderData] NOTIFY_MESSAGE RequestJob Type [1] "
                          "Start"));
    EXPECT_NE(std::string::npos,
              strLog.find("[CNubeqDllMngr::Call_RequestJob] key : SHOW_POPUP strType : "));

    // The agent refusing the pop-up is logged.
    m_Folder.WriteFile("agent_stub.ini", "[RESULTS]\nRequestJob=0\n");
    EXPECT_EQ(0, m_pPrint->PrintProcess(36102, OrderArray({"orders/pickup_order.json"})));
    EXPECT_NE(
        std::string::npos,
        m_Folder.ReadCurrentLog().find(
            "[CPrintCtrlProcess::PrintOrderData] NOTIFY_MESSAGE RequestJob Fail... Error [0]"));
    EXPECT_EQ(2, m_pPrint->FailCount());
}

TEST_F(PrintCtrlProcessTest, ReprintWithNoSheetPrinterPrintsOnEveryConfiguredPrinter)
{
    CTcpListener first;
    CTcpListener second;
    ConfigurePrinters({.nRcp = 1, .nLanPort = first.Port()}, {.nLanPort = second.Port()});
    EXPECT_EQ(0, m_pPrint->PrintProcess(36102, OrderArray({"orders/pickup_order.json"})));
    EXPECT_TRUE(first.WaitForClientClose(5000));
    EXPECT_TRUE(second.WaitForClientClose(5000));
    EXPECT_EQ(1, CutCount(first.Received()));
    EXPECT_EQ(1, CutCount(second.Received()));
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(0, m_pPrint->FailCount());
}

// The paper sensor of network printers, asked before the job and after its
// last cut. Out of paper before: not printed, tried again, reported. Out of
// paper after: printed, reported and shown. A printer that does not answer,
// or whose check is switched off, prints as before.
TEST_F(PrintCtrlProcessTest, PaperSensorDecidesAndReports)
{
    struct Case
    {
        const char* pszFault; // "" for a printer with paper
        int nStatusCheck;
        size_t nReceipts;      // cut on the printer
        int nConnections;      // passes that reached it
        int nUnprinted;        // LastJobUnprintedCount
        int nPaperReports;     // level-1 reports with "paper out"
        int nToasts;           // print-failure and paper-out toasts
        size_t nRequests;      // DLE EOT 4 on the first connection
        size_t nNoAnswerLines; // the INFO line of a printer that does not answer
    };
    const Case cases[] = {
        {"", 1, 2, 1, 0, 0, 0, 2, 0},
        {"paper-near-end", 1, 2, 1, 0, 0, 0, 2, 0},
        {"no-status", 1, 2, 1, 0, 0, 0, 1, 1},
        {"paper-end", 1, 0, PRINT_MAX_PASS_COUNT, 1, PRINT_MAX_PASS_COUNT, PRINT_MAX_PASS_COUNT, 1,
         0},
        {"paper-end-after=2", 1, 2, 1, 0, 1, 1, 2, 0},
        {"paper-end", 0, 2, 1, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pszFault) + " check " + std::to_string(c.nStatusCheck));
        CToastCounter window;
        std::vector<std::string> vecFaults;
        if (c.pszFault[0] != '\0') {
            vecFaults.push_back(c.pszFault);
        }
        const std::string strOut =
            m_Folder.File(std::string("vprinter-") + c.pszFault + std::to_string(c.nStatusCheck));
        testsupport::CVirtualPrinter printer(ZELKOR_VPRINTER_EXE, strOut, vecFaults);
        ASSERT_GT(printer.Port(), 0);
        ConfigurePrinters(
            {.nUse = 1, .nRcp = 1, .nLanPort = printer.Port(), .nStatusCheck = c.nStatusCheck}, {});
        const size_t nLogBefore = m_Folder.ReadCurrentLog().size();
        EXPECT_EQ(0, m_pPrint->PrintProcess(36001, OrderArray({"orders/pickup_order.json"})));

        EXPECT_EQ(c.nUnprinted, m_pPrint->LastJobUnprintedCount());
        EXPECT_EQ(c.nReceipts, printer.WaitForReceipts(2, c.nReceipts > 0 ? 10000 : 300).size());
        EXPECT_EQ(c.nConnections, printer.Connections());
        EXPECT_EQ(c.nRequests, Occurrences(printer.Connection(1), "\x10\x04\x04"));
        int nPaperReports = 0;
        for (const auto& [nLevel, strMsg] : Reports()) {
            if (strMsg.find("paper out") != std::string::npos) {
                EXPECT_EQ(1, nLevel) << strMsg;
                ++nPaperReports;
            }
        }
        EXPECT_EQ(c.nPaperReports, nPaperReports);
        EXPECT_EQ(c.nToasts, window.Count());
        const std::string strLog = m_Folder.ReadCurrentLog().substr(nLogBefore);
        EXPECT_EQ(c.nNoAnswerLines, Occurrences(strLog, "the printer does not answer DLE EOT 4"));
    }
}

} // namespace
