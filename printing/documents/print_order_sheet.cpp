// CPrintOrderSheet: head, identity block by service type, owner memo and the
// menu block of the kitchen order sheet, copy by copy.
#include "printing/documents/print_order_sheet.h"

#include "foundation/json_ctrl.h"
#include "foundation/simple_log.h"
#include "foundation/text_util.h"
#include "printing/print_data.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"

#include <exception>
#include <initializer_list>
#include <string_view>

namespace {

// Quantity-column bounds by line type: W, then minimum and maximum for the
// normal and small menu sizes, then minimum and maximum for the large size.
struct SLineBounds
{
    int nWidth;
    int nQuantityMin;
    int nQuantityMax;
    int nQuantityMinLarge;
    int nQuantityMaxLarge;
};
constexpr SLineBounds kLineBounds[] = {
    {42, 5, 11, 10, 10},
    {48, 7, 13, 14, 14},
};

constexpr const char* kReprintBanner = "--------- 재출력 주문서입니다. ---------";
constexpr const char* kCancelMark = "(취소)";

// One menu element as the sheet prints it.
struct SMenuLine
{
    std::string strName;
    std::string strCnt;
    const Json::Value* pOptions = nullptr; // the menu's "options" member
};

// A scalar member as text. Orders come from outside: a number where text
// belongs, or the reverse, prints as what was sent rather than failing the
// whole sheet; containers give "" and a missing member gives strMissing.
std::string MemberText(const Json::Value& object, const char* pszKey, const char* pszMissing)
{
    const Json::Value& value = object[pszKey];
    switch (value.type()) {
    case Json::nullValue:
        return pszMissing;
    case Json::stringValue:
        return value.asString();
    case Json::intValue:
        return std::to_string(value.asInt64());
    case Json::uintValue:
        return std::to_string(value.asUInt64());
    case Json::booleanValue:
        return value.asBool() ? "true" : "false";
    case Json::realValue: {
        std::string strText = CjsonCtrl::StyledText(value);
        while (!strText.empty() && (strText.back() == '\n' || strText.back() == '\r')) {
            strText.pop_back();
        }
        return strText;
    }
    default:
        return std::string();
    }
}

// The text without a two-byte character cut off at its end: a lone lead
// byte would take the next byte on paper (the line end or a bracket) as its
// second half.
std::string WholeChars(std::string strText)
{
    size_t i = 0;
    while (i < strText.size()) {
        const unsigned char ch = static_cast<unsigned char>(strText[i]);
        if (ch >= 0x81 && ch <= 0xFE) {
            if (i + 1 >= strText.size()) {
                strText.resize(i);
                break;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return strText;
}

// Reads one parsed menu element; false when it is not a JSON object.
bool ReadMenuLine(const Json::Value& menu, SMenuLine& line)
{
    if (!menu.isObject()) {
        return false;
    }
    line.strName = WholeChars(MemberText(menu, "menuName", ""));
    line.strCnt = WholeChars(MemberText(menu, "cnt", "0"));
    line.pOptions = &menu["options"];
    return true;
}

// Menu element texts parsed one by one; a text that does not parse gives
// null, which no reader takes for a menu.
std::vector<Json::Value> ParseMenus(const std::vector<std::string>& vecMenus)
{
    std::vector<Json::Value> vecValues;
    vecValues.reserve(vecMenus.size());
    for (const std::string& strMenu : vecMenus) {
        CjsonCtrl json;
        json.SetRecvDataLocal(strMenu, 0, 0);
        vecValues.push_back(json.TakeRoot());
    }
    return vecValues;
}

} // namespace

int CPrintOrderSheet::SetPrintLineCharacterInfo(int nLineType)
{
    if (nLineType != 0 && nLineType != 1) {
        LOG_PRINT(LOG_DEBUG, "[%s] Not Supported Length Type [%d]",
                  "CPrintOrderSheet::SetPrintLineCharacterInfo", nLineType);
        return 6;
    }
    const SLineBounds& bounds = kLineBounds[nLineType];
    m_nLineCharacter = bounds.nWidth;
    m_nQuantityMin = bounds.nQuantityMin;
    m_nQuantityMax = bounds.nQuantityMax;
    m_nQuantityMinLarge = bounds.nQuantityMinLarge;
    m_nQuantityMaxLarge = bounds.nQuantityMaxLarge;
    return 0;
}

int CPrintOrderSheet::GetMenuHeadingMode(int nMenunameSize)
{
    switch (nMenunameSize) {
    case E_PRINT_SIZE_LARGE:
        return 0x30;
    case E_PRINT_SIZE_NORMAL:
        return 0x10;
    default:
        return 0x00;
    }
}

int CPrintOrderSheet::GetMenuRowMode(int nMenunameSize)
{
    return GetMenuHeadingMode(nMenunameSize) | PRINT_MODE_EMPHASIZED;
}

int CPrintOrderSheet::GetOptionMode(int nMenunameSize)
{
    return nMenunameSize == E_PRINT_SIZE_LARGE ? 0x10 : 0x00;
}

int CPrintOrderSheet::GetPrintCopies()
{
    const char* pszName = "CPrintOrderSheet::GetPrintCopies";
    if (m_nPrintFlag != 0) {
        LOG_PRINT(LOG_INFO, "[%s] 재출력 / 취소출력이므로, 주문서 출력 매수 1장으로 설정", pszName);
        return 1;
    }
    int nCopies = 1;
    if (m_nServiceType >= PRINT_SERVICE_TYPE_PICKUP &&
        m_nServiceType <= PRINT_SERVICE_TYPE_RESERVE_RESERVED) {
        nCopies = m_pSetting->GetPrintCnt();
    } else if (m_nServiceType >= PRINT_SERVICE_TYPE_DELIVERY &&
               m_nServiceType <= PRINT_SERVICE_TYPE_PICKUP_DELIVERY) {
        nCopies = m_pSetting->GetDeliveryPrintCnt();
    } else {
        LOG_PRINT(LOG_INFO, "[%s] 테이블 오더는 주문서 출력매수 1장", pszName);
    }
    LOG_PRINT(LOG_INFO, "[%s] 주문서 출력 매수 [%d]", pszName, nCopies);
    return nCopies;
}

int CPrintOrderSheet::StartPrintData()
{
    const char* pszName = "CPrintOrderSheet::StartPrintData";
    if (!m_bReady || m_pPrinter == nullptr || m_pPrintData == nullptr || m_pSetting == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Init Data Fail... Check Log", pszName);
        return 1;
    }
    // The order comes from outside; whatever the JSON layer refuses ends this
    // document here and never reaches the print worker.
    try {
        const int nCopies = GetPrintCopies();
        for (int i = 0; i < nCopies; ++i) {
            LOG_PRINT(LOG_INFO, "[%s] 주문서 출력 시작, 현재매수(%d) : 전체매수(%d)", pszName,
                      i + 1, nCopies);
            int nResult = m_pPrinter->Printer_Send_Init();
            if (nResult != 0) {
                LOG_PRINT(LOG_ERROR,
                          "[%s:%d] Printer_Send_Init Fail... ErrorCode [%d] Copies [%d : %d]",
                          pszName, 1, nResult, i, nCopies);
                return 1;
            }
            nResult = StartPrintOrderSheet();
            if (nResult != 0) {
                LOG_PRINT(LOG_ERROR, "[%s:%d] StartPrintOrderSheet Fail... ErrorCode [%d]", pszName,
                          2, nResult);
                return 1;
            }
            nResult = m_pPrinter->Printer_CutPaper(m_nBottomLineFeed);
            if (nResult != 0) {
                LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_CutPaper Fail... ErrorCode [%d]", pszName, 3,
                          nResult);
                return 1;
            }
        }
    } catch (const std::exception& e) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Exception... [%s]", pszName, 4, e.what());
        return 1;
    }
    return 0;
}

int CPrintOrderSheet::PrintOrderNumberLine(const std::string& strNumber)
{
    std::string strText = "주문번호:" + strNumber;
    return Printer_PrintMsg(m_nLineCharacter, strText, PRINT_ALIGN_CENTER, 1, 0x38);
}

int CPrintOrderSheet::StartPrintOrderSheet()
{
    if (PrintHead() != 0 || PrintIdentity() != 0 || PrintTail() != 0) {
        return 1;
    }
    std::vector<int> vecWidths;
    const std::vector<Json::Value>& vecMenus = m_pPrintData->GetMenuValues();
    GetOrderSheetMenusLineCharacter(&vecWidths, vecMenus);
    return PrintOrderSheetMenus(&vecWidths, vecMenus);
}

int CPrintOrderSheet::PrintHead()
{
    const char* pszName = "CPrintOrderSheet::StartPrintOrderSheet";
    const int W = m_nLineCharacter;
    int nResult = 0;
    if ((m_nPrintFlag & PRINT_FLAG_REPRINT) != 0) {
        nResult = Printer_PrintMsg(W, kReprintBanner, PRINT_ALIGN_CENTER, 2, 0x08);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszName, 10,
                      kReprintBanner, nResult);
            return 1;
        }
    }

    std::string strTitle = GetPrintServiceName();
    const std::string strChannel = WholeChars(GetPrintChannelType());
    if (!strChannel.empty()) {
        strTitle += "-" + strChannel;
    }
    nResult =
        Printer_PrintMsg(W, "주문서 " + GetPrintParenText(strTitle), PRINT_ALIGN_CENTER, 1, 0x18);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszName, 11,
                  nResult);
        return 1;
    }

    const std::string& strPayTime = m_pPrintData->GetPayTime();
    if (strPayTime == "ON_TIME") {
        std::string strText = "- 현장결제" + GetPrintParenText(GetPrintPayType()) + " -";
        nResult = Printer_PrintMsg(W, strText, PRINT_ALIGN_CENTER, 3, 0x18);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszName, 12,
                      nResult);
            return 1;
        }
    } else if (strPayTime == "IN_ADVANCE") {
        nResult = Printer_PrintMsg(W, "- 선결제 -", PRINT_ALIGN_CENTER, 3, 0x18);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszName, 13,
                      nResult);
            return 1;
        }
    }
    return 0;
}

