// CjsonCtrl: reading codes, conversions, building, the CP949 round trip
// and bad input.
#include "foundation/json_ctrl.h"
#include "foundation/json_styled_writer.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/writer.h>

namespace {

int CountOf(const std::string& strText, const std::string& strNeedle)
{
    int nCount = 0;
    for (size_t nPos = strText.find(strNeedle); nPos != std::string::npos;
         nPos = strText.find(strNeedle, nPos + strNeedle.size())) {
        ++nCount;
    }
    return nCount;
}

const char* const kOrder = R"({
    "shop": "젤코르", "count": 3, "price": 3500, "rate": 1.5, "flag": true,
    "nul": null, "zero": 0,
    "store": {"name": "본점", "no": 7, "open": false, "geo": {"x": 1}},
    "menus": [
        {"name": "아메리카노", "qty": 2, "price": 3500.5, "hot": true},
        {"name": "라떼", "qty": 3, "price": 4000, "hot": false}
    ],
    "data": {"order": {"no": 12, "memo": "빨리 주세요"}},
    "opts": {"a": [1, 2], "b": "x"},
    "empty": []
})";

class JsonCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_Folder.StartLog()); }
    testsupport::CTempProgramFolder m_Folder;
};

struct ReadCase
{
    const char* pszTree;
    const char* pszValue;
    int nType;
    int nValType;
    const char* pszExpected;
};

const ReadCase kReadCases[] = {
    // 14: member of root
    {"", "shop", 14, 18, "젤코르"},
    {"", "flag", 14, 18, "true"},
    {"", "missing", 14, 18, ""},
    {"", "count", 14, 19, "3"},
    {"", "rate", 14, 19, "1"},
    {"", "flag", 14, 19, "1"},
    {"", "missing", 14, 19, "0"},
    {"", "flag", 14, 20, "true"},
    {"", "zero", 14, 20, "false"},
    {"", "nul", 14, 20, "false"},
    {"", "shop", 14, 20, "true"},
    {"", "price", 14, 21, "3500.000000"},
    {"", "missing", 14, 25, "NULL"},
    {"", "nul", 14, 25, "NULL"},
    {"", "zero", 14, 25, "0"},
    {"", "count", 14, 25, "3"},
    {"", "shop", 14, 23, "0|"},
    // 15: member of an object of root
    {"store", "name", 15, 18, "본점"},
    {"store", "no", 15, 19, "7"},
    {"store", "open", 15, 20, "false"},
    {"store", "no", 15, 21, "7.000000"},
    {"store", "geo", 15, 23, "{\n   \"x\" : 1\n}\n"},
    {"store", "no", 15, 25, "0|"},
    {"missing", "no", 15, 19, "0"},
    // 16: one member of every element of an array
    {"menus", "qty", 16, 19, "2|2|3|"},
    {"menus", "name", 16, 18, "2|아메리카노|라떼|"},
    {"menus", "hot", 16, 20, "2|true|false|"},
    {"menus", "price", 16, 21, "2|3500.500000|4000.000000|"},
    {"menus", "qty", 16, 25, "2|||"},
    {"empty", "qty", 16, 19, "0|"},
    {"missing", "qty", 16, 19, "0|"},
    // 23, 24, 26, 27
    {"shop", "", 23, 0, "젤코르"},
    {"missing", "", 23, 0, ""},
    {"order", "no", 24, 19, "12"},
    {"order", "memo", 24, 18, "빨리 주세요"},
    {"order", "no", 24, 23, "0|"},
    {"opts", "", 26, 0, "{\n   \"a\" : [ 1, 2 ],\n   \"b\" : \"x\"\n}\n"},
    {"missing", "", 26, 0, "null\n"},
    {"menus", "", 27, 0, "2"},
    {"opts", "", 27, 0, "2"},
    {"shop", "", 27, 0, "0"},
    {"missing", "", 27, 0, "0"},
    // unknown codes
    {"menus", "", 99, 0, "0|"},
    {"menus", "", 0, 0, "0|"},
};

