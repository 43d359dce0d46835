// The priced body shared by the customer and the delivery receipt.
#include "printing/documents/print_payment_base.h"

#include "foundation/json_ctrl.h"
#include "foundation/simple_log.h"
#include "foundation/text_util.h"
#include "printing/print_data.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

// Indexed by line type.
constexpr CPrintPaymentBase::SMenuColumnBounds kLineBounds[] = {
    {42, 6, 9, 10, 13, 10, 12},
    {48, 7, 11, 11, 15, 10, 12},
};

const char* const kReprintBanner = "--------- 재출력 영수증입니다. ---------";

// Widths of the store rows and of the price rows (the value takes the rest).
constexpr int kStoreLabelWidth = 12;
constexpr int kPriceLabelWidth = 30;

// One menu element as the receipt prints it.
struct SPaymentMenu
{
    std::string strName;
    int nCnt = 0;
    int nAmt = 0;
    const Json::Value* pOptions = nullptr; // the menu's "options" member
};

// A member that should be text; a number in its place is printed as its
// decimal text, anything else as "".
std::string MemberText(const Json::Value& menu, const char* pszKey)
{
    // The common case, a string member, read in place.
    if (menu.isObject()) {
        const Json::Value* pValue = menu.find(pszKey, pszKey + std::strlen(pszKey));
        if (pValue != nullptr && pValue->isString()) {
            const char* pBegin = nullptr;
            const char* pEnd = nullptr;
            pValue->getString(&pBegin, &pEnd);
            return std::string(pBegin, pEnd);
        }
    }
    try {
        return CjsonCtrl::RootMember(menu, pszKey, JSON_VAL_STRING);
    } catch (const std::exception&) {
    }
    try {
        return CjsonCtrl::RootMember(menu, pszKey, JSON_VAL_INT);
    } catch (const std::exception&) {
    }
    return std::string();
}

// A member that should be a whole number. A real is truncated, a number
// beyond the int range held to it, a text read by its leading digits
// ("1000" is 1000, "abc" 0); anything else is 0.
int MemberNumber(const Json::Value& menu, const char* pszKey)
{
    // The common case, a whole number within int, read in place: its
    // decimal text would read back as the same number.
    if (menu.isObject()) {
        const Json::Value* pValue = menu.find(pszKey, pszKey + std::strlen(pszKey));
        if (pValue != nullptr &&
            (pValue->type() == Json::intValue || pValue->type() == Json::uintValue) &&
            pValue->isInt()) {
            return pValue->asInt();
        }
    }
    static const int kConversions[] = {JSON_VAL_INT, JSON_VAL_DOUBLE, JSON_VAL_STRING};
    for (int nValType : kConversions) {
        try {
            return CPrintPaymentBase::ToAmount(CjsonCtrl::RootMember(menu, pszKey, nValType));
        } catch (const std::exception&) {
        }
    }
    return 0;
}

// Reads one parsed menu element; false when it is not a JSON object.
bool ReadPaymentMenu(const Json::Value& value, SPaymentMenu& menu)
{
    if (!value.isObject()) {
        return false;
    }
    menu.strName = MemberText(value, "menuName");
    menu.nCnt = MemberNumber(value, "cnt");
    menu.nAmt = MemberNumber(value, "amt");
    menu.pOptions = &value["options"];
    return true;
}

} // namespace

std::string CPrintPaymentBase::Tag(const char* pszMethod) const
{
    std::string strTag(m_pszClassName);
    strTag += "::";
    strTag += pszMethod;
    return strTag;
}

const CPrintPaymentBase::SMenuColumnBounds* CPrintPaymentBase::GetMenuColumnBounds(int nLineType)
{
    if (nLineType < 0 || nLineType >= static_cast<int>(std::size(kLineBounds))) {
        return nullptr;
    }
    return &kLineBounds[nLineType];
}

