// One order as the printed documents read it: the order's JSON members as
// text, its menus and discounts parsed once, and the shop's own data.
#pragma once

#include <json/value.h>
#include <string>
#include <vector>

class CIniSnapshot;
class CjsonCtrl;

class CPrintData
{
public:
    // Results of SetJsonData.
    enum
    {
        E_RESULT_OK = 0,
        E_RESULT_INVALID_JSON = 2, // not JSON, or not an object
        E_RESULT_NO_TEXT = 5,
    };

    CPrintData() = default;
    virtual ~CPrintData() = default;

    // Takes the shop data (Config.ini [STORE], the origin notice) from the
    // shop files' copy, read again only after a file changed (ShopFiles),
    // and parses the order. 0 parsed (a member of a wrong type reads as missing, with a
    // WARN line); 2 the text is not an order object; 5 no text. Meant for
    // one order.
    int SetJsonData(const std::string* pText);
    int SetJsonData(const std::string& strText) { return SetJsonData(&strText); }
    // The same for an order parsed before (an element of an event's array
    // of orders): the same results and log lines as its styled text gives,
    // without writing and parsing that text again.
    int SetJsonData(const Json::Value& order);

    // 1 once an order was parsed.
    int IsSetJsonData() const { return m_bSetJsonData; }

    // Shop data.
    const std::string& GetStoreAddr() const { return m_strStoreAddr; }
    const std::string& GetStoreName() const { return m_strStoreName; }
    const std::string& GetBossNM() const { return m_strBossNM; }
    const std::string& GetBizNo() const { return m_strBizNo; }
    const std::string& GetStoreTel() const { return m_strStoreTel; }
    // Origin-of-ingredients notice, lines separated by CR LF; empty unless
    // the store's PrintOrigin is 1.
    const std::string& GetCOA() const { return m_strCOA; }

    // Order members, as received (amounts as decimal text, "0" when absent).
    const std::string& GetYmd() const { return m_strYmd; }
    const std::string& GetHms() const { return m_strHms; }
    const std::string& GetServiceType() const { return m_strServiceType; }
    const std::string& GetSubServiceType() const { return m_strSubServiceType; }
    const std::string& GetReserveFlag() const { return m_strReserveFlag; }
    const std::string& GetNickname() const { return m_strNickname; }
    const std::string& GetTelNo() const { return m_strTelNo; }
    const std::string& GetSafeTelNo() const { return m_strSafeTelNo; }
    const std::string& GetNo() const { return m_strNo; }
    const std::string& GetDesc() const { return m_strDesc; }
    const std::string& GetWaitNo() const { return m_strWaitNo; }
    const std::string& GetTableNo() const { return m_strTableNo; }
    const std::string& GetPackingWords() const { return m_strPackingWords; }
    const std::string& GetPickupTime() const { return m_strPickupTime; }
    const std::string& GetPayTime() const { return m_strPayTime; }
    const std::string& GetDeferPayType() const { return m_strDeferPayType; }
    const std::string& GetReqMemo() const { return m_strReqMemo; }
    const std::string& GetDeliveryMemo() const { return m_strDeliveryMemo; }
    const std::string& GetAddr() const { return m_strAddr; }
    const std::string& GetAddrDetail() const { return m_strAddrDetail; }
    const std::string& GetRoadAddr() const { return m_strRoadAddr; }
    const std::string& GetRoadAddrDetail() const { return m_strRoadAddrDetail; }
    const std::string& GetDeliveryTime() const { return m_strDeliveryTime; }
    const std::string& GetDeliveryTelNo() const { return m_strDeliveryTelNo; }
    const std::string& GetSourceType() const { return m_strSourceType; }
    const std::string& GetSourceTypeName() const { return m_strSourceTypeName; }
    const std::string& GetChannelType() const { return m_strChannelType; }
    const std::string& GetAmt() const { return m_strAmt; }
    const std::string& GetDeliveryAmt() const { return m_strDeliveryAmt; }
    const std::string& GetDiscountAmt() const { return m_strDiscountAmt; }
    const std::string& GetPayAmt() const { return m_strPayAmt; }

    // The elements of the order's menus / discounts as parsed, in order:
    // what the documents read, so that no document parses JSON text again.
    const std::vector<Json::Value>& GetMenuValues() const { return m_vecMenuValues; }
    const std::vector<Json::Value>& GetDiscountValues() const { return m_vecDiscountValues; }

    // The same elements as styled JSON texts, made on first use (for
    // callers that pass them on as text). An index out of range gives "".
    // Not for use from two threads at once.
    int GetMenuCount() const { return static_cast<int>(m_vecMenuValues.size()); }
    std::string GetMenu(int nIndex) const;
    const std::vector<std::string>& GetMenus() const;
    int GetDiscountCount() const { return static_cast<int>(m_vecDiscountValues.size()); }
    std::string GetDiscount(int nIndex) const;
    const std::vector<std::string>& GetDiscounts() const;

private:
    void ReadStoreData();
    // Reads the order that json holds as its root; pText names it in the
    // log (the styled text of the root when null).
    int ReadOrder(CjsonCtrl& json, const std::string* pText);
    void ReadOriginNotice(const CIniSnapshot& config);

    int m_bSetJsonData = 0;

    std::string m_strStoreAddr;
    std::string m_strStoreName;
    std::string m_strBossNM;
    std::string m_strBizNo;
    std::string m_strStoreTel;
    std::string m_strCOA;

    std::string m_strYmd;
    std::string m_strHms;
    std::string m_strServiceType;
    std::string m_strSubServiceType;
    std::string m_strReserveFlag;
    std::string m_strNickname;
    std::string m_strTelNo;
    std::string m_strSafeTelNo;
    std::string m_strNo;
    std::string m_strDesc;
    std::string m_strWaitNo;
    std::string m_strTableNo;
    std::string m_strPackingWords;
    std::string m_strPickupTime;
    std::string m_strPayTime;
    std::string m_strDeferPayType;
    std::string m_strReqMemo;
    std::string m_strDeliveryMemo;
    std::string m_strAddr;
    std::string m_strAddrDetail;
    std::string m_strRoadAddr;
    std::string m_strRoadAddrDetail;
    std::string m_strDeliveryTime;
    std::string m_strDeliveryTelNo;
    std::string m_strSourceType;
    std::string m_strSourceTypeName;
    std::string m_strChannelType;
    std::string m_strAmt;
    std::string m_strDeliveryAmt;
    std::string m_strDiscountAmt;
    std::string m_strPayAmt;

    std::vector<Json::Value> m_vecMenuValues;
    std::vector<Json::Value> m_vecDiscountValues;
    // Texts of the values above, filled by the first GetMenus / GetDiscounts.
    mutable std::vector<std::string> m_vecMenus;
    mutable std::vector<std::string> m_vecDiscounts;
    mutable bool m_bMenuTexts = false;
    mutable bool m_bDiscountTexts = false;
};
