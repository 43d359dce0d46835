// CToastCtrlProcess against a local TLS webhook and a fake main window:
// the posted JSON, the endpoint choice, refusals, the worker, and the
// print-failure toast handed synchronously to the window.
#include "foundation/window_sink.h"
#include "pipeline/toast_ctrl_process.h"
#include "platform/program_names.h"
#include "printing/printer_setting.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"
#include "tests/support/tls_server.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <sstream>
#include <thread>

namespace {

using testsupport::CTestCertificateAuthority;
using testsupport::CTlsServer;
using testsupport::Utf8FromCp949;

const std::string kReleasePath =
    "/services/1234567890123456789/9876543210987654321/AbCdEfGhIjKlMnOpQr_-09";
const std::string kTestPath =
    "/services/1111111111111111111/2222222222222222222/zzzzzzzzzzzzzzzzzzzzzz";

int CountOf(const std::string& strText, const std::string& strNeedle)
{
    int nCount = 0;
    for (size_t nPos = strText.find(strNeedle); nPos != std::string::npos;
         nPos = strText.find(strNeedle, nPos + 1)) {
        ++nCount;
    }
    return nCount;
}

// The JSON body of a recorded request (UTF-8 on the wire).
Json::Value BodyOf(const std::string& strRequest)
{
    Json::Value root;
    size_t nBody = strRequest.find("\r\n\r\n");
    std::istringstream stream(nBody == std::string::npos ? "" : strRequest.substr(nBody + 4));
    Json::CharReaderBuilder builder;
    std::string strErrors;
    Json::parseFromStream(builder, stream, &root, &strErrors);
    return root;
}

class ToastCtrlProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        m_Folder.WriteFile("ca.pem", m_Ca.CertificatePem());
        m_Folder.WriteFile("NUBEQ_SHOPINFO.ini", "[COMMON]\r\nshopname=젤코르 분식\r\n"
                                                 "registernumber=123-45-67890\r\nposid=POS01\r\n"
                                                 "shopid=S100\r\n");
        PrinterSetting().SetConfigFilePath(m_Folder.File("Config.ini").c_str());
    }

    void WriteConfig(int nPort, const std::string& strRelease = kReleasePath,
                     const std::string& strHostLine = "")
    {
        std::string strHost = strHostLine.empty()
                                  ? "Host=https://127.0.0.1:" + std::to_string(nPort) + "\r\n"
                                  : strHostLine;
        m_Folder.WriteFile("Config.ini", "[WEBHOOK]\r\n" + strHost + "PathTest=" + kTestPath +
                                             "\r\nPathRelease=" + strRelease +
                                             "\r\nBotIconImage=https://img.example/bot.png\r\n"
                                             "CaFile=" +
                                             m_Folder.File("ca.pem") + "\r\n");
    }

    static CTlsServer::Options Reply200()
    {
        CTlsServer::Options options;
        options.strReply = CTlsServer::HttpReply("200 OK", "ok");
        return options;
    }

    testsupport::CTempProgramFolder m_Folder;
    CTestCertificateAuthority m_Ca{"Zelkor Test CA"};
};

TEST(ToastWebhookPath, Form)
{
    struct SCase
    {
        std::string strPath;
        bool bValid;
    };
    const SCase cases[] = {
        {kReleasePath, true},
        {kTestPath, true},
        {"", false},
        {kReleasePath.substr(0, 71), false},
        {kReleasePath + "A", false},
        {"/servicez/1234567890123456789/9876543210987654321/AbCdEfGhIjKlMnOpQr_-09", false},
        {"/services/123456789012345678X/9876543210987654321/AbCdEfGhIjKlMnOpQr_-09", false},
        {"/services/1234567890123456789-9876543210987654321/AbCdEfGhIjKlMnOpQr_-09", false},
        {"/services/1234567890123456789/9876543210987654321/AbCdEfGhIjKlMnOpQr_.09", false},
        {"/services/1234567890123456789/9876543210987654321/AbCdEfGhIjKlMnOpQr_/09", false},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(CToastCtrlProcess::IsValidWebhookPath(c.strPath), c.bValid) << c.strPath;
    }
}

