// Fuzz target: CjsonCtrl's reading codes on arbitrary documents. Every
// type code runs with every conversion on names the document itself holds
// and names the program asks for; the texts the list codes collect must
// parse back to the elements they came from.
//
// Conversions the JSON library refuses throw Json::LogicError to the
// caller by contract; the target catches that and nothing else.
#include "foundation/json_ctrl.h"
#include "fuzz/support/fuzz_folder.h"

#include <cstddef>
#include <cstdint>
#include <json/value.h>
#include <string>
#include <utility>
#include <vector>

namespace {

const int kTypes[] = {
    JSON_TYPE_ROOT_MEMBER,
    JSON_TYPE_TREE_MEMBER,
    JSON_TYPE_ARRAY_MEMBERS,
    JSON_TYPE_LIST_TREE,
    JSON_TYPE_TREE_STRING,
    JSON_TYPE_DATA_MEMBER,
    JSON_TYPE_TREE_TEXT,
    JSON_TYPE_TREE_SIZE,
    JSON_TYPE_LIST_TREE_VALUE,
    JSON_TYPE_LIST_ROOT,
    0,
};
const int kConversions[] = {
    JSON_VAL_STRING,
    JSON_VAL_INT,
    JSON_VAL_BOOL,
    JSON_VAL_DOUBLE,
    JSON_VAL_TEXT,
    JSON_VAL_INT_OR_NULL,
    0,
};

std::string FirstMemberName(const Json::Value& value)
{
    if (!value.isObject() || value.empty()) {
        return "";
    }
    return value.getMemberNames().front();
}

// A list code's texts parse back to the elements of the node it listed.
void CheckListed(const Json::Value& node, const std::vector<std::string>& vecTexts)
{
    if (!node.isArray() && !node.isObject()) {
        return;
    }
    if (vecTexts.size() != node.size()) {
        fuzzsupport::Fail("a list code gave " + std::to_string(vecTexts.size()) + " texts for " +
                          std::to_string(node.size()) + " elements");
    }
    size_t i = 0;
    for (const Json::Value& element : node) {
        CjsonCtrl again;
        if (!again.JsonReadData(vecTexts[i], 0, 0)) {
            fuzzsupport::Fail("a listed element does not parse again: " + vecTexts[i]);
        }
        if (again.Root() != element) {
            fuzzsupport::Fail("a listed element parses to another value: " + vecTexts[i]);
        }
        ++i;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    fuzzsupport::ProgramFolder();
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    CjsonCtrl json;
    if (!json.SetRecvDataLocal(strText, 1, 1)) {
        return 0;
    }
    const Json::Value root = json.Root();
    const std::string strFirst = FirstMemberName(root);
    const std::string strSecond = root.isObject() ? FirstMemberName(root[strFirst]) : "";
    const std::pair<std::string, std::string> names[] = {
        {"", ""},          {strFirst, ""},     {strFirst, strSecond}, {"", strFirst},
        {"menus", "name"}, {"options", "amt"}, {strFirst, "cnt"},
    };
    for (int nType : kTypes) {
        for (int nConversion : kConversions) {
            for (const auto& [strTree, strValue] : names) {
                try {
                    json.JsonValue(strTree, strValue, nType, nConversion);
                } catch (const Json::LogicError&) {
                    continue;
                }
                if (json.Root() != root) {
                    fuzzsupport::Fail("a reading code changed the document");
                }
                std::vector<std::string> vecTexts;
                json.GetArray(vecTexts);
                if (nType == JSON_TYPE_LIST_ROOT ||
                    (nType == JSON_TYPE_LIST_TREE && strTree.empty())) {
                    CheckListed(root, vecTexts);
                }
            }
        }
    }
    return 0;
}
