// CP949 conversions for tests, through iconv.
#include "tests/support/cp949.h"

#include <cstdio>
#include <iconv.h>
#include <stdexcept>

namespace testsupport {
namespace {

std::string Convert(const char* pszTo, const char* pszFrom, const std::string& strIn)
{
    iconv_t cd = iconv_open(pszTo, pszFrom);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv_open failed");
    }
    std::string strOut(strIn.size() * 4 + 4, '\0');
    char* pIn = const_cast<char*>(strIn.data());
    size_t nInLeft = strIn.size();
    char* pOut = strOut.data();
    size_t nOutLeft = strOut.size();
    size_t nRc = iconv(cd, &pIn, &nInLeft, &pOut, &nOutLeft);
    iconv_close(cd);
    if (nRc == static_cast<size_t>(-1)) {
        throw std::runtime_error("iconv failed");
    }
    strOut.resize(strOut.size() - nOutLeft);
    return strOut;
}

} // namespace

std::string Cp949FromUtf8(const std::u8string& strUtf8)
{
    return Convert("CP949", "UTF-8", std::string(strUtf8.begin(), strUtf8.end()));
}

std::string Utf8FromCp949(const std::string& strCp949)
{
    return Convert("UTF-8", "CP949", strCp949);
}

std::string HexBytes(const std::string& strBytes)
{
    std::string strOut;
    char szHex[4];
    for (unsigned char c : strBytes) {
        if (!strOut.empty()) {
            strOut += ' ';
        }
        std::snprintf(szHex, sizeof(szHex), "%02X", c);
        strOut += szHex;
    }
    return strOut;
}

} // namespace testsupport