TEST_F(ToastCtrlProcessTest, SettingsSummaryLines)
{
    CPrinterSetting& setting = PrinterSetting();
    setting.SetDeliveryPrintCnt(2);
    setting.SetDeliveryPaymentPrintCnt(3);
    setting.SetPrintCnt(1);
    setting.SetPickupPaymentPrintCnt(0);
    setting.SetReqCustomerSize(1);
    setting.SetReqDelivererSize(2);
    setting.SetMenunameSize(0);
    setting.SetPrintOrigin(1);
    setting.SetOriginSize(2);
    setting.SetPrintOptiongroup(0);
    const std::string strHead = " - Zelkor.exe ()\r\n - 배달주문서 : 2장, 배달영수증 : 3장\r\n"
                                " - 픽업주문서 : 1장, 픽업영수증 : 0장\r\n"
                                " - 고객요청사항 : 기본, 기사님전달사항 : 작게, 메뉴명 : 크게\r\n"
                                " - 원산지정보 : 출력(작게), 옵션그룹명 : 출력안함 \r\n";

    struct SCase
    {
        int nPortType;
        int nPort;
        const char* pszText; // IP, COM name or spooler name
        const char* pszTypeLine;
    };
    const SCase cases[] = {
        {0, 3, "COM3", "type : SERIAL (comport : COM3 / boaudrate : 9600)\r\n"},
        {0, 0, "", "type : SERIAL (연결된 프린터 없음)\r\n"},
        {1, 9100, "192.168.0.20", "type : LAN (IP : 192.168.0.20 / PORT : 9100)\r\n"},
        {1, 9100, "", "type : LAN (연결된 프린터 없음)\r\n"},
        {2, 0, "EPSON TM-T88", "type : USB (EPSON TM-T88)\r\n"},
        {2, 0, "", "type : USB (연결된 프린터 없음)\r\n"},
    };
    PrintInfo second;
    SetPrintInfoText(second.Name, std::string("주방"));
    second.PortType = 1;
    second.Use = 0;
    second.Rcp = 1;
    second.LineFeed = 0;
    ASSERT_EQ(setting.SetPrintInfoForIndex(1, &second), 1);
    const std::string strSecond = "[주방]\r\ntype : LAN (연결된 프린터 없음)\r\n"
                                  "주문서프린트사용 : 미사용, 영수증프린트사용 : 사용\r\n"
                                  "하단 줄바꿈 : 0칸\r\n";
    for (const SCase& c : cases) {
        PrintInfo info;
        SetPrintInfoText(info.Name, std::string("카운터"));
        info.PortType = c.nPortType;
        info.Use = 1;
        info.Rcp = 0;
        info.LineFeed = 4;
        info.BaudRate = 9600;
        if (c.nPortType == 0) {
            info.Port = c.nPort;
            SetPrintInfoText(info.Portname, std::string(c.pszText));
        } else if (c.nPortType == 1) {
            info.LanPrintPort = c.nPort;
            SetPrintInfoText(info.LanPrintIP, std::string(c.pszText));
        } else {
            SetPrintInfoText(info.UsbName, std::string(c.pszText));
        }
        ASSERT_EQ(setting.SetPrintInfoForIndex(0, &info), 1);
        EXPECT_EQ(Utf8FromCp949(CToastCtrlProcess::MakeSettingsSummary()),
                  Utf8FromCp949(strHead + "[카운터]\r\n" + c.pszTypeLine +
                                "주문서프린트사용 : 사용, 영수증프린트사용 : 미사용\r\n"
                                "하단 줄바꿈 : 4칸\r\n" +
                                strSecond));
    }
}

// Colour by level, and the crash digest or path of the program file.
TEST_F(ToastCtrlProcessTest, MessageColourAndCrashDigest)
{
    WriteConfig(1);
    CToastCtrlProcess toast;
    struct SCase
    {
        int nLevel;
        const char* pszColor;
    };
    const SCase cases[] = {{0, "red"}, {1, "orange"}, {2, "green"}, {3, "blue"}, {-1, "blue"}};
    for (const SCase& c : cases) {
        Json::Value root;
        std::istringstream stream(toast.MakeToastMessage(c.nLevel, "printer failed"));
        ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), stream, &root, nullptr));
        EXPECT_EQ(root["attachments"][0]["color"].asString(), c.pszColor);
        EXPECT_EQ(root["text"].asString(), "printer failed");
    }

    const std::string strProgram = m_Folder.File(platform::LocalFileName("Zelkor.exe"));
    std::string strPathText = toast.MakeToastMessage(0, "App crash in print worker");
    EXPECT_NE(strPathText.find("App crash in print worker\\r\\nPath : " + strProgram + "\""),
              std::string::npos)
        << strPathText;

    m_Folder.WriteFile(platform::LocalFileName("Zelkor.exe"), "program bytes");
    Json::Value root;
    std::istringstream stream(toast.MakeToastMessage(0, "App crash in print worker"));
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), stream, &root, nullptr));
    const std::string strText = root["text"].asString();
    const std::string strPrefix = "App crash in print worker\r\nHash : ";
    ASSERT_EQ(strText.size(), strPrefix.size() + 32) << strText;
    EXPECT_EQ(strText.substr(0, strPrefix.size()), strPrefix);
    EXPECT_EQ(strText.find_first_not_of("0123456789abcdef", strPrefix.size()), std::string::npos);
    EXPECT_EQ(root["attachments"][0]["color"].asString(), "red");
}