int CPrintOrderSheet::PrintIdentity()
{
    const char* pszName = "CPrintOrderSheet::StartPrintOrderSheet";
    const int W = m_nLineCharacter;
    const std::string strCustomer = WholeChars(GetPrintCustomerInfo());
    const std::string strTelNo = WholeChars(GetPrintTelNo());
    int nResult = 0;

    // Each piece of the block: on failure log with its call-site number and
    // give up the copy.
    auto rule = [&](char ch, int nSite) {
        nResult = PrintRule(ch);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszName, nSite,
                      nResult);
            return false;
        }
        return true;
    };
    auto text = [&](const std::string& strText, int nLineFeed, int nMode, int nAlign, int nSite) {
        nResult = Printer_PrintMsg(W, strText, nAlign, nLineFeed, nMode);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszName, nSite,
                      nResult);
            return false;
        }
        return true;
    };
    auto numberBlock = [&](const std::string& strNumber, int nSite) {
        if (!rule('-', nSite)) {
            return false;
        }
        nResult = PrintOrderNumberLine(strNumber);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszName,
                      nSite + 1, nResult);
            return false;
        }
        return rule('-', nSite + 2);
    };

    switch (m_nServiceType) {
    case PRINT_SERVICE_TYPE_DELIVERY:
        if (!strCustomer.empty() && !numberBlock(strCustomer, 20)) {
            return 1;
        }
        if (!strTelNo.empty() && !text("전화번호 : " + strTelNo, 2, 0x18, PRINT_ALIGN_LEFT, 23)) {
            return 1;
        }
        return 0;

    case PRINT_SERVICE_TYPE_DELIVERY_RESERVED: {
        if (!strCustomer.empty() && !numberBlock(strCustomer, 24)) {
            return 1;
        }
        if (!strTelNo.empty() && !text("전화번호 : " + strTelNo, 1, 0x18, PRINT_ALIGN_LEFT, 27)) {
            return 1;
        }
        if (!rule('-', 28)) {
            return 1;
        }
        const std::string strDue =
            "배달 예정 시간 : " + GetPrintTime(WholeChars(m_pPrintData->GetDeliveryTime()), 0);
        nResult = Printer_PrintMsg(W, strDue, PRINT_ALIGN_LEFT, 1, 0x18);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail...", pszName, 29);
            return 1;
        }
        return rule('-', 30) ? 0 : 1;
    }

    case PRINT_SERVICE_TYPE_PICKUP_DELIVERY:
        return numberBlock(strTelNo, 31) ? 0 : 1;

    default:
        break;
    }

    // Table, pickup and reservation kinds, and orders of unknown kind.
    if (!numberBlock(strCustomer, 40) ||
        !text("전화번호 : " + strTelNo, 1, 0x18, PRINT_ALIGN_LEFT, 43) ||
        !text("포장여부 : " + WholeChars(m_pPrintData->GetPackingWords()), 1, 0x18,
              PRINT_ALIGN_LEFT, 44)) {
        return 1;
    }
    const std::string strPickupTime = WholeChars(m_pPrintData->GetPickupTime());
    std::string strDue;
    if (m_nServiceType == PRINT_SERVICE_TYPE_PICKUP_RESERVED) {
        strDue = "픽업 예정 시간 : " + GetPrintTime(strPickupTime, 0);
    } else if (m_nServiceType == PRINT_SERVICE_TYPE_RESERVE ||
               m_nServiceType == PRINT_SERVICE_TYPE_RESERVE_RESERVED) {
        strDue = "픽업 예정 일시 : " + GetPrintTime(strPickupTime, 1) + " " +
                 GetPrintTime(strPickupTime, 0);
    }
    if (strDue.empty()) {
        nResult = m_pPrinter->Printer_Send_LineFeed(1);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_Send_LineFeed Fail... ErrorCode [%d]", pszName,
                      45, nResult);
            return 1;
        }
        return 0;
    }
    if (!rule('-', 46) || !text(strDue, 1, 0x18, PRINT_ALIGN_LEFT, 47) || !rule('-', 48)) {
        return 1;
    }
    return 0;
}

