// The client side of a window endpoint: what SendMessage, PostMessage and
// FindWindow are for another process's window.
#pragma once

#include "platform/window_endpoint_format.h"

#include <string>

namespace platform {

class CWindowEndpointClient
{
public:
    CWindowEndpointClient() = default;
    ~CWindowEndpointClient();
    CWindowEndpointClient(const CWindowEndpointClient&) = delete;
    CWindowEndpointClient& operator=(const CWindowEndpointClient&) = delete;

    // Connects to the endpoint of nWindowId in the runtime directory.
    bool Connect(intptr_t nWindowId, std::string& strError);
    // Writes the frame; without WINDOW_FRAME_POST waits for the reply,
    // at most nTimeoutMs (negative: as long as it takes, like a sent
    // window message).
    bool Send(const SWindowFrame& frame, SWindowReply& reply, int nTimeoutMs,
              std::string& strError);
    // Writes bytes as they are (tests of broken frames).
    bool SendRaw(const std::string& strBytes, std::string& strError);
    // Waits for one reply.
    bool ReadReply(SWindowReply& reply, int nTimeoutMs, std::string& strError);
    void Close();
    bool IsConnected() const { return m_hSocket >= 0; }

private:
    int m_hSocket = -1;
};

// Connects, sends one frame and waits for its reply (SendMessage).
bool SendWindowMessage(intptr_t nWindowId, const SWindowFrame& frame, SWindowReply& reply,
                       int nTimeoutMs, std::string& strError);

// The window registered under class and title (FindWindow): its id, or 0
// when none is registered or its endpoint is gone.
intptr_t FindRegisteredWindow(const std::string& strClass, const std::string& strTitle);

} // namespace platform