TEST_F(JsonCtrlTest, ReadingCodesGiveTheirTexts)
{
    CjsonCtrl json;
    ASSERT_TRUE(json.SetRecvDataLocal(kOrder, 0, 1));
    for (const ReadCase& row : kReadCases) {
        std::string strGot = json.JsonValue(row.pszTree, row.pszValue, row.nType, row.nValType);
        EXPECT_EQ(strGot, row.pszExpected)
            << "tree " << row.pszTree << " value " << row.pszValue << " type " << row.nType
            << " valType " << row.nValType << " got " << testsupport::Utf8FromCp949(strGot);
    }
    // Reading a missing key must not add it: the counts stay as parsed.
    EXPECT_EQ(json.Root().size(), 12u);
}

TEST_F(JsonCtrlTest, ListCodesFillTheListWithStyledElements)
{
    CjsonCtrl json;
    ASSERT_TRUE(json.SetRecvDataLocal(kOrder, 0, 1));
    std::vector<std::string> vecList{"kept"};

    EXPECT_EQ(json.JsonValue("menus", "", 17, 0), "0|");
    json.GetArray(vecList);
    ASSERT_EQ(vecList.size(), 3u);
    EXPECT_EQ(vecList[0], "kept");
    CjsonCtrl element;
    ASSERT_TRUE(element.SetRecvDataLocal(vecList[2], 0, 1));
    EXPECT_EQ(element.JsonValue("", "name", 14, 18), "라떼");

    struct
    {
        const char* pszTree;
        const char* pszValue;
        int nType;
        std::vector<std::string> vecExpected;
    } const kCases[] = {
        {"opts", "a", 30, {"1\n", "2\n"}},
        {"opts", "", 17, {"[ 1, 2 ]\n", "\"x\"\n"}},
        {"missing", "", 17, {}},
        {"missing", "a", 30, {}},
    };
    for (const auto& row : kCases) {
        EXPECT_EQ(json.JsonValue(row.pszTree, row.pszValue, row.nType, 0), "0|");
        std::vector<std::string> vecGot;
        json.GetArray(vecGot);
        EXPECT_EQ(vecGot, row.vecExpected) << row.pszTree << " " << row.nType;
    }

    // 17 with an empty tree and 31 both walk root itself.
    for (int nType : {17, 31}) {
        json.JsonValue("", "", nType, 0);
        std::vector<std::string> vecGot;
        json.GetArray(vecGot);
        EXPECT_EQ(vecGot.size(), 12u) << nType;
    }
}

TEST_F(JsonCtrlTest, RootArrayIsWalkedByCode31)
{
    CjsonCtrl json;
    ASSERT_TRUE(json.SetRecvDataLocal(R"([{"no": 1}, {"no": 2}])", 0, 1));
    json.JsonValue("", "", 31, 0);
    std::vector<std::string> vecGot;
    json.GetArray(vecGot);
    EXPECT_EQ(vecGot, (std::vector<std::string>{"{\n   \"no\" : 1\n}\n", "{\n   \"no\" : 2\n}\n"}));
}

TEST_F(JsonCtrlTest, LibraryConversionErrorsReachTheCaller)
{
    CjsonCtrl json;
    ASSERT_TRUE(json.SetRecvDataLocal(kOrder, 0, 1));
    const ReadCase kRefused[] = {
        {"", "count", 14, 18, ""},    // number as string
        {"", "store", 14, 18, ""},    // object as string
        {"", "shop", 14, 19, ""},     // string as integer
        {"", "shop", 14, 21, ""},     // string as real
        {"menus", "", 23, 0, ""},     // array as string
        {"shop", "x", 15, 19, ""},    // string indexed by name
        {"store", "qty", 16, 19, ""}, // object walked as array
    };
    for (const ReadCase& row : kRefused) {
        EXPECT_THROW(json.JsonValue(row.pszTree, row.pszValue, row.nType, row.nValType),
                     Json::LogicError)
            << row.pszTree << " " << row.pszValue << " " << row.nType;
    }
}

