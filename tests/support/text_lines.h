// Texts that tests read line by line: journals, tool output.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// The lines of a text, without their "\n".
std::vector<std::string> SplitLines(const std::string& strText);

// What a shell command writes to its standard output ("" when it cannot
// be started).
std::string CommandOutput(const std::string& strCommand);

} // namespace testsupport
