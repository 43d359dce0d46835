// CP949 helpers for tests. Narrow literals in the tree are already CP949
// (-fexec-charset); these convert for messages and for building inputs.
#pragma once

#include <string>

namespace testsupport {

// UTF-8 text (from a u8"" literal) to CP949 bytes.
std::string Cp949FromUtf8(const std::u8string& strUtf8);
// CP949 bytes to UTF-8, for readable failure messages.
std::string Utf8FromCp949(const std::string& strCp949);
// Bytes as hex pairs separated by spaces ("1B 21 08").
std::string HexBytes(const std::string& strBytes);

} // namespace testsupport
