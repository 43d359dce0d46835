// The sales summary of a period as the ordering service sends it: the texts
// that the sales report prints, read once from the sales JSON.
#pragma once

#include <string>

class CPrintSalesData
{
public:
    CPrintSalesData() = default;
    virtual ~CPrintSalesData() = default;

    // Parses the sales JSON object. 0; 2 the text is not a JSON object or a
    // text member holds another kind of value; 5 no text. Text members keep
    // their string value; amounts and counts keep their JSON text (a number
    // with its line break, a string with its quotes, null when absent).
    int SetJsonData(const std::string* pText);
    int SetJsonData(const std::string& strText) { return SetJsonData(&strText); }

    // true after a successful SetJsonData.
    bool IsSetJsonData() const { return m_bSet; }

    std::string GetShopName() const { return m_strShopName; }
    std::string GetDatetime() const { return m_strDatetime; }
    std::string GetFrom() const { return m_strFrom; }
    std::string GetTo() const { return m_strTo; }
    std::string GetOrderCount() const { return m_strOrderCount; }
    std::string GetTotalOrderAmount() const { return m_strTotalOrderAmount; }
    std::string GetOrderAmount() const { return m_strOrderAmount; }
    std::string GetOrderDeliveryAmount() const { return m_strOrderDeliveryAmount; }
    std::string GetTotalOrderDiscountAmount() const { return m_strTotalOrderDiscountAmount; }
    std::string GetOrderDiscountCouponAmount() const { return m_strOrderDiscountCouponAmount; }
    std::string GetOrderDiscountTakeoutAmount() const { return m_strOrderDiscountTakeoutAmount; }
    std::string GetTotalOrderSalesAmount() const { return m_strTotalOrderSalesAmount; }
    std::string GetCancelCount() const { return m_strCancelCount; }
    std::string GetTotalCancelAmount() const { return m_strTotalCancelAmount; }
    std::string GetPreviousTotalOrderAmount() const { return m_strPreviousTotalOrderAmount; }
    std::string GetGreenDeposit() const { return m_strGreenDeposit; }

private:
    bool m_bSet = false;
    std::string m_strShopName;
    std::string m_strDatetime;
    std::string m_strFrom;
    std::string m_strTo;
    std::string m_strOrderCount;
    std::string m_strTotalOrderAmount;
    std::string m_strOrderAmount;
    std::string m_strOrderDeliveryAmount;
    std::string m_strTotalOrderDiscountAmount;
    std::string m_strOrderDiscountCouponAmount;
    std::string m_strOrderDiscountTakeoutAmount;
    std::string m_strTotalOrderSalesAmount;
    std::string m_strCancelCount;
    std::string m_strTotalCancelAmount;
    std::string m_strPreviousTotalOrderAmount;
    std::string m_strSpare; // nothing fills it
    std::string m_strGreenDeposit;
};
