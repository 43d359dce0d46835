// A private runtime directory for one test: XDG_RUNTIME_DIR points at it
// while the object lives, so locks, endpoints and registrations of the
// test never meet those of another test or of a running program.
#pragma once

#include <string>

namespace testsupport {

class CTempRuntimeDir
{
public:
    CTempRuntimeDir();
    ~CTempRuntimeDir();
    CTempRuntimeDir(const CTempRuntimeDir&) = delete;
    CTempRuntimeDir& operator=(const CTempRuntimeDir&) = delete;

    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
    std::string m_strOld;
    bool m_bHadOld = false;
};

} // namespace testsupport
