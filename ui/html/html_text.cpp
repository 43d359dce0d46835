// Unicode text helpers of the markup engine.
#include "ui/html/html_text.h"

#include "platform/text_encoding.h"

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

// The length of the UTF-8 sequence that starts with this byte, 0 if the
// byte cannot start one.
int SequenceLength(unsigned char c)
{
    if (c < 0x80) {
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        return 4;
    }
    return 0;
}

} // namespace

std::u32string HtmlFromUtf8(std::string_view strUtf8)
{
    std::u32string strOut;
    strOut.reserve(strUtf8.size());
    size_t i = 0;
    while (i < strUtf8.size()) {
        const auto c = static_cast<unsigned char>(strUtf8[i]);
        const int nLength = SequenceLength(c);
        if (nLength == 1) {
            strOut.push_back(c);
            ++i;
            continue;
        }
        if (nLength == 0 || i + nLength > strUtf8.size()) {
            strOut.push_back(REPLACEMENT);
            ++i;
            continue;
        }
        char32_t ch = c & (0x7F >> nLength);
        bool bValid = true;
        for (int k = 1; k < nLength; ++k) {
            const auto cc = static_cast<unsigned char>(strUtf8[i + k]);
            if ((cc & 0xC0) != 0x80) {
                bValid = false;
                break;
            }
            ch = (ch << 6) | (cc & 0x3F);
        }
        // Over-long forms, surrogates and values past U+10FFFF.
        const char32_t chMin = nLength == 2 ? 0x80 : nLength == 3 ? 0x800 : 0x10000;
        if (!bValid || ch < chMin || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) {
            strOut.push_back(REPLACEMENT);
            ++i;
            continue;
        }
        strOut.push_back(ch);
        i += nLength;
    }
    return strOut;
}

std::string HtmlToUtf8(std::u32string_view strText)
{
    std::string strOut;
    strOut.reserve(strText.size());
    for (char32_t ch : strText) {
        if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) {
            ch = REPLACEMENT;
        }
        if (ch < 0x80) {
            strOut.push_back(static_cast<char>(ch));
        } else if (ch < 0x800) {
            strOut.push_back(static_cast<char>(0xC0 | (ch >> 6)));
            strOut.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
        } else if (ch < 0x10000) {
            strOut.push_back(static_cast<char>(0xE0 | (ch >> 12)));
            strOut.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
            strOut.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
        } else {
            strOut.push_back(static_cast<char>(0xF0 | (ch >> 18)));
            strOut.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
            strOut.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
            strOut.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
        }
    }
    return strOut;
}

std::u32string HtmlFromCp949(const std::string& strCp949)
{
    return HtmlFromUtf8(platform::Cp949ToUtf8(strCp949));
}

std::u32string HtmlLowerAscii(std::u32string_view strText)
{
    std::u32string strOut(strText);
    for (char32_t& ch : strOut) {
        if (ch >= U'A' && ch <= U'Z') {
            ch += U'a' - U'A';
        }
    }
    return strOut;
}

std::u32string_view HtmlTrim(std::u32string_view strText)
{
    while (!strText.empty() && IsHtmlBlank(strText.front())) {
        strText.remove_prefix(1);
    }
    while (!strText.empty() && IsHtmlBlank(strText.back())) {
        strText.remove_suffix(1);
    }
    return strText;
}