int CPrintPaymentBase::SetPrintLineCharacterInfo(int nLineType)
{
    const SMenuColumnBounds* pBounds = GetMenuColumnBounds(nLineType);
    if (pBounds == nullptr) {
        LOG_PRINT(LOG_DEBUG, "[%s] Not Supported Length Type [%d]",
                  Tag("SetPrintLineCharacterInfo").c_str(), nLineType);
        return E_LINE_TYPE_NOT_SUPPORTED;
    }
    const SMenuColumnBounds& bounds = *pBounds;
    m_nLineCharacter = bounds.nLineCharacter;
    m_nQtyMin = bounds.nQtyMin;
    m_nQtyMax = bounds.nQtyMax;
    m_nAmtMin = bounds.nAmtMin;
    m_nAmtMax = bounds.nAmtMax;
    m_nLargeQty = bounds.nLargeQty;
    m_nLargeAmt = bounds.nLargeAmt;
    return 0;
}

int CPrintPaymentBase::ToAmount(const std::string& strNumber)
{
    const long long nValue = std::strtoll(strNumber.c_str(), nullptr, 10);
    if (nValue > INT_MAX) {
        return INT_MAX;
    }
    if (nValue < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(nValue);
}

std::string CPrintPaymentBase::SignedAmountText(int nValue, bool bMinus)
{
    std::string strText = FormatNumber(static_cast<long long>(nValue));
    return (bMinus && nValue > 0) ? "-" + strText : strText;
}

std::string CPrintPaymentBase::SignedQuantityText(int nValue, bool bMinus)
{
    std::string strText = std::to_string(nValue);
    return (bMinus && nValue > 0) ? "-" + strText : strText;
}

int CPrintPaymentBase::GetOriginMode(int nSize)
{
    switch (nSize) {
    case E_PRINT_SIZE_LARGE:
        return 0x30;
    case E_PRINT_SIZE_NORMAL:
        return 0x10;
    default:
        return 0x00;
    }
}

bool CPrintPaymentBase::IsLargeMenuName()
{
    return m_pSetting->GetMenunameSize() == E_PRINT_SIZE_LARGE;
}

int CPrintPaymentBase::PrintEveryCopy(const char* pszTag, const char* pszDocument,
                                      const std::function<int()>& fnCopies,
                                      const std::function<int()>& fnCopy)
{
    try {
        const int nCopies = fnCopies();
        for (int i = 1; i <= nCopies; ++i) {
            LOG_PRINT(LOG_INFO, "[%s] %s 출력 시작. 진행 인쇄 매수 [%d:%d]", pszTag, pszDocument, i,
                      nCopies);
            if (fnCopy() != 0) {
                return 1;
            }
        }
    } catch (const std::exception& e) {
        LOG_PRINT(LOG_ERROR, "[%s] Exception [%s]", pszTag, e.what());
        return 1;
    }
    return 0;
}

int CPrintPaymentBase::PrintPaymentHead(const char* pszTag, const std::string& strService)
{
    const int W = m_nLineCharacter;
    int nResult = m_pPrinter->Printer_Send_Init();
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_Send_Init Fail... ErrorCode [%d]", pszTag, 1,
                  nResult);
        return 1;
    }

    if (IsReprint()) {
        nResult = Printer_PrintMsg(W, kReprintBanner, PRINT_ALIGN_CENTER, 2, 0x08);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszTag, 2,
                      kReprintBanner, nResult);
            return 1;
        }
    }

    // "영수증 (포장-QR주문)": the service name, and the channel after a dash.
    std::string strTitle = strService;
    const std::string strChannel = GetPrintChannelType();
    if (!strChannel.empty()) {
        strTitle += "-" + strChannel;
    }
    nResult =
        Printer_PrintMsg(W, "영수증 " + GetPrintParenText(strTitle), PRINT_ALIGN_CENTER, 1, 0x18);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 3, nResult);
        return 1;
    }

    const std::string strPayTime = GetPayTimeBanner();
    if (!strPayTime.empty()) {
        nResult = Printer_PrintMsg(W, strPayTime, PRINT_ALIGN_CENTER, 3, 0x18);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 4,
                      nResult);
            return 1;
        }
    }
    return 0;
}

