// The tree's test data (tests/data) and JSON reading for tests.
#pragma once

#include <json/value.h>
#include <string>

namespace testsupport {

// The bytes of tests/data/<strRelative>; a missing or empty file fails the
// calling test.
std::string TestDataFile(const std::string& strRelative);

// The JSON text parsed; a text that does not parse fails the calling test
// (with the text) and gives null.
Json::Value ParseJson(const std::string& strText);

} // namespace testsupport
