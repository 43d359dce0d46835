// INI files edited line by line, as the private-profile calls do: only the
// line that holds the written key changes; every other byte (comments,
// blank lines, unknown lines, line ends, CP949 text) is kept as it was.
#include "foundation/ini_file.h"

#include "platform/atomic_file.h"

#include <cstdint>
#include <vector>

namespace {

// A CP949 lead byte: it and the byte after it form one character. The
// trail byte may be an ASCII letter or ']', so scans and case folding must
// step over whole characters.
bool IsLeadByte(unsigned char ch)
{
    return ch >= 0x81 && ch <= 0xFE;
}

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\v' || ch == '\f';
}

std::string Trim(const std::string& strText)
{
    size_t nBegin = 0;
    size_t nEnd = strText.size();
    while (nBegin < nEnd && IsBlank(strText[nBegin])) {
        ++nBegin;
    }
    while (nEnd > nBegin && IsBlank(strText[nEnd - 1])) {
        --nEnd;
    }
    return strText.substr(nBegin, nEnd - nBegin);
}

char FoldAscii(char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// Names compare without regard to ASCII letter case; two-byte characters
// compare exactly.
bool SameName(const std::string& strA, const std::string& strB)
{
    if (strA.size() != strB.size()) {
        return false;
    }
    for (size_t i = 0; i < strA.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(strA[i])) && i + 1 < strA.size()) {
            if (strA[i] != strB[i] || strA[i + 1] != strB[i + 1]) {
                return false;
            }
            ++i;
        } else if (FoldAscii(strA[i]) != FoldAscii(strB[i])) {
            return false;
        }
    }
    return true;
}

// Position of the first ch that is not the trail byte of a character.
size_t FindChar(const std::string& strText, char ch, size_t nFrom = 0)
{
    for (size_t i = nFrom; i < strText.size(); ++i) {
        if (strText[i] == ch) {
            return i;
        }
        if (IsLeadByte(static_cast<unsigned char>(strText[i]))) {
            ++i;
        }
    }
    return std::string::npos;
}

enum class ELineKind
{
    Other, // blank, comment or unknown content
    Section,
    Key,
};

struct SIniLine
{
    std::string strText; // without the line end
    std::string strEnd;  // "\r\n", "\n" or "" (last line without one)
    ELineKind eKind = ELineKind::Other;
    std::string strName; // section or key name, trimmed
    std::string strValue;
};

void ClassifyLine(SIniLine& line)
{
    std::string strTrimmed = Trim(line.strText);
    line.eKind = ELineKind::Other;
    if (strTrimmed.empty() || strTrimmed[0] == ';') {
        return;
    }
    if (strTrimmed[0] == '[') {
        size_t nClose = FindChar(strTrimmed, ']', 1);
        if (nClose != std::string::npos) {
            line.eKind = ELineKind::Section;
            line.strName = Trim(strTrimmed.substr(1, nClose - 1));
        }
        return;
    }
    size_t nEqual = FindChar(strTrimmed, '=');
    if (nEqual == std::string::npos) {
        return;
    }
    std::string strKey = Trim(strTrimmed.substr(0, nEqual));
    if (strKey.empty()) {
        return;
    }
    line.eKind = ELineKind::Key;
    line.strName = strKey;
    line.strValue = Trim(strTrimmed.substr(nEqual + 1));
}

std::vector<SIniLine> SplitLines(const std::string& strContent)
{
    std::vector<SIniLine> vLines;
    size_t nPos = 0;
    while (nPos < strContent.size()) {
        size_t nNewLine = strContent.find('\n', nPos);
        SIniLine line;
        if (nNewLine == std::string::npos) {
            line.strText = strContent.substr(nPos);
            nPos = strContent.size();
        } else {
            size_t nTextEnd = nNewLine;
            if (nTextEnd > nPos && strContent[nTextEnd - 1] == '\r') {
                --nTextEnd;
            }
            line.strText = strContent.substr(nPos, nTextEnd - nPos);
            line.strEnd = strContent.substr(nTextEnd, nNewLine + 1 - nTextEnd);
            nPos = nNewLine + 1;
        }
        ClassifyLine(line);
        vLines.push_back(std::move(line));
    }
    return vLines;
}

std::string JoinLines(const std::vector<SIniLine>& vLines)
{
    std::string strContent;
    for (const SIniLine& line : vLines) {
        strContent += line.strText;
        strContent += line.strEnd;
    }
    return strContent;
}

// The line end new lines get: the file's first one, CRLF for a new file.
std::string LineEndOf(const std::vector<SIniLine>& vLines)
{
    for (const SIniLine& line : vLines) {
        if (!line.strEnd.empty()) {
            return line.strEnd;
        }
    }
    return "\r\n";
}