int CPrintPaymentBase::PrintOwnerMemoRows(const char* pszTag, int nSite)
{
    const int W = m_nLineCharacter;
    const int nMemoMode = GetMemoMode(m_pSetting->GetReqCustomerSize());
    int nResult = Printer_PrintMsg(W, GetOwnerMemoLabel(), PRINT_ALIGN_LEFT, 1, nMemoMode);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszTag, nSite,
                  "[사장님께]", nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(W, GetOwnerMemo(), PRINT_ALIGN_LEFT, 2, nMemoMode);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszTag,
                  nSite + 1, "[사장님께] 메모", nResult);
        return 1;
    }
    return 0;
}

int CPrintPaymentBase::PrintOriginNotice(const char* pszTag, int nFeedSite)
{
    const std::string& strOrigin = m_pPrintData->GetCOA();
    if (m_pSetting->GetPrintOrigin() != 1 || strOrigin.empty()) {
        return 0;
    }
    int nResult = m_pPrinter->Printer_Send_LineFeed(1);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_Send_LineFeed Fail... ErrorCode [%d]", pszTag,
                  nFeedSite, nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(m_nLineCharacter, strOrigin, PRINT_ALIGN_LEFT, 1,
                               GetOriginMode(m_pSetting->GetOriginSize()));
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszTag, 21,
                  strOrigin.c_str(), nResult);
        return 1;
    }
    return 0;
}

void CPrintPaymentBase::PrintStoreRows()
{
    const std::vector<int> vecWidths = {kStoreLabelWidth, m_nLineCharacter - kStoreLabelWidth - 1};
    const std::vector<int> vecAligns = {0, 0};
    const std::string_view strRows[][2] = {
        {"상      호 :", m_pPrintData->GetStoreName()},
        {"사업자번호 :", m_pPrintData->GetBizNo()},
        {"대  표  자 :", m_pPrintData->GetBossNM()},
        {"주      소 :", m_pPrintData->GetStoreAddr()},
    };
    for (const auto& row : strRows) {
        PrintRow(vecWidths, {row[0], row[1]}, vecAligns, 0, 0x00);
    }
}

std::string CPrintPaymentBase::GetOwnerMemoLabel()
{
    return "[사장님께]" +
           GetPrintParenText(GetPrintPayTime() + GetPrintParenText(GetPrintPayType()));
}

std::string CPrintPaymentBase::GetPayTimeBanner()
{
    const std::string& strPayTime = m_pPrintData->GetPayTime();
    if (strPayTime == "ON_TIME") {
        return "- 현장결제" + GetPrintParenText(GetPrintPayType()) + " -";
    }
    if (strPayTime == "IN_ADVANCE") {
        return "- 선결제 -";
    }
    return std::string();
}

std::string CPrintPaymentBase::GetOwnerMemo()
{
    std::string strMemo = m_pPrintData->GetReqMemo();
    return strMemo.empty() ? std::string("없음") : strMemo;
}

int CPrintPaymentBase::GetPaymentLineMenusCharacter(std::vector<int>& vecWidths,
                                                    const std::vector<std::string>& vecMenus)
{
    // Texts from outside the order data (tests): each parsed on its own; a
    // text that does not parse is null, which no reader takes for a menu.
    std::vector<Json::Value> vecValues;
    for (const std::string& strMenu : vecMenus) {
        CjsonCtrl json;
        json.SetRecvDataLocal(strMenu, 0, 1);
        vecValues.push_back(json.TakeRoot());
    }
    return GetParsedMenusLineCharacter(vecWidths, vecValues);
}

