// CPrintCtrlProcess: event ids to documents, the Try List passes over both
// printers, the report messages, the agent pop-up and the failure toast.
#include "pipeline/print_ctrl_process.h"

#include "agent/nubeq_dll_mngr.h"
#include "foundation/json_ctrl.h"
#include "foundation/simple_log.h"
#include "pipeline/toast_ctrl_process.h"
#include "printing/documents/print_order_sheet.h"
#include "printing/documents/print_payment.h"
#include "printing/documents/print_payment_delivery.h"
#include "printing/documents/print_sales.h"
#include "printing/documents/print_sales_data.h"
#include "printing/print_base.h"
#include "printing/print_data.h"
#include "printing/printer_communicate.h"
#include "printing/printer_setting.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {

const char* const kSheetPopupMessage = "주문서 프린터 설정을 확인해주세요.";
const char* const kReceiptPopupMessage = "영수증 프린터 설정을 확인해주세요.";

// Notify bits of a reprint that reaches no printer for a document.
constexpr int NOTIFY_SHEET = 1;
constexpr int NOTIFY_RECEIPT = 2;

// printerFail / passFail bits: 1 something failed, 2 it was the port open
// (or the settings), so 3 is an open failure.
constexpr int FAIL_PRINT = 1;
constexpr int FAIL_OPEN = 3;

std::string FieldText(const char* pszField, size_t nSize)
{
    return std::string(pszField, strnlen(pszField, nSize));
}

template <size_t N>
std::string FieldText(const char (&szField)[N])
{
    return FieldText(szField, N);
}

// The orders of an event (a JSON array, type 31), parsed once; empty for
// anything else. Their styled texts, which only the lines and messages of
// failures quote, are made when first asked for.
class COrderList
{
public:
    explicit COrderList(const std::string& strData)
    {
        CjsonCtrl json;
        if (!json.SetRecvDataLocal(strData, 0, 0) || !json.Root().isArray()) {
            return;
        }
        Json::Value root = json.TakeRoot();
        m_vecValues.reserve(root.size());
        for (Json::Value& element : root) {
            m_vecValues.push_back(std::move(element));
        }
        m_vecTexts.resize(m_vecValues.size());
    }

    bool empty() const { return m_vecValues.empty(); }
    size_t size() const { return m_vecValues.size(); }
    const Json::Value& Value(size_t nIndex) const { return m_vecValues[nIndex]; }
    const std::string& Text(size_t nIndex)
    {
        std::optional<std::string>& text = m_vecTexts[nIndex];
        if (!text) {
            text = CjsonCtrl::StyledText(m_vecValues[nIndex]);
        }
        return *text;
    }

private:
    std::vector<Json::Value> m_vecValues;
    std::vector<std::optional<std::string>> m_vecTexts;
};

void RemoveFromTryList(std::vector<int>& vecTryList, int nIndex)
{
    vecTryList.erase(std::remove(vecTryList.begin(), vecTryList.end(), nIndex), vecTryList.end());
}

bool InTryList(const std::vector<int>& vecTryList, int nIndex)
{
    return std::find(vecTryList.begin(), vecTryList.end(), nIndex) != vecTryList.end();
}

// One document of an order, with the names its log lines use.
struct SDocumentKind
{
    int nBit;
    const char* pszSetFail;
    const char* pszStartFail;
};

const SDocumentKind kDocumentKinds[] = {
    {PRINT_TYPE_ORDER_SHEET, "[%s] PrintOrderSheet SetPrintData Type [%d] Fail [%d] Data [%s]",
     "[%s] PrintOrderSheet StartPrintData Type [%d] Fail [%d] Data [%s]"},
    {PRINT_TYPE_PAYMENT, "[%s] PrintPayment SetPrintData Type [%d] Fail [%d] Data [%s]",
     "[%s] PrintPayment StartPrintData Type [%d] Fail [%d] Data [%s]"},
    {PRINT_TYPE_PAYMENT_DELIVERY,
     "[%s] PrintOrderSheetDelivery SetPrintData Type [%d] Fail [%d] Data [%s]",
     "[%s] PrintOrderSheetDelivery StartPrintData Type [%d] Fail [%d] Data [%s]"},
};

std::unique_ptr<CPrintBase> MakeDocument(int nBit)
{
    switch (nBit) {
    case PRINT_TYPE_ORDER_SHEET:
        return std::make_unique<CPrintOrderSheet>();
    case PRINT_TYPE_PAYMENT:
        return std::make_unique<CPrintPayment>();
    default:
        return std::make_unique<CPrintPaymentDelivery>();
    }
}