TEST_F(JsonCtrlTest, PlainNumberRootGivesEmptyTextsAndLogs)
{
    CjsonCtrl json;
    ASSERT_TRUE(json.SetRecvDataLocal("5", 0, 1));
    for (int nType : {14, 15, 16, 17, 23, 24, 26, 27, 30, 31, 99}) {
        EXPECT_EQ(json.JsonValue("menus", "qty", nType, 19), "") << nType;
    }
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_EQ(CountOf(strLog, "[ERROR] [CjsonCtrl::JsonValue] root is empty. Information : "
                              "json_Tree (menus), json_Value (qty), type ("),
              11);
    EXPECT_NE(strLog.find("json_Tree (menus), json_Value (qty), type (16), valType (19)\r\n"),
              std::string::npos);
    // The object stays usable for building a document afterwards.
    EXPECT_EQ(json.GetJsonString(), "null\n");
}

TEST_F(JsonCtrlTest, BadTextsFailWithBothLogLines)
{
    const std::string kBad[] = {
        "", "{", "{\"a\":}", "[1, 2", "{\"a\" 1}", "\"open", "젤코르", std::string(5000, '['),
    };
    for (const std::string& strText : kBad) {
        CjsonCtrl json;
        EXPECT_FALSE(json.SetRecvDataLocal(strText, 1, 1)) << strText.substr(0, 20);
        EXPECT_FALSE(json.ParseErrors().empty());
        EXPECT_EQ(json.RecvText(), strText);
        EXPECT_EQ(json.JsonValue("", "a", 14, 19), "0"); // root is null after a failure
    }
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_EQ(CountOf(strLog, "[ERROR] JsonReadData FAIL\r\n"), 8);
    EXPECT_EQ(CountOf(strLog, "[DEBUG] PARSING FAIL MGS : ["), 8);
    EXPECT_EQ(CountOf(strLog, "RECV_DATA"), 0);
}

TEST_F(JsonCtrlTest, ReceivedDocumentIsLoggedOnRequest)
{
    CjsonCtrl json;
    ASSERT_TRUE(json.SetRecvDataLocal(R"({"a": 1, "b": [1, 2]})", 1, 1));
    ASSERT_TRUE(json.JsonReadData(R"({"c": "주문"})", 1, 0));
    ASSERT_TRUE(json.JsonReadData(R"({"d": 1})", 0, 1));
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(
        strLog.find("[DEBUG] [JsonReadData] RECV_DATA : [{   \"a\" : 1,   \"b\" : [ 1, 2 ]}]\r\n"),
        std::string::npos);
    EXPECT_NE(strLog.find("[JsonReadData] RECV_DATA : [{\n   \"c\" : \"주문\"\n}\n]\r\n"),
              std::string::npos);
    EXPECT_EQ(CountOf(strLog, "RECV_DATA"), 2);
}

TEST_F(JsonCtrlTest, SetValueConvertsByKind)
{
    struct
    {
        const char* pszText;
        int nKind;
        Json::Value expected;
    } const kCases[] = {
        {"12abc", 0, Json::Value(Json::Int64(12))},
        {"-5", 0, Json::Value(Json::Int64(-5))},
        {"abc", 0, Json::Value(Json::Int64(0))},
        {"", 0, Json::Value(Json::Int64(0))},
        {"9876543210", 0, Json::Value(Json::Int64(9876543210LL))},
        {"99999999999999999999", 0, Json::Value(Json::Int64(INT64_MAX))},
        {"1.25", 1, Json::Value(1.25)},
        {"x", 1, Json::Value(0.0)},
        {"true", 2, Json::Value(true)},
        {"TRUE", 2, Json::Value(false)},
        {"1", 2, Json::Value(false)},
        {"ignored", 4, Json::Value()},
        {"주문", 3, Json::Value("주문")},
        {"7", 9, Json::Value("7")},
    };
    for (const auto& row : kCases) {
        Json::Value target;
        CjsonCtrl::SetValue(target, "k", row.pszText, row.nKind);
        ASSERT_TRUE(target.isMember("k"));
        EXPECT_EQ(target["k"], row.expected) << row.pszText << " kind " << row.nKind;
        EXPECT_EQ(target["k"].type(), row.expected.type()) << row.pszText;
    }
}

