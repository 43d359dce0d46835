// INI files with the semantics of the private-profile calls the program
// was written against: case-insensitive section and key names, first match
// wins, integers from leading digits, unknown content and comments kept,
// CP949 bytes untouched. Every write replaces the file atomically
// (temporary file + rename) under a per-file lock.
#pragma once

#include <cstddef>
#include <string>

// The value of [pszSection] pszKey, or pszDefault (null: "") when absent.
// Like the original buffer-based call, the result holds at most
// nBufferSize - 1 bytes.
std::string IniGetString(const char* pszSection, const char* pszKey, const char* pszDefault,
                         const char* pszPath, size_t nBufferSize = 260);

// The value read as an integer: optional sign, then leading decimal digits
// ("12abc" is 12, "abc" is 0); nDefault when the key is absent.
int IniGetInt(const char* pszSection, const char* pszKey, int nDefault, const char* pszPath);

// Writes a value, creating the file and section as needed. A null key
// deletes the whole section; a null value deletes the key. False when the
// file cannot be written (nothing is changed then).
bool IniWriteString(const char* pszSection, const char* pszKey, const char* pszValue,
                    const char* pszPath);

inline bool IniDeleteKey(const char* pszSection, const char* pszKey, const char* pszPath)
{
    return IniWriteString(pszSection, pszKey, nullptr, pszPath);
}

inline bool IniDeleteSection(const char* pszSection, const char* pszPath)
{
    return IniWriteString(pszSection, nullptr, nullptr, pszPath);
}
