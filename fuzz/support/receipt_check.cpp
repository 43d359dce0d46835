// Parses a document's printer stream and checks the layout rules.
#include "fuzz/support/receipt_check.h"

#include "fuzz/support/fuzz_folder.h"

#include <cstdio>

namespace fuzzsupport {

namespace {

constexpr unsigned char ESC = 0x1B;
constexpr unsigned char GS = 0x1D;
constexpr unsigned char kDoubleWidth = 0x20;

bool IsLeadByte(unsigned char ch)
{
    return ch >= 0x81 && ch <= 0xFE;
}

bool IsTrailByte(unsigned char ch)
{
    return (ch >= 0x41 && ch <= 0x5A) || (ch >= 0x61 && ch <= 0x7A) || (ch >= 0x81 && ch <= 0xFE);
}

class CStreamChecker
{
public:
    explicit CStreamChecker(const SDocumentRun& run) : m_Run(run), m_strBytes(run.strBytes) {}

    void Run()
    {
        while (m_nPos < m_strBytes.size()) {
            const auto ch = Byte(m_nPos);
            if (ch == ESC) {
                Command();
            } else if (ch == GS) {
                if (Byte(m_nPos + 1) != 'V' || m_nPos + 2 >= m_strBytes.size()) {
                    Broken("unknown GS command");
                }
                EndLine();
                m_nPos += 3;
            } else if (ch == '\r' && Byte(m_nPos + 1) == '\n') {
                EndLine();
                m_nPos += 2;
            } else if (ch < 0x20 || ch == 0x7F) {
                Broken("control byte " + Hex(ch) + " in printed text");
            } else if (IsLeadByte(ch)) {
                if (m_nPos + 1 >= m_strBytes.size() || !IsTrailByte(Byte(m_nPos + 1))) {
                    Broken("half of a two-byte character (lead " + Hex(ch) + ", then " +
                           (m_nPos + 1 < m_strBytes.size() ? Hex(Byte(m_nPos + 1)) : "the end") +
                           ")");
                }
                AddText(2);
            } else {
                AddText(1);
            }
        }
        EndLine();
        const bool bEndsInCut =
            m_strBytes.size() >= 2 && m_strBytes.compare(m_strBytes.size() - 2, 2, "\x1B\x69") == 0;
        if (m_Run.nStartResult == 0 && !m_strBytes.empty() && !bEndsInCut) {
            Broken("reported success but does not end in a cut");
        }
    }

private:
    unsigned char Byte(size_t nPos) const
    {
        return nPos < m_strBytes.size() ? static_cast<unsigned char>(m_strBytes[nPos]) : 0;
    }

    static std::string Hex(unsigned char ch)
    {
        char sz[8];
        std::snprintf(sz, sizeof(sz), "0x%02X", ch);
        return sz;
    }

    void Command()
    {
        const unsigned char chCommand = Byte(m_nPos + 1);
        switch (chCommand) {
        case '@':
            m_nMode = 0;
            m_nPos += 2;
            return;
        case 'i':
            EndLine();
            m_nPos += 2;
            return;
        case '!':
        case 'a':
            if (m_nPos + 2 >= m_strBytes.size()) {
                Broken("command without its parameter");
            }
            if (chCommand == '!') {
                m_nMode = Byte(m_nPos + 2);
            }
            m_nPos += 3;
            return;
        default:
            Broken("unknown ESC command " + Hex(chCommand));
        }
    }

    void AddText(size_t nBytes)
    {
        if (m_nLineBytes == 0) {
            m_nLineStart = m_nPos;
        }
        if ((m_nMode & kDoubleWidth) != 0) {
            m_bLineDouble = true;
        }
        m_nLineBytes += nBytes;
        m_nPos += nBytes;
    }

    void EndLine()
    {
        if (!m_bLineDouble && m_nLineBytes > static_cast<size_t>(m_Run.nPaperWidth)) {
            Broken("single-width line of " + std::to_string(m_nLineBytes) + " bytes on " +
                   std::to_string(m_Run.nPaperWidth) + "-byte paper");
        }
        m_nLineBytes = 0;
        m_bLineDouble = false;
    }

    [[noreturn]] void Broken(const std::string& strWhat) const
    {
        const size_t nFrom = m_nLineBytes > 0 ? m_nLineStart : m_nPos;
        const size_t nTo = std::min(m_strBytes.size(), m_nPos + 8);
        std::string strContext;
        for (size_t i = nFrom; i < nTo; ++i) {
            const auto ch = Byte(i);
            strContext += (ch >= 0x20 && ch < 0x7F) ? std::string(1, static_cast<char>(ch))
                                                    : "\\x" + Hex(ch).substr(2);
        }
        Fail(std::string(m_Run.pszDocument) + " (" + std::to_string(m_Run.nPaperWidth) +
             " columns, result " + std::to_string(m_Run.nStartResult) + "): " + strWhat +
             " at byte " + std::to_string(m_nPos) + ": [" + strContext + "]");
    }

    const SDocumentRun& m_Run;
    const std::string& m_strBytes;
    size_t m_nPos = 0;
    int m_nMode = 0;
    size_t m_nLineBytes = 0;
    size_t m_nLineStart = 0;
    bool m_bLineDouble = false;
};

} // namespace

void CheckDocumentRun(const SDocumentRun& run)
{
    CStreamChecker(run).Run();
}

} // namespace fuzzsupport