TEST_F(JsonCtrlTest, GetJsonStringGivesAppendedObjectsInOrderAndEmpties)
{
    CjsonCtrl json;
    json.SetValue("menu", "아메리카노", JSON_SET_STRING);
    json.SetValue("qty", "2", JSON_SET_INT);
    json.AppendCurrent();
    json.SetValue("menu", "라떼", JSON_SET_STRING);
    json.SetValue("qty", "3", JSON_SET_INT);
    json.AppendCurrent();
    EXPECT_EQ(json.GetJsonString(), "[\n"
                                    "   {\n"
                                    "      \"menu\" : \"아메리카노\",\n"
                                    "      \"qty\" : 2\n"
                                    "   },\n"
                                    "   {\n"
                                    "      \"menu\" : \"라떼\",\n"
                                    "      \"qty\" : 3\n"
                                    "   }\n"
                                    "]\n");
    EXPECT_EQ(json.GetJsonString(), "[]\n"); // an emptied array stays an array
    json.SetValue("qty", "4", JSON_SET_INT);
    json.AppendCurrent();
    EXPECT_EQ(json.GetJsonString(), "[\n   {\n      \"qty\" : 4\n   }\n]\n");
}

TEST_F(JsonCtrlTest, SetJsonObjectBuildsAnArrayMember)
{
    CjsonCtrl json;
    json.SetJsonObject("items", R"({"name": "샷 추가"})");
    json.SetJsonObject("items", "[1, 2]");
    json.SetJsonObject("items", "broken{");
    json.SetValue("no", "1", JSON_SET_INT);
    json.AppendCurrent();
    CjsonCtrl back;
    ASSERT_TRUE(back.SetRecvDataLocal(json.GetJsonString(), 0, 1));
    const Json::Value& items = back.Root()[0]["items"];
    ASSERT_TRUE(items.isArray());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]["name"].asString(), "샷 추가");
    EXPECT_EQ(items[1].size(), 2u);
    EXPECT_TRUE(items[2].isNull());
}

TEST_F(JsonCtrlTest, MakeJsonArraySkipsTextsThatDoNotParse)
{
    EXPECT_EQ(CjsonCtrl::MakeJsonArray({"{\"a\":1}", "bad{", "", "2"}),
              "[\n   {\n      \"a\" : 1\n   },\n   2\n]\n");
    EXPECT_EQ(CjsonCtrl::MakeJsonArray({}), "[]\n");
}

