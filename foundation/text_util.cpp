// Text conversions and formatting helpers.
#include "foundation/text_util.h"

#include "platform/text_encoding.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <shared_mutex>

namespace {

bool IsLeadByte(unsigned char ch)
{
    return ch >= 0x80;
}

std::shared_mutex& ResLock()
{
    static std::shared_mutex s_Lock;
    return s_Lock;
}

std::map<int, std::string>& ResTable()
{
    static std::map<int, std::string> s_Table;
    return s_Table;
}

// Digits with "," between groups of three.
std::string GroupDigits(const std::string& strDigits)
{
    std::string strResult;
    size_t nFirst = strDigits.size() % 3;
    if (nFirst == 0) {
        nFirst = 3;
    }
    for (size_t i = 0; i < strDigits.size(); ++i) {
        if (i >= nFirst && (i - nFirst) % 3 == 0) {
            strResult += ',';
        }
        strResult += strDigits[i];
    }
    return strResult;
}

// Adds one to a digit string ("999" -> "1000").
std::string IncrementDigits(std::string strDigits)
{
    for (size_t i = strDigits.size(); i-- > 0;) {
        if (strDigits[i] != '9') {
            ++strDigits[i];
            return strDigits;
        }
        strDigits[i] = '0';
    }
    strDigits.insert(strDigits.begin(), '1');
    return strDigits;
}

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

} // namespace

std::string ToUtf8(const std::string& strText)
{
    return platform::Cp949ToUtf8(strText);
}

std::string LoadResString(int nId)
{
    std::shared_lock<std::shared_mutex> lock(ResLock());
    auto it = ResTable().find(nId);
    return it == ResTable().end() ? std::string() : it->second;
}

void RegisterResString(int nId, const std::string& strText)
{
    std::unique_lock<std::shared_mutex> lock(ResLock());
    ResTable()[nId] = strText;
}

std::string MakeOneLine(const std::string& strText)
{
    std::string strResult;
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] == '\r' && i + 1 < strText.size() && strText[i + 1] == '\n') {
            strResult += ' ';
            ++i;
        } else {
            strResult += strText[i];
        }
    }
    return strResult;
}

std::string JoinSegments(const char* pBuffer, size_t nLength)
{
    std::string strResult;
    if (pBuffer == nullptr) {
        return strResult;
    }
    for (size_t i = 0; i < nLength; ++i) {
        if (pBuffer[i] != '\0') {
            strResult += pBuffer[i];
        }
    }
    return strResult;
}

std::string FormatNumber(long long nValue)
{
    return FormatNumber(std::to_string(nValue));
}

std::string FormatNumber(const std::string& strNumber)
{
    std::string strText;
    for (char ch : strNumber) {
        if (ch != '\r' && ch != '\n') {
            strText += ch;
        }
    }
    // [-]digits[.digits]; anything else is handed back as it is.
    size_t nPos = 0;
    bool bNegative = false;
    if (nPos < strText.size() && strText[nPos] == '-') {
        bNegative = true;
        ++nPos;
    }
    size_t nIntBegin = nPos;
    while (nPos < strText.size() && IsDigit(strText[nPos])) {
        ++nPos;
    }
    std::string strInt = strText.substr(nIntBegin, nPos - nIntBegin);
    bool bRoundUp = false;
    if (nPos < strText.size() && strText[nPos] == '.') {
        ++nPos;
        size_t nFracBegin = nPos;
        while (nPos < strText.size() && IsDigit(strText[nPos])) {
            ++nPos;
        }
        bRoundUp = nPos > nFracBegin && strText[nFracBegin] >= '5';
        if (strInt.empty() && nPos == nFracBegin) {
            return strText;
        }
    } else if (strInt.empty()) {
        return strText;
    }
    if (nPos != strText.size()) {
        return strText;
    }
    size_t nNonZero = strInt.find_first_not_of('0');
    strInt = nNonZero == std::string::npos ? "0" : strInt.substr(nNonZero);
    if (bRoundUp) {
        strInt = IncrementDigits(strInt);
    }
    bool bZero = strInt == "0";
    std::string strOut = GroupDigits(strInt);
    if (bNegative && !bZero) {
        strOut.insert(strOut.begin(), '-');
    }
    return strOut;
}

std::string FormatPhone(const std::string& strPhone)
{
    if (strPhone.size() >= 11) {
        return strPhone.substr(0, 3) + "-" + strPhone.substr(3, 4) + "-" + strPhone.substr(7);
    }
    if (strPhone.size() == 10) {
        return strPhone.substr(0, 3) + "-" + strPhone.substr(3, 3) + "-" + strPhone.substr(6);
    }
    return strPhone;
}

std::string RepeatChar(char ch, int nCount)
{
    if (nCount < 1 || nCount > 259) {
        return "";
    }
    return std::string(static_cast<size_t>(nCount), ch);
}

int CountChars(const std::string& strText)
{
    int nCount = 0;
    for (size_t i = 0; i < strText.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(strText[i]))) {
            ++i; // the trail byte (a lead byte at the very end counts alone)
        }
        ++nCount;
    }
    return nCount - 1;
}

std::string LeftChars(const std::string& strText)
{
    size_t nPos = 0;
    for (int nChars = 0; nChars < 8 && nPos < strText.size(); ++nChars) {
        nPos += IsLeadByte(static_cast<unsigned char>(strText[nPos])) ? 2 : 1;
    }
    return strText.substr(0, std::min(nPos, strText.size()));
}
