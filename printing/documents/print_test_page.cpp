// Test page: fixed sample content through the same pieces as the customer receipt.
#include "printing/documents/print_test_page.h"

#include "foundation/json_ctrl.h"
#include "foundation/simple_log.h"
#include "foundation/text_util.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"

#include <algorithm>
#include <exception>

namespace {

// Modes of the menu table by MenunameSize: heading, menu row, option rows.
struct SMenuModes
{
    int nHeading;
    int nMenu;
    int nOption;
};
SMenuModes MenuModes(int nMenunameSize)
{
    switch (nMenunameSize) {
    case E_PRINT_SIZE_LARGE:
        return {0x30, 0x38, 0x10};
    case E_PRINT_SIZE_NORMAL:
        return {0x10, 0x18, 0x00};
    default:
        return {0x00, 0x08, 0x00};
    }
}

const char* const kTag = "CPrintTestPage::StartPrintData";

} // namespace

CPrintTestPage::CPrintTestPage()
{
    m_pSetting = &PrinterSetting();
}

const char* CPrintTestPage::SampleMenu()
{
    return R"({"amt":15000, "cnt":5, "menuAmt":3000, "menuName":"케이준감자튀김", "options":[{"amt":500, "cnt":5, "groupName":"소스", "name":"케찹", "totAmt":2500}, {"amt":500, "cnt":5, "groupName":"소스", "name":"설탕", "totAmt":2500}]})";
}

int CPrintTestPage::SetPrintData(CPrinterCommunicate* pPrinter, CPrintData* /*pUnused*/,
                                 int nLineType, int /*nUnused*/, int nBottomLineFeed)
{
    const char* pszTag = "CPrintTestPage::SetPrintData";
    m_bReady = 0;
    m_pPrintData = nullptr;
    m_pPrinter = pPrinter;
    m_nPrintFlag = 0;
    if (pPrinter == nullptr || pPrinter->IsSuccessOpenPrinter == 0) {
        LOG_PRINT(LOG_ERROR, "[%s] IsSuccessOpenPrinter Fail", pszTag);
        return E_SET_NOT_OPEN;
    }
    if (SetPrintLineCharacterInfo(nLineType) != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] SetPrintLineCharacterInfo Fail... Length Type [%d]", pszTag,
                  nLineType);
        return E_SET_LINE_TYPE;
    }
    LOG_PRINT(LOG_DEBUG, "[%s] Success... Set Line Length [%d]", pszTag, m_nLineCharacter);
    m_nBottomLineFeed = nBottomLineFeed;
    m_bReady = 1;
    return E_SET_OK;
}

int CPrintTestPage::SetPrintLineCharacterInfo(int nLineType)
{
    if (nLineType != 0 && nLineType != 1) {
        LOG_PRINT(LOG_DEBUG, "[%s] Not Supported Length Type [%d]",
                  "CPrintTestPage::SetPrintLineCharacterInfo", nLineType);
        return 6;
    }
    // The sample menu is laid out as the customer receipt lays out a menu.
    m_Bounds = *CPrintPaymentBase::GetMenuColumnBounds(nLineType);
    m_nLineCharacter = m_Bounds.nLineCharacter;
    return 0;
}

int CPrintTestPage::MemoMode() const
{
    return GetMemoMode(m_pSetting != nullptr ? m_pSetting->GetReqCustomerSize()
                                             : E_PRINT_SIZE_NORMAL);
}

int CPrintTestPage::StartPrintData()
{
    if (m_bReady == 0 || m_pPrinter == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Init Data Fail... Check Log", kTag);
        return 1;
    }
    const int W = m_nLineCharacter;
    int nResult = m_pPrinter->Printer_Send_Init();
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Printer_Init Fail... Error [%d]", kTag, nResult);
        return 1;
    }

    const char* pszBanner = "--------- 테스트 출력입니다. ---------";
    nResult = Printer_PrintMsg(W, pszBanner, PRINT_ALIGN_CENTER, 2, 0x08);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", kTag, 1,
                  pszBanner, nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(W, "테스트 출력 ", PRINT_ALIGN_CENTER, 3, 0x18);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", kTag, 2, nResult);
        return 1;
    }

    PrintStoreRows();

    if ((nResult = PrintRule('-')) != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", kTag, 3, nResult);
        return 1;
    }
    const int nMemoMode = MemoMode();
    nResult = Printer_PrintMsg(W, "[사장님께]", PRINT_ALIGN_LEFT, 1, nMemoMode);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", kTag, 4,
                  "[사장님께]", nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(W, "테스트 출력입니다", PRINT_ALIGN_LEFT, 2, nMemoMode);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", kTag, 5,
                  "[사장님께] 메모", nResult);
        return 1;
    }
    if ((nResult = PrintRule('=')) != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", kTag, 6, nResult);
        return 1;
    }
    const std::string strTime = "주문시간 : " + GetPrintCurrentTime();
    if ((nResult = Printer_PrintMsg(W, strTime, PRINT_ALIGN_LEFT, 1, 0x00)) != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", kTag, 7, nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(W, "주문NO : 1234567890", PRINT_ALIGN_LEFT, 1, 0x00);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", kTag, 8, nResult);
        return 1;
    }
    if ((nResult = PrintRule('-')) != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", kTag, 9, nResult);
        return 1;
    }

    PrintMenusInfo();

    PrintColumns(std::vector<int>{30, W - 31}, std::vector<std::string>{"총 결제금액", "20,000"},
                 std::vector<int>{0, 1}, 0, 0x00);

    nResult = m_pPrinter->Printer_CutPaper(m_nBottomLineFeed);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Printer_Send_CutPaper Fail... ErrorCode [%d]", kTag, nResult);
        return 1;
    }
    return 0;
}

