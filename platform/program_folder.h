// Where the program's files live: the directory of the running executable,
// or the directory named by ZELKOR_HOME (tests, demo, packaging).
#pragma once

#include <string>

namespace platform {

// Full path of the running executable ("" when it cannot be read).
std::string GetExecutablePath();

// The program folder without a trailing slash: $ZELKOR_HOME when set and
// not empty, otherwise the executable's directory.
std::string GetProgramFolder();

// Joins a folder and a file name with "/" ("%s/%s").
std::string JoinPath(const std::string& strFolder, const std::string& strName);

} // namespace platform