int CPrintPaymentBase::GetParsedMenusLineCharacter(std::vector<int>& vecWidths,
                                                   const std::vector<Json::Value>& vecMenus)
{
    const bool bLarge = IsLargeMenuName();
    const int nQtyMax = bLarge ? m_nLargeQty : m_nQtyMax;
    const int nAmtMax = bLarge ? m_nLargeAmt : m_nAmtMax;
    int nQty = bLarge ? m_nLargeQty : m_nQtyMin;
    int nAmt = bLarge ? m_nLargeAmt : m_nAmtMin;
    const bool bCancel = IsCancelPrint();

    for (size_t i = 0; i < vecMenus.size(); ++i) {
        SPaymentMenu menu;
        if (!ReadPaymentMenu(vecMenus[i], menu)) {
            LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Menus Fail... Index [%d]",
                      Tag("GetPaymentLineMenusCharacter").c_str(), static_cast<int>(i));
            continue;
        }
        int nQtyLength = static_cast<int>(SignedQuantityText(menu.nCnt, bCancel).size());
        int nAmtLength = static_cast<int>(SignedAmountText(menu.nAmt, bCancel).size());
        // Double-width rows take two columns per byte.
        if (bLarge) {
            nQtyLength *= 2;
            nAmtLength *= 2;
        }
        nQty = FitColumn(nQty, nQtyLength, nQtyMax);
        nAmt = FitColumn(nAmt, nAmtLength, nAmtMax);
    }
    vecWidths = GetMenuColumnWidths(nQty, nAmt, bLarge);
    return 0;
}

int CPrintPaymentBase::PrintPaymentMenus(const std::vector<int>& vecWidths,
                                         const std::vector<Json::Value>& vecMenus)
{
    const std::string strTag = Tag("PrintPaymentMenus");
    const int nMenuSize = m_pSetting->GetMenunameSize();
    int nHeadingMode = 0x00;
    int nOptionMode = 0x00;
    if (nMenuSize == E_PRINT_SIZE_LARGE) {
        nHeadingMode = 0x30;
        nOptionMode = 0x10;
    } else if (nMenuSize == E_PRINT_SIZE_NORMAL) {
        nHeadingMode = 0x10;
    }
    const int nMenuMode = nHeadingMode | 0x08;
    const bool bCancel = IsCancelPrint();
    const std::string strCancel = bCancel ? "(취소)" : "";
    const bool bGroupHeadings = m_pSetting->GetPrintOptiongroup() == 1;
    const std::vector<int> vecAligns = {0, 1, 1};

    PrintRow(vecWidths, {"메 뉴 명", "수 량", "금 액"}, vecAligns, 0, nHeadingMode);
    if (PrintRule('-') != 0) {
        const std::string strRule(static_cast<size_t>(m_nLineCharacter), '-');
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_Send_Msg Fail... [%s]", strTag.c_str(), 101,
                  strRule.c_str());
    }

    // Kept from menu to menu, so that their room is reused.
    std::vector<PrintOptionInfo> vecRecords;
    std::vector<std::string> vecGroups;
    for (size_t i = 0; i < vecMenus.size(); ++i) {
        SPaymentMenu menu;
        if (!ReadPaymentMenu(vecMenus[i], menu)) {
            LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Menus Fail... Index [%d]", strTag.c_str(),
                      static_cast<int>(i));
            continue;
        }
        PrintRow(vecWidths,
                 {strCancel + menu.strName, SignedQuantityText(menu.nCnt, bCancel),
                  SignedAmountText(menu.nAmt, bCancel)},
                 vecAligns, 0, nMenuMode);

        vecRecords.clear();
        vecGroups.clear();
        GetMenuOptionsInfo(*menu.pOptions, vecRecords, vecGroups);
        // Options print group by group, whatever order the order lists them in.
        for (const std::string& strGroup : vecGroups) {
            const bool bHeading =
                bGroupHeadings && !strGroup.empty() && strGroup != OPTION_GROUP_NAME_EMPTY;
            if (bHeading) {
                // A group name is order text: wrapped to the paper like any other.
                Printer_PrintMsg(m_nLineCharacter, "- " + strCancel + strGroup, PRINT_ALIGN_LEFT, 1,
                                 nOptionMode);
            }
            const std::string strPrefix = (bHeading ? "  : " : "- ") + strCancel;
            for (const PrintOptionInfo& option : vecRecords) {
                if (option.strGroupName != strGroup) {
                    continue;
                }
                PrintRow(vecWidths,
                         {strPrefix + option.strName,
                          SignedQuantityText(ToAmount(option.strCnt), bCancel),
                          SignedAmountText(ToAmount(option.strTotAmt), bCancel)},
                         vecAligns, 1, nOptionMode);
            }
        }
        m_pPrinter->Printer_Send_LineFeed(1);
    }

    if (PrintRule('-') != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail...", strTag.c_str(), 102);
    }
    return 0;
}

