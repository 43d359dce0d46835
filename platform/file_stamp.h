// What tells one version of a file from the next without reading it: its
// identity (device, inode), size and change times, from one stat call.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct FileStamp
{
    bool bExists = false;
    uint64_t nDevice = 0;
    uint64_t nInode = 0;
    int64_t nSize = 0;
    int64_t nModifiedNs = 0; // modification time, ns since the epoch
    int64_t nChangedNs = 0;  // status change time, ns since the epoch

    bool operator==(const FileStamp&) const = default;
};

// The stamp of strPath (bExists false when it cannot be stat'ed).
FileStamp GetFileStamp(const std::string& strPath);

} // namespace platform