// The posted request: endpoint path by ENV_MODE, the JSON fields as UTF-8.
TEST_F(ToastCtrlProcessTest, PostsTheReportToTheWebhook)
{
    struct SCase
    {
        const char* pszEnvFile; // nullptr: no NUBEQ_ENV.INI
        const std::string* pPath;
    };
    const SCase cases[] = {
        {nullptr, &kReleasePath},
        {"[COMMON]\r\nENV_MODE=T\r\n", &kTestPath},
        {"[COMMON]\r\nENV_MODE=R\r\n", &kReleasePath},
        {"[COMMON]\r\nENV_MODE=t\r\n", &kReleasePath},
    };
    for (const SCase& c : cases) {
        std::filesystem::remove(m_Folder.File("NUBEQ_ENV.INI"));
        if (c.pszEnvFile != nullptr) {
            m_Folder.WriteFile("NUBEQ_ENV.INI", c.pszEnvFile);
        }
        CTlsServer server(m_Ca, Reply200());
        WriteConfig(server.Port());
        CToastCtrlProcess toast;
        ASSERT_EQ(toast.ToastRequest_Blocked(1, "포트 열기 실패 5회"), 1);
        ASSERT_TRUE(server.WaitForConnectionsEnded(1, 5000));
        ASSERT_EQ(server.Requests().size(), 1u);
        const std::string strRequest = server.Requests()[0];
        EXPECT_EQ(strRequest.substr(0, strRequest.find("\r\n")), "POST " + *c.pPath + " HTTP/1.0");
        EXPECT_NE(strRequest.find("\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"),
                  std::string::npos);
        Json::Value body = BodyOf(strRequest);
        EXPECT_EQ(body["botName"].asString(), Utf8FromCp949("젤코르 분식"));
        EXPECT_EQ(body["botIconImage"].asString(), "https://img.example/bot.png");
        EXPECT_EQ(body["text"].asString(), Utf8FromCp949("포트 열기 실패 5회"));
        ASSERT_EQ(body["attachments"].size(), 1u);
        EXPECT_EQ(body["attachments"][0]["title"].asString(), Utf8FromCp949("젤코르 분식(S100)"));
        EXPECT_EQ(body["attachments"][0]["color"].asString(), "orange");
        const std::string strSummary = body["attachments"][0]["text"].asString();
        EXPECT_EQ(strSummary, Utf8FromCp949(" - 123-45-67890 / POS01\r\n" +
                                            CToastCtrlProcess::MakeSettingsSummary()));
    }
    EXPECT_NE(m_Folder.ReadCurrentLog().find(
                  "[CToastCtrlProcess::ToastRequest_Blocked] SSL_Request returned : SUCCESS, Res "
                  ": \r\nok"),
              std::string::npos);
}

// A webhook that answers 500 has not taken the report: the post fails, and
// the ERROR line says the status.
TEST_F(ToastCtrlProcessTest, RefusedAnswerIsAFailureWithItsStatus)
{
    CTlsServer::Options options;
    options.strReply = CTlsServer::HttpReply("500 Internal Server Error", "broken");
    CTlsServer server(m_Ca, options);
    WriteConfig(server.Port());
    CToastCtrlProcess toast;
    EXPECT_EQ(toast.ToastRequest_Blocked(1, "report"), 0);
    ASSERT_TRUE(server.WaitForConnectionsEnded(1, 5000));
    const std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("[ERROR] [CToastCtrlProcess::ToastRequest_Blocked] SSL_Request returned "
                          ": FAIL, HTTP Status [500], Res : \r\nbroken"),
              std::string::npos);
    EXPECT_EQ(strLog.find("SSL_Request returned : SUCCESS"), std::string::npos);
}