int CPrintOrderSheet::PrintTail()
{
    const char* pszName = "CPrintOrderSheet::StartPrintOrderSheet";
    const int W = m_nLineCharacter;
    const int nMemoMode = GetMemoMode(m_pSetting->GetReqCustomerSize());

    int nResult = Printer_PrintMsg(W, "주문시간 : " + WholeChars(GetPrintOrderTime()),
                                   PRINT_ALIGN_LEFT, 2, 0x10);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszName, 60,
                  nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(W, "[사장님께] ", PRINT_ALIGN_LEFT, 1, nMemoMode);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszName, 61,
                  "[사장님께]", nResult);
        return 1;
    }
    std::string strMemo = WholeChars(m_pPrintData->GetReqMemo());
    if (strMemo.empty()) {
        strMemo = "없음";
    }
    nResult = Printer_PrintMsg(W, strMemo, PRINT_ALIGN_LEFT, 2, nMemoMode);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszName, 62,
                  "[사장님께] 메모", nResult);
        return 1;
    }
    nResult = PrintRule('=');
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszName, 63,
                  nResult);
        return 1;
    }
    return 0;
}

int CPrintOrderSheet::GetOrderSheetMenusLineCharacter(std::vector<int>* pWidths,
                                                      const std::vector<std::string>& vecMenus)
{
    return GetOrderSheetMenusLineCharacter(pWidths, ParseMenus(vecMenus));
}

