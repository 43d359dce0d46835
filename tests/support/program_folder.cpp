// Temporary program folder for tests.
#include "tests/support/program_folder.h"

#include "foundation/simple_log.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

CTempProgramFolder::CTempProgramFolder()
{
    std::string strTemplate =
        (std::filesystem::temp_directory_path() / "zelkor-test-XXXXXX").string();
    if (mkdtemp(strTemplate.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_strPath = strTemplate;
    if (const char* pszOld = std::getenv("ZELKOR_HOME")) {
        m_bHadHome = true;
        m_strOldHome = pszOld;
    }
    setenv("ZELKOR_HOME", m_strPath.c_str(), 1);
}

CTempProgramFolder::~CTempProgramFolder()
{
    SimpleLog().Stop();
    if (m_bHadHome) {
        setenv("ZELKOR_HOME", m_strOldHome.c_str(), 1);
    } else {
        unsetenv("ZELKOR_HOME");
    }
    std::error_code ec;
    if (std::getenv("ZELKOR_KEEP_TEST_FOLDERS") == nullptr) {
        std::filesystem::remove_all(m_strPath, ec);
    }
}

void CTempProgramFolder::WriteFile(const std::string& strName, const std::string& strContent) const
{
    std::filesystem::path path = File(strName);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << strContent;
}

std::string CTempProgramFolder::ReadFile(const std::string& strName) const
{
    return ReadWholeFile(File(strName));
}

bool CTempProgramFolder::StartLog() const
{
    std::filesystem::create_directories(LogRoot());
    return SimpleLog().Start(LogRoot().c_str());
}

std::string CTempProgramFolder::ReadCurrentLog() const
{
    return ReadWholeFile(SimpleLog().GetCurrentFilePath());
}

std::string ReadWholeFile(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    if (!in) {
        return {};
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    return buf.str();
}

} // namespace testsupport
