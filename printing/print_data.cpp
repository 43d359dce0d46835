// CPrintData: shop data from the program folder, order members from the
// order's JSON text.
#include "printing/print_data.h"

#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "foundation/simple_log.h"
#include "printing/printer_setting.h"
#include "printing/shop_files.h"

#include <exception>
#include <memory>

namespace {

constexpr const char* kStoreSection = "STORE";
// Shop values are read through a buffer of this size (2047 bytes of text).
constexpr size_t kStoreBufferSize = 2048;

struct SStringMember
{
    const char* pszKey;
    std::string CPrintData::*pField;
};

// The notice may carry its line breaks as the four characters \r\n.
void ExpandLineBreaks(std::string& strText)
{
    size_t nPos = strText.find("\\r\\n");
    if (nPos == std::string::npos) {
        return;
    }
    std::string strOut;
    strOut.reserve(strText.size());
    size_t nFrom = 0;
    for (; nPos != std::string::npos; nPos = strText.find("\\r\\n", nFrom)) {
        strOut.append(strText, nFrom, nPos - nFrom);
        strOut += "\r\n";
        nFrom = nPos + 4;
    }
    strOut.append(strText, nFrom, std::string::npos);
    strText.swap(strOut);
}

// Styled texts of values, once per list.
const std::vector<std::string>& TextsOf(const std::vector<Json::Value>& vecValues,
                                        std::vector<std::string>& vecTexts, bool& bMade)
{
    if (!bMade) {
        vecTexts.clear();
        vecTexts.reserve(vecValues.size());
        for (const Json::Value& value : vecValues) {
            vecTexts.push_back(CjsonCtrl::StyledText(value));
        }
        bMade = true;
    }
    return vecTexts;
}

} // namespace

const std::vector<std::string>& CPrintData::GetMenus() const
{
    return TextsOf(m_vecMenuValues, m_vecMenus, m_bMenuTexts);
}

const std::vector<std::string>& CPrintData::GetDiscounts() const
{
    return TextsOf(m_vecDiscountValues, m_vecDiscounts, m_bDiscountTexts);
}

std::string CPrintData::GetMenu(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetMenuCount()) {
        return {};
    }
    return GetMenus()[static_cast<size_t>(nIndex)];
}

std::string CPrintData::GetDiscount(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetDiscountCount()) {
        return {};
    }
    return GetDiscounts()[static_cast<size_t>(nIndex)];
}

void CPrintData::ReadStoreData()
{
    // Config.ini as last read, read again only after a change.
    const std::shared_ptr<const CIniSnapshot> pConfig = ShopFiles().GetConfig();
    const CIniSnapshot& config = *pConfig;
    m_strStoreAddr = config.GetString(kStoreSection, "Addr", "", kStoreBufferSize);
    m_strStoreName = config.GetString(kStoreSection, "Name", "", kStoreBufferSize);
    m_strBossNM = config.GetString(kStoreSection, "BossNM", "", kStoreBufferSize);
    m_strBizNo = config.GetString(kStoreSection, "BizNo", "", kStoreBufferSize);
    m_strStoreTel = config.GetString(kStoreSection, "Tel", "", kStoreBufferSize);

    if (PrinterSetting().GetPrintOrigin() == 1) {
        ReadOriginNotice(config);
    }
}

void CPrintData::ReadOriginNotice(const CIniSnapshot& config)
{
    const std::shared_ptr<const SOriginNoticeFile> pNotice = ShopFiles().GetOriginNotice();
    if (pNotice->bRead) {
        LOG_PRINT(LOG_INFO, "[%s] count : %d size :%d, %s", "CPrintData::SetJsonData",
                  pNotice->nCount, pNotice->nSize, pNotice->strText.c_str());
        m_strCOA = pNotice->strText;
    } else {
        m_strCOA = config.GetString(kStoreSection, "COA", "", kStoreBufferSize);
    }
    ExpandLineBreaks(m_strCOA);
}

int CPrintData::SetJsonData(const std::string* pText)
{
    if (pText == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL", "CPrintData::SetJsonData");
        return E_RESULT_NO_TEXT;
    }

    ReadStoreData();

    CjsonCtrl json;
    if (!json.SetRecvDataLocal(*pText, 1, 1)) {
        LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal [%s]", "CPrintData::SetJsonData",
                  pText->c_str());
        return E_RESULT_INVALID_JSON;
    }
    return ReadOrder(json, pText);
}

int CPrintData::SetJsonData(const Json::Value& order)
{
    ReadStoreData();

    CjsonCtrl json;
    json.SetRecvValue(order, 1, 1);
    return ReadOrder(json, nullptr);
}