int CPrintPaymentBase::PrintPaymentMenusInfo()
{
    const std::vector<Json::Value>& vecMenus = m_pPrintData->GetMenuValues();
    std::vector<int> vecWidths;
    GetParsedMenusLineCharacter(vecWidths, vecMenus);
    PrintPaymentMenus(vecWidths, vecMenus);
    return 0;
}

void CPrintPaymentBase::PrintPriceRow(std::string_view strLabel, std::string_view strAmount)
{
    const int nWidths[] = {kPriceLabelWidth, m_nLineCharacter - kPriceLabelWidth - 1};
    const int nAligns[] = {0, 1};
    PrintRow(nWidths, {strLabel, strAmount}, nAligns, 0, 0x00);
}

void CPrintPaymentBase::PrintPaymentDiscountAndTotal()
{
    const std::string strTag = Tag("PrintPaymentPriceInfo");
    int nPointSum = 0;
    int nGiftCardSum = 0;
    int nTakeoutSum = 0;
    int nVoucherSum = 0;
    int nOtherSum = 0;
    std::vector<int> vecServiceCoupons;
    std::vector<int> vecOwnerCoupons;
    GetDiscountAmtInfo(nPointSum, nGiftCardSum, nTakeoutSum, nVoucherSum, vecServiceCoupons,
                       vecOwnerCoupons, nOtherSum);

    // A normal receipt shows deductions negative; a cancel print shows
    // them without sign (its menus and total are the negative ones).
    const bool bDeductionMinus = !IsCancelPrint();
    const size_t nCoupons = vecOwnerCoupons.size() + vecServiceCoupons.size();
    char szLabel[32];
    int nNumber = 0;
    bool bPrinted = false;
    // Owner coupons first, numbered on through the service coupons; a
    // single coupon carries no number.
    const auto printCoupons = [&](const std::vector<int>& vecAmounts, const char* pszOwner) {
        for (int nAmount : vecAmounts) {
            ++nNumber;
            if (nCoupons == 1) {
                std::snprintf(szLabel, sizeof(szLabel), "쿠폰%s", pszOwner);
            } else {
                std::snprintf(szLabel, sizeof(szLabel), "쿠폰%d%s", nNumber, pszOwner);
            }
            PrintPriceRow(szLabel, SignedAmountText(nAmount, bDeductionMinus));
            bPrinted = true;
        }
    };
    printCoupons(vecOwnerCoupons, "(사장님)");
    printCoupons(vecServiceCoupons, "");
    if (nTakeoutSum > 0) {
        PrintPriceRow("픽업할인", SignedAmountText(nTakeoutSum, bDeductionMinus));
        bPrinted = true;
    }
    if (bPrinted && PrintRule('-') != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail...", strTag.c_str(), 111);
    }

    const std::pair<const char*, int> sums[] = {
        {"포인트", nPointSum},
        {"충전금", nGiftCardSum},
        {"모바일상품권", nVoucherSum},
        {"기타할인", nOtherSum},
    };
    bPrinted = false;
    for (const auto& [pszLabel, nSum] : sums) {
        if (nSum > 0) {
            PrintPriceRow(pszLabel, SignedAmountText(nSum, bDeductionMinus));
            bPrinted = true;
        }
    }
    if (bPrinted && PrintRule('-') != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail...", strTag.c_str(), 112);
    }

    PrintPriceRow("총 결제금액",
                  SignedAmountText(ToAmount(m_pPrintData->GetPayAmt()), IsCancelPrint()));
}
