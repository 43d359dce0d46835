// File stamps from stat(2).
#include "platform/file_stamp.h"

#include <sys/stat.h>

namespace platform {

namespace {

int64_t Nanoseconds(const timespec& ts)
{
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + static_cast<int64_t>(ts.tv_nsec);
}

} // namespace

FileStamp GetFileStamp(const std::string& strPath)
{
    FileStamp stamp;
    struct stat info = {};
    if (::stat(strPath.c_str(), &info) != 0) {
        return stamp;
    }
    stamp.bExists = true;
    stamp.nDevice = static_cast<uint64_t>(info.st_dev);
    stamp.nInode = static_cast<uint64_t>(info.st_ino);
    stamp.nSize = static_cast<int64_t>(info.st_size);
    stamp.nModifiedNs = Nanoseconds(info.st_mtim);
    stamp.nChangedNs = Nanoseconds(info.st_ctim);
    return stamp;
}

} // namespace platform
