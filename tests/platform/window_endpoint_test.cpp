// The window endpoint: frames from other processes to a window's thread,
// replies after the handler, broken peers dropped without holding up the
// others, registration for FindWindow.
#include "platform/window_endpoint.h"
#include "platform/window_endpoint_client.h"
#include "tests/support/runtime_dir.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using platform::SWindowFrame;
using platform::SWindowReply;

// An endpoint served by a thread of its own, as a window's main loop would.
class CServedEndpoint
{
public:
    explicit CServedEndpoint(platform::CWindowEndpoint::Handler fnHandler = nullptr)
    {
        if (!fnHandler) {
            fnHandler = [this](const platform::SWindowRequest& request) {
                std::lock_guard lock(m_Lock);
                m_vRequests.push_back(request);
                return SWindowReply{platform::WINDOW_REPLY_HANDLED,
                                    static_cast<int64_t>(request.frame.nMessage) * 10};
            };
        }
        m_nId = platform::AllocateWindowId();
        std::string strError;
        m_bOpen = m_Endpoint.Open(
            m_nId, std::move(fnHandler),
            [this](int nLevel, const std::string& strText) {
                std::lock_guard lock(m_Lock);
                m_vNotices.push_back(std::to_string(nLevel) + " " + strText);
            },
            strError);
        EXPECT_TRUE(m_bOpen) << strError;
        m_Thread = std::thread([this] {
            while (!m_bStop) {
                pollfd entry = {m_Endpoint.PollFd(), POLLIN, 0};
                if (::poll(&entry, 1, 20) > 0) {
                    m_Endpoint.Dispatch();
                }
            }
        });
    }
    ~CServedEndpoint()
    {
        m_bStop = true;
        m_Thread.join();
    }

    platform::CWindowEndpoint& Endpoint() { return m_Endpoint; }
    intptr_t Id() const { return m_nId; }
    std::vector<platform::SWindowRequest> Requests()
    {
        std::lock_guard lock(m_Lock);
        return m_vRequests;
    }
    std::string Notices()
    {
        std::lock_guard lock(m_Lock);
        std::string strAll;
        for (const std::string& strNotice : m_vNotices) {
            strAll += strNotice + "\n";
        }
        return strAll;
    }

private:
    platform::CWindowEndpoint m_Endpoint;
    intptr_t m_nId = 0;
    bool m_bOpen = false;
    std::atomic<bool> m_bStop{false};
    std::mutex m_Lock;
    std::vector<platform::SWindowRequest> m_vRequests;
    std::vector<std::string> m_vNotices;
    std::thread m_Thread;
};

SWindowFrame CopyData(int64_t nEvent, const std::string& strPayload)
{
    SWindowFrame frame;
    frame.nMessage = 0x004A;
    frame.wParam = 7;
    frame.lParam = nEvent;
    frame.strPayload = strPayload;
    return frame;
}

// True when the server has closed the connection (EOF within the time).
bool ClosedByServer(platform::CWindowEndpointClient& client)
{
    SWindowReply reply;
    std::string strError;
    return !client.ReadReply(reply, 5000, strError) &&
           strError.find("without a reply") != std::string::npos;
}

