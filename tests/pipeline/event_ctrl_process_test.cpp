// CEventCtrlProcess on a real worker thread, with the stand-in agent
// library answering SendData and a print control (not started) whose queue
// shows what was forwarded to printing.
#include "agent/nubeq_dll_mngr.h"
#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "foundation/window_sink.h"
#include "pipeline/event_ctrl_process.h"
#include "pipeline/print_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "printing/printer_setting.h"
#include "tests/support/fake_clock.h"
#include "tests/support/program_folder.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/test_data.h"

#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/value.h>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using testsupport::CFakeClock;
using testsupport::CTempProgramFolder;
using testsupport::ParseJson;
using testsupport::TestDataFile;

struct SOrder
{
    const char* pszNo;
    const char* pszService = "PICKUP";
    const char* pszSubService = "";
    const char* pszReserve = "N";
    const char* pszWaitNo = "";
    const char* pszSource = "KIOSK";
    bool bCourts = true;
};

Json::Value MakeOrder(const SOrder& order)
{
    Json::Value value(Json::objectValue);
    value["no"] = order.pszNo;
    value["serviceType"] = order.pszService;
    value["subServiceType"] = order.pszSubService;
    value["reserveFlag"] = order.pszReserve;
    value["waitNo"] = order.pszWaitNo;
    value["sourceType"] = order.pszSource;
    value["menus"] = Json::Value(Json::arrayValue);
    if (order.bCourts) {
        Json::Value court(Json::objectValue);
        court["courtNo"] = "C1";
        court["status"] = "NEW";
        value["courts"].append(court);
    }
    return value;
}

std::string Orders(std::initializer_list<SOrder> orders)
{
    Json::Value array(Json::arrayValue);
    for (const SOrder& order : orders) {
        array.append(MakeOrder(order));
    }
    return CjsonCtrl::StyledText(array);
}

class EventCtrlProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        std::filesystem::copy_file(ZELKOR_STUB_AGENT_LIB, m_Folder.File("libNUBEQ_IF.so"));
        m_Folder.WriteFile("Config.ini", "[POS]\nStoreId=ST1\n[STORE]\nName=Shop\n"
                                         "[PRINTER]\nPrintOrigin=1\n"
                                         "[ORDER]\nStartNo=1\nLastNo=12\nLastDate=20260305\n");
        m_Setting.SetConfigFilePath(m_Folder.File("Config.ini").c_str());
        ASSERT_EQ(1, m_Setting.ReadFilePrintInfo(1));
        ASSERT_EQ(12, m_Setting.GetOrderCurrentWaitNo());
        m_pAgent = std::make_unique<CNubeqDllMngr>();
        m_pPrint = std::make_unique<CPrintCtrlProcess>(m_Toast, *m_pAgent, m_Setting);
        m_pEvent = std::make_unique<CEventCtrlProcess>(*m_pPrint, nullptr, *m_pAgent, m_Setting);
        m_pEvent->SetEventObserver([this](int, int nResult, bool) {
            std::lock_guard<std::mutex> guard(m_Lock);
            m_vecResults.push_back(nResult);
            m_Done.notify_all();
        });
    }

    void TearDown() override { RemoveMainWindowSink(); }

    // Pushes one event through the worker; its result.
    int Run(int nEventId, const std::string& strData)
    {
        if (!m_pEvent->IsRunning()) {
            EXPECT_EQ(0, m_pEvent->StartCtrlProcess());
        }
        std::unique_lock<std::mutex> guard(m_Lock);
        size_t nBefore = m_vecResults.size();
        EXPECT_EQ(1, m_pEvent->PushQueueCtrlData(nEventId, strData));
        m_Done.wait(guard, [&] { return m_vecResults.size() > nBefore; });
        return m_vecResults.back();
    }

    // Everything forwarded to printing so far.
    std::vector<std::pair<int, std::string>> Forwarded()
    {
        std::vector<std::pair<int, std::string>> vecItems;
        int nEvent = 0;
        std::string strData;
        while (m_pPrint->DataQueueCount() > 0 && m_pPrint->PopQueueCtrlData(nEvent, strData) == 1) {
            vecItems.emplace_back(nEvent, strData);
        }
        return vecItems;
    }

    // The SendData calls in the stand-in's journal: command and data.
    std::vector<std::pair<std::string, std::string>> SentData()
    {
        std::vector<std::pair<std::string, std::string>> vecSent;
        std::istringstream stream(m_Folder.ReadFile("agent_journal.jsonl"));
        std::string strLine;
        while (std::getline(stream, strLine)) {
            Json::Value line = ParseJson(strLine);
            if (line["call"].asString() == "SendData") {
                vecSent.emplace_back(line["args"]["command"].asString(),
                                     line["args"]["data"].asString());
            }
        }
        return vecSent;
    }

    CFakeClock m_Clock{2026, 3, 5, 12, 0, 0};
    CTempProgramFolder m_Folder;
    CPrinterSetting m_Setting;
    CToastCtrlProcess m_Toast;
    std::unique_ptr<CNubeqDllMngr> m_pAgent;
    std::unique_ptr<CPrintCtrlProcess> m_pPrint;
    std::unique_ptr<CEventCtrlProcess> m_pEvent;
    std::mutex m_Lock;
    std::condition_variable m_Done;
    std::vector<int> m_vecResults;
};

