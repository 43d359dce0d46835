// Files and directories as the log and the stores need them: plain
// descriptors, one write call per buffer, directories created one level.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

constexpr int kInvalidFile = -1;

// Opens (creating when missing) a file for writing only. bAppend: every
// write goes to the end; otherwise the file is cut to length zero.
// Returns a descriptor or kInvalidFile.
int OpenWriteFile(const std::string& strPath, bool bAppend);

// One write call; a short or failed write is returned, not retried.
long WriteFile(int hFile, const void* pData, size_t nLength);

void CloseFile(int hFile);

// Creates one directory level. True when it exists afterwards.
bool MakeDirectory(const std::string& strPath);

bool DirectoryExists(const std::string& strPath);
bool FileExists(const std::string& strPath);

// The system's description of an errno value.
std::string ErrorText(int nError);

} // namespace platform
