// Receipt printer stream decoder and its text notation (see the header).
#include "tools/vprinter/receipt_decoder.h"

#include <cerrno>
#include <cstdio>
#include <iconv.h>
#include <mutex>

namespace vprinter {
namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kGs = 0x1D;
constexpr unsigned char kDle = 0x10;
constexpr unsigned char kEot = 0x04;
constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;

bool IsLeadByte(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}

bool IsTrailByte(unsigned char c)
{
    return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}

bool IsPrintableAscii(unsigned char c)
{
    return c >= 0x20 && c <= 0x7E;
}

unsigned char At(std::string_view bytes, size_t n)
{
    return static_cast<unsigned char>(bytes[n]);
}

std::string Hex(std::string_view bytes)
{
    std::string strOut;
    char szHex[4];
    for (unsigned char c : bytes) {
        if (!strOut.empty()) {
            strOut += ' ';
        }
        std::snprintf(szHex, sizeof(szHex), "%02X", c);
        strOut += szHex;
    }
    return strOut;
}

std::string ModeMarker(uint8_t nMode)
{
    if (nMode == 0) {
        return "{/}";
    }
    std::string strOut = "{";
    if (nMode & kModeEmphasized) {
        strOut += 'B';
    }
    if (nMode & kModeDoubleHeight) {
        strOut += 'H';
    }
    if (nMode & kModeDoubleWidth) {
        strOut += 'W';
    }
    const uint8_t nOther = nMode & ~(kModeEmphasized | kModeDoubleHeight | kModeDoubleWidth);
    if (nOther != 0) {
        char szHex[8];
        std::snprintf(szHex, sizeof(szHex), "+%02X", nOther);
        strOut += szHex;
    }
    return strOut + "}";
}

// Text bytes (valid CP949 characters) to the notation: escapes for the
// marker characters, hex for characters CP949 leaves undefined.
void AppendText(std::string& strOut, std::string_view bytes)
{
    size_t n = 0;
    while (n < bytes.size()) {
        const size_t nLen = IsLeadByte(At(bytes, n)) && n + 1 < bytes.size() ? 2 : 1;
        const std::string_view character = bytes.substr(n, nLen);
        std::string strUtf8;
        if (nLen == 1 && (character[0] == '\\' || character[0] == '{' || character[0] == '<')) {
            strOut += '\\';
            strOut += character[0];
        } else if (Utf8FromCp949Char(character, strUtf8)) {
            strOut += strUtf8;
        } else {
            strOut += "<" + Hex(character) + ">";
        }
        n += nLen;
    }
}

// One converter for the process; iconv descriptors keep state, so calls
// are serialised.
std::mutex g_iconvMutex;
iconv_t g_iconv = reinterpret_cast<iconv_t>(-1);

} // namespace

bool Utf8FromCp949Char(std::string_view character, std::string& strUtf8)
{
    strUtf8.clear();
    if (character.size() == 1 && At(character, 0) < 0x80) {
        strUtf8 = std::string(character);
        return true;
    }
    if (character.size() != 2 || !IsLeadByte(At(character, 0)) || !IsTrailByte(At(character, 1))) {
        return false;
    }
    std::lock_guard<std::mutex> lock(g_iconvMutex);
    if (g_iconv == reinterpret_cast<iconv_t>(-1)) {
        g_iconv = iconv_open("UTF-8", "CP949");
        if (g_iconv == reinterpret_cast<iconv_t>(-1)) {
            return false;
        }
    }
    char szIn[2] = {character[0], character[1]};
    char szOut[8];
    char* pIn = szIn;
    size_t nInLeft = 2;
    char* pOut = szOut;
    size_t nOutLeft = sizeof(szOut);
    iconv(g_iconv, nullptr, nullptr, nullptr, nullptr);
    if (iconv(g_iconv, &pIn, &nInLeft, &pOut, &nOutLeft) == static_cast<size_t>(-1) ||
        nInLeft != 0) {
        return false;
    }
    strUtf8.assign(szOut, sizeof(szOut) - nOutLeft);
    return true;
}