// The order's number (`no`) as the documents read it; "" when the order
// is not an object or its number is not text.
std::string OrderNumber(const Json::Value& order)
{
    if (!order.isObject()) {
        return {};
    }
    try {
        return CjsonCtrl::RootMember(order, "no", JSON_VAL_STRING);
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

// What a job uses: the collaborators and the state that survives jobs.
struct CPrintCtrlProcess::SJobContext
{
    CToastCtrlProcess* pToast = nullptr;
    CNubeqDllMngr* pAgent = nullptr;
    CPrinterSetting* pSetting = nullptr;
    std::atomic<int> nFailCount{0};
    // Printers of the last job that still had something to print when its
    // passes ended (a settings pop-up counts as one).
    std::atomic<int> nLastUnprinted{0};
    PrinterFactory fnFactory;
};

// One job's work on a co-owned context; never touches the control object.
class CPrintJob
{
public:
    explicit CPrintJob(std::shared_ptr<CPrintCtrlProcess::SJobContext> pContext)
        : m_pContext(std::move(pContext))
    {
    }

    int PrintProcess(int nEventId, const std::string& strData);
    int PrintOrderData(const std::string& strData, int nPrintType, int nMode);
    int PrintSalesData(const std::string& strData, int nPrintType, int nMode);

private:
    std::unique_ptr<CPrinterCommunicate> NewPrinter();
    // The agent pop-up of a settings problem.
    void SendNotifyPopup(const char* pszName, int nNotifyType, const char* pszMessage);
    // Closes the port of printer nIndex; a printer that did not take all
    // of the job has not printed it: FAIL_PRINT, reported unless the job
    // had failed already (nPrinterFail).
    int ClosePrinter(CPrinterCommunicate& printer, int nIndex, int nPrinterFail,
                     const std::string& strPrinterName, const char* pszText,
                     const std::string* pLastNo);
    // The paper check before printing on an opened printer (serial and
    // network printers with the status check on). False when the printer
    // must not print now: out of paper, or the request could not be sent.
    // bCheckAfter: the printer answers, so it is asked again after the job.
    bool CheckPaperBefore(CPrinterCommunicate& printer, const PrintInfo& info, int nIndex,
                          const std::string& strPrinterName, const char* pszText,
                          const std::string* pNo, bool& bCheckAfter);
    // The paper check after the job's last cut: the job counts as printed
    // in any case; paper end is reported (level 1) and shown as a toast.
    void CheckPaperAfter(CPrinterCommunicate& printer, int nIndex,
                         const std::string& strPrinterName, const char* pszText,
                         const std::string* pNo);
    // Counts an open-failure pass; the fifth sends the level-1 report.
    void CountOpenFailure(const char* pszName, const std::string& strText,
                          const std::string* pFirstNo);

    std::shared_ptr<CPrintCtrlProcess::SJobContext> m_pContext;
};

std::unique_ptr<CPrinterCommunicate> CPrintJob::NewPrinter()
{
    if (m_pContext->fnFactory) {
        return m_pContext->fnFactory();
    }
    return std::make_unique<CPrinterCommunicate>();
}

void CPrintJob::SendNotifyPopup(const char* pszName, int nNotifyType, const char* pszMessage)
{
    LOG_PRINT(LOG_INFO, "[%s] NOTIFY_MESSAGE RequestJob Type [%d] Start", pszName, nNotifyType);
    Json::Value popup(Json::objectValue);
    popup["message"] = pszMessage;
    popup["type"] = "";
    int nResult = m_pContext->pAgent->Call_RequestJob("SHOW_POPUP", CjsonCtrl::StyledText(popup));
    if (nResult != 1) {
        LOG_PRINT(LOG_ERROR, "[%s] NOTIFY_MESSAGE RequestJob Fail... Error [%d]", pszName, nResult);
    }
}

int CPrintJob::ClosePrinter(CPrinterCommunicate& printer, int nIndex, int nPrinterFail,
                            const std::string& strPrinterName, const char* pszText,
                            const std::string* pLastNo)
{
    const char* const pszName = "CPrintCtrlProcess::ClosePrinter";
    int nClose = printer.PrinterClose();
    if (nClose == 0) {
        return 0;
    }
    if (nPrinterFail != 0) {
        return FAIL_PRINT;
    }
    LOG_PRINT(LOG_ERROR, "[%s] 프린터(%d) 닫기 실패 [%d], the printer did not take the job",
              pszName, nIndex + 1, nClose);
    if (pLastNo != nullptr) {
        m_pContext->pToast->ToastPush(0, "[%s] %s 출력 실패 (%s)\r\nNo : %s", pszName,
                                      strPrinterName.c_str(), pszText, pLastNo->c_str());
    } else {
        m_pContext->pToast->ToastPush(0, "[%s] %s 출력 실패 (%s)", pszName, strPrinterName.c_str(),
                                      pszText);
    }
    return FAIL_PRINT;
}

bool CPrintJob::CheckPaperBefore(CPrinterCommunicate& printer, const PrintInfo& info, int nIndex,
                                 const std::string& strPrinterName, const char* pszText,
                                 const std::string* pNo, bool& bCheckAfter)
{
    const char* const pszName = "CPrintCtrlProcess::CheckPaper";
    bCheckAfter = false;
    if (info.StatusCheck != 1 ||
        (info.PortType != E_PRINTER_TYPE_SERIAL && info.PortType != E_PRINTER_TYPE_SOCKET)) {
        return true;
    }
    switch (printer.Printer_Check_Paper()) {
    case PAPER_STATUS_NO_ANSWER:
        LOG_PRINT(LOG_INFO,
                  "[%s] 프린터(%d) 상태 응답 없음... the printer does not answer DLE EOT 4, "
                  "printed without the paper check",
                  pszName, nIndex + 1);
        return true;
    case PAPER_STATUS_SEND_FAIL:
        return false;
    case PAPER_STATUS_END: {
        LOG_PRINT(LOG_ERROR, "[%s] 프린터(%d) 용지 없음 (paper out)... not printed, tried again",
                  pszName, nIndex + 1);
        const std::string strNo = pNo != nullptr ? *pNo : std::string();
        m_pContext->pToast->ToastPush(1, "[%s] %s 프린터 용지 없음 (paper out) (%s)\r\nNo : %s",
                                      pszName, strPrinterName.c_str(), pszText, strNo.c_str());
        return false;
    }
    case PAPER_STATUS_NEAR_END:
        LOG_PRINT(LOG_WARN, "[%s] 프린터(%d) 용지 부족 (paper near end)", pszName, nIndex + 1);
        break;
    default:
        LOG_PRINT(LOG_DEBUG, "[%s] 프린터(%d) 용지 있음", pszName, nIndex + 1);
        break;
    }
    bCheckAfter = true;
    return true;
}

void CPrintJob::CheckPaperAfter(CPrinterCommunicate& printer, int nIndex,
                                const std::string& strPrinterName, const char* pszText,
                                const std::string* pNo)
{
    const char* const pszName = "CPrintCtrlProcess::CheckPaper";
    switch (printer.Printer_Check_Paper()) {
    case PAPER_STATUS_END: {
        LOG_PRINT(LOG_WARN, "[%s] 프린터(%d) 용지 없음 (paper out) after the job", pszName,
                  nIndex + 1);
        const std::string strNo = pNo != nullptr ? *pNo : std::string();
        m_pContext->pToast->ToastPush(
            1, "[%s] %s 프린터 용지 없음 (paper out), 출력 후 (%s)\r\nNo : %s", pszName,
            strPrinterName.c_str(), pszText, strNo.c_str());
        m_pContext->pToast->ShowPaperOutToast(strPrinterName);
        break;
    }
    case PAPER_STATUS_NEAR_END:
        LOG_PRINT(LOG_WARN, "[%s] 프린터(%d) 용지 부족 (paper near end)", pszName, nIndex + 1);
        break;
    default:
        break;
    }
}

void CPrintJob::CountOpenFailure(const char* pszName, const std::string& strText,
                                 const std::string* pFirstNo)
{
    int nCount = ++m_pContext->nFailCount;
    LOG_PRINT(LOG_ERROR, "[%s] Print Open Fail... FailCount [%d]", pszName, nCount);
    if (nCount >= PRINT_FAIL_COUNT_REPORT) {
        m_pContext->nFailCount = 0;
        if (pFirstNo != nullptr) {
            m_pContext->pToast->ToastPush(1, "[%s] 프린터 포트 오픈 실패 (%s)\r\nNo : %s", pszName,
                                          strText.c_str(), pFirstNo->c_str());
        } else {
            m_pContext->pToast->ToastPush(1, "[%s] 프린터 포트 오픈 실패 (%s)\r\n", pszName,
                                          strText.c_str());
        }
    }
}

int CPrintJob::PrintProcess(int nEventId, const std::string& strData)
{
    const char* const pszName = "CPrintCtrlProcess::PrintProcess";
    LOG_PRINT(LOG_INFO, "[%s] EventInfo [%d]", pszName, nEventId);
    m_pContext->nLastUnprinted = 0;
    int nPrintType = 0;
    int nMode = 0;
    switch (nEventId) {
    case 36001:
    case 36003:
        LOG_PRINT(LOG_INFO, "[%s] 주문 수락(or 자동 수락) 프린트!!!", pszName);
        nPrintType = PRINT_TYPE_ORDER_SHEET | PRINT_TYPE_PAYMENT | PRINT_TYPE_PAYMENT_DELIVERY;
        break;
    case 36002:
        LOG_PRINT(LOG_INFO, "[%s] 주문 완료 프린트 테이블,픽업,배달 모두 영수증 출력 안 함!!!",
                  pszName);
        return PRINT_RESULT_OK;
    case 36006:
    case 36101: {
        int bCompleted = CPrintCtrlProcess::IsIncludeStatusData(strData, "COMPLETED");
        LOG_PRINT(LOG_INFO, "[%s] 주문 취소 프린트!!! [%d] : 0 : 취소 주문서, 1 : 취소 영수증",
                  pszName, bCompleted);
        nPrintType = bCompleted == 1 ? (PRINT_TYPE_PAYMENT | PRINT_TYPE_PAYMENT_DELIVERY)
                                     : PRINT_TYPE_ORDER_SHEET;
        nMode = PRINT_FLAG_CANCEL;
        break;
    }
    case 36102: {
        int bCanceled = CPrintCtrlProcess::IsIncludeStatusData(strData, "CANCELED");
        LOG_PRINT(LOG_INFO, "[%s] 주문서 프린트(재출력)!!! [%d] 0 : 재출력, 1 : 취소재출력",
                  pszName, bCanceled);
        nPrintType = PRINT_TYPE_ORDER_SHEET;
        nMode = bCanceled == 1 ? (PRINT_FLAG_REPRINT | PRINT_FLAG_CANCEL) : PRINT_FLAG_REPRINT;
        break;
    }
    case 36103:
        LOG_PRINT(LOG_INFO, "[%s] 주문 영수증 프린트!!!", pszName);
        nPrintType = PRINT_TYPE_PAYMENT | PRINT_TYPE_PAYMENT_DELIVERY;
        nMode = PRINT_FLAG_REPRINT;
        break;
    case 36104:
        LOG_PRINT(LOG_INFO, "[%s] 주문 취소 영수증 프린트!!!", pszName);
        nPrintType = PRINT_TYPE_PAYMENT | PRINT_TYPE_PAYMENT_DELIVERY;
        nMode = PRINT_FLAG_REPRINT | PRINT_FLAG_CANCEL;
        break;
    case 36105:
        LOG_PRINT(LOG_INFO, "[%s] 매출 내역 프린트!!!", pszName);
        nPrintType = PRINT_TYPE_SALES;
        break;
    default: {
        char szText[128];
        std::snprintf(szText, sizeof(szText), "지원하지 않는 타입 [Event ID : %d] ", nEventId);
        m_pContext->pToast->ToastPush(0, "[%s] %s (%s)", pszName, szText,
                                      CPrintCtrlProcess::MakePrintTypeText(0, 0).c_str());
        LOG_PRINT(LOG_ERROR, "[%s] EventID [%d] Not Support", pszName, nEventId);
        return PRINT_RESULT_UNSUPPORTED;
    }
    }
    int nResult = nPrintType == PRINT_TYPE_SALES ? PrintSalesData(strData, nPrintType, nMode)
                                                 : PrintOrderData(strData, nPrintType, nMode);
    if (nResult != 0) {
        LOG_PRINT(LOG_INFO, "[%s] EventID [%d] PrintType [%d] Print Fail...", pszName, nEventId,
                  nPrintType);
    }
    return nResult;
}

int CPrintJob::PrintOrderData(const std::string& strData, int nPrintType, int nMode)
{
    const char* const pszName = "CPrintCtrlProcess::PrintOrderData";
    COrderList orders(strData);
    if (orders.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] Parsing 실패, Array Size 0", pszName);
        return PRINT_RESULT_NO_ORDER;
    }
    CPrinterSetting& setting = *m_pContext->pSetting;
    CToastCtrlProcess& toast = *m_pContext->pToast;
    PrintInfo infos[MAX_PRINTER_COUNT];
    if (setting.GetPrintInfoForAll(infos) != 1) {
        LOG_PRINT(LOG_ERROR, "[%s] GetPrintInfoForAll Error... MAX_PRINTER_COUNT", pszName);
        return PRINT_RESULT_NO_SETTINGS;
    }

    std::vector<int> vecTryList = {0, 1};
    int bAnySheetUse = 0;
    int bAnyReceiptUse = 0;
    int bAnySet = 0;
    for (const PrintInfo& info : infos) {
        bAnySheetUse |= info.Use == 1 ? 1 : 0;
        bAnyReceiptUse |= info.Rcp == 1 ? 1 : 0;
        bAnySet |= CPrintCtrlProcess::IsSetPrinterData(&info) == 1 ? 1 : 0;
    }
    const std::string strText = CPrintCtrlProcess::MakePrintTypeText(nPrintType, nMode);
    const char* pszText = strText.c_str();
    int nNotify = 0;
    const std::string strFirstNo = OrderNumber(orders.Value(0));

    for (int nPass = 0; nPass < PRINT_MAX_PASS_COUNT && !vecTryList.empty(); ++nPass) {
        int nPassFail = 0;
        for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
            if (!InTryList(vecTryList, i)) {
                continue;
            }
            const PrintInfo& info = infos[i];
            int nKind = CPrintCtrlProcess::GetRealUsePrintType(nPrintType, &info, nMode,
                                                               bAnySheetUse, bAnyReceiptUse);
            if (bAnySet == 0 && (nMode & PRINT_FLAG_REPRINT) != 0) {
                // A reprint that no configured printer can take: the shop
                // is told to set one up.
                if (bAnySheetUse == 0 && (nPrintType & PRINT_TYPE_ORDER_SHEET) != 0 &&
                    (nKind & PRINT_TYPE_ORDER_SHEET) == 0) {
                    nNotify |= NOTIFY_SHEET;
                } else if (bAnyReceiptUse == 0 &&
                           (((nPrintType & PRINT_TYPE_PAYMENT) != 0 &&
                             (nKind & PRINT_TYPE_PAYMENT) == 0) ||
                            ((nPrintType & PRINT_TYPE_PAYMENT_DELIVERY) != 0 &&
                             (nKind & PRINT_TYPE_PAYMENT_DELIVERY) == 0))) {
                    nNotify |= NOTIFY_RECEIPT;
                }
            }
            if (nKind == 0) {
                LOG_PRINT(LOG_INFO,
                          "[%s] 프린터(%d) 출력 할게 없음... 주문서출력설정(%d) "
                          "영수증출력설정(%d), 요청Type(%08x) / 출력Type(%08x), AnyUse(%d:%d)   "
                          ";Type(1=주방주문서, 2=영수증, 4=배달영수증, 100=매출 내역)",
                          pszName, i + 1, info.Use, info.Rcp, nPrintType, nKind, bAnySheetUse,
                          bAnyReceiptUse);
                LOG_PRINT(LOG_DEBUG, "[%s] Printer(%d) Delete Try List", pszName, i + 1);
                RemoveFromTryList(vecTryList, i);
                continue;
            }
            LOG_PRINT(LOG_INFO,
                      "[%s] 프린터(%d) 출력 요청... 주문서출력설정(%d) 영수증출력설정(%d), "
                      "요청Type(%08x) / 출력Type(%08x)   ;Type(1=주방주문서, 2=영수증, "
                      "4=배달영수증, 100=매출 내역)",
                      pszName, i + 1, info.Use, info.Rcp, nPrintType, nKind);
            const std::string strPrinterName = FieldText(info.Name);
            std::unique_ptr<CPrinterCommunicate> pPrinter = NewPrinter();
            int nPrinterFail = 0;
            if (pPrinter->PrinterOpen(&info) != 0) {
                LOG_PRINT(LOG_ERROR,
                          "[%s] 프린터(%d) 오픈 실패. 포트 타입(%d) ;0=시리얼, 1=네트워크, 2=USB",
                          pszName, i + 1, info.PortType);
                nPrinterFail = FAIL_OPEN;
            } else if (bool bCheckAfter = false; !CheckPaperBefore(
                           *pPrinter, info, i, strPrinterName, pszText, &strFirstNo, bCheckAfter)) {
                nPrinterFail = FAIL_PRINT;
            } else {
                std::string strLastNo;
                for (size_t nOrder = 0; nOrder < orders.size(); ++nOrder) {
                    CPrintData data;
                    int nResult = data.SetJsonData(orders.Value(nOrder));
                    strLastNo = data.GetNo();
                    if (nResult != 0) {
                        nPrinterFail |= FAIL_PRINT;
                        toast.ToastPush(0, "[%s] %s Jsondata 세팅 실패 (%s)\r\nNo : %s", pszName,
                                        strPrinterName.c_str(), pszText, strLastNo.c_str());
                        LOG_PRINT(LOG_ERROR, "[%s] SetJsonData Fail ErrorValue [%d] Data [%s]",
                                  pszName, nResult, orders.Text(nOrder).c_str());
                        continue;
                    }
                    for (const SDocumentKind& document : kDocumentKinds) {
                        if ((nKind & document.nBit) == 0) {
                            continue;
                        }
                        std::unique_ptr<CPrintBase> pDocument = MakeDocument(document.nBit);
                        int nSet = pDocument->SetPrintData(pPrinter.get(), &data, &setting, nMode,
                                                           info.LineFeed);
                        if (nSet != 0) {
                            nPrinterFail |= FAIL_PRINT;
                            toast.ToastPush(0, "[%s] %s 데이터 세팅 실패 (%s)\r\nNo : %s", pszName,
                                            strPrinterName.c_str(), pszText, strLastNo.c_str());
                            LOG_PRINT(LOG_ERROR, document.pszSetFail, pszName, nKind, nSet,
                                      orders.Text(nOrder).c_str());
                            continue;
                        }
                        int nStart = pDocument->StartPrintData();
                        if (nStart != 0) {
                            nPrinterFail |= FAIL_PRINT;
                            toast.ToastPush(0, "[%s] %s 출력 실패 (%s)\r\nNo : %s", pszName,
                                            strPrinterName.c_str(), pszText, strLastNo.c_str());
                            LOG_PRINT(LOG_ERROR, document.pszStartFail, pszName, nKind, nStart,
                                      orders.Text(nOrder).c_str());
                        }
                    }
                }
                if (bCheckAfter && nPrinterFail == 0) {
                    CheckPaperAfter(*pPrinter, i, strPrinterName, pszText, &strLastNo);
                }
                if (pPrinter->Printer_Send_End() != 0) {
                    // Reported only: the documents themselves were sent.
                    toast.ToastPush(0, "[%s] %s Printer_Send_End 실패 (%s)\r\nNo : %s", pszName,
                                    strPrinterName.c_str(), pszText, strLastNo.c_str());
                    LOG_PRINT(LOG_ERROR, "[%s] PrinterCommunicate Printer_Send_End", pszName);
                }
                nPrinterFail |=
                    ClosePrinter(*pPrinter, i, nPrinterFail, strPrinterName, pszText, &strLastNo);
                if (nPrinterFail == 0) {
                    LOG_PRINT(LOG_DEBUG, "[%s] Printer(%d) Success. Delete Try List", pszName,
                              i + 1);
                    RemoveFromTryList(vecTryList, i);
                }
            }
            nPassFail |= nPrinterFail;
            pPrinter->PrinterClose();
        }

        if (nNotify != 0) {
            SendNotifyPopup(pszName, nNotify,
                            (nNotify & NOTIFY_SHEET) != 0 ? kSheetPopupMessage
                                                          : kReceiptPopupMessage);
            nPassFail |= FAIL_OPEN;
        }
        if ((nPassFail & FAIL_PRINT) != 0) {
            if ((nPassFail & 2) != 0) {
                CountOpenFailure(pszName, strText, &strFirstNo);
            }
            if (nNotify == 0) {
                toast.ShowPrintFailToast(orders.Text(0), nPrintType);
            }
        } else {
            m_pContext->nFailCount = 0;
        }
    }
    m_pContext->nLastUnprinted = static_cast<int>(vecTryList.size()) + (nNotify != 0 ? 1 : 0);
    return PRINT_RESULT_OK;
}