TEST_F(EventCtrlProcessTest, EventTableAnswersAndForwards)
{
    struct SCase
    {
        int nEventId;
        std::string strData;
        int nResult;
        bool bForwarded;
        const char* pszCommand; // SendData command, or null when none is sent
    } cases[] = {
        {36001, Orders({{"A1"}}), 0, true, "ACCEPTED"},
        {36003, Orders({{"A2"}}), 0, true, "ACCEPTED_AUTO"},
        {36002, Orders({{"A3"}}), 0, true, "COMPLETED"},
        {36002, Orders({{.pszNo = "A4", .pszSource = "COUPANG_APP"}}), 1, false, "COMPLETED"},
        {36001, Orders({{"A5"}, {.pszNo = "A6", .pszSource = "BAEMIN_APP"}}), 1, false, "ACCEPTED"},
        {36001, "[{\"no\":", 1, false, "FAILED"},
        {36004, "", 0, false, nullptr},
        {36005, "", 0, false, nullptr},
        {36006, Orders({{.pszNo = "A7", .pszSource = "YOGIYO_APP"}}), 1, false, nullptr},
        {36101, Orders({{"A8"}}), 0, true, nullptr},
        {36102, Orders({{.pszNo = "A9", .pszSource = "COUPANG_APP"}}), 0, true, nullptr},
        {36103, Orders({{"B1"}}), 0, true, nullptr},
        {36104, Orders({{"B2"}}), 0, true, nullptr},
        {36105, "{\"sales\":[]}", 0, true, nullptr},
        {36999, "[]", 50, false, nullptr},
    };
    size_t nSent = 0;
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.nEventId);
        EXPECT_EQ(c.nResult, Run(c.nEventId, c.strData));
        auto forwarded = Forwarded();
        ASSERT_EQ(c.bForwarded ? 1u : 0u, forwarded.size());
        if (c.bForwarded) {
            EXPECT_EQ(c.nEventId, forwarded[0].first);
        }
        auto sent = SentData();
        ASSERT_EQ(nSent + (c.pszCommand != nullptr ? 1 : 0), sent.size());
        if (c.pszCommand != nullptr) {
            EXPECT_EQ(c.pszCommand, sent.back().first);
            ++nSent;
        }
    }
    // The unparseable accept got the failure document.
    Json::Value failure = ParseJson(SentData()[5].second);
    ASSERT_EQ(1u, failure.size());
    EXPECT_EQ(std::vector<std::string>{"message"}, failure[0].getMemberNames());
    EXPECT_EQ("장애접수를 진행해주시기 바랍니다.", failure[0]["message"].asString());
    // A1, A2, A5 and A6 took numbers; the failed document took none.
    EXPECT_EQ(16, m_Setting.GetOrderCurrentWaitNo());
    const std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(std::string::npos,
              strLog.find("[CEventCtrlProcess::EventProcess] EventID [36999] Not Support"));
    EXPECT_NE(std::string::npos,
              strLog.find("[CEventCtrlProcess::ThreadEventCtrlProcess] Push Print Queue "
                          "EventType [36105]"));
}

