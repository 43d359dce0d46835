// RequestControl against a local TLS server: the request bytes, the result
// for each kind of answer, certificate and host checks, and the socket
// error texts of failed connections.
#include "crash/request_control.h"
#include "crash/socket_error_text.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"
#include "tests/support/tcp_listener.h"
#include "tests/support/tls_server.h"

#include <condition_variable> // steady_clock
#include <gtest/gtest.h>

namespace {

using testsupport::CTestCertificateAuthority;
using testsupport::CTlsServer;

TEST(RequestControlText, RequestLinesForEachMethodAndContentType)
{
    struct SCase
    {
        int nMethod;
        const char* pszPath;
        int nContentType;
        const char* pszHeader;
        const char* pszBody;
        const char* pszExpected;
    };
    const SCase cases[] = {
        {0, "/a", 2, "", "{}",
         "POST /a HTTP/1.0\r\nHost: h.example\r\nContent-Type: application/json\r\n"
         "Content-Length: 2\r\n\r\n{}"},
        {1, "/", 1, "", "",
         "GET / HTTP/1.0\r\nHost: h.example\r\nContent-Type: text/plain\r\n\r\n\r\n"},
        {2, "/p", 3, "X-A: 1", "a=1",
         "PUT /p HTTP/1.0\r\nHost: h.example\r\nContent-Type: application/x-www-form-urlencoded\r\n"
         "X-A: 1\r\nContent-Length: 3\r\n\r\na=1"},
        {3, "/q", 0, "", "", "PATCH /q HTTP/1.0\r\nHost: h.example\r\n\r\n\r\n"},
        {4, "", 7, "", "", "DELETE HTTP/1.0\r\nHost: h.example\r\n\r\n\r\n"},
        {9, "/z", 2, "", "",
         "GET /z HTTP/1.0\r\nHost: h.example\r\nContent-Type: application/json\r\n\r\n\r\n"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(RequestControl::MakeRequestText(c.nMethod, c.pszPath, "h.example", c.nContentType,
                                                  c.pszHeader, c.pszBody),
                  c.pszExpected)
            << "method " << c.nMethod;
    }
}

TEST(RequestControlText, UrlSplit)
{
    struct SCase
    {
        const char* pszUrl;
        bool bOk;
        const char* pszHost;
        const char* pszPath;
        int nPort;
    };
    const SCase cases[] = {
        {"https://hooks.example.com/services/1/2", true, "hooks.example.com", "/services/1/2", 443},
        {"https://127.0.0.1:8443/x?y=1", true, "127.0.0.1", "/x?y=1", 8443},
        {"HTTP://h.example", true, "h.example", "", 80},
        {"https://h.example:/x", false, "", "", 0},
        {"https://h.example:99999/x", false, "", "", 0},
        {"ftp://h.example/x", false, "", "", 0},
        {"h.example/x", false, "", "", 0},
        {"https:///x", false, "", "", 0},
    };
    for (const SCase& c : cases) {
        std::string strHost;
        std::string strPath;
        int nPort = 0;
        int nType = 0;
        ASSERT_EQ(RequestControl::SplitUrl(c.pszUrl, strHost, strPath, nPort, nType), c.bOk)
            << c.pszUrl;
        if (c.bOk) {
            EXPECT_EQ(strHost, c.pszHost) << c.pszUrl;
            EXPECT_EQ(strPath, c.pszPath) << c.pszUrl;
            EXPECT_EQ(nPort, c.nPort) << c.pszUrl;
        }
    }
}

TEST(RequestControlText, SocketErrorTexts)
{
    EXPECT_STREQ(GetSocketErrorText(11001), "Host not found.");
    EXPECT_STREQ(GetSocketErrorText(10061), "Connection refused.");
    EXPECT_STREQ(GetSocketErrorText(10093), "Winsock not initialized. ");
    EXPECT_STREQ(GetSocketErrorText(0), "");
    EXPECT_STREQ(GetSocketErrorText(10000), "");
}

class RequestControlServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        m_Folder.WriteFile("ca.pem", m_Ca.CertificatePem());
        m_Client.SetCaFile(m_Folder.File("ca.pem"));
    }

    static std::string Url(int nPort, const char* pszHost = "127.0.0.1")
    {
        return std::string("https://") + pszHost + ":" + std::to_string(nPort) + "/services/t";
    }

    testsupport::CTempProgramFolder m_Folder;
    CTestCertificateAuthority m_Ca{"Zelkor Test CA"};
    RequestControl m_Client;
};

