// Test data files and JSON reading for tests.
#include "tests/support/test_data.h"

#include "foundation/json_ctrl.h"
#include "tests/support/program_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <memory>
#include <sstream>

namespace testsupport {

std::string TestDataFile(const std::string& strRelative)
{
    // This file sits in tests/support; the data beside it in tests/data.
    auto path = std::filesystem::path(ZELKOR_SOURCE_DIR) / "tests" / "data" / strRelative;
    std::string strText = ReadWholeFile(path.string());
    EXPECT_FALSE(strText.empty()) << "missing test data " << path;
    return strText;
}

Json::Value ParseJson(const std::string& strText)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> pReader(builder.newCharReader());
    Json::Value value;
    std::string strErrors;
    EXPECT_TRUE(pReader->parse(strText.data(), strText.data() + strText.size(), &value, &strErrors))
        << strText;
    return value;
}

std::vector<Json::Value> ReadJsonLines(const std::string& strPath)
{
    std::vector<Json::Value> vLines;
    std::istringstream stream(ReadWholeFile(strPath));
    for (std::string strLine; std::getline(stream, strLine);) {
        if (!strLine.empty()) {
            vLines.push_back(ParseJson(strLine));
        }
    }
    return vLines;
}

std::string UnnumberedPickupOrders(int nCount)
{
    Json::Value order = ParseJson(TestDataFile("orders/pickup_order.json"));
    Json::Value orders(Json::arrayValue);
    for (int i = 1; i <= nCount; ++i) {
        order["no"] = "P" + std::to_string(i);
        order["waitNo"] = "";
        orders.append(order);
    }
    return CjsonCtrl::StyledText(orders);
}

} // namespace testsupport
