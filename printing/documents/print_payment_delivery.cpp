// CPrintPaymentDelivery: copies, skip rule and the pieces of one delivery
// receipt.
#include "printing/documents/print_payment_delivery.h"

#include "foundation/simple_log.h"
#include "printing/print_data.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"
#include "printing/shop_files.h"

namespace {

bool IsDeliveryType(int nServiceType)
{
    return nServiceType >= PRINT_SERVICE_TYPE_DELIVERY &&
           nServiceType <= PRINT_SERVICE_TYPE_PICKUP_DELIVERY;
}

} // namespace

CPrintPaymentDelivery::CPrintPaymentDelivery() : CPrintPaymentBase("CPrintPaymentDelivery")
{
    m_bUseNewAddr = ShopFiles().GetConfig()->GetInt("PRINT", "USE_NEWADDR", 1) == 1 ? 1 : 0;
}

int CPrintPaymentDelivery::StartPrintData()
{
    const char* pszTag = "CPrintPaymentDelivery::StartPrintData";
    if (!m_bReady) {
        LOG_PRINT(LOG_ERROR, "[%s] Init Data Fail... Check Log", pszTag);
        return 1;
    }
    if (!IsDeliveryType(m_nServiceType)) {
        LOG_PRINT(LOG_INFO, "[%s] 배달 오더(%d)가 아니므로, 배달 영수증 출력 스킵", pszTag,
                  m_nServiceType);
        return 0;
    }
    return PrintEveryCopy(
        pszTag, "배달 영수증", [this] { return GetPrintCopies(); },
        [this] { return StartPrintDeliveryOrderPayment(); });
}

int CPrintPaymentDelivery::GetPrintCopies()
{
    const char* pszTag = "CPrintPaymentDelivery::GetPrintCopies";
    if (m_nPrintFlag != 0) {
        LOG_PRINT(LOG_INFO, "[%s] 재출력 / 취소출력이므로, 배달 영수증 출력 매수 1장으로 설정",
                  pszTag);
        return 1;
    }
    int nCopies = 1;
    if (m_nServiceType >= PRINT_SERVICE_TYPE_PICKUP &&
        m_nServiceType <= PRINT_SERVICE_TYPE_RESERVE_RESERVED) {
        nCopies = m_pSetting->GetPickupPaymentPrintCnt();
    } else if (IsDeliveryType(m_nServiceType)) {
        nCopies = m_pSetting->GetDeliveryPaymentPrintCnt();
    } else {
        LOG_PRINT(LOG_INFO, "[%s] 테이블 오더는 출력매수 1장", pszTag);
    }
    LOG_PRINT(LOG_INFO, "[%s] 배달 영수증 출력 매수 [%d]", pszTag, nCopies);
    return nCopies;
}

std::string CPrintPaymentDelivery::GetDeliveryAddress()
{
    std::string strFirst = m_pPrintData->GetRoadAddr();
    std::string strSecond = m_pPrintData->GetAddr();
    if (!m_bUseNewAddr) {
        strFirst.swap(strSecond);
    }
    return strFirst.empty() ? strSecond : strFirst;
}

std::string CPrintPaymentDelivery::GetDeliveryAddressDetail()
{
    std::string strFirst = m_pPrintData->GetRoadAddrDetail();
    std::string strSecond = m_pPrintData->GetAddrDetail();
    if (!m_bUseNewAddr) {
        strFirst.swap(strSecond);
    }
    return strFirst.empty() ? strSecond : strFirst;
}

int CPrintPaymentDelivery::PrintDeliveryOrderPaymentTitle()
{
    const char* pszTag = "CPrintPaymentDelivery::PrintDeliveryOrderPaymentTitle";
    PrintStoreRows();
    if (PrintRule('-') != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail...", pszTag, 31);
        return 1;
    }
    if (m_nServiceType == PRINT_SERVICE_TYPE_DELIVERY_RESERVED) {
        const std::string strDue =
            "배달 예정 시간 : " + GetPrintTime(m_pPrintData->GetDeliveryTime(), 2);
        if (Printer_PrintMsg(m_nLineCharacter, strDue, PRINT_ALIGN_LEFT, 1, 0x18) != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail...", pszTag, 32);
            return 1;
        }
        if (PrintRule('-') != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail...", pszTag, 33);
            return 1;
        }
    }
    return 0;
}