int CPrintJob::PrintSalesData(const std::string& strData, int nPrintType, int nMode)
{
    const char* const pszName = "CPrintCtrlProcess::PrintSalesData";
    CPrinterSetting& setting = *m_pContext->pSetting;
    CToastCtrlProcess& toast = *m_pContext->pToast;
    PrintInfo infos[MAX_PRINTER_COUNT];
    if (setting.GetPrintInfoForAll(infos) != 1) {
        LOG_PRINT(LOG_ERROR, "[%s] GetPrintInfoForAll Error... MAX_PRINTER_COUNT", pszName);
        return PRINT_RESULT_NO_SETTINGS;
    }
    std::vector<int> vecTryList = {0, 1};
    int bAnyReceiptUse = 0;
    int bAnySet = 0;
    for (const PrintInfo& info : infos) {
        bAnyReceiptUse |= info.Rcp == 1 ? 1 : 0;
        bAnySet |= CPrintCtrlProcess::IsSetPrinterData(&info) == 1 ? 1 : 0;
    }
    const std::string strText = CPrintCtrlProcess::MakePrintTypeText(nPrintType, nMode);
    const char* pszText = strText.c_str();
    if (bAnySet == 0 || bAnyReceiptUse == 0) {
        SendNotifyPopup(pszName, NOTIFY_RECEIPT, kReceiptPopupMessage);
        CountOpenFailure(pszName, strText, nullptr);
        m_pContext->nLastUnprinted = 1;
        return PRINT_RESULT_OK;
    }

    for (int nPass = 0; nPass < PRINT_MAX_PASS_COUNT && !vecTryList.empty(); ++nPass) {
        int nPassFail = 0;
        for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
            if (!InTryList(vecTryList, i)) {
                continue;
            }
            const PrintInfo& info = infos[i];
            if (info.Rcp != 1) {
                LOG_PRINT(LOG_INFO,
                          "[%s] 프린터(%d) 출력 할게 없음... 영수증출력설정(%d), 요청Type(%08x)  "
                          ";Type(1=주방주문서, 2=영수증, 4=배달영수증, 100=매출 내역)",
                          pszName, i + 1, info.Rcp, nPrintType);
                LOG_PRINT(LOG_DEBUG, "[%s] Printer(%d) Delete Try List", pszName, i + 1);
                RemoveFromTryList(vecTryList, i);
                continue;
            }
            LOG_PRINT(LOG_INFO,
                      "[%s] 프린터(%d) 출력 요청... 영수증출력설정(%d), 요청Type(%08x) "
                      ";Type(1=주방주문서, 2=영수증, 4=배달영수증, 100=매출 내역)",
                      pszName, i + 1, info.Rcp, nPrintType);
            const std::string strPrinterName = FieldText(info.Name);
            std::unique_ptr<CPrinterCommunicate> pPrinter = NewPrinter();
            int nPrinterFail = 0;
            if (pPrinter->PrinterOpen(&info) != 0) {
                LOG_PRINT(LOG_ERROR,
                          "[%s] 프린터(%d) 오픈 실패. 포트 타입(%d) ;0=시리얼, 1=네트워크, 2=USB",
                          pszName, i + 1, info.PortType);
                nPrinterFail = FAIL_OPEN;
            } else if (bool bCheckAfter = false; !CheckPaperBefore(
                           *pPrinter, info, i, strPrinterName, pszText, nullptr, bCheckAfter)) {
                nPrinterFail = FAIL_PRINT;
            } else {
                CPrintSalesData sales;
                int nResult = sales.SetJsonData(strData);
                if (nResult != 0) {
                    nPrinterFail = FAIL_PRINT;
                    toast.ToastPush(0, "[%s] %s Jsondata 세팅 실패 (%s)", pszName,
                                    strPrinterName.c_str(), pszText);
                    LOG_PRINT(LOG_ERROR, "[%s] SetJsonData Fail ErrorValue [%d] Data [%s]", pszName,
                              nResult, strData.c_str());
                } else {
                    CPrintSales document;
                    int nSet = document.SetPrintData(pPrinter.get(), &sales,
                                                     setting.GetPrintLineType(), 0, info.LineFeed);
                    if (nSet != 0) {
                        nPrinterFail = FAIL_PRINT;
                        toast.ToastPush(0, "[%s] %s 데이터 세팅 실패 (%s)", pszName,
                                        strPrinterName.c_str(), pszText);
                        LOG_PRINT(LOG_ERROR, "[%s] PrintPayment SetPrintData Fail [%d] Data [%s]",
                                  pszName, nSet, strData.c_str());
                    } else {
                        int nStart = document.StartPrintData();
                        if (nStart != 0) {
                            nPrinterFail = FAIL_PRINT;
                            toast.ToastPush(0, "[%s] %s 출력 실패 (%s)", pszName,
                                            strPrinterName.c_str(), pszText);
                            LOG_PRINT(LOG_ERROR,
                                      "[%s] PrintPayment StartPrintData Fail [%d] Data [%s]",
                                      pszName, nStart, strData.c_str());
                        }
                    }
                }
                if (bCheckAfter && nPrinterFail == 0) {
                    CheckPaperAfter(*pPrinter, i, strPrinterName, pszText, nullptr);
                }
                // The job is ended on every opened port, whatever the report
                // did; a port that never opened has no job to end.
                if (pPrinter->Printer_Send_End() != 0) {
                    toast.ToastPush(0, "[%s] %s Printer_Send_End 실패 (%s)", pszName,
                                    strPrinterName.c_str(), pszText);
                    LOG_PRINT(LOG_ERROR, "[%s] PrinterCommunicate Printer_Send_End", pszName);
                }
                nPrinterFail |=
                    ClosePrinter(*pPrinter, i, nPrinterFail, strPrinterName, pszText, nullptr);
                if (nPrinterFail == 0) {
                    LOG_PRINT(LOG_DEBUG, "[%s] Printer(%d) Success. Delete Try List", pszName,
                              i + 1);
                    RemoveFromTryList(vecTryList, i);
                }
            }
            pPrinter->PrinterClose();
            nPassFail |= nPrinterFail;
        }
        if ((nPassFail & FAIL_PRINT) != 0) {
            if ((nPassFail & 2) != 0) {
                CountOpenFailure(pszName, strText, nullptr);
            }
            toast.ShowPrintFailToast("", nPrintType);
        } else {
            m_pContext->nFailCount = 0;
        }
    }
    m_pContext->nLastUnprinted = static_cast<int>(vecTryList.size());
    return PRINT_RESULT_OK;
}