// A realistic order with Korean menus, options and discounts goes through
// parse, list, rebuild and parse again without a byte changing.
TEST_F(JsonCtrlTest, KoreanOrderSurvivesRoundTripByteForByte)
{
    const std::string strOrder =
        R"json({"orderNo": "A-17", "memo": "문 앞에 놓아 주세요\r\n감사합니다",
        "menus": [
          {"name": "아이스 아메리카노(L)", "qty": 2, "price": 4500,
           "options": [{"name": "샷 추가", "price": 500}, {"name": "시럽 빼기", "price": 0}]},
          {"name": "딸기 케이크 \"조각\"", "qty": 1, "price": 6800, "options": []}],
        "discounts": [{"name": "첫 주문 할인", "amount": -1000}]})json";
    const std::string strMenuName = "아이스 아메리카노(L)";
    ASSERT_EQ(strMenuName.size(), 20u); // CP949: 2 bytes per syllable

    CjsonCtrl first;
    ASSERT_TRUE(first.SetRecvDataLocal(strOrder, 0, 1));
    std::string strText = CjsonCtrl::StyledText(first.Root());
    EXPECT_EQ(strText.find("\\u"), std::string::npos) << strText;
    EXPECT_NE(strText.find("\"" + strMenuName + "\""), std::string::npos);

    first.JsonValue("menus", "", 17, 0);
    std::vector<std::string> vecMenus;
    first.GetArray(vecMenus);
    ASSERT_EQ(vecMenus.size(), 2u);
    CjsonCtrl rebuilt;
    for (const std::string& strMenu : vecMenus) {
        rebuilt.SetJsonObject("menus", strMenu);
    }
    rebuilt.SetValue("memo", first.JsonValue("", "memo", 14, 18), JSON_SET_STRING);
    rebuilt.SetJsonObject("discounts", first.JsonValue("discounts", "", 26, 0));
    rebuilt.AppendCurrent();

    CjsonCtrl second;
    ASSERT_TRUE(second.SetRecvDataLocal(rebuilt.GetJsonString(), 0, 1));
    const Json::Value& order = second.Root()[0];
    EXPECT_EQ(order["menus"], first.Root()["menus"]);
    EXPECT_EQ(order["memo"], first.Root()["memo"]);
    EXPECT_EQ(order["discounts"][0], first.Root()["discounts"]);
    EXPECT_EQ(order["menus"][0]["name"].asString(), strMenuName);
    EXPECT_EQ(order["menus"][0]["options"][1]["name"].asString(), "시럽 빼기");
    EXPECT_EQ(order["memo"].asString(), "문 앞에 놓아 주세요\r\n감사합니다");
}

// The layout is the library's styled layout: on text without CP949 bytes
// both writers give the same document.
TEST(JsonStyledWriterTest, LayoutMatchesLibraryStyledWriterOnAscii)
{
    std::string strLongArray = "[";
    for (int i = 0; i < 30; ++i) {
        strLongArray += (i ? ", " : "") + std::to_string(i * 1000);
    }
    strLongArray += "]";
    const std::string kDocuments[] = {
        R"({"a": [1, 2, 3], "o": {"x": [{"q": 1}], "e": [], "eo": {}}, "s": "q\"\\\t\u0001/"})",
        R"([[1, 2], [], {}, [{"a": null}], 1.5, -2, 1e300, true, "x"])",
        R"({"nums": [1.0, 0.1, 123456789012345678, -9223372036854775808, 18446744073709551615]})",
        strLongArray,
        R"(["aaaaaaaaaaaaaaaaaaaa", "bbbbbbbbbbbbbbbbbbbb", "cccccccccccccccccccc", "dd"])",
        R"([1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24])",
        R"([1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25])",
        "5",
        "null",
        "\"\"",
        "[]",
    };
    for (const std::string& strDocument : kDocuments) {
        Json::Value value;
        Json::Reader reader;
        ASSERT_TRUE(reader.parse(strDocument, value, false)) << strDocument;
        Json::StyledWriter library;
        CJsonStyledWriter ours;
        EXPECT_EQ(ours.Write(value), library.write(value)) << strDocument;
    }
}

TEST(JsonStyledWriterTest, QuotesOnlyWhatJsonRequires)
{
    const std::string strRaw = std::string("a\"b\\c\b\f\n\r\t", 10) + std::string(1, '\0') +
                               "\x1f\x7f" + "\xc1\xd6\xb9\xae" + "\x80\xff";
    EXPECT_EQ(CJsonStyledWriter::QuoteString(strRaw.data(), strRaw.data() + strRaw.size()),
              "\"a\\\"b\\\\c\\b\\f\\n\\r\\t\\u0000\\u001f\x7f\xc1\xd6\xb9\xae\x80\xff\"");
}

} // namespace