// Every kind of answer: the result, the response, and the exact request.
TEST_F(RequestControlServerTest, ResultPerAnswer)
{
    struct SCase
    {
        const char* pszName;
        CTlsServer::EMode eMode;
        std::string strReply;
        int nResult;
        std::string strResponse; // "unchanged" keeps the caller's text
    };
    const SCase cases[] = {
        {"200", CTlsServer::EMode::Reply, CTlsServer::HttpReply("200 OK", "ok"), 1, "\r\nok"},
        {"500 with body", CTlsServer::EMode::Reply,
         CTlsServer::HttpReply("500 Internal Server Error", "broken"), 0, "\r\nbroken"},
        {"HTTP/1.0 500", CTlsServer::EMode::Reply, "HTTP/1.0 500\r\n\r\n", 0, "\r\n"},
        {"404", CTlsServer::EMode::Reply, CTlsServer::HttpReply("404 Not Found", "no"), 0,
         "\r\nno"},
        {"302", CTlsServer::EMode::Reply, "HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\n", 0, "\r\n"},
        {"header only", CTlsServer::EMode::Reply, "HTTP/1.1 204 No Content\r\n\r\n", 1, "\r\n"},
        {"no status line", CTlsServer::EMode::Reply, "hello\r\n\r\nbody", 0, "\r\nbody"},
        {"close at once", CTlsServer::EMode::CloseAtOnce, "", 0, "unchanged"},
        {"no blank line", CTlsServer::EMode::Reply, "HTTP/1.1 200 OK\r\nX-A: 1\r\n", 0,
         "unchanged"},
        {"blank line first", CTlsServer::EMode::Reply, "\r\n\r\nbody", 0, "unchanged"},
    };
    const std::string strBody = "{\"text\":\"a\"}";
    const std::string strRequest = "POST /services/t HTTP/1.0\r\nHost: 127.0.0.1\r\n"
                                   "Content-Type: application/json\r\nContent-Length: 12\r\n\r\n" +
                                   strBody;
    for (const SCase& c : cases) {
        CTlsServer::Options options;
        options.eMode = c.eMode;
        options.strReply = c.strReply;
        CTlsServer server(m_Ca, options);
        std::string strResponse = "unchanged";
        EXPECT_EQ(
            m_Client.SSL_Request(Url(server.Port()), "/services/t", strBody, "", strResponse, 5000),
            c.nResult)
            << c.pszName;
        EXPECT_EQ(strResponse, c.strResponse) << c.pszName;
        EXPECT_EQ(server.Handshakes(), 1) << c.pszName;
        if (c.eMode == CTlsServer::EMode::Reply) {
            ASSERT_TRUE(server.WaitForConnectionsEnded(1, 5000));
            ASSERT_EQ(server.Requests().size(), 1u) << c.pszName;
            EXPECT_EQ(server.Requests()[0], strRequest) << c.pszName;
        }
    }
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("[RequestControl::SSL_Init] Created new socket. (Socket No : "),
              std::string::npos);
    EXPECT_NE(strLog.find("ret : 0, Send length :" + std::to_string(strRequest.size()) +
                          ", \r\nData : HTTP/1.1 500 Internal Server Error\r\n"),
              std::string::npos);
    EXPECT_NE(strLog.find("[RequestControl::SSL_Request] HTTP status [500] refused (Socket no : "),
              std::string::npos);
    EXPECT_NE(strLog.find("Status line : HTTP/1.0 500)"), std::string::npos);
    EXPECT_NE(strLog.find("[RequestControl::SSL_Request] Socket Commproc ended. "
                          "SSL_ResourceFree Called."),
              std::string::npos);
}

TEST_F(RequestControlServerTest, HangulBodyGoesAsUtf8WithItsByteLength)
{
    CTlsServer::Options options;
    options.strReply = CTlsServer::HttpReply("200 OK", "ok");
    CTlsServer server(m_Ca, options);
    const std::string strBody = "{\"text\":\"주문서 출력 실패\"}"; // CP949
    const std::string strUtf8 = testsupport::Utf8FromCp949(strBody);
    ASSERT_NE(strUtf8.size(), strBody.size());
    std::string strResponse;
    ASSERT_EQ(
        m_Client.SSL_Request(Url(server.Port()), "/services/t", strBody, "", strResponse, 5000), 1);
    ASSERT_TRUE(server.WaitForConnectionsEnded(1, 5000));
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string strRequest = server.Requests()[0];
    EXPECT_NE(
        strRequest.find("Content-Length: " + std::to_string(strUtf8.size()) + "\r\n\r\n" + strUtf8),
        std::string::npos);
    EXPECT_EQ(strRequest.substr(strRequest.size() - strUtf8.size()), strUtf8);
}

