// Values of the markup: numbers, lengths, colours, weights.
#include "ui/html/html_values.h"

#include "ui/html/html_text.h"

#include <climits>

namespace {

int DigitValue(char32_t ch)
{
    if (ch >= U'0' && ch <= U'9') {
        return static_cast<int>(ch - U'0');
    }
    if (ch >= U'a' && ch <= U'f') {
        return static_cast<int>(ch - U'a') + 10;
    }
    if (ch >= U'A' && ch <= U'F') {
        return static_cast<int>(ch - U'A') + 10;
    }
    return 99;
}

// Digits of the base from position i, accumulated with saturation at a
// bound far above the int range.
long long ReadDigits(std::u32string_view strText, size_t& i, int nBase, bool& bAny)
{
    constexpr long long SATURATED = 1LL << 40;
    long long nValue = 0;
    while (i < strText.size() && DigitValue(strText[i]) < nBase) {
        nValue = nValue * nBase + DigitValue(strText[i]);
        if (nValue > SATURATED) {
            nValue = SATURATED;
        }
        bAny = true;
        ++i;
    }
    return nValue;
}

int ReadNumber(std::u32string_view strText, size_t* pnUsed, bool bCNotation)
{
    size_t i = 0;
    while (i < strText.size() && IsHtmlBlank(strText[i])) {
        ++i;
    }
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == U'+' || strText[i] == U'-')) {
        bNegative = strText[i] == U'-';
        ++i;
    }
    int nBase = 10;
    bool bAny = false;
    if (bCNotation && i < strText.size() && strText[i] == U'0') {
        if (i + 2 < strText.size() && (strText[i + 1] == U'x' || strText[i + 1] == U'X') &&
            DigitValue(strText[i + 2]) < 16) {
            nBase = 16;
            i += 2;
        } else {
            nBase = 8;
        }
    }
    long long nValue = ReadDigits(strText, i, nBase, bAny);
    if (!bAny) {
        if (pnUsed != nullptr) {
            *pnUsed = 0;
        }
        return 0;
    }
    if (pnUsed != nullptr) {
        *pnUsed = i;
    }
    if (bNegative) {
        nValue = -nValue;
    }
    return ClampHtml(nValue, INT_MIN, INT_MAX);
}

// A decimal number with an optional fraction; dValue stays 0 when none
// reads. The digits are read as one integer and divided once, so "25.4"
// is the double nearest to 25.4.
size_t ReadDecimalFraction(std::u32string_view strText, double& dValue)
{
    size_t i = 0;
    bool bAny = false;
    long long nMantissa = ReadDigits(strText, i, 10, bAny);
    double dDivisor = 1;
    if (i < strText.size() && strText[i] == U'.') {
        ++i;
        while (i < strText.size() && DigitValue(strText[i]) < 10) {
            if (nMantissa < (1LL << 40)) {
                nMantissa = nMantissa * 10 + DigitValue(strText[i]);
                dDivisor *= 10;
            }
            bAny = true;
            ++i;
        }
    }
    dValue = static_cast<double>(nMantissa) / dDivisor;
    return bAny ? i : 0;
}

} // namespace

int ClampHtml(long long nValue, int nMin, int nMax)
{
    if (nValue < nMin) {
        return nMin;
    }
    if (nValue > nMax) {
        return nMax;
    }
    return static_cast<int>(nValue);
}

int ReadHtmlCNumber(std::u32string_view strText, size_t* pnUsed)
{
    return ReadNumber(strText, pnUsed, true);
}

int ReadHtmlDecimal(std::u32string_view strText, size_t* pnUsed)
{
    return ReadNumber(strText, pnUsed, false);
}

