// The version stamp every Zelkor executable carries (the counterpart of a
// Windows version resource), read from the file without running it.
#pragma once

#include <string>

namespace platform {

// Name of the ELF section that holds the stamp, and the stamp's prefix:
// the section holds "ZELKOR_VERSION 1.0.0.0" and a NUL.
constexpr const char* kVersionSectionName = ".zelkor_version";
constexpr const char* kVersionStampPrefix = "ZELKOR_VERSION ";

// The version text after the prefix ("1.0.0.0"), or "" when the file is
// not a readable ELF file or has no stamp.
std::string ReadVersionStamp(const std::string& strPath);

} // namespace platform