// --- CPrintCtrlProcess ------------------------------------------------------

CPrintCtrlProcess::CPrintCtrlProcess(CToastCtrlProcess& toastCtrl)
    : CPrintCtrlProcess(toastCtrl, NubeqDllMngr(), PrinterSetting())
{
}

CPrintCtrlProcess::CPrintCtrlProcess(CToastCtrlProcess& toastCtrl, CNubeqDllMngr& agent,
                                     CPrinterSetting& setting)
    : m_pContext(std::make_shared<SJobContext>())
{
    m_pContext->pToast = &toastCtrl;
    m_pContext->pAgent = &agent;
    m_pContext->pSetting = &setting;
}

CPrintCtrlProcess::~CPrintCtrlProcess()
{
    // The worker's handler uses this object; it must be gone first.
    StopWorker();
}

int CPrintCtrlProcess::StartCtrlProcess()
{
    return StartWorkerThread("CPrintCtrlProcess::StartCtrlProcess");
}

void CPrintCtrlProcess::WorkerThreadMain()
{
    const char* const pszName = "CPrintCtrlProcess::ThreadPrintCtrlProcess";
    if (RunWorkerLoop(pszName, EWorkerQueue::Data)) {
        LOG_PRINT(LOG_INFO, "[%s] Set Exit Event", pszName);
    }
}

