// Build-time check of the split between the two kinds of translation unit.
// GCC cannot compile Qt's headers with a CP949 narrow execution character
// set, so Qt units are compiled with UTF-8 narrow literals, and the CP949
// units (every other one) hold the program's Korean text:
//   - a Qt unit, and every header of the tree it includes, must hold no
//     non-ASCII ordinary narrow literal (it would come out as UTF-8 where
//     the program expects CP949);
//   - a CP949 unit must include no Qt header, directly or through a header
//     of the tree.
//
//   zelkor-charset-check --root DIR [--list FILE] [--qt FILE...] [--cp949 FILE...]
//
// The list file holds one source a line: "qt PATH" or "cp949 PATH".
// Prints one line per fault ("file:line: ...") and exits 1 when there is
// any, 0 otherwise.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool ReadFile(const fs::path& path, std::string& strText)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    strText.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

bool IsIdentChar(char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == '_';
}

// The identifier just before position nQuote: a literal's prefix (u8, u,
// U, L, R, u8R, ...), or "" for an ordinary literal.
std::string Prefix(const std::string& strText, size_t nQuote)
{
    size_t nBegin = nQuote;
    while (nBegin > 0 && IsIdentChar(strText[nBegin - 1])) {
        --nBegin;
    }
    return strText.substr(nBegin, nQuote - nBegin);
}

// Reports every ordinary narrow string or character literal with a byte of
// 0x80 or more. Comments and u8/u/U/L literals are skipped.
int CheckQtUnit(const fs::path& path, const std::string& strText)
{
    int nFaults = 0;
    int nLine = 1;
    size_t i = 0;
    const size_t n = strText.size();
    while (i < n) {
        char ch = strText[i];
        if (ch == '\n') {
            ++nLine;
            ++i;
        } else if (ch == '/' && i + 1 < n && strText[i + 1] == '/') {
            while (i < n && strText[i] != '\n') {
                ++i;
            }
        } else if (ch == '/' && i + 1 < n && strText[i + 1] == '*') {
            i += 2;
            while (i + 1 < n && !(strText[i] == '*' && strText[i + 1] == '/')) {
                nLine += strText[i] == '\n';
                ++i;
            }
            i += 2;
        } else if (ch == '"' || ch == '\'') {
            std::string strPrefix = Prefix(strText, i);
            bool bRaw = ch == '"' && !strPrefix.empty() && strPrefix.back() == 'R';
            bool bNarrow = strPrefix.empty() || strPrefix == "R";
            if (!strPrefix.empty() && strPrefix != "R" && strPrefix != "u8" && strPrefix != "u8R" &&
                strPrefix != "u" && strPrefix != "uR" && strPrefix != "U" && strPrefix != "UR" &&
                strPrefix != "L" && strPrefix != "LR") {
                // An identifier ending right before a quote, not a prefix
                // (a user-defined literal suffix cannot come first).
                bNarrow = true;
                bRaw = false;
            }
            const int nStartLine = nLine;
            bool bNonAscii = false;
            if (bRaw) {
                size_t nOpen = strText.find('(', i);
                std::string strEnd = ")" + strText.substr(i + 1, nOpen - i - 1) + "\"";
                size_t nClose = strText.find(strEnd, nOpen);
                size_t nStop = nClose == std::string::npos ? n : nClose + strEnd.size();
                for (size_t j = i; j < nStop; ++j) {
                    nLine += strText[j] == '\n';
                    bNonAscii |= (static_cast<unsigned char>(strText[j]) & 0x80) != 0;
                }
                i = nStop;
            } else {
                size_t j = i + 1;
                while (j < n && strText[j] != ch && strText[j] != '\n') {
                    if (strText[j] == '\\' && j + 1 < n) {
                        ++j;
                    }
                    bNonAscii |= (static_cast<unsigned char>(strText[j]) & 0x80) != 0;
                    ++j;
                }
                i = j + 1;
            }
            if (bNarrow && bNonAscii) {
                std::printf("%s:%d: non-ASCII narrow literal in a Qt translation unit (it would "
                            "be UTF-8, not CP949): use u\"...\" or take the text from the CP949 "
                            "core\n",
                            path.c_str(), nStartLine);
                ++nFaults;
            }
        } else {
            ++i;
        }
    }
    return nFaults;
}

struct SInclude
{
    std::string strName;
    bool bAngle = false;
    int nLine = 0;
};

std::vector<SInclude> Includes(const std::string& strText)
{
    std::vector<SInclude> vIncludes;
    std::istringstream lines(strText);
    int nLine = 0;
    for (std::string strLine; std::getline(lines, strLine);) {
        ++nLine;
        size_t nHash = strLine.find_first_not_of(" \t");
        if (nHash == std::string::npos || strLine[nHash] != '#') {
            continue;
        }
        size_t nWord = strLine.find_first_not_of(" \t", nHash + 1);
        if (nWord == std::string::npos || strLine.compare(nWord, 7, "include") != 0) {
            continue;
        }
        size_t nOpen = strLine.find_first_of("<\"", nWord + 7);
        if (nOpen == std::string::npos) {
            continue;
        }
        char chClose = strLine[nOpen] == '<' ? '>' : '"';
        size_t nClose = strLine.find(chClose, nOpen + 1);
        if (nClose == std::string::npos) {
            continue;
        }
        vIncludes.push_back({strLine.substr(nOpen + 1, nClose - nOpen - 1), chClose == '>', nLine});
    }
    return vIncludes;
}

