// TCP connector: resolve, bounded connect, send/receive, orderly close.
#include "platform/tcp_connector.h"
#include "tests/support/tcp_listener.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using platform::CTcpConnector;
using testsupport::CTcpListener;

int Connect(CTcpConnector& connector, const char* pszHost, int nPort, bool bWaitFull)
{
    EXPECT_EQ(connector.Create(), 0);
    int nError = connector.Resolve(pszHost, nPort);
    if (nError != 0) {
        return -1;
    }
    EXPECT_EQ(connector.SetNonBlocking(true), 0);
    nError = connector.StartConnect();
    if (nError == EINPROGRESS) {
        nError = connector.WaitConnected(3000, bWaitFull);
    }
    return nError;
}

TEST(TcpConnectorTest, SendReceiveAndOrderlyClose)
{
    CTcpListener::Options options;
    options.strReply = "OK";
    CTcpListener printer(options);
    CTcpConnector connector;
    ASSERT_EQ(Connect(connector, "127.0.0.1", printer.Port(), true), 0);
    ASSERT_EQ(connector.SetNonBlocking(false), 0);
    ASSERT_EQ(connector.SetReceiveTimeout(1000), 0);
    size_t nSent = 0;
    ASSERT_EQ(connector.Send("data", 4, nSent), 0);
    EXPECT_EQ(nSent, 4u);
    char buffer[8] = {};
    size_t nReceived = 0;
    EXPECT_EQ(connector.Receive(buffer, sizeof(buffer), nReceived), 0);
    EXPECT_EQ(std::string(buffer, nReceived), "OK");
    EXPECT_EQ(connector.ShutdownAndClose(2000), 0);
    EXPECT_FALSE(connector.IsOpen());
    EXPECT_EQ(printer.WaitForBytes(4, 2000), "data");
    EXPECT_TRUE(printer.WaitForClientClose(2000));
    EXPECT_FALSE(printer.ResetSeen());
}

TEST(TcpConnectorTest, FailuresAreTold)
{
    CTcpConnector connector;
    EXPECT_EQ(Connect(connector, "no-such-host.invalid", 9100, false), -1);
    // Refused: known at once when not asked to wait the time out.
    EXPECT_EQ(Connect(connector, "127.0.0.1", CTcpListener::FreePort(), false), ECONNREFUSED);
    connector.Close();
    size_t nSent = 0;
    EXPECT_NE(connector.Send("x", 1, nSent), 0);
}

} // namespace
