// CP949 <-> UTF-8 through iconv.
#include "platform/text_encoding.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

// Converts with one iconv descriptor per call (descriptors hold state and
// must not be shared between threads). An input byte that cannot be
// converted is replaced and skipped; pbReplaced, when given, tells
// whether that happened.
std::string Convert(const char* pszTo, const char* pszFrom, const std::string& strText,
                    const std::string& strReplacement, bool bUtf8Source, bool* pbReplaced = nullptr)
{
    if (pbReplaced != nullptr) {
        *pbReplaced = false;
    }
    iconv_t hConv = ::iconv_open(pszTo, pszFrom);
    if (hConv == reinterpret_cast<iconv_t>(-1)) {
        if (pbReplaced != nullptr) {
            *pbReplaced = !strText.empty();
        }
        return "";
    }
    std::string strResult;
    char* pIn = const_cast<char*>(strText.data());
    size_t nInLeft = strText.size();
    char szOut[1024];
    while (nInLeft > 0) {
        char* pOut = szOut;
        size_t nOutLeft = sizeof(szOut);
        size_t nDone = ::iconv(hConv, &pIn, &nInLeft, &pOut, &nOutLeft);
        int nError = errno;
        strResult.append(szOut, static_cast<size_t>(pOut - szOut));
        if (nDone != static_cast<size_t>(-1)) {
            break;
        }
        if (nError == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL (a cut-off sequence at the end): skip one byte.
        strResult += strReplacement;
        if (pbReplaced != nullptr) {
            *pbReplaced = true;
        }
        ++pIn;
        --nInLeft;
        // In UTF-8 the rest of the character goes with its first byte.
        while (bUtf8Source && nInLeft > 0 && (static_cast<unsigned char>(*pIn) & 0xC0) == 0x80) {
            ++pIn;
            --nInLeft;
        }
        ::iconv(hConv, nullptr, nullptr, nullptr, nullptr);
    }
    char* pOut = szOut;
    size_t nOutLeft = sizeof(szOut);
    ::iconv(hConv, nullptr, nullptr, &pOut, &nOutLeft);
    strResult.append(szOut, static_cast<size_t>(pOut - szOut));
    ::iconv_close(hConv);
    return strResult;
}

} // namespace

std::string Cp949ToUtf8(const std::string& strText)
{
    return Convert("UTF-8", "CP949", strText, "\xEF\xBF\xBD", false);
}

std::string Utf8ToCp949(const std::string& strText)
{
    return Convert("CP949", "UTF-8", strText, "?", true);
}

bool Utf8ToCp949Exact(const std::string& strText, std::string& strCp949)
{
    bool bReplaced = false;
    std::string strResult = Convert("CP949", "UTF-8", strText, "?", true, &bReplaced);
    if (bReplaced) {
        return false;
    }
    strCp949 = std::move(strResult);
    return true;
}

} // namespace platform