// Index of the first key line named strKey in any section named
// strSection, or -1.
long FindKey(const std::vector<SIniLine>& vLines, const std::string& strSection,
             const std::string& strKey)
{
    bool bInSection = false;
    for (size_t i = 0; i < vLines.size(); ++i) {
        const SIniLine& line = vLines[i];
        if (line.eKind == ELineKind::Section) {
            bInSection = SameName(line.strName, strSection);
        } else if (bInSection && line.eKind == ELineKind::Key && SameName(line.strName, strKey)) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

std::string StripQuotes(const std::string& strValue)
{
    if (strValue.size() >= 2 && (strValue[0] == '"' || strValue[0] == '\'') &&
        strValue.back() == strValue[0]) {
        return strValue.substr(1, strValue.size() - 2);
    }
    return strValue;
}

// At most nMaxBytes bytes, never half of a two-byte character.
std::string Truncate(const std::string& strText, size_t nMaxBytes)
{
    size_t nLength = 0;
    while (nLength < strText.size()) {
        size_t nChar = IsLeadByte(static_cast<unsigned char>(strText[nLength])) ? 2 : 1;
        if (nLength + nChar > nMaxBytes) {
            break;
        }
        nLength += nChar;
    }
    return strText.substr(0, nLength);
}

// Text up to the first line break: a value can never add lines to the file.
std::string FirstLine(const char* pszText)
{
    std::string strText = pszText;
    size_t nBreak = strText.find_first_of("\r\n");
    return nBreak == std::string::npos ? strText : strText.substr(0, nBreak);
}

bool IsWritableName(const std::string& strName, const char* pszForbidden)
{
    return !strName.empty() && strName == Trim(strName) &&
           strName.find_first_of(pszForbidden) == std::string::npos;
}

void EnsureLastLineEnded(std::vector<SIniLine>& vLines, const std::string& strEnd)
{
    if (!vLines.empty() && vLines.back().strEnd.empty()) {
        vLines.back().strEnd = strEnd;
    }
}

SIniLine MakeLine(const std::string& strText, const std::string& strEnd)
{
    SIniLine line;
    line.strText = strText;
    line.strEnd = strEnd;
    ClassifyLine(line);
    return line;
}

// Removes every section named strSection with all its lines.
bool DeleteSection(std::vector<SIniLine>& vLines, const std::string& strSection)
{
    bool bChanged = false;
    bool bInSection = false;
    std::vector<SIniLine> vKept;
    for (SIniLine& line : vLines) {
        if (line.eKind == ELineKind::Section) {
            bInSection = SameName(line.strName, strSection);
        }
        if (bInSection) {
            bChanged = true;
        } else {
            vKept.push_back(std::move(line));
        }
    }
    vLines = std::move(vKept);
    return bChanged;
}

// Removes every line of strKey in the sections named strSection (a stale
// duplicate must not come back as the value once the first is gone).
bool DeleteKey(std::vector<SIniLine>& vLines, const std::string& strSection,
               const std::string& strKey)
{
    bool bChanged = false;
    long nIndex;
    while ((nIndex = FindKey(vLines, strSection, strKey)) >= 0) {
        vLines.erase(vLines.begin() + nIndex);
        bChanged = true;
    }
    return bChanged;
}

void SetKey(std::vector<SIniLine>& vLines, const std::string& strSection, const std::string& strKey,
            const std::string& strValue)
{
    std::string strEnd = LineEndOf(vLines);
    long nIndex = FindKey(vLines, strSection, strKey);
    if (nIndex >= 0) {
        SIniLine& line = vLines[static_cast<size_t>(nIndex)];
        line = MakeLine(line.strName + "=" + strValue, line.strEnd);
        return;
    }

    // A new key goes after the last non-blank line of the first section of
    // that name, so blank lines before the next section stay where they are.
    long nSection = -1;
    for (size_t i = 0; i < vLines.size(); ++i) {
        if (vLines[i].eKind == ELineKind::Section && SameName(vLines[i].strName, strSection)) {
            nSection = static_cast<long>(i);
            break;
        }
    }
    SIniLine keyLine = MakeLine(strKey + "=" + strValue, strEnd);
    if (nSection < 0) {
        EnsureLastLineEnded(vLines, strEnd);
        vLines.push_back(MakeLine("[" + strSection + "]", strEnd));
        vLines.push_back(std::move(keyLine));
        return;
    }
    size_t nInsert = static_cast<size_t>(nSection) + 1;
    for (size_t i = nInsert; i < vLines.size() && vLines[i].eKind != ELineKind::Section; ++i) {
        if (!Trim(vLines[i].strText).empty()) {
            nInsert = i + 1;
        }
    }
    if (vLines[nInsert - 1].strEnd.empty()) {
        vLines[nInsert - 1].strEnd = strEnd;
    }
    vLines.insert(vLines.begin() + static_cast<long>(nInsert), std::move(keyLine));
}

} // namespace

struct CIniSnapshot::SLines
{
    std::vector<SIniLine> vLines;
};

CIniSnapshot::CIniSnapshot(const char* pszPath) : m_pLines(std::make_unique<SLines>())
{
    std::string strContent;
    if (pszPath != nullptr && platform::ReadFileContent(pszPath, strContent)) {
        m_pLines->vLines = SplitLines(strContent);
    }
}

CIniSnapshot::~CIniSnapshot() = default;

std::string CIniSnapshot::GetString(const char* pszSection, const char* pszKey,
                                    const char* pszDefault, size_t nBufferSize) const
{
    if (nBufferSize == 0) {
        return "";
    }
    // Like the original call, trailing blanks of the default are dropped.
    std::string strResult = Trim(pszDefault != nullptr ? pszDefault : "");
    if (pszSection != nullptr && pszKey != nullptr) {
        long nIndex = FindKey(m_pLines->vLines, pszSection, pszKey);
        if (nIndex >= 0) {
            strResult = StripQuotes(m_pLines->vLines[static_cast<size_t>(nIndex)].strValue);
        }
    }
    return Truncate(strResult, nBufferSize - 1);
}

int CIniSnapshot::GetInt(const char* pszSection, const char* pszKey, int nDefault) const
{
    // The original reads into a 30-character buffer; an empty value counts
    // as absent.
    std::string strValue = GetString(pszSection, pszKey, "", 30);
    if (strValue.empty()) {
        return nDefault;
    }
    size_t nPos = 0;
    bool bNegative = false;
    if (strValue[nPos] == '-' || strValue[nPos] == '+') {
        bNegative = strValue[nPos] == '-';
        ++nPos;
    }
    // Digits accumulate modulo 2^32, as the original's unsigned result.
    uint32_t nValue = 0;
    for (; nPos < strValue.size() && strValue[nPos] >= '0' && strValue[nPos] <= '9'; ++nPos) {
        nValue = nValue * 10u + static_cast<uint32_t>(strValue[nPos] - '0');
    }
    if (bNegative) {
        nValue = 0u - nValue;
    }
    return static_cast<int>(nValue);
}

std::string IniGetString(const char* pszSection, const char* pszKey, const char* pszDefault,
                         const char* pszPath, size_t nBufferSize)
{
    if (pszSection == nullptr || pszKey == nullptr) {
        return CIniSnapshot(nullptr).GetString(pszSection, pszKey, pszDefault, nBufferSize);
    }
    return CIniSnapshot(pszPath).GetString(pszSection, pszKey, pszDefault, nBufferSize);
}

int IniGetInt(const char* pszSection, const char* pszKey, int nDefault, const char* pszPath)
{
    return CIniSnapshot(pszPath).GetInt(pszSection, pszKey, nDefault);
}

bool IniWriteString(const char* pszSection, const char* pszKey, const char* pszValue,
                    const char* pszPath, bool bSync)
{
    if (pszSection == nullptr || pszPath == nullptr || *pszPath == '\0') {
        return false;
    }
    std::string strSection = pszSection;
    if (!IsWritableName(strSection, "]\r\n")) {
        return false;
    }
    std::string strKey = pszKey != nullptr ? pszKey : "";
    if (pszKey != nullptr &&
        (!IsWritableName(strKey, "=\r\n") || strKey[0] == '[' || strKey[0] == ';')) {
        return false;
    }
    std::string strValue = pszValue != nullptr ? FirstLine(pszValue) : "";

    return platform::EditFileAtomically(
        pszPath,
        [&](std::string& strContent, bool) {
            std::vector<SIniLine> vLines = SplitLines(strContent);
            bool bChanged = true;
            if (pszKey == nullptr) {
                bChanged = DeleteSection(vLines, strSection);
            } else if (pszValue == nullptr) {
                bChanged = DeleteKey(vLines, strSection, strKey);
            } else {
                SetKey(vLines, strSection, strKey, strValue);
            }
            if (bChanged) {
                strContent = JoinLines(vLines);
            }
            return bChanged;
        },
        nullptr, bSync);
}

bool IniWriteStrings(const std::vector<SIniEntry>& vEntries, const char* pszPath, bool bSync)
{
    if (pszPath == nullptr || *pszPath == '\0') {
        return false;
    }
    for (const SIniEntry& entry : vEntries) {
        if (!IsWritableName(entry.strSection, "]\r\n") || !IsWritableName(entry.strKey, "=\r\n") ||
            entry.strKey[0] == '[' || entry.strKey[0] == ';') {
            return false;
        }
    }
    return platform::EditFileAtomically(
        pszPath,
        [&](std::string& strContent, bool) {
            std::vector<SIniLine> vLines = SplitLines(strContent);
            bool bChanged = false;
            for (const SIniEntry& entry : vEntries) {
                if (entry.value) {
                    SetKey(vLines, entry.strSection, entry.strKey, FirstLine(entry.value->c_str()));
                    bChanged = true;
                } else {
                    bChanged |= DeleteKey(vLines, entry.strSection, entry.strKey);
                }
            }
            if (bChanged) {
                strContent = JoinLines(vLines);
            }
            return bChanged;
        },
        nullptr, bSync);
}

bool IniSyncFile(const char* pszPath)
{
    return pszPath != nullptr && *pszPath != '\0' && platform::SyncFile(pszPath);
}