// Only a certificate from a trusted CA that names the host of the URL is
// accepted; a refused server never sees the request.
TEST_F(RequestControlServerTest, CertificateAndHostChecks)
{
    CTestCertificateAuthority otherCa("Other CA");
    struct SCase
    {
        const char* pszName;
        const CTestCertificateAuthority* pIssuer;
        std::vector<std::string> vecDns;
        std::vector<std::string> vecIp;
        const char* pszUrlHost;
        bool bSystemStore;
        int nResult;
        const char* pszServerName; // SNI the server saw
    };
    const SCase cases[] = {
        {"trusted, by address", &m_Ca, {"localhost"}, {"127.0.0.1"}, "127.0.0.1", false, 1, ""},
        {"trusted, by name", &m_Ca, {"localhost"}, {}, "localhost", false, 1, "localhost"},
        {"other CA", &otherCa, {"localhost"}, {"127.0.0.1"}, "127.0.0.1", false, 0, ""},
        {"not in the system store", &m_Ca, {"localhost"}, {"127.0.0.1"}, "127.0.0.1", true, 0, ""},
        {"wrong address", &m_Ca, {"localhost"}, {"127.0.0.2"}, "127.0.0.1", false, 0, ""},
        {"wrong name", &m_Ca, {"other.example"}, {"127.0.0.1"}, "localhost", false, 0, "localhost"},
    };
    for (const SCase& c : cases) {
        CTlsServer::Options options;
        options.strReply = CTlsServer::HttpReply("200 OK", "ok");
        options.vecDnsNames = c.vecDns;
        options.vecIpAddresses = c.vecIp;
        CTlsServer server(*c.pIssuer, options);
        RequestControl client;
        if (!c.bSystemStore) {
            client.SetCaFile(m_Folder.File("ca.pem"));
        }
        std::string strResponse;
        EXPECT_EQ(client.SSL_Request(Url(server.Port(), c.pszUrlHost), "/services/t", "{}", "",
                                     strResponse, 5000),
                  c.nResult)
            << c.pszName;
        ASSERT_TRUE(server.WaitForConnectionsEnded(1, 5000)) << c.pszName;
        EXPECT_EQ(server.Requests().size(), c.nResult == 1 ? 1u : 0u) << c.pszName;
        if (c.nResult == 1 || server.ServerNames().size() == 1) {
            ASSERT_EQ(server.ServerNames().size(), 1u) << c.pszName;
            EXPECT_EQ(server.ServerNames()[0], c.pszServerName) << c.pszName;
        }
        if (c.nResult == 0) {
            EXPECT_FALSE(client.GetErrorText().empty()) << c.pszName;
        }
    }
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("[RequestControl::SSL_Init] Error: Could not build a SSL session."),
              std::string::npos);
    EXPECT_NE(strLog.find("Error: Server certificate refused. (Socket No : "), std::string::npos);
    EXPECT_NE(strLog.find("Reason : hostname mismatch)"), std::string::npos);
    EXPECT_NE(strLog.find("Reason : IP address mismatch)"), std::string::npos);
}

TEST_F(RequestControlServerTest, ConnectionFailuresLogTheSocketError)
{
    struct SCase
    {
        std::string strUrl;
        const char* pszLine;
    };
    // A server whose accept queue is full drops the SYNs: the connect
    // gives up after the request's time-out, not the system's minutes.
    testsupport::CTcpListener::Options silent;
    silent.nBacklog = 0;
    silent.bAccept = false;
    testsupport::CTcpListener unanswered(silent);
    unanswered.FillBacklog();
    const SCase cases[] = {
        {"https://nohost.invalid/services/t", "Code : 11001, Description : Host not found.)"},
        {Url(testsupport::CTcpListener::FreePort()),
         "Code : 10061, Description : Connection refused.)"},
        {Url(unanswered.Port()), "Code : 10060, Description : Connection timed out.)"},
    };
    for (const SCase& c : cases) {
        std::string strResponse = "unchanged";
        EXPECT_EQ(m_Client.SSL_Request(c.strUrl, "/services/t", "{}", "", strResponse, 1000), 0)
            << c.strUrl;
        EXPECT_EQ(strResponse, "unchanged");
        EXPECT_NE(m_Folder.ReadCurrentLog().find(c.pszLine), std::string::npos) << c.pszLine;
    }
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("[RequestControl::SSL_Init] Error: Cannot resolve hostname. (Socket No "
                          ": "),
              std::string::npos);
    EXPECT_NE(strLog.find("[RequestControl::SSL_Init] Connect Error occured. (Socket No : "),
              std::string::npos);
}

// A server that keeps the connection open costs the receive time-out.
TEST_F(RequestControlServerTest, StalledServerEndsAtTheReceiveTimeout)
{
    CTlsServer::Options options;
    options.eMode = CTlsServer::EMode::Stall;
    CTlsServer server(m_Ca, options);
    std::string strResponse = "unchanged";
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m_Client.SSL_Request(Url(server.Port()), "/services/t", "{}", "", strResponse, 1000),
              0);
    auto nElapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
    EXPECT_EQ(strResponse, "unchanged");
    EXPECT_GE(nElapsedMs, 900);
    EXPECT_LT(nElapsedMs, 8000);
    ASSERT_TRUE(server.WaitForConnectionsEnded(1, 5000));
    EXPECT_EQ(server.Requests().size(), 1u);
}

} // namespace
