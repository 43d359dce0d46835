// A local TCP printer for network port tests: listens on 127.0.0.1 at an
// ephemeral port and collects what one or more clients send.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class CTcpListener
{
public:
    struct Options
    {
        int nBacklog = 8;
        bool bAccept = true;             // false: never accepts (backlog only)
        int nReadDelayMs = 0;            // waits this long after accept before reading
        int nReceiveBufferBytes = 0;     // SO_RCVBUF on the listener when > 0
        std::string strReply;            // sent back after the first bytes arrive
        int nPort = 0;                   // a fixed port (0: an ephemeral one)
        long long nCloseAfterBytes = -1; // closes a connection once it brought this many
    };

    CTcpListener() : CTcpListener(Options{}) {}
    explicit CTcpListener(const Options& options);
    ~CTcpListener();
    CTcpListener(const CTcpListener&) = delete;
    CTcpListener& operator=(const CTcpListener&) = delete;

    int Port() const { return m_nPort; }

    // Waits until nBytes arrived or nTimeoutMs passed; returns all so far.
    std::string WaitForBytes(size_t nBytes, int nTimeoutMs) const;
    // Waits until a connection has ended: the client closed its side after
    // sending (EOF seen) or the listener closed it (nCloseAfterBytes).
    bool WaitForClientClose(int nTimeoutMs) const;
    std::string Received() const;
    int Connections() const { return m_nConnections; }
    bool ResetSeen() const { return m_bReset; }

    // Fills the accept queue of a non-accepting listener so that further
    // connects get no answer; the filling connections live with the object.
    void FillBacklog();

    // A port on 127.0.0.1 with nothing listening (bound, then closed).
    static int FreePort();

private:
    void Run();

    Options m_Options;
    int m_hListen = -1;
    int m_hWake[2] = {-1, -1};
    int m_nPort = 0;
    std::thread m_Thread;
    mutable std::mutex m_Lock;
    std::string m_strReceived;
    std::atomic<int> m_nConnections{0};
    std::atomic<int> m_nClosed{0};
    std::atomic<bool> m_bReset{false};
    std::vector<int> m_Fillers;
};

} // namespace testsupport
