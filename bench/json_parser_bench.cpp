// The order parser against two faster libraries, on the orders the print
// worker reads: jsoncpp's reader as CjsonCtrl uses it (comments allowed,
// any root), simdjson's DOM parser, and RapidJSON's in-situ-free DOM with
// comments allowed. Each run parses the text and reads every member once,
// as an order is read. A parser that refuses the order says so instead of
// reporting a time: the orders are CP949, not UTF-8. Beside them the
// program's own paths: the fast reader alone (RapidJSON's SAX reader
// building Json::Value) and CjsonCtrl's parse (fast reader, jsoncpp when
// it refuses).
#include "foundation/json_ctrl.h"
#include "foundation/json_fast_reader.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <json/reader.h>
#include <json/value.h>
#include <rapidjson/document.h>
#include <simdjson.h>
#include <sstream>
#include <string>

namespace {

std::string ReadOrder(const char* pszName)
{
    const std::filesystem::path path =
        std::filesystem::path(ZELKOR_SOURCE_DIR) / "tests" / "data" / "orders" / pszName;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The same order with every byte above 0x7F replaced by '?': valid UTF-8,
// so that all three parsers can be timed on the same shape of document.
std::string AsciiOnly(std::string strText)
{
    for (char& ch : strText) {
        if (static_cast<unsigned char>(ch) >= 0x80) {
            ch = '?';
        }
    }
    return strText;
}

size_t Walk(const Json::Value& value)
{
    size_t nCount = 1;
    if (value.isString()) {
        const char* pBegin = nullptr;
        const char* pEnd = nullptr;
        value.getString(&pBegin, &pEnd);
        nCount += static_cast<size_t>(pEnd - pBegin);
    }
    for (const Json::Value& child : value) {
        nCount += Walk(child);
    }
    return nCount;
}

size_t Walk(simdjson::dom::element element)
{
    size_t nCount = 1;
    switch (element.type()) {
    case simdjson::dom::element_type::ARRAY:
        for (simdjson::dom::element child : element.get_array()) {
            nCount += Walk(child);
        }
        break;
    case simdjson::dom::element_type::OBJECT:
        for (simdjson::dom::key_value_pair field : element.get_object()) {
            nCount += Walk(field.value);
        }
        break;
    case simdjson::dom::element_type::STRING:
        nCount += element.get_string().value_unsafe().size();
        break;
    default:
        break;
    }
    return nCount;
}

size_t Walk(const rapidjson::Value& value)
{
    size_t nCount = 1;
    if (value.IsString()) {
        nCount += value.GetStringLength();
    } else if (value.IsArray()) {
        for (const rapidjson::Value& child : value.GetArray()) {
            nCount += Walk(child);
        }
    } else if (value.IsObject()) {
        for (const auto& member : value.GetObject()) {
            nCount += Walk(member.value);
        }
    }
    return nCount;
}

const char* FixtureOf(int nOrder)
{
    return nOrder == 0 ? "receipt_pickup.json" : "delivery_order.json";
}

std::string OrderText(const benchmark::State& state)
{
    const std::string strText = ReadOrder(FixtureOf(static_cast<int>(state.range(0))));
    return state.range(1) != 0 ? AsciiOnly(strText) : strText;
}

void Report(benchmark::State& state, const std::string& strText)
{
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(strText.size()));
}

} // namespace

// Args: order (0 pickup receipt fixture, 1 delivery order), text (0 CP949
// as received, 1 with the non-ASCII bytes replaced).
static void BM_JsonParseJsoncpp(benchmark::State& state)
{
    const std::string strText = OrderText(state);
    for (auto _ : state) {
        Json::Reader reader;
        Json::Value root;
        if (!reader.parse(strText, root, false)) {
            state.SkipWithError("jsoncpp refused the order");
            break;
        }
        benchmark::DoNotOptimize(Walk(root));
    }
    Report(state, strText);
}
BENCHMARK(BM_JsonParseJsoncpp)->ArgsProduct({{0, 1}, {0, 1}});

static void BM_JsonParseSimdjson(benchmark::State& state)
{
    const std::string strText = OrderText(state);
    const simdjson::padded_string padded(strText);
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        const simdjson::error_code error = parser.parse(padded).get(root);
        if (error != simdjson::SUCCESS) {
            state.SkipWithError(simdjson::error_message(error));
            break;
        }
        benchmark::DoNotOptimize(Walk(root));
    }
    Report(state, strText);
}
BENCHMARK(BM_JsonParseSimdjson)->ArgsProduct({{0, 1}, {0, 1}});

static void BM_JsonParseRapidjson(benchmark::State& state)
{
    const std::string strText = OrderText(state);
    for (auto _ : state) {
        rapidjson::Document document;
        document.Parse<rapidjson::kParseCommentsFlag>(strText.data(), strText.size());
        if (document.HasParseError()) {
            state.SkipWithError("RapidJSON refused the order");
            break;
        }
        benchmark::DoNotOptimize(Walk(document));
    }
    Report(state, strText);
}
BENCHMARK(BM_JsonParseRapidjson)->ArgsProduct({{0, 1}, {0, 1}});

static void BM_JsonParseFastReader(benchmark::State& state)
{
    const std::string strText = OrderText(state);
    for (auto _ : state) {
        Json::Value root;
        if (!CJsonFastReader::Parse(strText.data(), strText.size(), root)) {
            state.SkipWithError("the fast reader refused the order");
            break;
        }
        benchmark::DoNotOptimize(Walk(root));
    }
    Report(state, strText);
}
BENCHMARK(BM_JsonParseFastReader)->ArgsProduct({{0, 1}, {0, 1}});

// As the print worker parses an order (no log line on success).
static void BM_JsonParseCjsonCtrl(benchmark::State& state)
{
    const std::string strText = OrderText(state);
    for (auto _ : state) {
        CjsonCtrl json;
        if (!json.JsonReadData(strText, 0, 0)) {
            state.SkipWithError("CjsonCtrl refused the order");
            break;
        }
        benchmark::DoNotOptimize(Walk(json.Root()));
    }
    Report(state, strText);
}
BENCHMARK(BM_JsonParseCjsonCtrl)->ArgsProduct({{0, 1}, {0, 1}});

// The styled text of a parsed order, as its DEBUG "RECV_DATA" line is made.
static void BM_JsonStyledText(benchmark::State& state)
{
    const std::string strText = OrderText(state);
    CjsonCtrl json;
    if (!json.JsonReadData(strText, 0, 0)) {
        state.SkipWithError("CjsonCtrl refused the order");
        return;
    }
    size_t nBytes = 0;
    for (auto _ : state) {
        const std::string strStyled = CjsonCtrl::StyledText(json.Root());
        nBytes = strStyled.size();
        benchmark::DoNotOptimize(strStyled.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(nBytes));
}
BENCHMARK(BM_JsonStyledText)->ArgsProduct({{0, 1}, {0}});
