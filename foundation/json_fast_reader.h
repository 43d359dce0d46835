// A fast reader for the common, plainly written JSON document, building the
// same Json::Value the jsoncpp reader of CjsonCtrl would build.
#pragma once

#include <cstddef>
#include <json/value.h>

// Reads strictly written JSON (no comments, no raw control characters in
// strings, no leading zeros, nesting up to kMaxDepth) with RapidJSON's SAX
// reader straight into a Json::Value. Numbers are decoded by jsoncpp's own
// rules (int, uint or real) and string bytes pass through unchanged, so CP949
// text and escaped NULs survive. Text after the root is ignored, as jsoncpp
// ignores it, except after a number root where jsoncpp would read more digits.
//
// It refuses (false, out untouched) every document it cannot read exactly as
// jsoncpp does; the caller then parses the text with jsoncpp, which decides
// acceptance and error messages. A true result implies jsoncpp accepts the
// text with an equal value (the json-fast-reader fuzz target checks this).
class CJsonFastReader
{
public:
    static constexpr size_t kMaxDepth = 256;

    static bool Parse(const char* pText, size_t nLength, Json::Value& out);
};
