// The wire format and the file names of a window endpoint: how another
// process (the agent, a second start of the program, nubeq-send) reaches
// a window of the program. docs/agent-endpoint.md describes the same for
// agent writers.
//
// A window id stands for a window handle. The endpoint of window id N is
// the Unix stream socket <runtime directory>/zelkor-window-N.sock; a
// window that can be found by class and title (FindWindow) also has a
// registration file naming its id.
//
// Frame (all integers little-endian), 32 bytes then the payload:
//   0  u32 magic 0x46574B5A ("ZKWF")   16 u64 wParam
//   4  u16 version (1)                 24 i64 lParam
//   6  u16 flags                       32 payload (length bytes)
//   8  u32 message
//  12  u32 payload length (at most 16 MiB)
// Reply to every frame without WINDOW_FRAME_POST, 16 bytes:
//   0  u32 magic 0x52574B5A ("ZKWR")   8 i64 result
//   4  u16 version (1)
//   6  u16 status (0 handled, 1 refused)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

constexpr uint32_t kWindowFrameMagic = 0x46574B5A;
constexpr uint32_t kWindowReplyMagic = 0x52574B5A;
constexpr uint16_t kWindowFrameVersion = 1;
constexpr size_t kWindowFrameHeaderSize = 32;
constexpr size_t kWindowReplySize = 16;
constexpr uint32_t kWindowFrameMaxPayload = 16u * 1024u * 1024u;

// Flags. For copy-data (message 0x004A, lParam the event type, payload the
// data block): NO_RECORD stands for a null copy-data record, NO_DATA for a
// null data pointer (the payload is then empty).
constexpr uint16_t WINDOW_FRAME_NO_RECORD = 0x1;
constexpr uint16_t WINDOW_FRAME_NO_DATA = 0x2;
// Posted: the sender wants no reply.
constexpr uint16_t WINDOW_FRAME_POST = 0x4;
constexpr uint16_t WINDOW_FRAME_KNOWN_FLAGS = 0x7;

constexpr uint16_t WINDOW_REPLY_HANDLED = 0;
constexpr uint16_t WINDOW_REPLY_REFUSED = 1;

struct SWindowFrame
{
    uint32_t nMessage = 0;
    uint16_t nFlags = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    std::string strPayload;
};

struct SWindowReply
{
    uint16_t nStatus = WINDOW_REPLY_HANDLED;
    int64_t nResult = 0;
};

enum class EWindowFrameParse
{
    NeedMore,   // not a whole frame yet
    Complete,   // frame filled, nConsumed bytes used
    BadMagic,   // not a frame of this format: the stream cannot be resynchronised
    BadVersion, // a version this side does not speak
    BadFlags,   // unknown flag bits, or NO_DATA with a payload
    TooLarge,   // the payload length is above kWindowFrameMaxPayload
};

std::string EncodeWindowFrame(const SWindowFrame& frame);
// Reads the header as soon as it is there, so a bad or oversize frame is
// refused before its payload arrives.
EWindowFrameParse ParseWindowFrame(const char* pData, size_t nSize, SWindowFrame& frame,
                                   size_t& nConsumed);
// The header fields of a buffer holding at least a header (for messages
// about a refused frame).
uint32_t PeekFrameMagic(const char* pData, size_t nSize);
uint32_t PeekFramePayloadLength(const char* pData, size_t nSize);

std::string EncodeWindowReply(const SWindowReply& reply);
// False when the bytes are not a reply of this format.
bool ParseWindowReply(const char* pData, size_t nSize, SWindowReply& reply);

// A new window id of this process: unique among the live windows of every
// process of the machine (the process id times 256 plus a counter).
intptr_t AllocateWindowId();

// <strRuntimeDir>/zelkor-window-<id>.sock
std::string WindowEndpointPath(const std::string& strRuntimeDir, intptr_t nWindowId);
// <strRuntimeDir>/zelkor-window-<class bytes hex>-<title bytes hex>.id
std::string WindowRegistrationPath(const std::string& strRuntimeDir, const std::string& strClass,
                                   const std::string& strTitle);

} // namespace platform