size_t CReceiptDecoder::NextToken(std::string_view bytes, bool bFinal, ETokenKind& eKind)
{
    const unsigned char c = At(bytes, 0);
    const size_t nHave = bytes.size();
    eKind = TOKEN_UNKNOWN;
    if (IsPrintableAscii(c)) {
        eKind = TOKEN_TEXT;
        size_t n = 1;
        while (n < nHave && IsPrintableAscii(At(bytes, n))) {
            ++n;
        }
        return n;
    }
    if (IsLeadByte(c)) {
        if (nHave < 2) {
            return bFinal ? 1 : 0;
        }
        if (IsTrailByte(At(bytes, 1))) {
            eKind = TOKEN_TEXT;
            return 2;
        }
        return 1;
    }
    if (c == kLf) {
        eKind = TOKEN_LF;
        return 1;
    }
    if (c == kCr) {
        if (nHave < 2) {
            return bFinal ? 1 : 0;
        }
        if (At(bytes, 1) == kLf) {
            eKind = TOKEN_CRLF;
            return 2;
        }
        return 1;
    }
    if (c == kDle) {
        if (nHave < 3) {
            return bFinal ? 1 : 0;
        }
        const unsigned char n = At(bytes, 2);
        if (At(bytes, 1) == kEot && n >= 1 && n <= 4) {
            eKind = TOKEN_REALTIME;
            return 3;
        }
        return 1;
    }
    if (c != kEsc && c != kGs) {
        return 1;
    }
    // ESC and GS: an incomplete command at the end of the data is unknown.
    if (nHave < 2) {
        return bFinal ? nHave : 0;
    }
    const unsigned char c1 = At(bytes, 1);
    if (c == kEsc) {
        switch (c1) {
        case '@':
            eKind = TOKEN_INIT;
            return 2;
        case 'i':
            eKind = TOKEN_CUT;
            return 2;
        case '!':
        case 'a':
            if (nHave < 3) {
                return bFinal ? nHave : 0;
            }
            if (c1 == '!') {
                eKind = TOKEN_MODE;
            } else {
                const unsigned char n = At(bytes, 2);
                if (n <= 2 || (n >= '0' && n <= '2')) {
                    eKind = TOKEN_JUSTIFY;
                }
            }
            return 3;
        default:
            return 2;
        }
    }
    if (c1 != 'V') {
        return 2;
    }
    if (nHave < 3) {
        return bFinal ? nHave : 0;
    }
    const unsigned char m = At(bytes, 2);
    if (m == 0 || m == 1 || m == 48 || m == 49) {
        eKind = TOKEN_CUT;
        return 3;
    }
    if (m == 65 || m == 66 || m == 97 || m == 98 || m == 103 || m == 104) {
        if (nHave < 4) {
            return bFinal ? nHave : 0;
        }
        eKind = TOKEN_CUT;
        return 4;
    }
    return 3;
}

void CReceiptDecoder::AddSegment(SSegment::EKind eKind, std::string_view bytes)
{
    if (m_line.m_vecSegments.empty()) {
        m_line.m_eJustify = m_eJustify;
    }
    std::vector<SSegment>& vecSegments = m_line.m_vecSegments;
    if (eKind == SSegment::KIND_TEXT && !vecSegments.empty() &&
        vecSegments.back().m_eKind == SSegment::KIND_TEXT &&
        vecSegments.back().m_nMode == m_nMode) {
        vecSegments.back().m_strBytes += bytes;
        return;
    }
    SSegment segment;
    segment.m_eKind = eKind;
    segment.m_nMode = eKind == SSegment::KIND_TEXT ? m_nMode : 0;
    segment.m_strBytes = std::string(bytes);
    vecSegments.push_back(std::move(segment));
}

void CReceiptDecoder::EndLine(SPrintLine::EEnd eEnd)
{
    if (m_line.m_vecSegments.empty()) {
        m_line.m_eJustify = m_eJustify;
    }
    m_line.m_eEnd = eEnd;
    m_current.m_vecLines.push_back(std::move(m_line));
    m_line = SPrintLine();
}