// Two pickup orders without numbers at current number 12: the answer and
// the printed data carry 12 and 13, and the current number moves to 14,
// only when the agent takes the answer.
TEST_F(EventCtrlProcessTest, AcceptRenumbersOrdersWhenTheAgentTakesTheAnswer)
{
    struct SCase
    {
        const char* pszSendResult;
        int nCurrentAfter;
        size_t nForwarded;
    } cases[] = {{"1", 14, 1}, {"0", 12, 0}};
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszSendResult);
        m_Folder.WriteFile("agent_stub.ini",
                           std::string("[RESULTS]\nSendData=") + c.pszSendResult + "\n");
        m_Setting.SetOrderCurrentWaitNo(12, 0);
        EXPECT_EQ(c.nForwarded == 1 ? 0 : 1,
                  Run(36001, Orders({{.pszNo = "P1"}, {.pszNo = "P2", .pszWaitNo = "null"}})));
        EXPECT_EQ(c.nCurrentAfter, m_Setting.GetOrderCurrentWaitNo());
        EXPECT_EQ(std::to_string(c.nCurrentAfter),
                  IniGetString("ORDER", "LastNo", "", m_Folder.File("Config.ini").c_str()));

        const std::string strAnswer = SentData().back().second;
        // Members in name order, all values strings.
        const size_t nCourts = strAnswer.find("\"courts\"");
        const size_t nOrderNo = strAnswer.find("\"orderNo\"");
        const size_t nStatus = strAnswer.find("\"status\"", nOrderNo);
        const size_t nWaitNo = strAnswer.find("\"waitNo\"", nStatus);
        EXPECT_TRUE(nCourts < nOrderNo && nOrderNo < nStatus && nStatus < nWaitNo) << strAnswer;
        Json::Value answer = ParseJson(strAnswer);
        ASSERT_EQ(2u, answer.size());
        const char* waitNos[] = {"12", "13"};
        for (Json::ArrayIndex i = 0; i < 2; ++i) {
            EXPECT_EQ((std::vector<std::string>{"courts", "orderNo", "status", "waitNo"}),
                      answer[i].getMemberNames());
            EXPECT_EQ(i == 0 ? "P1" : "P2", answer[i]["orderNo"].asString());
            EXPECT_EQ("ACCEPTED", answer[i]["status"].asString());
            EXPECT_EQ(waitNos[i], answer[i]["waitNo"].asString());
            EXPECT_EQ("ACCEPTED", answer[i]["courts"][0]["status"].asString());
            EXPECT_EQ(waitNos[i], answer[i]["courts"][0]["waitNo"].asString());
            EXPECT_EQ("C1", answer[i]["courts"][0]["courtNo"].asString());
        }
        auto forwarded = Forwarded();
        ASSERT_EQ(c.nForwarded, forwarded.size());
        if (c.nForwarded == 1) {
            Json::Value printed = ParseJson(forwarded[0].second);
            ASSERT_EQ(2u, printed.size());
            EXPECT_EQ("12", printed[0]["waitNo"].asString());
            EXPECT_EQ("13", printed[1]["waitNo"].asString());
            EXPECT_EQ("P2", printed[1]["no"].asString());
        }
    }
}