TEST(WindowEndpointFormatTest, RoundTripAndEarlyRefusal)
{
    SWindowFrame frame = CopyData(36001, std::string("[{\"a\":1}]\0x", 11));
    frame.nFlags = platform::WINDOW_FRAME_POST;
    frame.wParam = 0xFFFFFFFFFFFFFFFFull;
    std::string strBytes = platform::EncodeWindowFrame(frame);
    ASSERT_EQ(strBytes.size(), platform::kWindowFrameHeaderSize + 11);
    EXPECT_EQ(strBytes.substr(0, 4), "ZKWF");

    SWindowFrame parsed;
    size_t nConsumed = 0;
    for (size_t n = 0; n < strBytes.size(); ++n) {
        EXPECT_EQ(platform::ParseWindowFrame(strBytes.data(), n, parsed, nConsumed),
                  platform::EWindowFrameParse::NeedMore)
            << n;
    }
    strBytes += "next";
    ASSERT_EQ(platform::ParseWindowFrame(strBytes.data(), strBytes.size(), parsed, nConsumed),
              platform::EWindowFrameParse::Complete);
    EXPECT_EQ(nConsumed, platform::kWindowFrameHeaderSize + 11);
    EXPECT_EQ(parsed.nMessage, 0x004Au);
    EXPECT_EQ(parsed.nFlags, platform::WINDOW_FRAME_POST);
    EXPECT_EQ(parsed.wParam, frame.wParam);
    EXPECT_EQ(parsed.lParam, 36001);
    EXPECT_EQ(parsed.strPayload, frame.strPayload);

    // Refused as soon as the bytes show it.
    EXPECT_EQ(platform::ParseWindowFrame("G", 1, parsed, nConsumed),
              platform::EWindowFrameParse::BadMagic);
    std::string strHeader = platform::EncodeWindowFrame(SWindowFrame{});
    std::string strBig = strHeader;
    strBig[12] = 1;
    strBig[13] = 0;
    strBig[14] = 0;
    strBig[15] = 1; // 16 MiB + 1
    EXPECT_EQ(platform::ParseWindowFrame(strBig.data(), strBig.size(), parsed, nConsumed),
              platform::EWindowFrameParse::TooLarge);
    std::string strVersion = strHeader;
    strVersion[4] = 2;
    EXPECT_EQ(platform::ParseWindowFrame(strVersion.data(), strVersion.size(), parsed, nConsumed),
              platform::EWindowFrameParse::BadVersion);
    SWindowFrame noData = CopyData(1, "x");
    noData.nFlags = platform::WINDOW_FRAME_NO_DATA;
    std::string strNoData = platform::EncodeWindowFrame(noData);
    EXPECT_EQ(platform::ParseWindowFrame(strNoData.data(), strNoData.size(), parsed, nConsumed),
              platform::EWindowFrameParse::BadFlags);

    SWindowReply reply{platform::WINDOW_REPLY_REFUSED, -5};
    std::string strReply = platform::EncodeWindowReply(reply);
    SWindowReply back;
    ASSERT_TRUE(platform::ParseWindowReply(strReply.data(), strReply.size(), back));
    EXPECT_EQ(back.nStatus, platform::WINDOW_REPLY_REFUSED);
    EXPECT_EQ(back.nResult, -5);
}

