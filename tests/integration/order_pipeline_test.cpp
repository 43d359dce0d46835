// The order pipeline as the program runs it: the event, print and toast
// workers together, the stand-in agent library loaded through
// CNubeqDllMngr, virtual printers on loopback TCP, a receipt printer behind
// the CUPS queue and the report webhook on a local TLS server.
#include "agent/nubeq_dll_mngr.h"
#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "foundation/window_sink.h"
#include "pipeline/event_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "printing/printer_setting.h"
#include "printing/socket_port.h"
#include "tests/support/cp949.h"
#include "tests/support/cups_server.h"
#include "tests/support/fake_clock.h"
#include "tests/support/printer_config.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/tls_server.h"
#include "tests/support/vprinter_process.h"
#include "tools/print/print_job_watch.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using testsupport::CCupsServer;
using testsupport::CFakeClock;
using testsupport::CTempProgramFolder;
using testsupport::CTestCertificateAuthority;
using testsupport::CTlsServer;
using testsupport::CVirtualPrinter;
using testsupport::ParseJson;
using testsupport::SPrinterConfig;
using testsupport::TestDataFile;
using testsupport::UnnumberedPickupOrders;
using testsupport::Utf8FromCp949;

constexpr int kWaitMs = 20000;
const char* const kWebhookPath =
    "/services/1234567890123456789/9876543210987654321/AbCdEfGhIjKlMnOpQr_-09";

// Positions just past each cut (ESC i) of a printer's byte stream.
std::vector<size_t> CutEnds(const std::string& strBytes)
{
    std::vector<size_t> vecEnds;
    for (size_t nPos = strBytes.find("\x1bi"); nPos != std::string::npos;
         nPos = strBytes.find("\x1bi", nPos + 2)) {
        vecEnds.push_back(nPos + 2);
    }
    return vecEnds;
}

class OrderPipelineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        std::filesystem::copy_file(ZELKOR_STUB_AGENT_LIB, m_Folder.File("libNUBEQ_IF.so"));
        m_Folder.WriteFile("Store_Orgin.dat", TestDataFile("store/Store_Orgin.dat"));
        m_Folder.WriteFile("ca.pem", m_Ca.CertificatePem());
        m_Folder.WriteFile("NUBEQ_SHOPINFO.ini", "[COMMON]\r\nshopname=젤코르 치킨\r\n"
                                                 "registernumber=123-45-67890\r\nposid=POS01\r\n"
                                                 "shopid=S100\r\n");
        m_Folder.WriteFile("Config.ini", TestDataFile("store/Config.ini") +
                                             "[ORDER]\r\nStartNo=1\r\nLastNo=12\r\n"
                                             "LastDate=20260305\r\n"
                                             "[WEBHOOK]\r\nHost=https://127.0.0.1:" +
                                             std::to_string(m_Webhook.Port()) +
                                             "\r\nPathRelease=" + kWebhookPath +
                                             "\r\nCaFile=" + m_Folder.File("ca.pem") + "\r\n");
        PrinterSetting().SetConfigFilePath(m_Folder.File("Config.ini").c_str());
        InstallMainWindowSink([](unsigned, uintptr_t, intptr_t) { return true; },
                              [this](unsigned nMsg, uintptr_t, intptr_t lParam) -> intptr_t {
                                  if (nMsg == WM_TRAY_SHOW_TOAST) {
                                      delete reinterpret_cast<ToastRequestInfo*>(lParam);
                                      ++m_nFailToasts;
                                  }
                                  return 0;
                              });
    }

    void TearDown() override
    {
        StopWorkers();
        RemoveMainWindowSink();
    }

    // Stops and destroys the workers, event worker first (it feeds the
    // print worker), the agent library last.
    void StopWorkers()
    {
        m_pEvent.reset();
        m_pPrint.reset();
        m_pToast.reset();
        m_pAgent.reset();
        m_vecEvents.clear();
        m_nJobs = 0;
    }

    void Configure(const SPrinterConfig& first, const SPrinterConfig& second)
    {
        ASSERT_TRUE(testsupport::WritePrinterConfig(m_Folder.File("Config.ini"), first, second));
        ASSERT_EQ(1, PrinterSetting().ReadFilePrintInfo(1));
    }

    // The three workers of the program, started.
    void StartWorkers()
    {
        m_pAgent = std::make_unique<CNubeqDllMngr>();
        ASSERT_TRUE(m_pAgent->IsLoaded());
        m_pToast = std::make_unique<CToastCtrlProcess>();
        m_pPrint = std::make_unique<CPrintJobWatch>(*m_pToast, *m_pAgent, PrinterSetting());
        m_pEvent = std::make_unique<CEventCtrlProcess>(*m_pPrint, m_pToast.get(), *m_pAgent,
                                                       PrinterSetting());
        m_pEvent->SetEventObserver([this](int, int nResult, bool bForwarded) {
            std::lock_guard<std::mutex> guard(m_Lock);
            m_vecEvents.emplace_back(nResult, bForwarded);
            m_Done.notify_all();
        });
        ASSERT_EQ(0, m_pToast->StartCtrlProcess());
        ASSERT_EQ(0, m_pPrint->StartCtrlProcess());
        ASSERT_EQ(0, m_pEvent->StartCtrlProcess());
    }

    // Pushes an agent event as the agent's callback does and waits until
    // the event worker has handled it and, when it was forwarded, the print
    // job has ended. The event result.
    int Push(int nEventId, const std::string& strData)
    {
        std::unique_lock<std::mutex> guard(m_Lock);
        const size_t nBefore = m_vecEvents.size();
        EXPECT_EQ(1, m_pEvent->PushQueueCtrlData(nEventId, strData));
        m_Done.wait(guard, [&] { return m_vecEvents.size() > nBefore; });
        const auto outcome = m_vecEvents.back();
        guard.unlock();
        if (outcome.second) {
            m_pPrint->WaitJobs(++m_nJobs);
        }
        return outcome.first;
    }

    // The SendData answers in the stand-in's journal.
    std::vector<Json::Value> SentAnswers()
    {
        std::vector<Json::Value> vecAnswers;
        std::istringstream stream(m_Folder.ReadFile("agent_journal.jsonl"));
        std::string strLine;
        while (std::getline(stream, strLine)) {
            Json::Value line = ParseJson(strLine);
            if (line["call"].asString() == "SendData") {
                vecAnswers.push_back(ParseJson(line["args"]["data"].asString()));
            }
        }
        return vecAnswers;
    }

    std::string PrinterFolder(const char* pszName) { return m_Folder.File(pszName); }

    CFakeClock m_Clock{2026, 3, 5, 12, 0, 0};
    CTempProgramFolder m_Folder;
    CTestCertificateAuthority m_Ca{"Zelkor Integration CA"};
    CTlsServer m_Webhook{m_Ca, [] {
                             CTlsServer::Options options;
                             options.strReply = CTlsServer::HttpReply("200 OK", "ok");
                             return options;
                         }()};
    std::unique_ptr<CNubeqDllMngr> m_pAgent;
    std::unique_ptr<CToastCtrlProcess> m_pToast;
    std::unique_ptr<CPrintJobWatch> m_pPrint;
    std::unique_ptr<CEventCtrlProcess> m_pEvent;
    std::atomic<int> m_nFailToasts{0};
    std::mutex m_Lock;
    std::condition_variable m_Done;
    std::vector<std::pair<int, bool>> m_vecEvents;
    int m_nJobs = 0;
};

