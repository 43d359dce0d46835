// Run-time loaded libraries over dlopen.
#include "platform/shared_library.h"

#include <cerrno>
#include <dlfcn.h>
#include <sys/stat.h>

namespace platform {

CSharedLibrary::~CSharedLibrary()
{
    Close();
}

bool CSharedLibrary::OpenLoaded(const std::string& strName)
{
    Close();
    m_pHandle = dlopen(strName.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    return m_pHandle != nullptr;
}

bool CSharedLibrary::Open(const std::string& strPathOrName)
{
    Close();
    m_nLastError = 0;
    m_strLastError.clear();
    m_pHandle = dlopen(strPathOrName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_pHandle != nullptr) {
        return true;
    }
    const char* pszError = dlerror();
    m_strLastError = pszError != nullptr ? pszError : "";
    // dlopen leaves no error number; a missing file is told apart from
    // one that is not a library.
    struct stat st = {};
    bool bIsPath = strPathOrName.find('/') != std::string::npos;
    if (bIsPath && stat(strPathOrName.c_str(), &st) != 0) {
        m_nLastError = errno;
    } else {
        m_nLastError = bIsPath ? ENOEXEC : ENOENT;
    }
    return false;
}

void CSharedLibrary::Close()
{
    if (m_pHandle != nullptr) {
        dlclose(m_pHandle);
        m_pHandle = nullptr;
    }
}

void* CSharedLibrary::Symbol(const char* pszName) const
{
    if (m_pHandle == nullptr || pszName == nullptr) {
        return nullptr;
    }
    return dlsym(m_pHandle, pszName);
}

} // namespace platform
