// CPrintData: shop data from the program folder, order members from the
// order's JSON text.
#include "printing/print_data.h"

#include "foundation/ini_file.h"
#include "foundation/json_ctrl.h"
#include "foundation/simple_log.h"
#include "platform/program_folder.h"
#include "printing/printer_setting.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

constexpr const char* kStoreSection = "STORE";
constexpr const char* kNoticeFileName = "Store_Orgin.dat";
// Shop values are read through a buffer of this size (2047 bytes of text).
constexpr size_t kStoreBufferSize = 2048;
// An origin notice is a few lines for the foot of a receipt. A larger file
// is read only this far, so that a runaway file cannot exhaust memory (and
// flood the log) on every order.
constexpr long kMaxNoticeBytes = 64 * 1024;

struct SStringMember
{
    const char* pszKey;
    std::string CPrintData::*pField;
};

// Drops a CP949 lead byte that lost its trail byte to a cut.
void TrimSplitCharacter(std::string& strText)
{
    size_t nLength = 0;
    while (nLength < strText.size()) {
        const auto byLead = static_cast<unsigned char>(strText[nLength]);
        const size_t nChar = (byLead >= 0x81 && byLead <= 0xFE) ? 2 : 1;
        if (nLength + nChar > strText.size()) {
            break;
        }
        nLength += nChar;
    }
    strText.resize(nLength);
}

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
    const std::string strConfigPath =
        platform::JoinPath(platform::GetProgramFolder(), "Config.ini");
    // One read of Config.ini for every shop value of this order.
    const CIniSnapshot config(strConfigPath.c_str());
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
    const std::string strNoticePath =
        platform::JoinPath(platform::GetProgramFolder(), kNoticeFileName);
    // Read only: nothing is written to the agent's file.
    FILE* pFile = fopen(strNoticePath.c_str(), "rb");
    bool bFromFile = false;
    if (pFile != nullptr) {
        long nSize = -1;
        if (fseek(pFile, 0, SEEK_END) == 0) {
            nSize = ftell(pFile);
            rewind(pFile);
        }
        if (nSize > 0) {
            const long nWanted = nSize < kMaxNoticeBytes ? nSize : kMaxNoticeBytes;
            std::string strText(static_cast<size_t>(nWanted), '\0');
            const size_t nCount = fread(strText.data(), 1, strText.size(), pFile);
            strText.resize(nCount);
            // The text ends at its first NUL, as a C string would.
            strText.resize(strlen(strText.c_str()));
            if (nSize > kMaxNoticeBytes) {
                TrimSplitCharacter(strText);
            }
            LOG_PRINT(LOG_INFO, "[%s] count : %d size :%d, %s", "CPrintData::SetJsonData",
                      static_cast<int>(nCount), static_cast<int>(nSize), strText.c_str());
            m_strCOA = std::move(strText);
            bFromFile = true;
        }
    }
    if (!bFromFile) {
        m_strCOA = config.GetString(kStoreSection, "COA", "", kStoreBufferSize);
    }
    ExpandLineBreaks(m_strCOA);
    if (pFile != nullptr) {
        fclose(pFile);
    }
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
    // Only an object is an order. Anything else ("5", an array of orders,
    // a string) would be read as an order without members and printed.
    if (!json.Root().isObject()) {
        LOG_PRINT(LOG_ERROR, "[%s] Order Is Not A JSON Object [%s]", "CPrintData::SetJsonData",
                  pText->c_str());
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