int CPrintPaymentDelivery::PrintPaymentPriceInfo()
{
    // The fee is part of what the customer pays, so it is signed like the
    // total: negative only on a cancel print. It prints also when it is 0.
    PrintPriceRow("배달비",
                  SignedAmountText(ToAmount(m_pPrintData->GetDeliveryAmt()), IsCancelPrint()));
    if (PrintRule('-') != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail...",
                  "CPrintPaymentDelivery::PrintPaymentPriceInfo", 41);
    }
    PrintPaymentDiscountAndTotal();
    return 0;
}

int CPrintPaymentDelivery::StartPrintDeliveryOrderPayment()
{
    const char* pszTag = "CPrintPaymentDelivery::StartPrintDeliveryOrderPayment";
    const int W = m_nLineCharacter;
    const bool bRider = m_nServiceType != PRINT_SERVICE_TYPE_PICKUP_DELIVERY;
    if (PrintPaymentHead(pszTag, "배달") != 0) {
        return 1;
    }

    int nResult = PrintDeliveryOrderPaymentTitle();
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] PrintDeliveryOrderPaymentTitle Fail... ErrorCode [%d]",
                  pszTag, 5, nResult);
        return 1;
    }

    nResult = Printer_PrintMsg(W, "연락처 : " + GetPrintSafeTelNo(), PRINT_ALIGN_LEFT, 2, 0x18);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 6, nResult);
        return 1;
    }

    if (m_nServiceType == PRINT_SERVICE_TYPE_DELIVERY ||
        m_nServiceType == PRINT_SERVICE_TYPE_DELIVERY_RESERVED) {
        const std::string strAddress =
            "배달주소 : " + GetDeliveryAddress() + " " + GetDeliveryAddressDetail();
        nResult = Printer_PrintMsg(W, strAddress, PRINT_ALIGN_LEFT, 2, 0x38);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 7,
                      nResult);
            return 1;
        }
    }

    if (PrintOwnerMemoRows(pszTag, 8) != 0) {
        return 1;
    }

    // A pickup order carried by a delivery service has no rider of ours.
    if (bRider) {
        const int nRiderMode = GetMemoMode(m_pSetting->GetReqDelivererSize());
        nResult = Printer_PrintMsg(W, "[배달 기사님께]", PRINT_ALIGN_LEFT, 1, nRiderMode);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszTag, 10,
                      "[배달 기사님께]", nResult);
            return 1;
        }
        std::string strRiderMemo = m_pPrintData->GetDeliveryMemo();
        if (strRiderMemo.empty()) {
            strRiderMemo = "없음";
        }
        nResult = Printer_PrintMsg(W, strRiderMemo, PRINT_ALIGN_LEFT, 2, nRiderMode);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszTag, 11,
                      "[배달 기사님께] 메모", nResult);
            return 1;
        }
    }

    nResult = PrintRule('=');
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(=) Fail... ErrorCode [%d]", pszTag, 12,
                  nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(W, "주문시간 : " + GetPrintOrderTime(), PRINT_ALIGN_LEFT, 1, 0x00);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg(%s) Fail... ErrorCode [%d]", pszTag, 13,
                  "주문시간", nResult);
        return 1;
    }
    nResult = Printer_PrintMsg(W, "주문NO : " + m_pPrintData->GetNo(), PRINT_ALIGN_LEFT, 1, 0x00);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 14,
                  nResult);
        return 1;
    }
    nResult = PrintRule('-');
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 15,
                  nResult);
        return 1;
    }

    PrintPaymentMenusInfo();
    PrintPaymentPriceInfo();

    if (PrintOriginNotice(pszTag, 18) != 0) {
        return 1;
    }

    const std::string strCustomer = GetPrintCustomerInfo();
    if (bRider && !strCustomer.empty()) {
        nResult = m_pPrinter->Printer_Send_LineFeed(1);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_Send_LineFeed Fail... ErrorCode [%d]", pszTag, 19,
                      nResult);
            return 1;
        }
        nResult = Printer_PrintMsg(W, "주문번호:" + strCustomer, PRINT_ALIGN_CENTER, 1, 0x38);
        if (nResult != 0) {
            LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_PrintMsg Fail... ErrorCode [%d]", pszTag, 22,
                      nResult);
            return 1;
        }
    }

    nResult = m_pPrinter->Printer_CutPaper(m_nBottomLineFeed);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s:%d] Printer_Send_CutPaper Fail... ErrorCode [%d]", pszTag, 20,
                  nResult);
        return 1;
    }
    return 0;
}