void CReceiptDecoder::Apply(ETokenKind eKind, std::string_view token)
{
    m_current.m_strRaw += token;
    switch (eKind) {
    case TOKEN_TEXT:
        AddSegment(SSegment::KIND_TEXT, token);
        break;
    case TOKEN_UNKNOWN:
        AddSegment(SSegment::KIND_UNKNOWN, token);
        break;
    case TOKEN_INIT:
        if (!m_line.IsEmpty()) {
            AddSegment(SSegment::KIND_INIT, token);
        }
        m_nMode = 0;
        m_eJustify = JUSTIFY_LEFT;
        break;
    case TOKEN_MODE:
        m_nMode = At(token, 2);
        break;
    case TOKEN_JUSTIFY: {
        const unsigned char n = At(token, 2);
        m_eJustify = static_cast<EJustify>(n >= '0' ? n - '0' : n);
        break;
    }
    case TOKEN_CRLF:
        EndLine(SPrintLine::END_CRLF);
        break;
    case TOKEN_LF:
        // The bare LF is shown, so the line says it did not end in CR LF.
        AddSegment(SSegment::KIND_UNKNOWN, token);
        EndLine(SPrintLine::END_LF);
        break;
    case TOKEN_CUT:
        if (!m_line.IsEmpty()) {
            EndLine(SPrintLine::END_NO_FEED);
        }
        m_current.m_strCut = std::string(token);
        m_vecDone.push_back(std::move(m_current));
        m_current = SReceipt();
        break;
    case TOKEN_REALTIME:
        break; // a question to the printer, nothing on paper
    }
}

void CReceiptDecoder::Consume(bool bFinal)
{
    std::string_view rest = m_strPending;
    while (!rest.empty()) {
        ETokenKind eKind;
        const size_t nLen = NextToken(rest, bFinal, eKind);
        if (nLen == 0) {
            break;
        }
        Apply(eKind, rest.substr(0, nLen));
        rest.remove_prefix(nLen);
    }
    m_strPending = std::string(rest);
}

void CReceiptDecoder::Feed(std::string_view bytes)
{
    m_strPending += bytes;
    Consume(false);
}

bool CReceiptDecoder::HasPendingContent() const
{
    return !m_current.m_vecLines.empty() || !m_line.IsEmpty();
}

void CReceiptDecoder::Finish()
{
    Consume(true);
    if (!m_line.IsEmpty()) {
        EndLine(SPrintLine::END_NO_FEED);
    }
    if (!m_current.m_vecLines.empty()) {
        m_vecDone.push_back(std::move(m_current));
    }
    m_current = SReceipt();
    m_line = SPrintLine();
    m_nMode = 0;
    m_eJustify = JUSTIFY_LEFT;
}

std::vector<SReceipt> CReceiptDecoder::TakeReceipts()
{
    std::vector<SReceipt> vecOut;
    vecOut.swap(m_vecDone);
    return vecOut;
}

std::vector<SReceipt> DecodeReceipts(std::string_view bytes)
{
    CReceiptDecoder decoder;
    decoder.Feed(bytes);
    decoder.Finish();
    return decoder.TakeReceipts();
}

std::string ReceiptText(const SReceipt& receipt)
{
    static const char kJustify[] = {'L', 'C', 'R'};
    std::string strOut;
    for (const SPrintLine& line : receipt.m_vecLines) {
        strOut += kJustify[line.m_eJustify];
        strOut += '|';
        uint8_t nShown = 0;
        for (const SSegment& segment : line.m_vecSegments) {
            switch (segment.m_eKind) {
            case SSegment::KIND_TEXT:
                if (segment.m_nMode != nShown) {
                    strOut += ModeMarker(segment.m_nMode);
                    nShown = segment.m_nMode;
                }
                AppendText(strOut, segment.m_strBytes);
                break;
            case SSegment::KIND_UNKNOWN:
                strOut += "<" + Hex(segment.m_strBytes) + ">";
                break;
            case SSegment::KIND_INIT:
                strOut += "{@}";
                break;
            }
        }
        if (nShown != 0) {
            strOut += "{/}";
        }
        strOut += line.m_eEnd == SPrintLine::END_NO_FEED ? "|(no LF)\n" : "|\n";
    }
    if (receipt.IsCut()) {
        strOut += "-- cut " + Hex(receipt.m_strCut) + "\n";
    } else {
        strOut += "-- no cut (data ended)\n";
    }
    return strOut;
}

std::string StreamText(std::string_view bytes)
{
    std::string strOut;
    for (const SReceipt& receipt : DecodeReceipts(bytes)) {
        strOut += ReceiptText(receipt);
    }
    return strOut;
}

} // namespace vprinter