int CPrintOrderSheet::PrintOrderSheetMenus(const std::vector<int>* pWidths,
                                           const std::vector<std::string>& vecMenus)
{
    return PrintOrderSheetMenus(pWidths, ParseMenus(vecMenus));
}

int CPrintOrderSheet::GetOrderSheetMenusLineCharacter(std::vector<int>* pWidths,
                                                      const std::vector<Json::Value>& vecMenus)
{
    const bool bLarge = m_pSetting->GetMenunameSize() == E_PRINT_SIZE_LARGE;
    const int nMin = bLarge ? m_nQuantityMinLarge : m_nQuantityMin;
    const int nMax = bLarge ? m_nQuantityMaxLarge : m_nQuantityMax;

    int nQuantity = nMin;
    for (size_t i = 0; i < vecMenus.size(); ++i) {
        SMenuLine line;
        if (!ReadMenuLine(vecMenus[i], line)) {
            LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Menus Fail... Index [%d]",
                      "CPrintOrderSheet::GetOrderSheetMenusLineCharacter", static_cast<int>(i));
            continue;
        }
        const std::string strQuantity = (IsCancelPrint() ? "-" : "") + line.strCnt;
        nQuantity = FitColumn(nQuantity, static_cast<int>(strQuantity.size()), nMax);
    }
    int nName = m_nLineCharacter - nQuantity - 1;
    if (nName % 2 != 0) {
        // The name column holds whole two-byte characters.
        --nName;
        ++nQuantity;
    }
    if (pWidths != nullptr) {
        *pWidths = {nName, nQuantity};
    }
    return 0;
}

