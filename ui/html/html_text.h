// Unicode text helpers of the markup engine: the engine works on UTF-32
// text; markup arrives as CP949 (the program's texts) or UTF-8.
#pragma once

#include <string>
#include <string_view>

// UTF-8 to UTF-32; a byte sequence that is not UTF-8 becomes U+FFFD.
std::u32string HtmlFromUtf8(std::string_view strUtf8);
std::string HtmlToUtf8(std::u32string_view strText);

// The program's CP949 text (a toast title or body) as engine text.
std::u32string HtmlFromCp949(const std::string& strCp949);

// ASCII letters to lower case; other characters unchanged.
std::u32string HtmlLowerAscii(std::u32string_view strText);

// A blank of the markup: space, tab, CR or LF.
constexpr bool IsHtmlBlank(char32_t ch)
{
    return ch == U' ' || ch == U'\t' || ch == U'\r' || ch == U'\n';
}

// The text without blanks at either end.
std::u32string_view HtmlTrim(std::u32string_view strText);