// Missing shop files: still posted, empty bot name, title of the parentheses.
TEST_F(ToastCtrlProcessTest, PostsWithoutShopInfo)
{
    std::filesystem::remove(m_Folder.File("NUBEQ_SHOPINFO.ini"));
    CTlsServer server(m_Ca, Reply200());
    WriteConfig(server.Port());
    CToastCtrlProcess toast;
    ASSERT_EQ(toast.ToastRequest_Blocked(2, "hello"), 1);
    ASSERT_TRUE(server.WaitForConnectionsEnded(1, 5000));
    Json::Value body = BodyOf(server.Requests().at(0));
    EXPECT_EQ(body["botName"].asString(), "");
    EXPECT_EQ(body["attachments"][0]["title"].asString(), "()");
}

// Nothing is posted without a valid endpoint or without a message.
TEST_F(ToastCtrlProcessTest, RefusedWithoutEndpointOrMessage)
{
    CTlsServer server(m_Ca, Reply200());
    struct SCase
    {
        const char* pszName;
        std::string strRelease;
        std::string strHostLine;
        std::string strMsg;
        const char* pszLogLine; // nullptr: no ERROR line expected
    };
    const SCase cases[] = {
        {"no host", kReleasePath, "Host=\r\n", "msg", "Webhook host not configured"},
        {"short path", kReleasePath.substr(0, 60), "", "msg", "Webhook path not valid"},
        {"no path", "", "", "msg", "Webhook path not valid"},
        {"empty message", kReleasePath, "", "", nullptr},
    };
    for (const SCase& c : cases) {
        WriteConfig(server.Port(), c.strRelease, c.strHostLine);
        CToastCtrlProcess toast;
        const size_t nLogBefore = m_Folder.ReadCurrentLog().size();
        EXPECT_EQ(toast.ToastRequest_Blocked(0, c.strMsg), 0) << c.pszName;
        std::string strLog = m_Folder.ReadCurrentLog().substr(nLogBefore);
        EXPECT_EQ(CountOf(strLog, "[ERROR]"), c.pszLogLine != nullptr ? 1 : 0) << c.pszName << "\n"
                                                                               << strLog;
        if (c.pszLogLine != nullptr) {
            EXPECT_EQ(CountOf(strLog, c.pszLogLine), 1) << c.pszName;
        }
    }
    EXPECT_EQ(server.Connections(), 0);
}

// The worker posts what is pushed; a stalled webhook costs its receive
// time-out and the worker goes on with the next message.
TEST_F(ToastCtrlProcessTest, WorkerPostsPushedMessagesAndSurvivesAStall)
{
    CTlsServer::Options stallOptions;
    stallOptions.eMode = CTlsServer::EMode::Stall;
    CTlsServer stalled(m_Ca, stallOptions);
    CTlsServer good(m_Ca, Reply200());
    WriteConfig(stalled.Port());
    CToastCtrlProcess toast;
    ASSERT_EQ(toast.StartCtrlProcess(), 0);
    EXPECT_EQ(toast.ToastPush(0, "print %s failed [%d]", "sheet", 3), 1);
    ASSERT_TRUE(toast.PushToastQueueCtrlData(0, "") == 1);
    // The stalled server holds the first message; the next ones go to the
    // good server once the configuration names it.
    for (int i = 0; i < 500 && stalled.Requests().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(stalled.Requests().size(), 1u);
    auto start = std::chrono::steady_clock::now();
    WriteConfig(good.Port());
    EXPECT_EQ(toast.ToastPush(2, "after the stall"), 1);
    ASSERT_TRUE(good.WaitForConnectionsEnded(1, 30000));
    auto nElapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
    EXPECT_LT(nElapsedMs, 25000);
    EXPECT_EQ(BodyOf(stalled.Requests()[0])["text"].asString(), "print sheet failed [3]");
    EXPECT_EQ(BodyOf(good.Requests().at(0))["text"].asString(), "after the stall");

    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("[ToastPush] ToastCtrlProcess Push Data Success Type Data [print sheet "
                          "failed [3]]"),
              std::string::npos);
    EXPECT_NE(strLog.find("[CToastCtrlProcess::ThreadToastCtrlProcess] ToastRequest_Blocked FAIL"),
              std::string::npos);
    for (int i = 0; i < 500 && strLog.find("ToastRequest_Blocked Success") == std::string::npos;
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        strLog = m_Folder.ReadCurrentLog();
    }
    EXPECT_NE(
        strLog.find("[CToastCtrlProcess::ThreadToastCtrlProcess] ToastRequest_Blocked Success"),
        std::string::npos);
    // The empty message came between the two and was not posted.
    EXPECT_NE(strLog.find("[CToastCtrlProcess::ToastRequest_Blocked] nLevel : 0 strMsg :  "),
              std::string::npos);
}