TEST_F(EventCtrlProcessTest, ResultDocumentsByOrderKind)
{
    struct SCase
    {
        const char* pszName;
        std::string strStatus;
        SOrder order;
        bool bReplaced;             // the data became the renumbered order
        const char* pszCourtWaitNo; // null: the court has no "waitNo"
        std::vector<std::string> vecMembers;
    } cases[] = {
        {"delivery",
         "ACCEPTED",
         {.pszNo = "D1", .pszService = "DELIVERY", .pszSubService = "DELIVERY"},
         false,
         nullptr,
         {"courts", "orderNo", "status", "waitNo"}},
        {"pickup delivery",
         "ACCEPTED",
         {.pszNo = "D2", .pszService = "PICKUP", .pszSubService = "DELIVERY"},
         false,
         nullptr,
         {"courts", "orderNo", "status", "waitNo"}},
        {"own number",
         "ACCEPTED",
         {.pszNo = "W1", .pszWaitNo = "77"},
         false,
         "20",
         {"courts", "orderNo", "status", "waitNo"}},
        {"no courts",
         "ACCEPTED",
         {.pszNo = "N1", .bCourts = false},
         true,
         nullptr,
         {"orderNo", "status", "waitNo"}},
        {"completed",
         "COMPLETED",
         {.pszNo = "C9"},
         false,
         nullptr,
         {"billNo", "courts", "orderNo", "status"}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        const std::string strOriginal = Orders({c.order});
        std::string strData = strOriginal;
        std::string strResult;
        int nCount = 0;
        int nOutside = 0;
        ASSERT_EQ(1, m_pEvent->MakeSendJsonDataFormat(strResult, strData, 20, nCount, c.strStatus,
                                                      nOutside));
        EXPECT_EQ(c.strStatus == "COMPLETED" ? 0 : 1, nCount);
        EXPECT_EQ(0, nOutside);
        Json::Value result = ParseJson(strResult);
        ASSERT_EQ(1u, result.size());
        EXPECT_EQ(c.vecMembers, result[0].getMemberNames());
        EXPECT_EQ(c.order.pszNo, result[0]["orderNo"].asString());
        if (c.strStatus == "COMPLETED") {
            EXPECT_EQ("-", result[0]["billNo"].asString());
        } else {
            EXPECT_EQ("20", result[0]["waitNo"].asString());
        }
        if (c.order.bCourts) {
            const Json::Value& court = result[0]["courts"][0];
            EXPECT_EQ(c.strStatus, court["status"].asString());
            EXPECT_EQ(c.pszCourtWaitNo != nullptr, court.isMember("waitNo"));
            if (c.pszCourtWaitNo != nullptr) {
                EXPECT_EQ(c.pszCourtWaitNo, court["waitNo"].asString());
            }
        }
        if (c.bReplaced) {
            EXPECT_EQ("20", ParseJson(strData)[0]["waitNo"].asString());
        } else {
            EXPECT_EQ(strOriginal, strData);
        }
    }
    std::string strBroken = "not json";
    std::string strResult;
    int nCount = 0;
    int nOutside = 0;
    EXPECT_EQ(
        0, m_pEvent->MakeSendJsonDataFormat(strResult, strBroken, 1, nCount, "ACCEPTED", nOutside));
    EXPECT_EQ(0, nCount);
}

// A mixed accept: the renumbered orders replace their originals and the
// others (one with its own number, a delivery order) stay as received, so
// every accepted order is printed.
TEST_F(EventCtrlProcessTest, MixedNumberingPrintsEveryOrder)
{
    std::string strData = Orders({{.pszNo = "M1", .pszWaitNo = "5"},
                                  {.pszNo = "M2"},
                                  {.pszNo = "M3", .pszService = "DELIVERY"}});
    std::string strResult;
    int nCount = 0;
    int nOutside = 0;
    ASSERT_EQ(
        1, m_pEvent->MakeSendJsonDataFormat(strResult, strData, 30, nCount, "ACCEPTED", nOutside));
    EXPECT_EQ(3, nCount);
    Json::Value printed = ParseJson(strData);
    ASSERT_EQ(3u, printed.size());
    const char* expected[][2] = {{"M1", "5"}, {"M2", "31"}, {"M3", ""}};
    for (Json::ArrayIndex i = 0; i < 3; ++i) {
        EXPECT_EQ(expected[i][0], printed[i]["no"].asString());
        EXPECT_EQ(expected[i][1], printed[i]["waitNo"].asString());
    }
}

TEST_F(EventCtrlProcessTest, OutsideAppOrders)
{
    struct SCase
    {
        std::string strData;
        bool bOutside;
    } cases[] = {
        {Orders({{"O1"}, {.pszNo = "O2", .pszSource = "BAEMIN_APP"}}), true},
        {Orders({{.pszNo = "O3", .pszSource = "COUPANG_APP"}}), true},
        {Orders({{.pszNo = "O4", .pszSource = "YOGIYO_APP"}}), true},
        {Orders({{.pszNo = "O5", .pszSource = "yogiyo_app"}}), false},
        {Orders({{"O6"}}), false},
        {"[1, {\"sourceType\":\"BAEMIN_APP\"}]", true},
        {"garbage", false},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(c.bOutside, CEventCtrlProcess::IsIncludeHookingOrder(c.strData)) << c.strData;
    }
}

TEST_F(EventCtrlProcessTest, SettingsPushedByTheServiceGoIntoConfigIni)
{
    m_Folder.WriteFile("Config.ini", "[PRINTER]\nPrinter1Use=1\nPrinter2Use=0\n"
                                     "[ORDER]\nStartNo=1\nLastNo=3\n[STORE]\nName=Shop\n");
    const std::string strConfig = m_Folder.File("Config.ini");
    const char* pszConfig = strConfig.c_str();
    EXPECT_EQ(0, Run(36604, R"([
        {"section":"ORDER","key":"StartNo","value":"100"},
        {"section":"ORDER","key":"LastNo","value":"NULL"},
        {"section":"STORE","key":"Tel","value":""},
        {"section":"STORE","key":"Addr","value":"Seoul"},
        {"section":"PRINTER","key":"NULL","value":"anything"}])"));
    EXPECT_EQ("100", IniGetString("ORDER", "StartNo", "-", pszConfig));
    EXPECT_EQ("-", IniGetString("ORDER", "LastNo", "-", pszConfig));
    EXPECT_EQ("Seoul", IniGetString("STORE", "Addr", "-", pszConfig));
    EXPECT_EQ("Shop", IniGetString("STORE", "Name", "-", pszConfig));
    EXPECT_EQ(std::string::npos, m_Folder.ReadFile("Config.ini").find("[PRINTER]"));
    EXPECT_EQ(std::string::npos, m_Folder.ReadFile("Config.ini").find("Printer1Use"));
    // The store is not re-read.
    EXPECT_EQ(1, m_Setting.GetOrderStartWaitNo());
    EXPECT_TRUE(Forwarded().empty());
}

TEST_F(EventCtrlProcessTest, ShopEventsPostMessagesToTheMainWindow)
{
    std::mutex lock;
    std::vector<std::pair<unsigned, uintptr_t>> vecPosted;
    std::vector<intptr_t> vecLParams;
    InstallMainWindowSink(
        [&](unsigned nMsg, uintptr_t wParam, intptr_t lParam) {
            std::lock_guard<std::mutex> guard(lock);
            vecPosted.emplace_back(nMsg, wParam);
            vecLParams.push_back(lParam);
            return true;
        },
        [](unsigned, uintptr_t, intptr_t) -> intptr_t { return 0; });
    for (int nEventId : {36600, 36601, 36602, 36603, 36605}) {
        EXPECT_EQ(0, Run(nEventId, ""));
    }
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_EQ((std::vector<std::pair<unsigned, uintptr_t>>{
                  {3024, 0}, {3025, 0}, {3026, 0}, {0x0111, 32777}, {3024, 0}}),
              vecPosted);
    EXPECT_EQ(std::vector<intptr_t>(5, 0), vecLParams);
    // The logout removed the shop's sections.
    const std::string strConfig = m_Folder.ReadFile("Config.ini");
    for (const char* pszSection : {"[STORE]", "[ORDER]", "[POS]"}) {
        EXPECT_EQ(std::string::npos, strConfig.find(pszSection)) << pszSection;
    }
    EXPECT_NE(std::string::npos, strConfig.find("[PRINTER]"));
    EXPECT_TRUE(Forwarded().empty());
}

TEST_F(EventCtrlProcessTest, ShowSettingsWithoutMainWindowIsLogged)
{
    EXPECT_EQ(0, Run(36603, ""));
    EXPECT_NE(std::string::npos,
              m_Folder.ReadCurrentLog().find(
                  "[CEventCtrlProcess::EventProcess] Cannot show setting menu."));
}

// A program running over midnight: the first accepted order of the new day
// gets the start number, the next one follows on.
TEST_F(EventCtrlProcessTest, FirstOrderAfterMidnightGetsTheStartNumber)
{
    m_Clock.Set(2026, 3, 5, 23, 59, 59);
    EXPECT_EQ(0, Run(36001, Orders({{"E1"}})));
    EXPECT_EQ("12", ParseJson(Forwarded()[0].second)[0]["waitNo"].asString());
    EXPECT_EQ(13, m_Setting.GetOrderCurrentWaitNo());

    m_Clock.Set(2026, 3, 6, 0, 0, 5);
    EXPECT_EQ(0, Run(36001, Orders({{"F1"}})));
    EXPECT_EQ("1", ParseJson(Forwarded()[0].second)[0]["waitNo"].asString());
    EXPECT_EQ("1", ParseJson(SentData().back().second)[0]["waitNo"].asString());
    EXPECT_EQ(0, Run(36003, Orders({{"F2"}})));
    EXPECT_EQ("2", ParseJson(Forwarded()[0].second)[0]["waitNo"].asString());
    EXPECT_EQ(3, m_Setting.GetOrderCurrentWaitNo());
    EXPECT_EQ("20260306",
              IniGetString("ORDER", "LastDate", "", m_Folder.File("Config.ini").c_str()));
}

// A program started on a later day starts at the start number.
TEST_F(EventCtrlProcessTest, WorkerStartedOnANewDayStartsAtTheStartNumber)
{
    m_Clock.Set(2026, 3, 7, 9, 0, 0);
    EXPECT_EQ(0, Run(36004, ""));
    EXPECT_EQ(1, m_Setting.GetOrderCurrentWaitNo());
}

// A print queue that stays full (a printer holding every job for its
// passes): the accepted order waits for room, logging each second, and goes
// into the queue as soon as there is some. Nothing the agent was told is
// accepted is dropped.
TEST_F(EventCtrlProcessTest, AcceptedOrderWaitsForRoomInAFullPrintQueue)
{
    while (m_pPrint->DataQueueCount() < m_pPrint->DataQueueCapacity()) {
        ASSERT_EQ(1, m_pPrint->PushQueueCtrlData(36102, "[]"));
    }
    ASSERT_EQ(0, m_pEvent->StartCtrlProcess());
    ASSERT_EQ(1, m_pEvent->PushQueueCtrlData(36001, Orders({{"Q1"}})));
    const std::string strWait = "Print Queue Full [100], Waiting For Room... EventType [36001]";
    for (int i = 0; i < 300 && m_Folder.ReadCurrentLog().find(strWait) == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(m_Folder.ReadCurrentLog().find(strWait), std::string::npos);
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        EXPECT_TRUE(m_vecResults.empty()); // still waiting
    }
    ASSERT_EQ(1u, SentData().size()); // the agent has its answer
    EXPECT_EQ(13, m_Setting.GetOrderCurrentWaitNo());

    int nEvent = 0;
    std::string strData;
    ASSERT_EQ(1, m_pPrint->PopQueueCtrlData(nEvent, strData)); // room for one
    {
        std::unique_lock<std::mutex> guard(m_Lock);
        ASSERT_TRUE(m_Done.wait_for(guard, std::chrono::seconds(10),
                                    [&] { return !m_vecResults.empty(); }));
        EXPECT_EQ(EVENT_RESULT_PRINT, m_vecResults[0]);
    }
    const auto forwarded = Forwarded();
    ASSERT_EQ(100u, forwarded.size());
    EXPECT_EQ(36001, forwarded.back().first);
    EXPECT_EQ("12", ParseJson(forwarded.back().second)[0]["waitNo"].asString());
    EXPECT_EQ(m_Folder.ReadCurrentLog().find("Queue Put Fail"), std::string::npos);
}

// The wait for room ends with the exit request, so the program can stop.
TEST_F(EventCtrlProcessTest, StopEndsTheWaitForRoom)
{
    while (m_pPrint->DataQueueCount() < m_pPrint->DataQueueCapacity()) {
        ASSERT_EQ(1, m_pPrint->PushQueueCtrlData(36102, "[]"));
    }
    ASSERT_EQ(0, m_pEvent->StartCtrlProcess());
    ASSERT_EQ(1, m_pEvent->PushQueueCtrlData(36001, Orders({{"Q1"}})));
    for (int i = 0; i < 300 && SentData().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(1u, SentData().size());
    m_pEvent.reset();
    const std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("Exit Requested While The Print Queue Is Full... EventType [36001]"),
              std::string::npos);
    EXPECT_EQ(strLog.find("Destructor Thread Exit Timeout"), std::string::npos);
}

// Config.ini on a full disk: the number cannot be saved. The accept is
// still answered and printed, the numbers count on in memory, and the
// failure is logged and reported at level 0.
TEST_F(EventCtrlProcessTest, WaitNumberThatCannotBeSavedIsReportedAndCountsOn)
{
    testsupport::CSmallTmpfs disk(64);
    if (!disk.Mounted()) {
        GTEST_SKIP() << disk.Why();
    }
    const std::string strConfig = disk.File("Config.ini");
    std::filesystem::copy_file(m_Folder.File("Config.ini"), strConfig);
    m_Setting.SetConfigFilePath(strConfig.c_str());
    ASSERT_EQ(1, m_Setting.ReadFilePrintInfo(1));
    ASSERT_TRUE(disk.Fill());

    EXPECT_EQ(0, Run(36001, Orders({{"D1"}})));
    EXPECT_EQ(0, Run(36001, Orders({{"D2"}})));
    EXPECT_EQ("13", ParseJson(SentData().back().second)[0]["waitNo"].asString());
    EXPECT_EQ(14, m_Setting.GetOrderCurrentWaitNo());
    EXPECT_EQ(2u, Forwarded().size());
    EXPECT_EQ("12", IniGetString("ORDER", "LastNo", "", strConfig.c_str()));
    EXPECT_EQ(2, m_pEvent->WaitNoSaveFailures());
    EXPECT_NE(m_Folder.ReadCurrentLog().find(
                  "[ERROR] [CEventCtrlProcess::EventProcess] WaitNo [14] Not Saved In Config.ini "
                  "(cannot save the wait number)"),
              std::string::npos);
    int nLevel = -1;
    std::string strReport;
    ASSERT_EQ(1, m_Toast.PopToastQueueCtrlData(nLevel, strReport));
    EXPECT_EQ(0, nLevel);
    EXPECT_NE(strReport.find("cannot save the wait number) WaitNo [13]"), std::string::npos)
        << strReport;

    // Room again: the next accept saves the number it counted to.
    disk.Empty();
    EXPECT_EQ(0, Run(36001, Orders({{"D3"}})));
    EXPECT_EQ("15", IniGetString("ORDER", "LastNo", "", strConfig.c_str()));
    m_pEvent.reset();
}

// A burst of accepts while Config.ini's sync is held (a slow disk): every
// accept is answered with its number already renamed into the file, none
// waits for the sync, and one sync after the held one covers them all. The
// stop drains it, so the program ends with the last number synced.
TEST_F(EventCtrlProcessTest, BurstOfAcceptsNeverWaitsForTheSync)
{
    std::mutex lock;
    std::condition_variable changed;
    bool bHold = true;
    int nEntered = 0;
    std::vector<std::string> vecSynced; // LastNo in the file at each sync
    const std::string strConfig = m_Folder.File("Config.ini");
    m_pEvent->SetConfigSync([&] {
        std::unique_lock<std::mutex> guard(lock);
        ++nEntered;
        changed.notify_all();
        changed.wait(guard, [&] { return !bHold; });
        vecSynced.push_back(IniGetString("ORDER", "LastNo", "", strConfig.c_str()));
        return m_Setting.SyncConfigFile() == 1;
    });
    ASSERT_EQ(0, m_pEvent->StartCtrlProcess());
    for (const char* pszNo : {"B1", "B2", "B3", "B4", "B5"}) {
        ASSERT_EQ(1, m_pEvent->PushQueueCtrlData(36001, Orders({{pszNo}})));
    }
    {
        // A worker that waited for the held sync would never get here.
        std::unique_lock<std::mutex> guard(m_Lock);
        ASSERT_TRUE(m_Done.wait_for(guard, std::chrono::seconds(10),
                                    [&] { return m_vecResults.size() == 5; }))
            << m_vecResults.size() << " of 5 accepts handled";
        EXPECT_EQ(std::vector<int>(5, EVENT_RESULT_PRINT), m_vecResults);
    }
    // All answered and in the file while the first sync is still held.
    EXPECT_EQ("16", ParseJson(SentData().back().second)[0]["waitNo"].asString());
    EXPECT_EQ("17", IniGetString("ORDER", "LastNo", "", strConfig.c_str()));
    EXPECT_EQ(5u, Forwarded().size());
    EXPECT_EQ(0u, m_pEvent->ConfigSyncRuns());
    {
        std::lock_guard<std::mutex> guard(lock);
        bHold = false;
        changed.notify_all();
    }
    m_pEvent.reset();
    ASSERT_FALSE(vecSynced.empty());
    EXPECT_LE(vecSynced.size(), 2u);
    EXPECT_EQ("17", vecSynced.back());
    EXPECT_EQ(m_Folder.ReadCurrentLog().find("Sync Fail"), std::string::npos);
}

// A sync that fails (Config.ini gone before it ran) is logged as before
// and counted; the accept itself was answered and printed.
TEST_F(EventCtrlProcessTest, FailedSyncOfTheNumberIsLogged)
{
    const std::string strConfig = m_Folder.File("Config.ini");
    m_pEvent->SetConfigSync([&] {
        std::filesystem::remove(strConfig);
        return m_Setting.SyncConfigFile() == 1;
    });
    EXPECT_EQ(0, Run(36001, Orders({{"F1"}})));
    EXPECT_EQ(1u, Forwarded().size());
    ASSERT_TRUE(m_pEvent->DrainConfigSync(-1));
    EXPECT_EQ(1, m_pEvent->ConfigSyncFailures());
    EXPECT_NE(m_Folder.ReadCurrentLog().find(
                  "[ERROR] [CPrinterSetting::SyncConfigFile] Sync Fail [" + strConfig + "]"),
              std::string::npos);
}

} // namespace
