// Host tool of the fuzz build: copies one C++ source with every non-ASCII
// character of its ordinary narrow string and character literals written
// as CP949 "\xHH" escapes, so a compiler without a CP949 execution
// character set produces the bytes the product build produces.
//
//   zelkor-cp949-escape INPUT OUTPUT
//
// Comments and u8"", u"", U"", L"" literals are copied unchanged. "\u" and
// "\U" escapes in narrow literals become CP949 bytes too. A raw string is
// split around each non-ASCII run: R"(ab)" "\xHH\xHH" R"(cd)". A literal
// whose text has no CP949 form, a non-ASCII character literal and an
// unterminated literal are errors (exit status 1, message on stderr).
// The output starts with a #line directive naming the input, so compiler
// messages and sanitizer traces point at the real file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iconv.h>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

class CEscapeError : public std::runtime_error
{
public:
    CEscapeError(int nLine, const std::string& strWhat)
        : std::runtime_error("line " + std::to_string(nLine) + ": " + strWhat)
    {
    }
};

bool IsIdentChar(char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == '_';
}

bool IsHexDigit(char ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

bool IsNonAscii(char ch)
{
    return (static_cast<unsigned char>(ch) & 0x80) != 0;
}

std::string Cp949FromUtf8(const std::string& strUtf8, int nLine)
{
    iconv_t cd = iconv_open("CP949", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw CEscapeError(nLine, "iconv has no UTF-8 to CP949 conversion");
    }
    std::string strOut(strUtf8.size() * 2 + 8, '\0');
    char* pIn = const_cast<char*>(strUtf8.data());
    size_t nInLeft = strUtf8.size();
    char* pOut = strOut.data();
    size_t nOutLeft = strOut.size();
    const size_t nRes = iconv(cd, &pIn, &nInLeft, &pOut, &nOutLeft);
    iconv_close(cd);
    if (nRes == static_cast<size_t>(-1) || nInLeft != 0) {
        throw CEscapeError(nLine, "text has no CP949 form: " + strUtf8);
    }
    strOut.resize(strOut.size() - nOutLeft);
    return strOut;
}

std::string Utf8FromCodePoint(unsigned long nCode, int nLine)
{
    std::string str;
    if (nCode < 0x80) {
        str += static_cast<char>(nCode);
    } else if (nCode < 0x800) {
        str += static_cast<char>(0xC0 | (nCode >> 6));
        str += static_cast<char>(0x80 | (nCode & 0x3F));
    } else if (nCode < 0x10000) {
        str += static_cast<char>(0xE0 | (nCode >> 12));
        str += static_cast<char>(0x80 | ((nCode >> 6) & 0x3F));
        str += static_cast<char>(0x80 | (nCode & 0x3F));
    } else if (nCode < 0x110000) {
        str += static_cast<char>(0xF0 | (nCode >> 18));
        str += static_cast<char>(0x80 | ((nCode >> 12) & 0x3F));
        str += static_cast<char>(0x80 | ((nCode >> 6) & 0x3F));
        str += static_cast<char>(0x80 | (nCode & 0x3F));
    } else {
        throw CEscapeError(nLine, "universal character name out of range");
    }
    return str;
}

std::string HexEscapes(const std::string& strBytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string str;
    for (char ch : strBytes) {
        const auto byte = static_cast<unsigned char>(ch);
        str += "\\x";
        str += kHex[byte >> 4];
        str += kHex[byte & 0xF];
    }
    return str;
}

class CEscaper
{
public:
    explicit CEscaper(const std::string& strIn) : m_strIn(strIn) {}

    std::string Run()
    {
        while (m_nPos < m_strIn.size()) {
            const char ch = m_strIn[m_nPos];
            if (ch == '/' && Peek(1) == '/') {
                CopyLineComment();
            } else if (ch == '/' && Peek(1) == '*') {
                CopyBlockComment();
            } else if (ch >= '0' && ch <= '9') {
                CopyNumber();
            } else if (IsIdentChar(ch)) {
                CopyIdentifierOrPrefixedLiteral();
            } else if (ch == '"') {
                EscapeQuoted('"');
            } else if (ch == '\'') {
                EscapeQuoted('\'');
            } else {
                Copy(1);
            }
        }
        return m_strOut;
    }

private:
    char Peek(size_t nAhead) const
    {
        return m_nPos + nAhead < m_strIn.size() ? m_strIn[m_nPos + nAhead] : '\0';
    }

    void Copy(size_t nCount)
    {
        for (size_t i = 0; i < nCount && m_nPos < m_strIn.size(); ++i) {
            if (m_strIn[m_nPos] == '\n') {
                ++m_nLine;
            }
            m_strOut += m_strIn[m_nPos++];
        }
    }

    void CopyLineComment()
    {
        while (m_nPos < m_strIn.size() && m_strIn[m_nPos] != '\n') {
            Copy(1);
        }
    }

    void CopyBlockComment()
    {
        Copy(2);
        while (m_nPos < m_strIn.size() && !(m_strIn[m_nPos] == '*' && Peek(1) == '/')) {
            Copy(1);
        }
        Copy(2);
    }

    // A pp-number, so the digit separator of 1'000 opens no literal.
    void CopyNumber()
    {
        while (m_nPos < m_strIn.size()) {
            const char ch = m_strIn[m_nPos];
            if ((ch == 'e' || ch == 'E' || ch == 'p' || ch == 'P') &&
                (Peek(1) == '+' || Peek(1) == '-')) {
                Copy(2);
            } else if (ch == '\'' && IsIdentChar(Peek(1))) {
                Copy(2);
            } else if (IsIdentChar(ch) || ch == '.') {
                Copy(1);
            } else {
                break;
            }
        }
    }

    void CopyIdentifierOrPrefixedLiteral()
    {
        size_t nEnd = m_nPos;
        while (nEnd < m_strIn.size() && IsIdentChar(m_strIn[nEnd])) {
            ++nEnd;
        }
        const std::string strIdent = m_strIn.substr(m_nPos, nEnd - m_nPos);
        const char chNext = nEnd < m_strIn.size() ? m_strIn[nEnd] : '\0';
        if (chNext != '"' && chNext != '\'') {
            Copy(strIdent.size());
            return;
        }
        const bool bRaw = !strIdent.empty() && strIdent.back() == 'R' && chNext == '"';
        const std::string strEncoding = bRaw ? strIdent.substr(0, strIdent.size() - 1) : strIdent;
        const bool bKnownEncoding = strEncoding.empty() || strEncoding == "u8" ||
                                    strEncoding == "u" || strEncoding == "U" || strEncoding == "L";
        if (!bKnownEncoding) {
            // An identifier glued to a literal (a macro before a string).
            Copy(strIdent.size());
            return;
        }
        const bool bNarrow = strEncoding.empty();
        Copy(strIdent.size());
        if (bRaw) {
            CopyRaw(bNarrow);
        } else if (bNarrow) {
            EscapeQuoted(chNext);
        } else {
            CopyQuoted(chNext);
        }
    }

    // A wide or UTF literal: bytes as they are.
    void CopyQuoted(char chQuote)
    {
        Copy(1);
        while (m_nPos < m_strIn.size() && m_strIn[m_nPos] != chQuote) {
            if (m_strIn[m_nPos] == '\n') {
                throw CEscapeError(m_nLine, "unterminated literal");
            }
            Copy(m_strIn[m_nPos] == '\\' ? 2 : 1);
        }
        if (m_nPos >= m_strIn.size()) {
            throw CEscapeError(m_nLine, "unterminated literal");
        }
        Copy(1);
    }

    // An ordinary narrow literal: non-ASCII runs and universal character
    // names become CP949 escapes; a hex digit right after an escape run
    // starts a new literal piece so it is not read as part of the escape.
    void EscapeQuoted(char chQuote)
    {
        const int nStartLine = m_nLine;
        Copy(1);
        bool bAfterEscapes = false;
        while (m_nPos < m_strIn.size() && m_strIn[m_nPos] != chQuote) {
            const char ch = m_strIn[m_nPos];
            if (ch == '\n') {
                throw CEscapeError(nStartLine, "unterminated literal");
            }
            std::string strUtf8;
            if (IsNonAscii(ch)) {
                while (m_nPos < m_strIn.size() && IsNonAscii(m_strIn[m_nPos])) {
                    strUtf8 += m_strIn[m_nPos++];
                }
            } else if (ch == '\\' && (Peek(1) == 'u' || Peek(1) == 'U')) {
                const size_t nDigits = Peek(1) == 'u' ? 4 : 8;
                const std::string strHex = m_strIn.substr(m_nPos + 2, nDigits);
                if (strHex.size() != nDigits ||
                    strHex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
                    throw CEscapeError(m_nLine, "malformed universal character name");
                }
                strUtf8 = Utf8FromCodePoint(std::stoul(strHex, nullptr, 16), m_nLine);
                m_nPos += 2 + nDigits;
            }
            if (!strUtf8.empty()) {
                if (chQuote == '\'') {
                    throw CEscapeError(m_nLine, "non-ASCII character literal");
                }
                m_strOut += HexEscapes(Cp949FromUtf8(strUtf8, m_nLine));
                bAfterEscapes = true;
                continue;
            }
            if (bAfterEscapes && IsHexDigit(ch)) {
                m_strOut += "\" \"";
            }
            bAfterEscapes = false;
            Copy(ch == '\\' ? 2 : 1);
        }
        if (m_nPos >= m_strIn.size()) {
            throw CEscapeError(nStartLine, "unterminated literal");
        }
        Copy(1);
    }

    // R"delim( ... )delim": narrow raw text is split around each non-ASCII
    // run, the run given as an ordinary literal of escapes between two raw
    // pieces with the same delimiter.
    void CopyRaw(bool bNarrow)
    {
        const int nStartLine = m_nLine;
        const size_t nOpen = m_strIn.find('(', m_nPos);
        if (nOpen == std::string::npos) {
            throw CEscapeError(nStartLine, "malformed raw string");
        }
        const std::string strDelim = m_strIn.substr(m_nPos + 1, nOpen - m_nPos - 1);
        const std::string strClose = ")" + strDelim + "\"";
        const size_t nClose = m_strIn.find(strClose, nOpen + 1);
        if (nClose == std::string::npos) {
            throw CEscapeError(nStartLine, "unterminated raw string");
        }
        const std::string strOpen = "\"" + strDelim + "(";
        Copy(nOpen + 1 - m_nPos);
        while (m_nPos < nClose) {
            if (!bNarrow || !IsNonAscii(m_strIn[m_nPos])) {
                Copy(1);
                continue;
            }
            std::string strUtf8;
            while (m_nPos < nClose && IsNonAscii(m_strIn[m_nPos])) {
                strUtf8 += m_strIn[m_nPos++];
            }
            m_strOut +=
                strClose + " \"" + HexEscapes(Cp949FromUtf8(strUtf8, m_nLine)) + "\" R" + strOpen;
        }
        Copy(strClose.size());
    }

    const std::string& m_strIn;
    std::string m_strOut;
    size_t m_nPos = 0;
    int m_nLine = 1;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: zelkor-cp949-escape INPUT OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot read: " << std::strerror(errno) << "\n";
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string strOut;
    try {
        const std::string strIn = text.str();
        strOut = "#line 1 \"" + std::string(argv[1]) + "\"\n" + CEscaper(strIn).Run();
    } catch (const CEscapeError& e) {
        std::cerr << argv[1] << ":" << e.what() << "\n";
        return 1;
    }
    // Written to a temporary first, so a failed run leaves no output
    // that a later build would take as up to date.
    const std::string strTemp = std::string(argv[2]) + ".tmp";
    {
        std::ofstream out(strTemp, std::ios::binary | std::ios::trunc);
        out << strOut;
        if (!out.flush()) {
            std::cerr << strTemp << ": cannot write\n";
            return 1;
        }
    }
    if (std::rename(strTemp.c_str(), argv[2]) != 0) {
        std::cerr << argv[2] << ": cannot write: " << std::strerror(errno) << "\n";
        return 1;
    }
    return 0;
}