void CPrintCtrlProcess::HandleQueueData(int nEventType, const std::string& strData)
{
    // From here on only the job's own copy of the context is used.
    CPrintJob job(m_pContext);
    int nResult = job.PrintProcess(nEventType, strData);
    if (nResult != 0) {
        LOG_PRINT(LOG_ERROR, "[%s] Print Fail... EventType [%d]",
                  "CPrintCtrlProcess::ThreadPrintCtrlProcess", nEventType);
    }
}

int CPrintCtrlProcess::PrintProcess(int nEventId, const std::string& strData)
{
    return CPrintJob(m_pContext).PrintProcess(nEventId, strData);
}

int CPrintCtrlProcess::PrintOrderData(const std::string& strData, int nPrintType, int nMode)
{
    return CPrintJob(m_pContext).PrintOrderData(strData, nPrintType, nMode);
}

int CPrintCtrlProcess::PrintSalesData(const std::string& strData, int nPrintType, int nMode)
{
    return CPrintJob(m_pContext).PrintSalesData(strData, nPrintType, nMode);
}

int CPrintCtrlProcess::LastJobUnprintedCount() const
{
    return m_pContext->nLastUnprinted.load();
}

int CPrintCtrlProcess::FailCount() const
{
    return m_pContext->nFailCount.load();
}