// The settings-event reload runs on another thread while the worker
// reads the shop texts for its messages.
TEST_F(ToastCtrlProcessTest, ShopInfoReloadWhileTheWorkerPosts)
{
    CTlsServer server(m_Ca, Reply200());
    WriteConfig(server.Port());
    CToastCtrlProcess toast;
    ASSERT_EQ(toast.StartCtrlProcess(), 0);
    std::thread reloader([&] {
        for (int i = 0; i < 200; ++i) {
            toast.LoadShopInfo();
        }
    });
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(toast.ToastPush(2, "message %d", i), 1);
    }
    reloader.join();
    ASSERT_TRUE(server.WaitForConnectionsEnded(3, 20000));
    for (int i = 0; i < 3; ++i) {
        Json::Value body = BodyOf(server.Requests().at(static_cast<size_t>(i)));
        EXPECT_EQ(body["text"].asString(), "message " + std::to_string(i));
        EXPECT_EQ(body["botName"].asString(), Utf8FromCp949("젤코르 분식"));
    }
}

// A stand-in main window: its own thread runs what is sent to it, the
// sender waits; it keeps what each toast record held and frees it.
class CFakeMainWindow
{
public:
    struct SToast
    {
        unsigned nMsg;
        std::string strTitle;
        std::string strBody;
        int nAutoCloseSec;
        std::thread::id threadId;
    };

    CFakeMainWindow() : m_Thread([this] { Run(); })
    {
        InstallMainWindowSink(
            [this](unsigned nMsg, uintptr_t wParam, intptr_t lParam) {
                Queue([=, this] { Handle(nMsg, wParam, lParam); });
                return true;
            },
            [this](unsigned nMsg, uintptr_t wParam, intptr_t lParam) -> intptr_t {
                std::mutex doneLock;
                std::condition_variable doneChanged;
                bool bDone = false;
                Queue([&, this] {
                    Handle(nMsg, wParam, lParam);
                    std::lock_guard guard(doneLock);
                    bDone = true;
                    doneChanged.notify_all();
                });
                std::unique_lock guard(doneLock);
                doneChanged.wait(guard, [&] { return bDone; });
                return 1;
            });
    }
    ~CFakeMainWindow()
    {
        RemoveMainWindowSink();
        Queue({});
        m_Thread.join();
    }

    std::vector<SToast> Toasts()
    {
        std::lock_guard guard(m_Lock);
        return m_vecToasts;
    }
    std::thread::id ThreadId() const { return m_Thread.get_id(); }

private:
    void Queue(std::function<void()> task)
    {
        std::lock_guard guard(m_Lock);
        m_Tasks.push_back(std::move(task));
        m_Changed.notify_all();
    }
    void Run()
    {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock guard(m_Lock);
                m_Changed.wait(guard, [this] { return !m_Tasks.empty(); });
                task = std::move(m_Tasks.front());
                m_Tasks.pop_front();
            }
            if (!task) {
                return;
            }
            task();
        }
    }
    void Handle(unsigned nMsg, uintptr_t /*wParam*/, intptr_t lParam)
    {
        auto* pInfo = reinterpret_cast<ToastRequestInfo*>(lParam);
        std::lock_guard guard(m_Lock);
        m_vecToasts.push_back({nMsg, pInfo->szTitle, pInfo->szBody, pInfo->nAutoCloseSec,
                               std::this_thread::get_id()});
        delete pInfo;
    }

    std::mutex m_Lock;
    std::condition_variable m_Changed;
    std::deque<std::function<void()>> m_Tasks;
    std::vector<SToast> m_vecToasts;
    std::thread m_Thread;
};

