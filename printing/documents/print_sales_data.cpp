// CPrintSalesData: reads the members of the sales JSON into texts.
#include "printing/documents/print_sales_data.h"

#include "foundation/json_ctrl.h"
#include "foundation/simple_log.h"

#include <exception>

int CPrintSalesData::SetJsonData(const std::string* pText)
{
    const char* pszName = "CPrintSalesData::SetJsonData";
    if (pText == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL", pszName);
        return 5;
    }
    CjsonCtrl json;
    // Only an object has members to read; any other document is refused
    // like text that does not parse.
    if (!json.SetRecvDataLocal(*pText, 1, 0) || !json.Root().isObject()) {
        LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal [%s]", pszName, pText->c_str());
        return 2;
    }
    auto text = [&](const char* pszKey) {
        return json.JsonValue(pszKey, "", JSON_TYPE_TREE_STRING, JSON_VAL_STRING);
    };
    auto jsonText = [&](const char* pszKey) {
        return json.JsonValue(pszKey, "", JSON_TYPE_TREE_TEXT, JSON_VAL_TEXT);
    };
    // Read into locals first: a refused member leaves the record untouched.
    CPrintSalesData read;
    try {
        read.m_strShopName = text("shopName");
        read.m_strDatetime = text("datetime");
        read.m_strFrom = text("from");
        read.m_strTo = text("to");
    } catch (const std::exception& e) {
        LOG_PRINT(LOG_ERROR, "[%s] Member Type Fail... [%s] [%s]", pszName, e.what(),
                  pText->c_str());
        return 2;
    }
    read.m_strOrderCount = jsonText("orderCount");
    read.m_strTotalOrderAmount = jsonText("totalOrderAmount");
    read.m_strOrderAmount = jsonText("orderAmount");
    read.m_strOrderDeliveryAmount = jsonText("orderDeliveryAmount");
    read.m_strTotalOrderDiscountAmount = jsonText("totalOrderDiscountAmount");
    read.m_strOrderDiscountCouponAmount = jsonText("orderDiscountCouponAmount");
    read.m_strOrderDiscountTakeoutAmount = jsonText("orderDiscountTakeoutAmount");
    read.m_strTotalOrderSalesAmount = jsonText("totalOrderSalesAmount");
    read.m_strCancelCount = jsonText("cancelCount");
    read.m_strTotalCancelAmount = jsonText("totalCancelAmount");
    read.m_strPreviousTotalOrderAmount = jsonText("previousTotalOrderAmount");
    read.m_strGreenDeposit = jsonText("greenDeposit");
    read.m_bSet = true;
    *this = read;
    return 0;
}
