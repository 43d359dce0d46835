// CPrintPayment: copies, skip rules and the pieces of one customer receipt.
#include "printing/documents/print_payment.h"

#include "foundation/simple_log.h"
#include "printing/print_data.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"

#include <exception>

namespace {

const char* const kReprintBanner = "--------- 재출력 영수증입니다. ---------";

} // namespace

int CPrintPayment::StartPrintData()
{
    const char* pszTag = "CPrintPayment::StartPrintData";
    if (!m_bReady) {
        LOG_PRINT(LOG_ERROR, "[%s] Init Data Fail... Check Log", pszTag);
        return 1;
    }
    if (m_nServiceType == PRINT_SERVICE_TYPE_TABLE && m_nPrintFlag == 0) {
        LOG_PRINT(LOG_INFO, "[%s] 테이블 오더(%d)이므로, 접수 영수증 출력 스킵", pszTag,
                  m_nServiceType);
        return 0;
    }
    if (m_nServiceType >= PRINT_SERVICE_TYPE_DELIVERY &&
        m_nServiceType <= PRINT_SERVICE_TYPE_PICKUP_DELIVERY) {
        LOG_PRINT(LOG_INFO, "[%s] 배달 오더(%d)이므로, 영수증 출력 스킵", pszTag, m_nServiceType);
        return 0;
    }
    // Order texts of any shape reach this point; a conversion the JSON
    // library refuses must end this document, not the print thread.
    try {
        const int nCopies = GetPrintCopies();
        for (int i = 1; i <= nCopies; ++i) {
            LOG_PRINT(LOG_INFO, "[%s] 영수증 출력 시작. 진행 인쇄 매수 [%d:%d]", pszTag, i,
                      nCopies);
            if (StartPrintPayment() != 0) {
                return 1;
            }
        }
    } catch (const std::exception& e) {
        LOG_PRINT(LOG_ERROR, "[%s] Exception [%s]", pszTag, e.what());
        return 1;
    }
    return 0;
}

int CPrintPayment::GetPrintCopies()
{
    const char* pszTag = "CPrintPayment::GetPrintCopies";
    if (m_nPrintFlag != 0) {
        LOG_PRINT(LOG_INFO, "[%s] 재출력 / 취소출력이므로, 영수증 출력 매수 1장으로 설정", pszTag);
        return 1;
    }
    int nCopies = 1;
    if (m_nServiceType >= PRINT_SERVICE_TYPE_PICKUP &&
        m_nServiceType <= PRINT_SERVICE_TYPE_RESERVE_RESERVED) {
        nCopies = m_pSetting->GetPickupPaymentPrintCnt();
    } else if (m_nServiceType >= PRINT_SERVICE_TYPE_DELIVERY &&
               m_nServiceType <= PRINT_SERVICE_TYPE_PICKUP_DELIVERY) {
        nCopies = m_pSetting->GetDeliveryPaymentPrintCnt();
    } else {
        LOG_PRINT(LOG_INFO, "[%s] 테이블 오더는 영수증 출력매수 1장", pszTag);
    }
    LOG_PRINT(LOG_INFO, "[%s] 영수증 출력 매수 [%d]", pszTag, nCopies);
    return nCopies;
}

int CPrintPayment::PrintPaymentPriceInfo()
{
    PrintPaymentDiscountAndTotal();
    return 0;
}

int CPrintPayment::StartPrintPayment()
{
    const char* pszTag = "CPrintPayment::StartPrintPayment";
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
    std::string strTitle = GetPrintServiceName();
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

    PrintStoreRows();

    nResult = PrintRule('-');
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 6, nResult);
        return 1;
    }

    const int nMemoMode = GetMemoMode(m_pSetting->GetReqCustomerSize());
    nResult = Printer_PrintMsg(W, GetOwnerMemoLabel(), PRINT_ALIGN_LEFT, 1, nMemoMode);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszTag, 7,
                  "[사장님께]", nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(W, GetOwnerMemo(), PRINT_ALIGN_LEFT, 2, nMemoMode);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszTag, 8,
                  "[사장님께] 메모", nResult);
        return 1;
    }

    nResult = PrintRule('=');
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 9, nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(W, "주문시간 : " + GetPrintOrderTime(), PRINT_ALIGN_LEFT, 1, 0x00);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 10,
                  nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(W, "주문NO : " + m_pPrintData->GetNo(), PRINT_ALIGN_LEFT, 1, 0x00);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 11,
                  nResult);
        return 1;
    }
    nResult = PrintRule('-');
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 12,
                  nResult);
        return 1;
    }

    PrintPaymentMenusInfo();
    PrintPaymentPriceInfo();

    const std::string strOrigin = m_pPrintData->GetCOA();
    if (m_pSetting->GetPrintOrigin() == 1 && !strOrigin.empty()) {
        nResult = m_pPrinter->Printer_Send_LineFeed(1);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_Send_LineFeed Fail... ErrorCode [%d]", pszTag, 15,
                      nResult);
            return 1;
        }
        nResult = Printer_PrintMsg(W, strOrigin, PRINT_ALIGN_LEFT, 1,
                                   GetOriginMode(m_pSetting->GetOriginSize()));
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszTag, 21,
                      strOrigin.c_str(), nResult);
            return 1;
        }
    }

    nResult = m_pPrinter->Printer_Send_LineFeed(1);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_Send_LineFeed Fail... ErrorCode [%d]", pszTag, 16,
                  nResult);
        return 1;
    }
    nResult =
        Printer_PrintMsg(W, "주문번호:" + GetPrintCustomerInfo(), PRINT_ALIGN_CENTER, 1, 0x38);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 17,
                  nResult);
        return 1;
    }

    nResult = m_pPrinter->Printer_CutPaper(m_nBottomLineFeed);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_CutPaper Fail... ErrorCode [%d]", pszTag, 18,
                  nResult);
        return 1;
    }
    return 0;
}