TEST(WindowEndpointTest, SentFramesAreAnsweredPostedOnesAreNot)
{
    testsupport::CTempRuntimeDir runtime;
    CServedEndpoint served;
    struct stat info = {};
    ASSERT_EQ(stat(served.Endpoint().SocketPath().c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    platform::CWindowEndpointClient client;
    std::string strError;
    ASSERT_TRUE(client.Connect(served.Id(), strError)) << strError;
    // A payload of many read chunks, NUL bytes included.
    std::string strPayload(1 << 20, 'k');
    strPayload[10] = '\0';
    SWindowReply reply;
    ASSERT_TRUE(client.Send(CopyData(36001, strPayload), reply, 5000, strError)) << strError;
    EXPECT_EQ(reply.nStatus, platform::WINDOW_REPLY_HANDLED);
    EXPECT_EQ(reply.nResult, 0x4A * 10);

    SWindowFrame posted;
    posted.nMessage = 6024;
    posted.nFlags = platform::WINDOW_FRAME_POST;
    ASSERT_TRUE(client.Send(posted, reply, 5000, strError));
    SWindowFrame closeFrame;
    closeFrame.nMessage = 0x0010;
    ASSERT_TRUE(client.Send(closeFrame, reply, 5000, strError)) << strError;
    EXPECT_EQ(reply.nResult, 0x10 * 10);

    std::vector<platform::SWindowRequest> vRequests = served.Requests();
    ASSERT_EQ(vRequests.size(), 3u);
    EXPECT_EQ(vRequests[0].frame.lParam, 36001);
    EXPECT_EQ(vRequests[0].frame.wParam, 7u);
    EXPECT_EQ(vRequests[0].frame.strPayload, strPayload);
    EXPECT_EQ(vRequests[0].nPeerPid, getpid());
    EXPECT_EQ(vRequests[1].frame.nMessage, 6024u);
    EXPECT_EQ(vRequests[2].frame.nMessage, 0x10u);
}

// Each broken peer is dropped with a warning while a good peer that is
// connected at the same time is served.
TEST(WindowEndpointTest, BrokenPeersAreDroppedOthersAreServed)
{
    testsupport::CTempRuntimeDir runtime;
    CServedEndpoint served;
    const std::string strGood = platform::EncodeWindowFrame(CopyData(36001, "[]"));
    std::string strBig = platform::EncodeWindowFrame(SWindowFrame{}).substr(0, 32);
    strBig[12] = 1;
    strBig[15] = 1;
    std::string strVersion = strGood;
    strVersion[4] = 9;
    struct SCase
    {
        const char* pszName;
        std::string strBytes;
        const char* pszNotice;
    } cases[] = {
        {"bad magic", "GET / HTTP/1.0\r\n\r\n", "bad magic [0x20544547]"},
        {"oversize", strBig, "16777217 payload bytes (at most 16777216)"},
        {"version", strVersion, "unknown version"},
    };
    for (const SCase& c : cases) {
        platform::CWindowEndpointClient broken;
        std::string strError;
        ASSERT_TRUE(broken.Connect(served.Id(), strError)) << strError;
        ASSERT_TRUE(broken.SendRaw(c.strBytes, strError));
        EXPECT_TRUE(ClosedByServer(broken)) << c.pszName;
        EXPECT_NE(served.Notices().find(c.pszNotice), std::string::npos) << c.pszName << "\n"
                                                                         << served.Notices();
    }

    // Half a frame, left open: the other peer is answered meanwhile.
    platform::CWindowEndpointClient half;
    platform::CWindowEndpointClient good;
    std::string strError;
    ASSERT_TRUE(half.Connect(served.Id(), strError));
    ASSERT_TRUE(good.Connect(served.Id(), strError));
    ASSERT_TRUE(half.SendRaw(strGood.substr(0, 20), strError));
    SWindowReply reply;
    ASSERT_TRUE(good.Send(CopyData(36002, "x"), reply, 5000, strError)) << strError;
    EXPECT_EQ(reply.nResult, 0x4A * 10);
    half.Close();
    for (int i = 0; i < 500 && served.Notices().find("inside a frame") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(served.Notices().find("closed by the peer inside a frame, 20 bytes dropped"),
              std::string::npos)
        << served.Notices();
    // Only the good frame reached the handler.
    ASSERT_EQ(served.Requests().size(), 1u);
    EXPECT_EQ(served.Requests()[0].frame.lParam, 36002);
}

// A handler that runs a nested loop (a modal box) keeps its own peer
// waiting for the reply while other peers are served.
TEST(WindowEndpointTest, NestedDispatchServesOthersBeforeTheFirstReply)
{
    testsupport::CTempRuntimeDir runtime;
    platform::CWindowEndpoint* pEndpoint = nullptr;
    std::atomic<bool> bSecondSeen{false};
    std::atomic<int> nHandled{0};
    std::vector<int> vOrder; // server thread only until both replies are in
    CServedEndpoint served([&](const platform::SWindowRequest& request) {
        vOrder.push_back(static_cast<int>(request.frame.lParam));
        ++nHandled;
        if (request.frame.lParam == 1) {
            while (!bSecondSeen) {
                pollfd entry = {pEndpoint->PollFd(), POLLIN, 0};
                if (::poll(&entry, 1, 20) > 0) {
                    pEndpoint->Dispatch();
                }
            }
        } else {
            bSecondSeen = true;
        }
        return SWindowReply{platform::WINDOW_REPLY_HANDLED, request.frame.lParam};
    });
    pEndpoint = &served.Endpoint();

    std::string strError;
    platform::CWindowEndpointClient first;
    ASSERT_TRUE(first.Connect(served.Id(), strError));
    ASSERT_TRUE(first.SendRaw(platform::EncodeWindowFrame(CopyData(1, "")), strError));
    for (int i = 0; i < 500 && nHandled == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    SWindowReply reply;
    ASSERT_TRUE(platform::SendWindowMessage(served.Id(), CopyData(2, ""), reply, 5000, strError))
        << strError;
    EXPECT_EQ(reply.nResult, 2);
    ASSERT_TRUE(first.ReadReply(reply, 5000, strError)) << strError;
    EXPECT_EQ(reply.nResult, 1);
    EXPECT_EQ(vOrder, (std::vector<int>{1, 2}));
}

TEST(WindowEndpointTest, RegistrationFindsTheWindowUntilItCloses)
{
    testsupport::CTempRuntimeDir runtime;
    const std::string strTitle = "\xC1\xA9\xC4\xDA\xB8\xA3"; // a CP949 title
    EXPECT_EQ(platform::FindRegisteredWindow("Zelkor", strTitle), 0);
    intptr_t nId = 0;
    std::string strSocket;
    {
        CServedEndpoint served;
        nId = served.Id();
        strSocket = served.Endpoint().SocketPath();
        EXPECT_EQ(platform::FindRegisteredWindow("Zelkor", strTitle), 0); // not yet registered
        std::string strError;
        ASSERT_TRUE(served.Endpoint().Register("Zelkor", strTitle, strError)) << strError;
        EXPECT_EQ(platform::FindRegisteredWindow("Zelkor", strTitle), nId);
        EXPECT_EQ(platform::FindRegisteredWindow("Zelkor", "other"), 0);
    }
    // Closed: socket and registration gone.
    EXPECT_FALSE(std::filesystem::exists(strSocket));
    EXPECT_FALSE(std::filesystem::exists(
        platform::WindowRegistrationPath(runtime.Path(), "Zelkor", strTitle)));
    EXPECT_EQ(platform::FindRegisteredWindow("Zelkor", strTitle), 0);

    // A registration left by a killed process names a dead endpoint.
    FILE* pFile = std::fopen(
        platform::WindowRegistrationPath(runtime.Path(), "Zelkor", strTitle).c_str(), "w");
    ASSERT_NE(pFile, nullptr);
    std::fprintf(pFile, "%lld\n", static_cast<long long>(nId));
    std::fclose(pFile);
    EXPECT_EQ(platform::FindRegisteredWindow("Zelkor", strTitle), 0);
}

TEST(WindowEndpointTest, PeersOfAnotherUserAreRefused)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to connect as another user";
    }
    testsupport::CTempRuntimeDir runtime;
    ASSERT_EQ(chmod(runtime.Path().c_str(), 0711), 0); // reachable, not listable
    CServedEndpoint served;
    ASSERT_EQ(chmod(served.Endpoint().SocketPath().c_str(), 0666), 0);
    // Everything the child needs is made before the fork: after it, only
    // system calls (another thread of this process may hold a lock).
    const std::string strFrame = platform::EncodeWindowFrame(CopyData(36001, "[]"));
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s",
                  served.Endpoint().SocketPath().c_str());
    pid_t nChild = fork();
    ASSERT_GE(nChild, 0);
    if (nChild == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(2);
        }
        int hSocket = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(hSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            _exit(3);
        }
        (void)!send(hSocket, strFrame.data(), strFrame.size(), MSG_NOSIGNAL);
        char aReply[16];
        // Refused: the server closes without a reply (perhaps before the
        // frame was even written: then a reset).
        _exit(read(hSocket, aReply, sizeof(aReply)) <= 0 ? 0 : 1);
    }
    int nStatus = 0;
    waitpid(nChild, &nStatus, 0);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << nStatus;
    EXPECT_NE(served.Notices().find("Peer uid [65534]"), std::string::npos) << served.Notices();
    EXPECT_TRUE(served.Requests().empty());
}

} // namespace