bool IsQtHeader(const std::string& strName)
{
    return strName.size() > 1 && strName[0] == 'Q' &&
           ((strName[1] >= 'A' && strName[1] <= 'Z') || strName.rfind("Qt", 0) == 0);
}

// Follows the tree's own headers; reports the first Qt header on each path.
int CheckCp949Unit(const fs::path& root, const fs::path& path, std::vector<std::string>& vChain,
                   std::set<fs::path>& visited)
{
    std::string strText;
    if (!visited.insert(path).second || !ReadFile(path, strText)) {
        return 0;
    }
    int nFaults = 0;
    for (const SInclude& include : Includes(strText)) {
        std::string strWhere = path.string() + ":" + std::to_string(include.nLine);
        if (include.bAngle && IsQtHeader(include.strName)) {
            std::string strChain;
            for (const std::string& strStep : vChain) {
                strChain += strStep + " -> ";
            }
            std::printf("%s: Qt header <%s> in a CP949 translation unit (%s%s): GCC cannot "
                        "compile Qt headers as CP949; keep Qt in the Qt host\n",
                        strWhere.c_str(), include.strName.c_str(), strChain.c_str(),
                        path.filename().c_str());
            ++nFaults;
            continue;
        }
        if (include.bAngle) {
            continue;
        }
        for (const fs::path& candidate :
             {path.parent_path() / include.strName, root / include.strName}) {
            if (fs::exists(candidate)) {
                vChain.push_back(path.filename().string());
                nFaults += CheckCp949Unit(root, fs::weakly_canonical(candidate), vChain, visited);
                vChain.pop_back();
                break;
            }
        }
    }
    return nFaults;
}

// A Qt unit and every header of the tree it includes.
int CheckQtUnitWithHeaders(const fs::path& root, const fs::path& path, std::set<fs::path>& visited)
{
    std::string strText;
    if (!visited.insert(path).second || !ReadFile(path, strText)) {
        return 0;
    }
    int nFaults = CheckQtUnit(path, strText);
    for (const SInclude& include : Includes(strText)) {
        if (include.bAngle) {
            continue;
        }
        for (const fs::path& candidate :
             {path.parent_path() / include.strName, root / include.strName}) {
            if (fs::exists(candidate)) {
                nFaults += CheckQtUnitWithHeaders(root, fs::weakly_canonical(candidate), visited);
                break;
            }
        }
    }
    return nFaults;
}

} // namespace

int main(int argc, char** argv)
{
    fs::path root;
    enum
    {
        NONE,
        QT,
        CP949
    } eMode = NONE;
    std::vector<fs::path> vQt;
    std::vector<fs::path> vCp949;
    for (int i = 1; i < argc; ++i) {
        std::string strArg = argv[i];
        if (strArg == "--root" && i + 1 < argc) {
            root = argv[++i];
        } else if (strArg == "--list" && i + 1 < argc) {
            std::ifstream list(argv[++i]);
            for (std::string strLine; std::getline(list, strLine);) {
                if (strLine.rfind("qt ", 0) == 0) {
                    vQt.emplace_back(strLine.substr(3));
                } else if (strLine.rfind("cp949 ", 0) == 0) {
                    vCp949.emplace_back(strLine.substr(6));
                }
            }
        } else if (strArg == "--qt") {
            eMode = QT;
        } else if (strArg == "--cp949") {
            eMode = CP949;
        } else if (eMode == QT) {
            vQt.emplace_back(strArg);
        } else if (eMode == CP949) {
            vCp949.emplace_back(strArg);
        } else {
            std::fprintf(stderr, "usage: zelkor-charset-check --root DIR [--list FILE] "
                                 "[--qt FILE...] [--cp949 FILE...]\n");
            return 2;
        }
    }
    int nFaults = 0;
    std::set<fs::path> checkedForQt; // a header is reported once
    for (const fs::path& path : vQt) {
        nFaults += CheckQtUnitWithHeaders(root, fs::weakly_canonical(path), checkedForQt);
    }
    for (const fs::path& path : vCp949) {
        std::vector<std::string> vChain;
        std::set<fs::path> visited;
        nFaults += CheckCp949Unit(root, fs::weakly_canonical(path), vChain, visited);
    }
    if (nFaults > 0) {
        std::printf("zelkor-charset-check: %d fault(s) in the split between Qt and CP949 "
                    "translation units\n",
                    nFaults);
        return 1;
    }
    return 0;
}
