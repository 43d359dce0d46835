// The space the dumps of one prefix may take in a dump folder.
#pragma once

#include <cstdint>

// The dumps "<prefix>_*.dmp" of a folder may take 1 MiB together.
constexpr uint64_t kDumpRetentionBytes = 1024 * 1024;
// At most this many are deleted per crash.
constexpr int kDumpRetentionMaxDeletes = 32;

// While the dumps "<prefix>_*.dmp" in pszFolder take kDumpRetentionBytes
// or more (full 64-bit sizes), deletes the one with the smallest name
// (the oldest), at most kDumpRetentionMaxDeletes of them. pszKeepName, the
// dump being written, is never deleted. Lists the folder with getdents64,
// allocates nothing: async-signal-safe. Returns the number deleted.
int ApplyDumpRetention(const char* pszFolder, const char* pszPrefix, const char* pszKeepName);
