// CJsonFastReader: RapidJSON's SAX reader building jsoncpp values.
#include "foundation/json_fast_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <rapidjson/reader.h>
#include <rapidjson/stream.h>
#include <string>
#include <utility>
#include <vector>

namespace {

// No comments, no encoding validation (CP949 bytes are copied as they are),
// numbers handed over as their text, and the root alone: what follows it is
// judged here, as jsoncpp ignores it. In situ: strings are unescaped inside
// a copy of the text, so the reader never touches its own work stack (whose
// first growth in RapidJSON 1.1 does arithmetic on a null pointer).
constexpr unsigned kParseFlags = rapidjson::kParseStopWhenDoneFlag |
                                 rapidjson::kParseNumbersAsStringsFlag |
                                 rapidjson::kParseInsituFlag;

// Texts up to this size are copied into a buffer the thread keeps.
constexpr size_t kKeptBufferSize = 64 * 1024;

// jsoncpp reads reals through a stream in the classic locale; strtod in
// the "C" locale gives the same correctly rounded double, whatever locale
// the process has set.
locale_t ClassicLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// A real, or an integer too big for 64 bits. Out of range or not finite:
// refused, since jsoncpp's stream conversion fails on overflow and its
// result on underflow is left to jsoncpp itself.
bool DecodeReal(const char* pText, size_t nLength, Json::Value& out)
{
    const locale_t loc = ClassicLocale();
    if (loc == static_cast<locale_t>(nullptr)) {
        return false;
    }
    char szShort[64];
    std::string strLong;
    const char* pszText = szShort;
    if (nLength < sizeof(szShort)) {
        std::memcpy(szShort, pText, nLength);
        szShort[nLength] = '\0';
    } else {
        strLong.assign(pText, nLength);
        pszText = strLong.c_str();
    }
    char* pEnd = nullptr;
    errno = 0;
    const double dValue = strtod_l(pszText, &pEnd, loc);
    if (pEnd != pszText + nLength || errno == ERANGE || !std::isfinite(dValue)) {
        return false;
    }
    out = Json::Value(dValue);
    return true;
}

// jsoncpp 1.9's integer rules: negative -> Int64 (the smallest one
// included), non-negative up to the largest 32-bit int -> Int64, above that
// up to the largest UInt64 -> UInt64; anything else (fraction, exponent,
// more digits) is a real.
bool DecodeNumber(const char* pText, size_t nLength, Json::Value& out)
{
    const char* pCurrent = pText;
    const char* pEnd = pText + nLength;
    const bool bNegative = pCurrent != pEnd && *pCurrent == '-';
    if (bNegative) {
        ++pCurrent;
    }
    const Json::UInt64 nMax = bNegative ? Json::UInt64(Json::Value::maxLargestInt) + 1
                                        : Json::UInt64(Json::Value::maxLargestUInt);
    const Json::UInt64 nThreshold = nMax / 10;
    Json::UInt64 nValue = 0;
    while (pCurrent < pEnd) {
        const char ch = *pCurrent++;
        if (ch < '0' || ch > '9') {
            return DecodeReal(pText, nLength, out);
        }
        const auto nDigit = static_cast<Json::UInt64>(ch - '0');
        if (nValue >= nThreshold &&
            (nValue > nThreshold || pCurrent != pEnd || nDigit > nMax % 10)) {
            return DecodeReal(pText, nLength, out);
        }
        nValue = nValue * 10 + nDigit;
    }
    if (bNegative && nValue == nMax) {
        out = Json::Value(Json::Value::minLargestInt);
    } else if (bNegative) {
        out = Json::Value(-static_cast<Json::Int64>(nValue));
    } else if (nValue <= Json::UInt64(Json::Value::maxInt)) {
        out = Json::Value(static_cast<Json::Int64>(nValue));
    } else {
        out = Json::Value(nValue);
    }
    return true;
}

// SAX handler: every event lands in the value being built. Returning false
// stops the reader, which the caller takes as a refusal.
class CValueBuilder
{
public:
    explicit CValueBuilder(Json::Value& root) : m_Root(root) { m_vecOpen.reserve(16); }

    bool Null() { return Put(Json::Value()); }
    bool Bool(bool bValue) { return Put(Json::Value(bValue)); }
    // Numbers arrive as text (RawNumber); the typed events never come.
    bool Int(int) { return false; }
    bool Uint(unsigned) { return false; }
    bool Int64(int64_t) { return false; }
    bool Uint64(uint64_t) { return false; }
    bool Double(double) { return false; }