void CPrintCtrlProcess::SetFailCount(int nCount)
{
    m_pContext->nFailCount = nCount;
}

void CPrintCtrlProcess::SetPrinterFactory(PrinterFactory fnFactory)
{
    m_pContext->fnFactory = std::move(fnFactory);
}

int CPrintCtrlProcess::IsIncludeStatusData(const std::string& strData, const std::string& strStatus)
{
    const char* const pszName = "CPrintCtrlProcess::IsIncludeStatusData";
    COrderList orders(strData);
    if (orders.empty()) {
        LOG_PRINT(LOG_ERROR, "[%s] Paring 실패, Array Size 0", pszName);
        return 0;
    }
    for (size_t nOrder = 0; nOrder < orders.size(); ++nOrder) {
        const Json::Value& order = orders.Value(nOrder);
        std::string strValue;
        try {
            if (order.isObject()) {
                strValue = CjsonCtrl::RootMember(order, "status", JSON_VAL_STRING);
            }
        } catch (const Json::Exception&) {
            // A status that is not a string matches no status.
            strValue.clear();
        }
        if (strValue == strStatus) {
            return 1;
        }
    }
    return 0;
}

int CPrintCtrlProcess::GetRealUsePrintType(int nPrintType, const PrintInfo* pInfo, int nMode,
                                           int bAnySheetUse, int bAnyReceiptUse)
{
    if (pInfo == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param pstPrintInfo NULL",
                  "CPrintCtrlProcess::GetRealUsePrintType");
        return 0;
    }
    bool bSheet = pInfo->Use == 1;
    bool bReceipt = pInfo->Rcp == 1;
    if ((nMode & PRINT_FLAG_REPRINT) != 0) {
        if (bAnySheetUse == 0 && IsSetPrinterData(pInfo) == 1) {
            bSheet = true;
        }
        if (bAnyReceiptUse == 0 && IsSetPrinterData(pInfo) == 1) {
            bReceipt = true;
        }
    }
    int nKind = 0;
    if (bSheet) {
        nKind |= nPrintType & PRINT_TYPE_ORDER_SHEET;
    }
    if (bReceipt) {
        nKind |= nPrintType & (PRINT_TYPE_PAYMENT | PRINT_TYPE_PAYMENT_DELIVERY);
    }
    return nKind;
}