void CPrintTestPage::PrintStoreRows()
{
    static const char* const kRows[][2] = {
        {"상      호 :", "테스트 매장"},
        {"사업자번호 :", "0000000000"},
        {"대  표  자 :", "테스트"},
        {"주      소 :", "테스트 주소"},
    };
    const std::vector<int> vecWidths = {12, m_nLineCharacter - 13};
    const std::vector<int> vecAligns = {0, 0};
    for (const auto& row : kRows) {
        PrintColumns(vecWidths, std::vector<std::string>{row[0], row[1]}, vecAligns, 0, 0x00);
    }
}

std::vector<int> CPrintTestPage::GetMenusLineCharacter(const std::string& strCnt,
                                                       const std::string& strAmt, bool bLarge) const
{
    const int nQuantityMin = bLarge ? m_Bounds.nLargeQty : m_Bounds.nQtyMin;
    const int nQuantityMax = bLarge ? m_Bounds.nLargeQty : m_Bounds.nQtyMax;
    const int nAmountMin = bLarge ? m_Bounds.nLargeAmt : m_Bounds.nAmtMin;
    const int nAmountMax = bLarge ? m_Bounds.nLargeAmt : m_Bounds.nAmtMax;
    int nCntLength = static_cast<int>(strCnt.size());
    int nAmtLength = static_cast<int>(strAmt.size());
    if (bLarge) {
        nCntLength *= 2;
        nAmtLength *= 2;
    }
    return GetMenuColumnWidths(FitColumn(nQuantityMin, nCntLength, nQuantityMax),
                               FitColumn(nAmountMin, nAmtLength, nAmountMax), bLarge);
}

void CPrintTestPage::PrintMenusInfo()
{
    const char* pszTag = "CPrintTestPage::PrintMenusInfo";
    const int nMenunameSize = m_pSetting != nullptr ? m_pSetting->GetMenunameSize() : 1;
    const bool bLarge = nMenunameSize == E_PRINT_SIZE_LARGE;
    const SMenuModes modes = MenuModes(nMenunameSize);
    const int bOptionGroup = m_pSetting != nullptr ? m_pSetting->GetPrintOptiongroup() : 1;

    std::string strName;
    std::string strCnt;
    std::string strAmt;
    std::vector<std::string> vecOptions;
    bool bMenu = false;
    CjsonCtrl json;
    if (json.SetRecvDataLocal(SampleMenu(), 0, 0)) {
        try {
            strName = json.JsonValue("", "menuName", JSON_TYPE_ROOT_MEMBER, JSON_VAL_STRING);
            strCnt = json.JsonValue("", "cnt", JSON_TYPE_ROOT_MEMBER, JSON_VAL_INT);
            strAmt = FormatNumber(json.JsonValue("", "amt", JSON_TYPE_ROOT_MEMBER, JSON_VAL_INT));
            json.JsonValue("options", "", JSON_TYPE_LIST_TREE, 0);
            json.GetArray(vecOptions);
            bMenu = true;
        } catch (const std::exception& e) {
            LOG_PRINT(LOG_ERROR, "[%s] Json Exception [%s]", pszTag, e.what());
        }
    }
    if (!bMenu) {
        LOG_PRINT(LOG_ERROR, "[%s] SetRecvDataLocal Menus Fail... Index [%d]", pszTag, 0);
    }

    const std::vector<int> vecWidths = GetMenusLineCharacter(strCnt, strAmt, bLarge);
    const std::vector<int> vecAligns = {0, 1, 1};
    PrintColumns(vecWidths, std::vector<std::string>{"메 뉴 명", "수 량", "금 액"}, vecAligns, 0,
                 modes.nHeading);
    if (PrintRule('-') != 0) {
        const std::string strRule = RepeatChar('-', m_nLineCharacter);
        LOG_PRINT(LOG_ERROR, "[%s] Printer_Send_Msg Fail... [%s]", pszTag, strRule.c_str());
    }

    if (bMenu) {
        PrintColumns(vecWidths, std::vector<std::string>{strName, strCnt, strAmt}, vecAligns, 0,
                     modes.nMenu);
        std::vector<PrintOptionInfo> vecRecords;
        std::vector<std::string> vecGroups;
        GetMenuOptionsInfo(vecOptions, vecRecords, vecGroups);
        for (const std::string& strGroup : vecGroups) {
            const bool bHeading = bOptionGroup == 1 && strGroup != OPTION_GROUP_NAME_EMPTY;
            if (bHeading) {
                m_pPrinter->Printer_Send_Msg(("- " + strGroup).c_str(), 1, modes.nOption, 0);
            }
            for (const PrintOptionInfo& option : vecRecords) {
                if (option.strGroupName != strGroup) {
                    continue;
                }
                const std::string strOptionName = (bHeading ? "  : " : "- ") + option.strName;
                PrintColumns(vecWidths,
                             std::vector<std::string>{strOptionName, option.strCnt,
                                                      FormatNumber(option.strTotAmt)},
                             vecAligns, 1, modes.nOption);
            }
        }
    }

    if (PrintRule('-') != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Printer_PrintMsg Fail...", pszTag);
    }
}