int CPrintData::ReadOrder(CjsonCtrl& json, const std::string* pText)
{
    // Only an object is an order. Anything else ("5", an array of orders,
    // a string) would be read as an order without members and printed.
    if (!json.Root().isObject()) {
        const std::string strText = pText != nullptr ? *pText : CjsonCtrl::StyledText(json.Root());
        LOG_PRINT(LOG_ERROR, "[%s] Order Is Not A JSON Object [%s]", "CPrintData::SetJsonData",
                  strText.c_str());
        return E_RESULT_INVALID_JSON;
    }

    static const SStringMember kStringMembers[] = {
        {"serviceType", &CPrintData::m_strServiceType},
        {"subServiceType", &CPrintData::m_strSubServiceType},
        {"reserveFlag", &CPrintData::m_strReserveFlag},
        {"nickname", &CPrintData::m_strNickname},
        {"telNo", &CPrintData::m_strTelNo},
        {"safeTelNo", &CPrintData::m_strSafeTelNo},
        {"no", &CPrintData::m_strNo},
        {"desc", &CPrintData::m_strDesc},
        {"waitNo", &CPrintData::m_strWaitNo},
        {"payTime", &CPrintData::m_strPayTime},
        {"deferPayType", &CPrintData::m_strDeferPayType},
        {"tableNo", &CPrintData::m_strTableNo},
        {"packingWords", &CPrintData::m_strPackingWords},
        {"pickupTime", &CPrintData::m_strPickupTime},
        {"ymd", &CPrintData::m_strYmd},
        {"hms", &CPrintData::m_strHms},
        {"reqMemo", &CPrintData::m_strReqMemo},
        {"deliveryMemo", &CPrintData::m_strDeliveryMemo},
        {"addr", &CPrintData::m_strAddr},
        {"addrDetail", &CPrintData::m_strAddrDetail},
        {"roadAddr", &CPrintData::m_strRoadAddr},
        {"roadAddrDetail", &CPrintData::m_strRoadAddrDetail},
        {"deliveryTime", &CPrintData::m_strDeliveryTime},
        {"deliveryTelNo", &CPrintData::m_strDeliveryTelNo},
        {"sourceType", &CPrintData::m_strSourceType},
        {"sourceTypeName", &CPrintData::m_strSourceTypeName},
        {"channelType", &CPrintData::m_strChannelType},
    };
    static const SStringMember kAmountMembers[] = {
        {"amt", &CPrintData::m_strAmt},
        {"deliveryAmt", &CPrintData::m_strDeliveryAmt},
        {"discountAmt", &CPrintData::m_strDiscountAmt},
        {"payAmt", &CPrintData::m_strPayAmt},
    };
    // A member of the wrong type (an amount given as text such as
    // "15,000", an object where text belongs) is read as if it were
    // missing, with a WARN line naming it: one odd member must not keep an
    // accepted order off the paper. Lists that are not arrays are empty.
    auto readMember = [&](const char* pszKey, int nValType) {
        try {
            return json.JsonValue("", pszKey, JSON_TYPE_ROOT_MEMBER, nValType);
        } catch (const std::exception& e) {
            LOG_PRINT(LOG_WARN, "[%s] Member [%s] Of A Wrong Type Read As Missing [%s]",
                      "CPrintData::SetJsonData", pszKey, e.what());
        }
        return nValType == JSON_VAL_INT ? std::string("0") : std::string();
    };
    for (const SStringMember& member : kStringMembers) {
        this->*member.pField = readMember(member.pszKey, JSON_VAL_STRING);
    }
    for (const SStringMember& member : kAmountMembers) {
        this->*member.pField = readMember(member.pszKey, JSON_VAL_INT);
    }
    // The lists are taken out of the parsed order whole, element by
    // element, so the documents read them without another parse.
    Json::Value order = json.TakeRoot();
    auto readList = [&](const char* pszKey, std::vector<Json::Value>& vecOut) {
        vecOut.clear();
        Json::Value& list = order[pszKey];
        if (!list.isNull() && !list.isArray()) {
            LOG_PRINT(LOG_WARN, "[%s] Member [%s] Is Not A List, Read As Missing",
                      "CPrintData::SetJsonData", pszKey);
            return;
        }
        vecOut.reserve(list.size());
        for (Json::Value& element : list) {
            vecOut.push_back(std::move(element));
        }
    };
    readList("menus", m_vecMenuValues);
    readList("discounts", m_vecDiscountValues);
    m_vecMenus.clear();
    m_vecDiscounts.clear();
    m_bMenuTexts = false;
    m_bDiscountTexts = false;
    m_bSetJsonData = 1;
    return E_RESULT_OK;
}
