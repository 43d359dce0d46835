// Temporary runtime directory for tests.
#include "tests/support/runtime_dir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace testsupport {

CTempRuntimeDir::CTempRuntimeDir()
{
    // Short: socket paths in it must stay under the 108-byte limit.
    std::string strTemplate = "/tmp/zelkor-run-XXXXXX";
    if (mkdtemp(strTemplate.data()) == nullptr) { // mode 0700
        throw std::runtime_error("mkdtemp failed");
    }
    m_strPath = strTemplate;
    if (const char* pszOld = std::getenv("XDG_RUNTIME_DIR")) {
        m_bHadOld = true;
        m_strOld = pszOld;
    }
    setenv("XDG_RUNTIME_DIR", m_strPath.c_str(), 1);
}

CTempRuntimeDir::~CTempRuntimeDir()
{
    if (m_bHadOld) {
        setenv("XDG_RUNTIME_DIR", m_strOld.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
    std::error_code ec;
    std::filesystem::remove_all(m_strPath, ec);
}

} // namespace testsupport
