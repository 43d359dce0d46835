// Line splitting, text search and command output for tests.
#include "tests/support/text_lines.h"

#include <cstdio>
#include <sstream>

namespace testsupport {

std::vector<std::string> SplitLines(const std::string& strText)
{
    std::vector<std::string> vLines;
    std::istringstream in(strText);
    for (std::string strLine; std::getline(in, strLine);) {
        vLines.push_back(strLine);
    }
    return vLines;
}

size_t Count(const std::string& strText, const std::string& strPart)
{
    size_t nCount = 0;
    for (size_t nAt = strText.find(strPart); nAt != std::string::npos;
         nAt = strText.find(strPart, nAt + 1)) {
        ++nCount;
    }
    return nCount;
}

size_t NthPos(const std::string& strText, const std::string& strPart, size_t nNth)
{
    size_t nAt = strText.find(strPart);
    for (size_t i = 0; i < nNth && nAt != std::string::npos; ++i) {
        nAt = strText.find(strPart, nAt + 1);
    }
    return nAt;
}

std::string CommandOutput(const std::string& strCommand)
{
    std::string strOut;
    if (FILE* pPipe = popen(strCommand.c_str(), "r")) {
        char buffer[4096];
        for (size_t nRead; (nRead = fread(buffer, 1, sizeof(buffer), pPipe)) > 0;) {
            strOut.append(buffer, nRead);
        }
        pclose(pPipe);
    }
    return strOut;
}

} // namespace testsupport
