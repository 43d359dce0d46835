// A library loaded into the process at run time, and its exports by name.
#pragma once

#include <string>

namespace platform {

// One handle on a loaded library; the library stays in the process until
// Close (or the destructor) drops the handle.
class CSharedLibrary
{
public:
    CSharedLibrary() = default;
    ~CSharedLibrary();
    CSharedLibrary(const CSharedLibrary&) = delete;
    CSharedLibrary& operator=(const CSharedLibrary&) = delete;

    // Takes a handle on the library when it is already in the process
    // (matched by file name); false otherwise, without loading it.
    bool OpenLoaded(const std::string& strName);
    // Loads the library: a path with "/" is used as it is, a bare name
    // goes through the system search path. False with LastError set.
    bool Open(const std::string& strPathOrName);
    void Close();
    bool IsOpen() const { return m_pHandle != nullptr; }

    // The address of an export, or null when the library lacks it.
    void* Symbol(const char* pszName) const;

    // Of the last failed Open: a system error number (ENOENT when the file
    // is missing, ENOEXEC when it is not a loadable library) and the
    // loader's own text.
    int LastError() const { return m_nLastError; }
    const std::string& LastErrorText() const { return m_strLastError; }

private:
    void* m_pHandle = nullptr;
    int m_nLastError = 0;
    std::string m_strLastError;
};

} // namespace platform
