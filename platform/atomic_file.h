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
//
// With bSync false the two fsyncs are left out: the new content is in
// place for every process as soon as the call returns, so a crash of the
// writing process loses nothing, but a power cut before the kernel writes
// it back may; SyncFile later makes it durable. For values that must be in
// the file before the program tells anyone about them, quickly. Such a
// write also keeps the replaced file open until the next SyncFile (at most
// 16 of them), so that the kernel frees it then and not in the rename.
using FileEditor = std::function<bool(std::string& strContent, bool bExists)>;
bool EditFileAtomically(const std::string& strPath, const FileEditor& fnEdit,
                        int* pnError = nullptr, bool bSync = true);

// Makes the file's content and its name durable (fsync of the file and of
// its folder). False (errno in *pnError) when the file cannot be synced.
// Closes the replaced files that quick writes kept open, in either case.
bool SyncFile(const std::string& strPath, int* pnError = nullptr);

// Replaced files kept open by quick writes, waiting for a SyncFile.
int KeptOpenReplacedFiles();

// Removes the temporary files that writers of strPath killed mid-write left
// in its folder, under the same locks as EditFileAtomically (so a write in
// progress, in this or another process, is never touched). The number of
// files removed.
int RemoveStaleTempFiles(const std::string& strPath);

} // namespace platform
