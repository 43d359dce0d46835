// Text built in a fixed buffer without allocation or printf: what the
// crash handler formats its file names, journal sections and log lines
// with inside a signal handler.
#pragma once

#include <cstddef>
#include <cstdint>

template <size_t N>
class CSafeText
{
public:
    CSafeText() { m_szText[0] = '\0'; }

    // Appends as much of the text as fits.
    CSafeText& Add(const char* pszText)
    {
        for (; pszText != nullptr && *pszText != '\0'; ++pszText) {
            AddChar(*pszText);
        }
        return *this;
    }
    CSafeText& AddChar(char ch)
    {
        if (m_nLength + 1 < N) {
            m_szText[m_nLength++] = ch;
            m_szText[m_nLength] = '\0';
        } else {
            m_bCut = true;
        }
        return *this;
    }
    // A number in decimal, zero-padded to nWidth digits.
    CSafeText& AddNumber(int64_t nValue, int nWidth = 0)
    {
        uint64_t nMagnitude = static_cast<uint64_t>(nValue);
        if (nValue < 0) {
            AddChar('-');
            nMagnitude = 0 - nMagnitude;
        }
        char szDigits[24];
        int nDigits = 0;
        do {
            szDigits[nDigits++] = static_cast<char>('0' + nMagnitude % 10);
            nMagnitude /= 10;
        } while (nMagnitude != 0);
        for (int i = nDigits; i < nWidth; ++i) {
            AddChar('0');
        }
        while (nDigits > 0) {
            AddChar(szDigits[--nDigits]);
        }
        return *this;
    }

    const char* Text() const { return m_szText; }
    size_t Length() const { return m_nLength; }
    // True when something did not fit.
    bool IsCut() const { return m_bCut; }

private:
    char m_szText[N];
    size_t m_nLength = 0;
    bool m_bCut = false;
};
