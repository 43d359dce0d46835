// The tree's test data (tests/data) and JSON reading for tests.
#pragma once

#include <json/value.h>
#include <string>
#include <vector>

namespace testsupport {

// The bytes of tests/data/<strRelative>; a missing or empty file fails the
// calling test.
std::string TestDataFile(const std::string& strRelative);

// The JSON text parsed; a text that does not parse fails the calling test
// (with the text) and gives null.
Json::Value ParseJson(const std::string& strText);

// Every line of a JSON-lines file (a journal), parsed; a missing file
// gives none.
std::vector<Json::Value> ReadJsonLines(const std::string& strPath);

// nCount unnumbered pickup orders as one accepted event's text (the shop's
// own fixture with its number taken away), order numbers P1, P2, ...
std::string UnnumberedPickupOrders(int nCount);

} // namespace testsupport