// Two unnumbered pickup orders: the agent's answer numbers them 12 and 13,
// the kitchen printer gets both sheets and the counter printer both
// receipts, each with its number, and the next number is 14.
TEST_F(OrderPipelineTest, AcceptedOrdersAreNumberedAnsweredAndPrintedOnBothPrinters)
{
    CVirtualPrinter kitchen(ZELKOR_VPRINTER_EXE, PrinterFolder("kitchen"));
    CVirtualPrinter counter(ZELKOR_VPRINTER_EXE, PrinterFolder("counter"));
    Configure({.nUse = 1, .nLanPort = kitchen.Port()}, {.nRcp = 1, .nLanPort = counter.Port()});
    StartWorkers();

    ASSERT_EQ(EVENT_RESULT_PRINT, Push(36001, UnnumberedPickupOrders(2)));

    const std::vector<Json::Value> answers = SentAnswers();
    ASSERT_EQ(1u, answers.size());
    ASSERT_EQ(2u, answers[0].size());
    EXPECT_EQ("12", answers[0][0]["waitNo"].asString());
    EXPECT_EQ("13", answers[0][1]["waitNo"].asString());
    EXPECT_EQ("ACCEPTED", answers[0][1]["status"].asString());
    EXPECT_EQ(14, PrinterSetting().GetOrderCurrentWaitNo());

    EXPECT_EQ(0, m_pPrint->LastJobUnprintedCount());
    // Each document carries its own number.
    const char* waitNoLines[] = {"C|{BHW}주문번호:12{/}|", "C|{BHW}주문번호:13{/}|"};
    for (const CVirtualPrinter* pPrinter : {&kitchen, &counter}) {
        const std::vector<std::string> vecTexts = pPrinter->WaitForReceipts(2, kWaitMs);
        ASSERT_EQ(2u, vecTexts.size());
        for (int i = 0; i < 2; ++i) {
            EXPECT_NE(std::string::npos, vecTexts[i].find(Utf8FromCp949(waitNoLines[i])))
                << vecTexts[i];
        }
        EXPECT_EQ(1, pPrinter->Connections());
    }
    EXPECT_NE(std::string::npos,
              counter.WaitForReceipts(1, kWaitMs)[0].find(Utf8FromCp949("영수증")));
    EXPECT_EQ(0, m_nFailToasts);
    EXPECT_EQ(0, m_Webhook.Connections());
}

