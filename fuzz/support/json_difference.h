// Comparison of two parsed JSON values for the reader tests and the fuzz
// targets: unlike Json::Value's operator== it tells 0.0 from -0.0 and
// says where the values differ.
#pragma once

#include <cstring>
#include <json/value.h>
#include <string>

namespace testsupport {

// "" when both values are the same: types, doubles bit for bit, string and
// key bytes, member sets and element order. Else where they differ.
inline std::string JsonDifference(const Json::Value& a, const Json::Value& b,
                                  const std::string& strPath = "$")
{
    if (a.type() != b.type()) {
        return strPath + ": type " + std::to_string(a.type()) + " vs " + std::to_string(b.type());
    }
    switch (a.type()) {
    case Json::intValue:
        return a.asInt64() == b.asInt64() ? "" : strPath + ": int";
    case Json::uintValue:
        return a.asUInt64() == b.asUInt64() ? "" : strPath + ": uint";
    case Json::realValue: {
        const double da = a.asDouble();
        const double db = b.asDouble();
        return std::memcmp(&da, &db, sizeof(da)) == 0 ? "" : strPath + ": real bits";
    }
    case Json::booleanValue:
        return a.asBool() == b.asBool() ? "" : strPath + ": bool";
    case Json::stringValue: {
        const char* pa = nullptr;
        const char* pae = nullptr;
        const char* pb = nullptr;
        const char* pbe = nullptr;
        a.getString(&pa, &pae);
        b.getString(&pb, &pbe);
        return std::string(pa, pae) == std::string(pb, pbe) ? "" : strPath + ": string bytes";
    }
    case Json::arrayValue:
    case Json::objectValue: {
        if (a.size() != b.size()) {
            return strPath + ": size";
        }
        for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
            if (ia.name() != ib.name() || ia.index() != ib.index()) {
                return strPath + ": member names";
            }
            std::string strDiff = JsonDifference(*ia, *ib, strPath + "/" + ia.name());
            if (!strDiff.empty()) {
                return strDiff;
            }
        }
        return "";
    }
    default:
        return "";
    }
}

} // namespace testsupport
