// Whole-file reads and crash-safe replacement of small settings files:
// the new content goes to a temporary file in the same folder, is synced
// and renamed over the old one, so a reader sees the old or the new file,
// never a torn one.
#pragma once

#include <functional>
#include <string>

namespace platform {

// Reads the whole file. False when it cannot be read; *pnError then holds
// the errno (ENOENT for a missing file).
bool ReadFileContent(const std::string& strPath, std::string& strContent, int* pnError = nullptr);

// Read-modify-write under a per-file lock (a mutex within this process and
// an flock on the file's folder against other processes that use this
// call). fnEdit gets the current content ("" when the file is missing,
// bExists false) and edits it in place; when it returns true, the content
// replaces the file: temporary file, fsync, rename, fsync of the folder.
// A symbolic link is followed, so the file it names is replaced.
// Returns false (errno in *pnError) when the file cannot be read or
// written; the old file is then untouched.
using FileEditor = std::function<bool(std::string& strContent, bool bExists)>;
bool EditFileAtomically(const std::string& strPath, const FileEditor& fnEdit,
                        int* pnError = nullptr);

} // namespace platform