// The counter printer behind the CUPS queue: the receipt goes through the
// spooler as one raw job.
TEST_F(OrderPipelineTest, ReceiptPrinterBehindTheSpoolerGetsTheReceipt)
{
    std::string strError;
    CCupsServer* pCups = CCupsServer::Shared(strError);
    ASSERT_NE(nullptr, pCups) << strError;
    const size_t nBefore = pCups->Printer().Received().size();
    CVirtualPrinter kitchen(ZELKOR_VPRINTER_EXE, PrinterFolder("kitchen"));
    Configure({.nUse = 1, .nLanPort = kitchen.Port()},
              {.nRcp = 1, .pszUsb = CCupsServer::RAW_QUEUE});
    StartWorkers();

    ASSERT_EQ(EVENT_RESULT_PRINT, Push(36001, UnnumberedPickupOrders(1)));
    EXPECT_EQ(0, m_pPrint->LastJobUnprintedCount());
    EXPECT_EQ(1u, kitchen.WaitForReceipts(1, kWaitMs).size());
    std::string strSpooled;
    for (int nWaited = 0; nWaited < kWaitMs; nWaited += 20) {
        strSpooled = pCups->Printer().Received().substr(nBefore);
        if (CutEnds(strSpooled).size() >= 1 && strSpooled.size() >= 2 &&
            strSpooled.compare(strSpooled.size() - 2, 2, "\x1b@") == 0) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(1u, CutEnds(strSpooled).size());
    EXPECT_NE(std::string::npos, strSpooled.find("영수증"));
    EXPECT_NE(std::string::npos, strSpooled.find("12"));
}

// A printer whose port never opens: the fifth failed pass in a row is
// reported, and the toast worker posts that report to the webhook over
// TLS; the shop also sees the print-failure toast.
TEST_F(OrderPipelineTest, OpenFailureReportReachesTheWebhook)
{
    std::filesystem::create_directories(m_Folder.File("dosdevices"));
    std::filesystem::create_symlink(m_Folder.File("no-such-device"),
                                    m_Folder.File("dosdevices/com7"));
    Configure({.nUse = 1, .nRcp = 1, .nComPort = 7}, {});
    StartWorkers();
    m_pPrint->SetFailCount(4);

    ASSERT_EQ(EVENT_RESULT_PRINT, Push(36001, UnnumberedPickupOrders(1)));
    EXPECT_EQ(1, m_pPrint->LastJobUnprintedCount());
    ASSERT_TRUE(m_Webhook.WaitForConnectionsEnded(1, kWaitMs));
    const std::vector<std::string> vecRequests = m_Webhook.Requests();
    ASSERT_EQ(1u, vecRequests.size());
    EXPECT_EQ(0u, vecRequests[0].find(std::string("POST ") + kWebhookPath + " HTTP/1.0\r\n"));
    const std::string strBody = vecRequests[0].substr(vecRequests[0].find("\r\n\r\n") + 4);
    const Json::Value body = ParseJson(strBody);
    EXPECT_EQ(Utf8FromCp949("[CPrintCtrlProcess::PrintOrderData] 프린터 포트 오픈 실패 "
                            "(주문서/영수증 프린트 요청)\r\nNo : P1"),
              body["text"].asString())
        << strBody;
    EXPECT_EQ("orange", body["attachments"][0]["color"].asString());
    EXPECT_EQ(PRINT_MAX_PASS_COUNT, m_nFailToasts);
}

// The kitchen printer hangs up in the middle of the second of four orders:
// the job is printed on it again, whole, in the next pass, and the counter
// printer, which printed everything the first time, is not printed twice.
TEST_F(OrderPipelineTest, PrinterDroppingMidJobGetsTheJobAgainTheOtherPrintsOnce)
{
    const std::string strOrders = UnnumberedPickupOrders(4);
    // The job's bytes on a healthy printer show where its second order is.
    std::string strReference;
    {
        CVirtualPrinter kitchen(ZELKOR_VPRINTER_EXE, PrinterFolder("reference"));
        Configure({.nUse = 1, .nLanPort = kitchen.Port()}, {});
        StartWorkers();
        ASSERT_EQ(EVENT_RESULT_PRINT, Push(36001, strOrders));
        ASSERT_EQ(4u, kitchen.WaitForReceipts(4, kWaitMs).size());
        strReference = kitchen.Connection(1);
        StopWorkers();
    }
    const std::vector<size_t> vecCuts = CutEnds(strReference);
    ASSERT_EQ(4u, vecCuts.size());
    const size_t nDropAt = (vecCuts[0] + vecCuts[1]) / 2;

    // Same numbers again: the event takes 12 to 15 once more.
    PrinterSetting().SetOrderCurrentWaitNo(12, 0);
    CVirtualPrinter kitchen(ZELKOR_VPRINTER_EXE, PrinterFolder("kitchen"),
                            {"close-after=" + std::to_string(nDropAt), "first=1"});
    CVirtualPrinter counter(ZELKOR_VPRINTER_EXE, PrinterFolder("counter"));
    Configure({.nUse = 1, .nLanPort = kitchen.Port()}, {.nRcp = 1, .nLanPort = counter.Port()});
    StartWorkers();
    ASSERT_EQ(EVENT_RESULT_PRINT, Push(36001, strOrders));

    EXPECT_EQ(0, m_pPrint->LastJobUnprintedCount());
    EXPECT_EQ(strReference, kitchen.WaitForConnection(2, strReference.size(), kWaitMs));
    EXPECT_EQ(nDropAt, kitchen.Connection(1).size());
    EXPECT_EQ(2, kitchen.Connections());
    // A second counter connection would have come after the kitchen's.
    EXPECT_EQ("", counter.WaitForConnection(2, 1, 500));
    EXPECT_EQ(4u, counter.WaitForReceipts(4, kWaitMs).size());
}

// The kitchen printer takes the connection and then stops reading: in the
// middle of the first order of a short job (its close finds the bytes
// unread), or from the start of a larger one (the close waits in vain for
// the printer to take what is left in the socket buffer). The job cannot end on it: every pass
// fails on it and it is tried again, the failures are reported to the webhook and shown as toasts,
// the counter printer prints once, and the job ends after its four passes.
TEST_F(OrderPipelineTest, StalledKitchenPrinterIsRetriedAndReportedTheCounterPrints)
{
    struct Case
    {
        const char* pszFault;
        int nOrders;
        const char* pszPortLine; // how the port saw the stall
    };
    const Case cases[] = {
        {"stall-after=200", 2, "the printer reset the connection with bytes unread"},
        {"no-read", 30, "the printer did not take the last bytes within 1000 ms"},
    };
    CSocketPort::SetStallMs(1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszFault);
        PrinterSetting().SetOrderCurrentWaitNo(12, 0);
        const size_t nLogBefore = m_Folder.ReadCurrentLog().size();
        const int nWebhookBefore = m_Webhook.Connections();
        m_nFailToasts = 0;
        CVirtualPrinter kitchen(ZELKOR_VPRINTER_EXE, PrinterFolder(c.pszFault), {c.pszFault});
        CVirtualPrinter counter(ZELKOR_VPRINTER_EXE,
                                PrinterFolder((std::string("counter-") + c.pszFault).c_str()));
        Configure({.nUse = 1, .nLanPort = kitchen.Port()}, {.nRcp = 1, .nLanPort = counter.Port()});
        StartWorkers();

        ASSERT_EQ(EVENT_RESULT_PRINT, Push(36001, UnnumberedPickupOrders(c.nOrders)));

        EXPECT_EQ(1, m_pPrint->LastJobUnprintedCount());
        EXPECT_EQ(static_cast<size_t>(c.nOrders),
                  counter.WaitForReceipts(c.nOrders, kWaitMs).size());
        EXPECT_EQ(1, counter.Connections());
        // The printer serves one connection at a time: the later passes'
        // connections reach it as it lets go of the earlier ones.
        kitchen.WaitForConnection(PRINT_MAX_PASS_COUNT, 0, kWaitMs);
        EXPECT_EQ(PRINT_MAX_PASS_COUNT, kitchen.Connections());
        EXPECT_TRUE(kitchen.WaitForReceipts(1, 200).empty());
        EXPECT_EQ(PRINT_MAX_PASS_COUNT, m_nFailToasts);
        const std::string strLog = m_Folder.ReadCurrentLog().substr(nLogBefore);
        EXPECT_NE(std::string::npos, strLog.find(c.pszPortLine));
        // Reports of the failed passes reach the webhook.
        ASSERT_TRUE(
            m_Webhook.WaitForConnectionsEnded(nWebhookBefore + PRINT_MAX_PASS_COUNT, kWaitMs));
        const std::vector<std::string> vecRequests = m_Webhook.Requests();
        ASSERT_LT(static_cast<size_t>(nWebhookBefore), vecRequests.size());
        const std::string& strRequest = vecRequests[static_cast<size_t>(nWebhookBefore)];
        const std::string strBody = strRequest.substr(strRequest.find("\r\n\r\n") + 4);
        EXPECT_NE(std::string::npos,
                  ParseJson(strBody)["text"].asString().find(Utf8FromCp949("출력 실패")))
            << strBody;
        StopWorkers();
    }
    CSocketPort::SetStallMs(CSocketPort::DEFAULT_STALL_MS);
}

} // namespace
