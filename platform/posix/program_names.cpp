// Windows program names to local file names.
#include "platform/program_names.h"

namespace platform {

namespace {

char FoldAscii(char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

bool EqualsIgnoringCase(const std::string& strA, const std::string& strB)
{
    if (strA.size() != strB.size()) {
        return false;
    }
    for (size_t i = 0; i < strA.size(); ++i) {
        if (FoldAscii(strA[i]) != FoldAscii(strB[i])) {
            return false;
        }
    }
    return true;
}

bool HasSuffix(const std::string& strName, const char* pszSuffix)
{
    std::string strSuffix = pszSuffix;
    return strName.size() > strSuffix.size() &&
           EqualsIgnoringCase(strName.substr(strName.size() - strSuffix.size()), strSuffix);
}

std::string WithoutExe(const std::string& strName)
{
    return HasSuffix(strName, ".exe") ? strName.substr(0, strName.size() - 4) : strName;
}

} // namespace

std::string LocalFileName(const std::string& strWindowsName)
{
    if (HasSuffix(strWindowsName, ".dll")) {
        return "lib" + strWindowsName.substr(0, strWindowsName.size() - 4) + ".so";
    }
    return WithoutExe(strWindowsName);
}

bool SameProcessName(const std::string& strA, const std::string& strB)
{
    return EqualsIgnoringCase(WithoutExe(strA), WithoutExe(strB));
}

} // namespace platform
