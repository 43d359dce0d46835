// Encoding and parsing of endpoint frames; endpoint file names.
#include "platform/window_endpoint_format.h"

#include <atomic>
#include <unistd.h>

namespace platform {

namespace {

void PutLe(std::string& strOut, uint64_t nValue, int nBytes)
{
    for (int i = 0; i < nBytes; ++i) {
        strOut += static_cast<char>((nValue >> (8 * i)) & 0xFF);
    }
}

uint64_t GetLe(const char* pData, int nBytes)
{
    uint64_t nValue = 0;
    for (int i = nBytes - 1; i >= 0; --i) {
        nValue = (nValue << 8) | static_cast<unsigned char>(pData[i]);
    }
    return nValue;
}

std::string Hex(const std::string& strBytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string strHex;
    for (unsigned char ch : strBytes) {
        strHex += kDigits[ch >> 4];
        strHex += kDigits[ch & 0xF];
    }
    return strHex;
}

} // namespace

std::string EncodeWindowFrame(const SWindowFrame& frame)
{
    std::string strOut;
    strOut.reserve(kWindowFrameHeaderSize + frame.strPayload.size());
    PutLe(strOut, kWindowFrameMagic, 4);
    PutLe(strOut, kWindowFrameVersion, 2);
    PutLe(strOut, frame.nFlags, 2);
    PutLe(strOut, frame.nMessage, 4);
    PutLe(strOut, frame.strPayload.size(), 4);
    PutLe(strOut, frame.wParam, 8);
    PutLe(strOut, static_cast<uint64_t>(frame.lParam), 8);
    strOut += frame.strPayload;
    return strOut;
}

uint32_t PeekFrameMagic(const char* pData, size_t nSize)
{
    return nSize >= 4 ? static_cast<uint32_t>(GetLe(pData, 4)) : 0;
}

uint32_t PeekFramePayloadLength(const char* pData, size_t nSize)
{
    return nSize >= 16 ? static_cast<uint32_t>(GetLe(pData + 12, 4)) : 0;
}

EWindowFrameParse ParseWindowFrame(const char* pData, size_t nSize, SWindowFrame& frame,
                                   size_t& nConsumed)
{
    nConsumed = 0;
    // The magic is judged on its first bytes, so garbage is refused at once.
    for (size_t i = 0; i < 4 && i < nSize; ++i) {
        if (static_cast<unsigned char>(pData[i]) != ((kWindowFrameMagic >> (8 * i)) & 0xFF)) {
            return EWindowFrameParse::BadMagic;
        }
    }
    if (nSize < kWindowFrameHeaderSize) {
        return EWindowFrameParse::NeedMore;
    }
    if (GetLe(pData + 4, 2) != kWindowFrameVersion) {
        return EWindowFrameParse::BadVersion;
    }
    uint16_t nFlags = static_cast<uint16_t>(GetLe(pData + 6, 2));
    uint32_t nLength = static_cast<uint32_t>(GetLe(pData + 12, 4));
    if (nLength > kWindowFrameMaxPayload) {
        return EWindowFrameParse::TooLarge;
    }
    if ((nFlags & ~WINDOW_FRAME_KNOWN_FLAGS) != 0 ||
        ((nFlags & (WINDOW_FRAME_NO_DATA | WINDOW_FRAME_NO_RECORD)) != 0 && nLength != 0)) {
        return EWindowFrameParse::BadFlags;
    }
    if (nSize < kWindowFrameHeaderSize + nLength) {
        return EWindowFrameParse::NeedMore;
    }
    frame.nFlags = nFlags;
    frame.nMessage = static_cast<uint32_t>(GetLe(pData + 8, 4));
    frame.wParam = GetLe(pData + 16, 8);
    frame.lParam = static_cast<int64_t>(GetLe(pData + 24, 8));
    frame.strPayload.assign(pData + kWindowFrameHeaderSize, nLength);
    nConsumed = kWindowFrameHeaderSize + nLength;
    return EWindowFrameParse::Complete;
}

std::string EncodeWindowReply(const SWindowReply& reply)
{
    std::string strOut;
    PutLe(strOut, kWindowReplyMagic, 4);
    PutLe(strOut, kWindowFrameVersion, 2);
    PutLe(strOut, reply.nStatus, 2);
    PutLe(strOut, static_cast<uint64_t>(reply.nResult), 8);
    return strOut;
}

bool ParseWindowReply(const char* pData, size_t nSize, SWindowReply& reply)
{
    if (nSize < kWindowReplySize || GetLe(pData, 4) != kWindowReplyMagic ||
        GetLe(pData + 4, 2) != kWindowFrameVersion) {
        return false;
    }
    reply.nStatus = static_cast<uint16_t>(GetLe(pData + 6, 2));
    reply.nResult = static_cast<int64_t>(GetLe(pData + 8, 8));
    return true;
}

intptr_t AllocateWindowId()
{
    static std::atomic<int> s_nNext{1};
    int nIndex = (s_nNext.fetch_add(1) - 1) % 255 + 1; // 1..255, then again
    return static_cast<intptr_t>(::getpid()) * 256 + nIndex;
}

std::string WindowEndpointPath(const std::string& strRuntimeDir, intptr_t nWindowId)
{
    return strRuntimeDir + "/zelkor-window-" + std::to_string(static_cast<long long>(nWindowId)) +
           ".sock";
}

std::string WindowRegistrationPath(const std::string& strRuntimeDir, const std::string& strClass,
                                   const std::string& strTitle)
{
    return strRuntimeDir + "/zelkor-window-" + Hex(strClass) + "-" + Hex(strTitle) + ".id";
}

} // namespace platform
