// Texts that tests read line by line or search: journals, logs, tool output.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// The lines of a text, without their "\n".
std::vector<std::string> SplitLines(const std::string& strText);

// How often strPart occurs in strText.
size_t Count(const std::string& strText, const std::string& strPart);
// Where the nth (from 0) strPart is in strText; npos when fewer.
size_t NthPos(const std::string& strText, const std::string& strPart, size_t nNth);

// What a shell command writes to its standard output ("" when it cannot
// be started).
std::string CommandOutput(const std::string& strCommand);

} // namespace testsupport