int ParseHtmlLength(std::u32string_view strValue, int nCurrent, const HtmlLengthContext& context,
                    bool bFontSize)
{
    std::u32string_view strText = HtmlTrim(strValue);
    if (strText.empty()) {
        return nCurrent;
    }
    // Truncated, with a little slack so that 2.54cm is a whole inch.
    const auto Clamp = [](double d) {
        return ClampHtml(static_cast<long long>(d > 1e12 ? 1e12 : d + 1e-9), 0, HTML_MAX_LENGTH);
    };
    if (strText.back() == U'%') {
        std::u32string_view strNumber = strText.substr(0, strText.size() - 1);
        if (!strNumber.empty() && (strNumber.front() == U'+' || strNumber.front() == U'-')) {
            strNumber.remove_prefix(1);
        }
        const long long nPercent = ReadHtmlDecimal(strNumber);
        return ClampHtml(static_cast<long long>(nCurrent) * nPercent / 100, 0, HTML_MAX_LENGTH);
    }
    if (strText.front() == U'+' || strText.front() == U'-') {
        strText.remove_prefix(1);
    }
    size_t nUsed = 0;
    const int nPlain = ReadHtmlCNumber(strText, &nUsed);
    if (nUsed == strText.size()) {
        // A plain number in C notation: no unit.
        if (bFontSize && nPlain >= 1 && nPlain <= 7) {
            static constexpr int KEYWORD_SIZES[] = {8, 10, 12, 14, 18, 24, 36};
            return KEYWORD_SIZES[nPlain - 1];
        }
        return Clamp(nPlain);
    }
    double dNumber = 0;
    const std::u32string_view strUnit = strText.substr(ReadDecimalFraction(strText, dNumber));
    const double dDpi = context.nDotsPerInch;
    if (strUnit.empty()) {
        return Clamp(dNumber);
    }
    if (strUnit == U"px") {
        return Clamp(dNumber);
    }
    if (strUnit == U"ex") {
        return Clamp(dNumber * context.dXHeight);
    }
    if (strUnit == U"em") {
        return Clamp(dNumber * context.dFontHeight);
    }
    if (strUnit == U"in") {
        return Clamp(dNumber * dDpi);
    }
    if (strUnit == U"cm") {
        return Clamp(dNumber * dDpi / 2.54);
    }
    if (strUnit == U"mm") {
        return Clamp(dNumber * dDpi / 25.4);
    }
    if (strUnit == U"pt") {
        return Clamp(dNumber * dDpi / 72);
    }
    if (strUnit == U"pc") {
        return Clamp(dNumber * dDpi / 6);
    }
    return nCurrent;
}

COLORREF ParseHtmlColour(std::u32string_view strValue, COLORREF crCurrent,
                         const CHtmlColourNames& names)
{
    const std::u32string_view strText = HtmlTrim(strValue);
    if (strText.empty()) {
        return crCurrent;
    }
    if (strText.front() == U'#') {
        if (strText.size() != 7) {
            return crCurrent;
        }
        unsigned nChannels[3] = {};
        for (int k = 0; k < 3; ++k) {
            const int nHigh = DigitValue(strText[1 + 2 * k]);
            const int nLow = DigitValue(strText[2 + 2 * k]);
            if (nHigh > 15 || nLow > 15) {
                return crCurrent;
            }
            nChannels[k] = static_cast<unsigned>(nHigh * 16 + nLow);
        }
        return HtmlRgb(nChannels[0], nChannels[1], nChannels[2]);
    }
    if (strText.front() >= U'0' && strText.front() <= U'9') {
        size_t i = 0;
        bool bAny = false;
        int nBase = 10;
        if (strText.size() > 2 && strText[0] == U'0' &&
            (strText[1] == U'x' || strText[1] == U'X')) {
            nBase = 16;
            i = 2;
        } else if (strText[0] == U'0') {
            nBase = 8;
        }
        const long long nValue = ReadDigits(strText, i, nBase, bAny);
        return static_cast<COLORREF>(nValue) & 0xFFFFFF;
    }
    COLORREF crNamed = 0;
    return names.Lookup(strText, crNamed) ? crNamed : crCurrent;
}

int ParseHtmlWeight(std::u32string_view strValue)
{
    const std::u32string_view strText = HtmlTrim(strValue);
    if (strText.empty() || strText == U"normal") {
        return 400;
    }
    if (strText == U"bold") {
        return 700;
    }
    if (strText == U"bolder") {
        return 900;
    }
    if (strText == U"lighter") {
        return 100;
    }
    return ClampHtml(ReadHtmlDecimal(strText), 0, 1000);
}
