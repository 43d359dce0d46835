// CJsonFastReader against jsoncpp's classic reader: each case says whether
// the fast reader takes the text, and CjsonCtrl must give jsoncpp's result
// (acceptance, value, messages) either way.
#include "foundation/json_ctrl.h"
#include "foundation/json_fast_reader.h"
#include "fuzz/support/json_difference.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_data.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <string>

namespace {

// The reader CjsonCtrl falls back to, as it is configured there.
struct Reference
{
    bool bAccepted = false;
    Json::Value value;
    std::string strErrors;
};

Reference ParseWithJsoncpp(const std::string& strText)
{
    Reference ref;
    Json::Reader reader;
    try {
        ref.bAccepted = reader.parse(strText, ref.value, false);
        if (!ref.bAccepted) {
            ref.strErrors = reader.getFormattedErrorMessages();
        }
    } catch (const Json::Exception& e) {
        ref.strErrors = e.what();
    }
    if (!ref.bAccepted) {
        ref.value = Json::Value();
    }
    return ref;
}

std::string Nested(size_t nDepth)
{
    return std::string(nDepth, '[') + std::string(nDepth, ']');
}

struct ReaderCase
{
    const char* pszName;
    std::string strText;
    bool bFast; // the fast reader takes it
};

const ReaderCase kCases[] = {
    // Taken by the fast reader.
    {"plain order", R"({"no": 12, "menus": [{"name": "x", "qty": 2}], "memo": null})", true},
    {"CP949 bytes in keys and strings", "{\"\xC1\xA9\": \"\xBA\xBB\xC1\xA1 \xB9\xE8\xB4\xDE\"}",
     true},
    {"bytes that are not UTF-8", "[\"\xFF\xFE\x80\", \"\xC0\"]", true},
    {"escaped NUL in a key and a string", R"({"a\u0000b": "x\u0000y"})", true},
    {"escapes", R"(["\" \\ \/ \b \f \n \r \t", "\u00e9\uD55C"])", true},
    {"surrogate pair", R"(["\uD83D\uDE00"])", true},
    {"lone low surrogate", R"(["\uDC00"])", true},
    {"zero and minus zero", "[0, -0]", true},
    {"largest int is Int", "2147483647", true},
    {"above int is UInt64", "[2147483648]", true},
    {"below int is Int64", "[-2147483649]", true},
    {"largest Int64 is UInt64", "9223372036854775807", true},
    {"smallest Int64", "[-9223372036854775808]", true},
    {"above Int64 is UInt64", "[9223372036854775808]", true},
    {"subnormal and underflowing reals", "[4.9e-324, 1e-310, 2.2250738585072014e-308]", false},
    {"largest UInt64", "[18446744073709551615]", true},
    {"above UInt64 is real", "[18446744073709551616]", true},
    {"below Int64 is real", "[-9223372036854775809]", true},
    {"reals", "[1.5, -0.0, 1e2, 1E-2, 0.1, 2.5e+3, 1e308, 123456789012345678901234567890]", true},
    {"duplicate keys: the last wins", R"({"a": 1, "b": 2, "a": {"c": [3]}, "b": "x"})", true},
    {"array order", "[3, 1, 2, [], {}]", true},
    {"scalar roots", "true", true},
    {"string root", "\"just text\"", true},
    {"null root with spaces", " \t\r\n null \n", true},
    {"text after an object root", R"({"a": 1} trailing {)", true},
    {"NUL after the root", std::string("{\"a\":1}\0\"b\"", 11), true},
    {"number root followed by a space", "5 6", true},
    {"number root followed by a letter", "5x", true},
    {"deepest taken nesting", Nested(CJsonFastReader::kMaxDepth), true},
    // Left to jsoncpp, which accepts them.
    {"raw control characters in a string", "[\"tab\tnew\nline\x01\"]", false},
    {"raw NUL in a string", std::string("[\"a\0b\"]", 7), false},
    {"line comment", "// note\n{\"a\": 1}", false},
    {"block comment", "{\"a\": /* one */ 1}", false},
    {"leading zero", "[01]", false},
    {"leading zero at the root", "01", false},
    {"fraction without digits", "[1.]", false},
    {"number root continued", "1.", false},
    {"exponent without digits", "[1e]", false},
    {"minus alone", "[-]", false},
    {"high surrogate with a non-low one", R"(["\uD800\u0041"])", false},
    {"trailing comma after an unnamed member", R"({"": 1,})", false},
    {"underflow", "[1e-400]", false},
    {"nesting beyond the cap", Nested(CJsonFastReader::kMaxDepth + 1), false},
    // Refused by both.
    {"empty", "", false},
    {"byte order mark", "\xEF\xBB\xBF{}", false},
    {"overflow", "[1e309]", false},
    {"lone high surrogate", R"(["\uD800"])", false},
    {"bad escape", R"(["\x"])", false},
    {"trailing comma", R"({"a": 1,})", false},
    {"unclosed", R"({"a": [1, 2})", false},
    {"nesting beyond jsoncpp's limit", Nested(1001), false},
    {"deep opening only", std::string(200000, '['), false},
};

class JsonFastReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_Folder.StartLog()); }
    testsupport::CTempProgramFolder m_Folder;
};

TEST_F(JsonFastReaderTest, AgreesWithJsoncppOnEveryCase)
{
    for (const ReaderCase& c : kCases) {
        SCOPED_TRACE(c.pszName);
        const Reference ref = ParseWithJsoncpp(c.strText);

        Json::Value fast(42);
        const bool bFast = CJsonFastReader::Parse(c.strText.data(), c.strText.size(), fast);
        EXPECT_EQ(bFast, c.bFast);
        if (bFast) {
            ASSERT_TRUE(ref.bAccepted) << "fast reader took a text jsoncpp refuses";
            EXPECT_EQ(testsupport::JsonDifference(fast, ref.value), "");
        } else {
            EXPECT_EQ(testsupport::JsonDifference(fast, Json::Value(42)), "")
                << "a refusal changed the output";
        }

        CjsonCtrl json;
        EXPECT_EQ(json.JsonReadData(c.strText, 0, 0), ref.bAccepted);
        EXPECT_EQ(testsupport::JsonDifference(json.Root(), ref.value), "");
        EXPECT_EQ(json.ParseErrors(), ref.strErrors);
    }
}

// The details a value comparison could blur: embedded NULs kept with the
// length, the sign of a real zero, the int/uint split at the edges.
TEST_F(JsonFastReaderTest, KeepsLengthsSignsAndNumberTypes)
{
    Json::Value root;
    const std::string strText =
        R"({"k\u0000": "a\u0000b", "z": -0.0, "i": -0, "p": 2147483648, "u": 18446744073709551615,)"
        R"( "m": -9223372036854775808, "r": 18446744073709551616})";
    ASSERT_TRUE(CJsonFastReader::Parse(strText.data(), strText.size(), root));
    const Json::Value* pValue = root.find("k\0", "k\0" + 2);
    ASSERT_NE(pValue, nullptr);
    const char* pBegin = nullptr;
    const char* pEnd = nullptr;
    pValue->getString(&pBegin, &pEnd);
    EXPECT_EQ(std::string(pBegin, pEnd), std::string("a\0b", 3));
    EXPECT_TRUE(root["z"].isDouble());
    EXPECT_TRUE(std::signbit(root["z"].asDouble()));
    EXPECT_EQ(root["i"].type(), Json::intValue);
    EXPECT_EQ(root["p"].type(), Json::uintValue);
    EXPECT_EQ(root["u"].type(), Json::uintValue);
    EXPECT_EQ(root["m"].type(), Json::intValue);
    EXPECT_EQ(root["m"].asInt64(), Json::Value::minLargestInt);
    EXPECT_EQ(root["r"].type(), Json::realValue);
}

// Every order fixture is plainly written: all take the fast path and read
// as jsoncpp reads them.
TEST_F(JsonFastReaderTest, OrderFixturesTakeTheFastPath)
{
    for (const char* pszName : {"receipt_pickup.json", "receipt_delivery.json", "sheet_table.json",
                                "delivery_order.json", "pickup_order.json"}) {
        SCOPED_TRACE(pszName);
        const std::string strText = testsupport::TestDataFile(std::string("orders/") + pszName);
        Json::Value fast;
        ASSERT_TRUE(CJsonFastReader::Parse(strText.data(), strText.size(), fast));
        const Reference ref = ParseWithJsoncpp(strText);
        ASSERT_TRUE(ref.bAccepted);
        EXPECT_EQ(testsupport::JsonDifference(fast, ref.value), "");
    }
}

} // namespace
