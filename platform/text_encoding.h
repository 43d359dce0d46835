// Conversion between the program's CP949 text and UTF-8 (webhook bodies,
// the UI toolkit).
#pragma once

#include <string>

namespace platform {

// CP949 bytes to UTF-8. A byte sequence that is not CP949 becomes U+FFFD
// and conversion goes on after it.
std::string Cp949ToUtf8(const std::string& strText);

// UTF-8 to CP949. A character without a CP949 form (or bad UTF-8) becomes
// '?' and conversion goes on after it.
std::string Utf8ToCp949(const std::string& strText);

// UTF-8 to CP949 without loss: false (strCp949 unchanged) when a character
// has no CP949 form or the UTF-8 is bad. For text a user typed, which must
// be refused rather than stored with '?'.
bool Utf8ToCp949Exact(const std::string& strText, std::string& strCp949);

} // namespace platform