std::string OrderBody(const std::string& strMethod, const std::string& strMenu,
                      const std::string& strTime)
{
    return "<font face=\"verdana\" size=\"7\" color=\"#000000\">주문서 출력 "
           "실패<br><br><b>주문방식 "
           "</b>" +
           strMethod + "<br><b>주문메뉴 </b>" + strMenu + "<br><b>주문시간 </b>" + strTime +
           "</font><br><br><font face=\"verdana\" size=\"7\" color=\"#666666\">※자동접수 시 다른 "
           "주문도 확인 필요</font>";
}

TEST_F(ToastCtrlProcessTest, PrintFailToastGoesSynchronouslyToTheMainWindow)
{
    const std::string strSales =
        "<font face=\"verdana\" size=\"7\" color=\"#000000\">매출전표 출력 "
        "실패<br>잠시 후 다시 시도해주세요.</font>";
    struct SCase
    {
        const char* pszName;
        std::string strOrder;
        int nPrintType;
        std::string strBody;
    };
    const SCase cases[] = {
        {"pickup, long menu",
         "{\"serviceType\":\"PICKUP\",\"hms\":\"143005\",\"desc\":\"떡볶이 순대 튀김 김밥 외2\"}",
         0x1, OrderBody("픽업주문", "떡볶이 순대 튀...", "14:30")},
        {"delivery, 12 characters",
         "{\"serviceType\":\"DELIVERY\",\"hms\":\"090000\",\"desc\":"
         "\"abcdefghijkl\"}",
         0x4, OrderBody("배달주문", "abcdefghijkl", "09:00")},
        {"table, 13 characters, short time",
         "{\"serviceType\":\"TABLE\",\"hms\":\"0930\",\"desc\":\"abcdefghijklm\"}", 0x2,
         OrderBody("테이블주문", "abcdefgh...", "확인불가")},
        {"other service, no menu", "{\"serviceType\":\"RESERVE\",\"hms\":\"235959\"}", 0x1,
         OrderBody("확인불가", "확인불가", "23:59")},
        {"not an order", "[1,2]", 0x1, OrderBody("확인불가", "확인불가", "확인불가")},
        {"no text", "", 0x1, OrderBody("확인불가", "확인불가", "확인불가")},
        // The customer's text is escaped: never a tag, an entity or a link.
        {"menu with markup",
         "{\"serviceType\":\"PICKUP\",\"hms\":\"143005\",\"desc\":"
         "\"<b>&lt;</b>\"}",
         0x1, OrderBody("픽업주문", "<<b>&amp;<>lt;<</b>", "14:30")},
        {"menu with a link, cut",
         "{\"serviceType\":\"PICKUP\",\"hms\":\"143005\",\"desc\":"
         "\"<a href=\\\"file:///etc/passwd\\\">x</a>\"}",
         0x1, OrderBody("픽업주문", "<<a href=...", "14:30")},
        {"sales", "{\"serviceType\":\"PICKUP\"}", 0x100, strSales},
        {"sales, no text", "", 0x101, strSales},
    };
    CFakeMainWindow window;
    CToastCtrlProcess toast;
    size_t nSeen = 0;
    for (const SCase& c : cases) {
        EXPECT_EQ(toast.ShowPrintFailToast(c.strOrder, c.nPrintType), 1) << c.pszName;
        // Handled before the call returned, on the window's thread.
        std::vector<CFakeMainWindow::SToast> toasts = window.Toasts();
        ASSERT_EQ(toasts.size(), ++nSeen) << c.pszName;
        const CFakeMainWindow::SToast& shown = toasts.back();
        EXPECT_EQ(shown.nMsg, WM_TRAY_SHOW_TOAST);
        EXPECT_EQ(shown.threadId, window.ThreadId());
        EXPECT_EQ(shown.nAutoCloseSec, 5);
        EXPECT_EQ(shown.strTitle, "<b><font face=\"verdana\" size=\"10\" weight=\"900\" "
                                  "color=\"#2F76DE\">미르벨</font></b>");
        EXPECT_EQ(Utf8FromCp949(shown.strBody), Utf8FromCp949(c.strBody)) << c.pszName;
    }
}

TEST_F(ToastCtrlProcessTest, PrintFailToastWithoutMainWindowFails)
{
    ASSERT_FALSE(HasMainWindowSink());
    CToastCtrlProcess toast;
    EXPECT_EQ(toast.ShowPrintFailToast("", 0x100), 0);
    EXPECT_NE(m_Folder.ReadCurrentLog().find("No main window. Message [10025] not sent"),
              std::string::npos);
}

} // namespace
