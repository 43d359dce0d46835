// The named shared-memory block that offers the print settings document to
// other processes: CSharedMngr owns it, CSharedMemory writes into it.
#pragma once

#include <cstddef>
#include <string>

class CSharedMngr
{
public:
    CSharedMngr() = default;
    virtual ~CSharedMngr();
    CSharedMngr(const CSharedMngr&) = delete;
    CSharedMngr& operator=(const CSharedMngr&) = delete;

    // Creates the block "%s_%s" of baseName (a Windows program name such as
    // "Zelkor.exe" is taken as its local name) and suffix with room for
    // nSize bytes. An open block of another name or size is closed first;
    // the same name and size keeps the open one. 1 on success, 0 on failure
    // (logged).
    int Create(const char* pszBaseName, const char* pszSuffix, size_t nSize);

    // Writes strData (no terminator; the rest of the block NUL) into the
    // block this object created, whatever the running executable is named.
    // False (logged) without a block or when it does not fit.
    bool Write(const std::string& strData);

    // Closes the block and forgets name and size.
    void Close();

    const std::string& GetName() const { return m_strName; }
    size_t GetSize() const { return m_nSize; }

private:
    int m_hMap = -1;
    std::string m_strName;
    size_t m_nSize = 0;
};

class CSharedMemory
{
public:
    // Writes strData (no terminator; the rest of the block is NUL) into the
    // block "%s_%s" of the running executable's file name and suffix. False
    // (logged) when the block is missing, cannot be mapped or is too small.
    static bool SetSharedMemory(const char* pszSuffix, const std::string& strData);
};
