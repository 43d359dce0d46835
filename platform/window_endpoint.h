// The server side of a window endpoint: the socket through which other
// processes of this user reach one window of the program (copy-data from
// the agent, the second start's request, a close). It never blocks the
// thread that runs it: the owner watches PollFd() in its event loop and
// calls Dispatch() when it is readable; each complete frame goes to the
// handler on that thread, and a sent frame's reply is written once the
// handler has returned, which is the synchronous contract of a sent window
// message. Every connection has its own buffer, so a peer that stops in
// the middle of a frame holds up nobody else.
#pragma once

#include "platform/window_endpoint_format.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>

namespace platform {

struct SWindowRequest
{
    SWindowFrame frame;
    int nPeerPid = 0;
};

class CWindowEndpoint
{
public:
    // Runs on the Dispatch thread; its reply goes back for a sent frame.
    // Dispatch may be re-entered from inside it (a handler that runs a
    // nested loop); the connection being handled waits meanwhile.
    using Handler = std::function<SWindowReply(const SWindowRequest& request)>;
    // What the endpoint refused or noticed, with the log's levels
    // (0 error, 1 warning, 2 information, 3 debug); nothing is logged here.
    using Notice = std::function<void(int nLevel, const std::string& strText)>;

    CWindowEndpoint();
    // Close().
    ~CWindowEndpoint();
    CWindowEndpoint(const CWindowEndpoint&) = delete;
    CWindowEndpoint& operator=(const CWindowEndpoint&) = delete;

    // Listens on the socket of nWindowId in the runtime directory (a socket
    // file left there by a dead process of the same id is replaced). False
    // with the reason.
    bool Open(intptr_t nWindowId, Handler fnHandler, Notice fnNotice, std::string& strError);
    // Unregisters, drops every connection and removes the socket file.
    void Close();
    bool IsOpen() const { return m_hListen >= 0; }

    // Makes the window findable by class and title (the registration file
    // holds the id); Unregister removes it when it still names this window.
    bool Register(const std::string& strClass, const std::string& strTitle, std::string& strError);
    void Unregister();

    // Readable whenever Dispatch has work (an epoll descriptor).
    int PollFd() const { return m_hEpoll; }
    // Accepts, reads, hands complete frames to the handler, replies. Never
    // waits for a peer.
    void Dispatch();

    intptr_t WindowId() const { return m_nWindowId; }
    const std::string& SocketPath() const { return m_strSocketPath; }
    int ConnectionCount() const { return static_cast<int>(m_Connections.size()); }

    // Peers beyond this many are refused (each costs a descriptor).
    static constexpr int kMaxConnections = 64;

private:
    struct SConnection;

    void Accept();
    void Serve(int hFd);
    // Handles the complete frames in the buffer; false when the
    // connection was dropped.
    bool HandleFrames(const std::shared_ptr<SConnection>& pConnection);
    void Drop(int hFd, int nLevel, const std::string& strWhy);
    void Say(int nLevel, const std::string& strText) const;
    bool Watch(int hFd);
    void Unwatch(int hFd);

    intptr_t m_nWindowId = 0;
    int m_hListen = -1;
    int m_hEpoll = -1;
    std::string m_strSocketPath;
    std::string m_strRegistrationPath;
    Handler m_fnHandler;
    Notice m_fnNotice;
    std::map<int, std::shared_ptr<SConnection>> m_Connections;
};

} // namespace platform