int CPrintCtrlProcess::IsSetPrinterData(const PrintInfo* pInfo)
{
    const char* const pszName = "CPrintCtrlProcess::IsSetPrinterData";
    if (pInfo == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param pstPrintInfo NULL", pszName);
        return 0;
    }
    bool bSet = false;
    switch (pInfo->PortType) {
    case E_PRINTER_TYPE_SERIAL:
        bSet = pInfo->Port > 0 && pInfo->BaudRate >= 9600;
        break;
    case E_PRINTER_TYPE_SOCKET:
        bSet = !FieldText(pInfo->LanPrintIP).empty() && pInfo->LanPrintPort > 0;
        break;
    case E_PRINTER_TYPE_USB:
        bSet = !FieldText(pInfo->UsbName).empty();
        break;
    default:
        LOG_PRINT(LOG_ERROR, "[%s] Not Support PrintType [%d]", pszName, pInfo->PortType);
        return 0;
    }
    if (bSet && pInfo->LineFeed <= 0) {
        LOG_PRINT(LOG_INFO, "[%s] nLineFeed : %d", pszName, pInfo->LineFeed);
    }
    return bSet ? 1 : 0;
}

std::string CPrintCtrlProcess::MakePrintTypeText(int nPrintType, int nMode)
{
    if ((nPrintType & PRINT_TYPE_SALES) != 0) {
        return "매출 내역";
    }
    std::string strText;
    auto append = [&strText](const char* pszPart) {
        if (!strText.empty()) {
            strText += "/";
        }
        strText += pszPart;
    };
    if ((nPrintType & PRINT_TYPE_ORDER_SHEET) != 0) {
        append("주문서");
    }
    if ((nPrintType & (PRINT_TYPE_PAYMENT | PRINT_TYPE_PAYMENT_DELIVERY)) != 0) {
        append("영수증");
    }
    if ((nPrintType & PRINT_TYPE_TEST_PAGE) != 0) {
        append("테스트");
    }
    strText += " 프린트 요청";
    if (nMode != 0) {
        strText += " [";
        if ((nMode & PRINT_FLAG_CANCEL) != 0) {
            strText += "취소";
        }
        if ((nMode & PRINT_FLAG_REPRINT) != 0) {
            strText += "재출력";
        }
        strText += "] ";
    }
    return strText;
}
