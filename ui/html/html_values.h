// Values of the markup: numbers, lengths, colours and weights, read the
// forgiving way (a number that does not read is 0, an unknown unit or
// colour keeps the current value) and held to the engine's limits.
#pragma once

#include "ui/html/html_colour_names.h"
#include "ui/html/html_types.h"

#include <string_view>

// A number in C notation (optional sign, "0x" hexadecimal, leading-zero
// octal, else decimal) at the start of the text, saturated to the int
// range; 0 when none reads. pnUsed receives the characters read.
int ReadHtmlCNumber(std::u32string_view strText, size_t* pnUsed = nullptr);
// A decimal integer with optional sign, saturated; 0 when none reads.
int ReadHtmlDecimal(std::u32string_view strText, size_t* pnUsed = nullptr);

int ClampHtml(long long nValue, int nMin, int nMax);

// What a length is measured against.
struct HtmlLengthContext
{
    double dFontHeight = 0; // "em"
    double dXHeight = 0;    // "ex"
    int nDotsPerInch = 96;
};

// A length: "N%" of nCurrent, else a number with an optional unit (px,
// ex, em, in, cm, mm, pt, pc); a sign is dropped. bFontSize makes the
// plain numbers 1-7 the font-size keywords (8, 10, 12, 14, 18, 24, 36).
// Empty text or an unknown unit keeps nCurrent. The result lies in
// 0..HTML_MAX_LENGTH.
int ParseHtmlLength(std::u32string_view strValue, int nCurrent, const HtmlLengthContext& context,
                    bool bFontSize = false);

// "#RRGGBB", a COLORREF number ("0x0000FF" is red) or a colour name
// compared exactly; anything else (also "#FFF") keeps crCurrent.
COLORREF ParseHtmlColour(std::u32string_view strValue, COLORREF crCurrent,
                         const CHtmlColourNames& names);

// "normal"/"" 400, "bold" 700, "bolder" 900, "lighter" 100, else the
// decimal number held to 0..1000.
int ParseHtmlWeight(std::u32string_view strValue);
