// CPrintPayment: copies, skip rules and the pieces of one customer receipt.
#include "printing/documents/print_payment.h"

#include "foundation/simple_log.h"
#include "printing/print_data.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"

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
    return PrintEveryCopy(
        pszTag, "영수증", [this] { return GetPrintCopies(); },
        [this] { return StartPrintPayment(); });
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
    if (PrintPaymentHead(pszTag, GetPrintServiceName()) != 0) {
        return 1;
    }

    PrintStoreRows();

    int nResult = PrintRule('-');
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 6, nResult);
        return 1;
    }

    if (PrintOwnerMemoRows(pszTag, 7) != 0) {
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

    if (PrintOriginNotice(pszTag, 15) != 0) {
        return 1;
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