int CPrintOrderSheet::PrintOrderSheetMenus(const std::vector<int>* pWidths,
                                           const std::vector<Json::Value>& vecMenus)
{
    const char* pszName = "CPrintOrderSheet::PrintOrderSheetMenus";
    const int nMenunameSize = m_pSetting->GetMenunameSize();
    const int nHeadingMode = GetMenuHeadingMode(nMenunameSize);
    const int nMenuMode = GetMenuRowMode(nMenunameSize);
    const int nOptionMode = GetOptionMode(nMenunameSize);
    const bool bGroupHeadings = m_pSetting->GetPrintOptiongroup() == 1;
    const bool bCancel = IsCancelPrint();
    const std::string strMark = bCancel ? kCancelMark : "";
    const std::string strSign = bCancel ? "-" : "";
    const std::vector<int> vecAligns = {0, 1};

    // One row of the two columns; nothing without the widths.
    const auto row = [&](std::initializer_list<std::string_view> texts, int bIndent, int nMode) {
        if (pWidths != nullptr) {
            PrintRow(*pWidths, texts, vecAligns, bIndent, nMode);
        }
    };
    row({"메 뉴 명", "수 량"}, 0, nHeadingMode);
    if (PrintRule('-') != 0) {
        const std::string strRule = RepeatChar('-', m_nLineCharacter);
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_Send_Msg Fail... [%s]", pszName, 70, strRule.c_str());
    }

    // Kept from menu to menu, so that their room is reused.
    std::vector<PrintOptionInfo> vecRecords;
    std::vector<std::string> vecGroups;
    for (size_t i = 0; i < vecMenus.size(); ++i) {
        SMenuLine line;
        if (!ReadMenuLine(vecMenus[i], line)) {
            LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Menus Fail... Index [%d]", pszName,
                      static_cast<int>(i));
            continue;
        }
        row({strMark + line.strName, strSign + line.strCnt}, 0, nMenuMode);

        vecRecords.clear();
        vecGroups.clear();
        try {
            GetMenuOptionsInfo(*line.pOptions, vecRecords, vecGroups);
        } catch (const std::exception& e) {
            // Options of a wrong JSON type: the menu row stands without them.
            LOG_PRINT(LOG_ERROR, "[%s:%d] Options Fail... Index [%d] [%s]", pszName, 71,
                      static_cast<int>(i), e.what());
            vecRecords.clear();
            vecGroups.clear();
        }
        for (const std::string& strGroup : vecGroups) {
            const bool bHeading = bGroupHeadings && strGroup != OPTION_GROUP_NAME_EMPTY;
            if (bHeading) {
                // A group name is order text: wrapped to the paper like any other.
                Printer_PrintMsg(m_nLineCharacter, "- " + strMark + strGroup, PRINT_ALIGN_LEFT, 1,
                                 nOptionMode);
            }
            const std::string strLead = bHeading ? "  : " : "- ";
            for (const PrintOptionInfo& option : vecRecords) {
                if (option.strGroupName != strGroup) {
                    continue;
                }
                row({strLead + strMark + WholeChars(option.strName),
                     strSign + WholeChars(option.strCnt)},
                    1, nOptionMode);
            }
        }
        m_pPrinter->Printer_Send_LineFeed(1);
    }
    return 0;
}
