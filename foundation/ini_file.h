// INI files with the semantics of the private-profile calls the program
// was written against: case-insensitive section and key names, first match
// wins, integers from leading digits, unknown content and comments kept,
// CP949 bytes untouched. Every write replaces the file atomically
// (temporary file + rename) under a per-file lock.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The value of [pszSection] pszKey, or pszDefault (null: "") when absent.
// Like the original buffer-based call, the result holds at most
// nBufferSize - 1 bytes.
std::string IniGetString(const char* pszSection, const char* pszKey, const char* pszDefault,
                         const char* pszPath, size_t nBufferSize = 260);

// The value read as an integer: optional sign, then leading decimal digits
// ("12abc" is 12, "abc" is 0); nDefault when the key is absent.
int IniGetInt(const char* pszSection, const char* pszKey, int nDefault, const char* pszPath);

// One read of an INI file for many lookups: the same answers as
// IniGetString / IniGetInt give on the file as it was when the snapshot was
// taken. For callers that read a group of keys at once (the shop data of
// every printed order), so the file is read and split once, not per key.
class CIniSnapshot
{
public:
    // A missing or unreadable file (or a null path) reads as empty.
    explicit CIniSnapshot(const char* pszPath);
    ~CIniSnapshot();
    CIniSnapshot(const CIniSnapshot&) = delete;
    CIniSnapshot& operator=(const CIniSnapshot&) = delete;

    std::string GetString(const char* pszSection, const char* pszKey, const char* pszDefault,
                          size_t nBufferSize = 260) const;
    int GetInt(const char* pszSection, const char* pszKey, int nDefault) const;

private:
    struct SLines;
    std::unique_ptr<SLines> m_pLines;
};

// Writes a value, creating the file and section as needed. A null key
// deletes the whole section; a null value deletes the key. False when the
// file cannot be written (nothing is changed then). With bSync false the
// new file is in place when the call returns but not yet synced to the
// disk (see platform::EditFileAtomically; IniSyncFile completes it).
bool IniWriteString(const char* pszSection, const char* pszKey, const char* pszValue,
                    const char* pszPath, bool bSync = true);

// One key of a multi-key write: a value to set, or none to delete the key.
struct SIniEntry
{
    std::string strSection;
    std::string strKey;
    std::optional<std::string> value;
};

// Writes every entry in order with one atomic replace of the file (one
// temporary file, one rename, one sync), for a save of many keys at once.
// Either all entries are in the file afterwards or none is: an entry with
// a name that cannot be written refuses the whole write (false, file
// untouched), as does a file that cannot be written.
bool IniWriteStrings(const std::vector<SIniEntry>& vEntries, const char* pszPath,
                     bool bSync = true);

// Makes an unsynced write durable. False when the file cannot be synced.
bool IniSyncFile(const char* pszPath);

inline bool IniDeleteKey(const char* pszSection, const char* pszKey, const char* pszPath)
{
    return IniWriteString(pszSection, pszKey, nullptr, pszPath);
}

inline bool IniDeleteSection(const char* pszSection, const char* pszPath)
{
    return IniWriteString(pszSection, nullptr, nullptr, pszPath);
}