    bool RawNumber(const char* pText, rapidjson::SizeType nLength, bool)
    {
        Json::Value number;
        if (!DecodeNumber(pText, nLength, number)) {
            return false;
        }
        if (m_vecOpen.empty()) {
            m_bNumberRoot = true;
        }
        return Put(std::move(number));
    }

    bool String(const char* pText, rapidjson::SizeType nLength, bool)
    {
        return Put(Json::Value(pText, pText + nLength));
    }

    // The member is looked up (or added) now: the key's bytes live only
    // until the reader's next step. A repeated key gets the last value, as
    // in jsoncpp.
    bool Key(const char* pText, rapidjson::SizeType nLength, bool)
    {
        m_pMember = m_vecOpen.back()->demand(pText, pText + nLength);
        return true;
    }

    bool StartObject() { return Open(Json::objectValue); }
    bool EndObject(rapidjson::SizeType) { return Close(); }
    bool StartArray() { return Open(Json::arrayValue); }
    bool EndArray(rapidjson::SizeType) { return Close(); }

    bool NumberRoot() const { return m_bNumberRoot; }

private:
    // Where the next value goes: the root, a new array element or the
    // member named by the last key.
    Json::Value& Slot()
    {
        if (m_vecOpen.empty()) {
            return m_Root;
        }
        Json::Value& parent = *m_vecOpen.back();
        if (parent.type() == Json::arrayValue) {
            return parent.append(Json::Value());
        }
        return *m_pMember;
    }

    // Only the payload moves (as in jsoncpp's reader): a whole-value move
    // also swaps comments and offsets, which a parsed value never has.
    bool Put(Json::Value&& value)
    {
        if (!m_vecOpen.empty() && m_vecOpen.back()->type() == Json::arrayValue) {
            m_vecOpen.back()->append(std::move(value));
        } else {
            Slot().swapPayload(value);
        }
        return true;
    }

    // The depth cap acts here, before the reader recurses any deeper.
    bool Open(Json::ValueType eType)
    {
        if (m_vecOpen.size() >= CJsonFastReader::kMaxDepth) {
            return false;
        }
        Json::Value& slot = Slot();
        Json::Value container(eType);
        slot.swapPayload(container);
        m_vecOpen.push_back(&slot);
        return true;
    }

    bool Close()
    {
        m_vecOpen.pop_back();
        return true;
    }

    Json::Value& m_Root;
    // Open containers; their addresses stay valid, as jsoncpp keeps
    // elements and members in node-based maps.
    std::vector<Json::Value*> m_vecOpen;
    Json::Value* m_pMember = nullptr;
    bool m_bNumberRoot = false;
};

// Characters that would continue a number in jsoncpp's reader.
bool ContinuesNumber(char ch)
{
    return (ch >= '0' && ch <= '9') || ch == '.' || ch == 'e' || ch == 'E' || ch == '+' ||
           ch == '-';
}

} // namespace

bool CJsonFastReader::Parse(const char* pText, size_t nLength, Json::Value& out)
{
    // RapidJSON counts in 32 bits; jsoncpp's strings and keys hold less
    // than 2^30 bytes. Such documents are jsoncpp's to judge.
    if (nLength >= (size_t(1) << 30)) {
        return false;
    }
    // The copy ends in a NUL, as the in-situ stream needs. A NUL inside the
    // text reads as the end, exactly as a length-aware stream reports an
    // embedded NUL byte: the reader refuses it in a string or a container,
    // and after the root it is ignored text, as in jsoncpp.
    thread_local std::string strKept;
    std::string strLarge;
    std::string& strCopy = nLength <= kKeptBufferSize ? strKept : strLarge;
    strCopy.assign(pText, nLength);
    rapidjson::InsituStringStream stream(strCopy.data());
    rapidjson::Reader reader;
    Json::Value root;
    CValueBuilder builder(root);
    if (reader.Parse<kParseFlags>(stream, builder).IsError()) {
        return false;
    }
    // After a number jsoncpp's reader takes more characters than RapidJSON
    // ("01", "1.", "1e"): the value would differ.
    const size_t nEnd = stream.Tell();
    if (builder.NumberRoot() && nEnd < nLength && ContinuesNumber(pText[nEnd])) {
        return false;
    }
    out = std::move(root);
    return true;
}
