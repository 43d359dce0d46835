// The program and library names the Windows build uses ("NUBEQ.exe",
// "NUBEQ_IF.dll", "Zelkor.exe") and the files they are on this system.
#pragma once

#include <string>

namespace platform {

// Local file name of a Windows program or library name: a trailing ".exe"
// (any letter case) is dropped, "name.dll" becomes "libname.so"; other
// names are returned unchanged. "NUBEQ.exe" -> "NUBEQ",
// "NUBEQ_IF.dll" -> "libNUBEQ_IF.so", "Zelkor.exe" -> "Zelkor".
std::string LocalFileName(const std::string& strWindowsName);

// True when two process names are the same program: ASCII letter case and
// a trailing ".exe" are ignored ("nubeq.EXE" matches "NUBEQ").
bool SameProcessName(const std::string& strA, const std::string& strB);

} // namespace platform
