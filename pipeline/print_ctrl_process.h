// The print worker: turns a print job (event id + the event's JSON) into
// documents on the two receipt printers, retries printers that failed and
// reports failures (log, report message, agent pop-up, desktop toast).
#pragma once

#include "pipeline/base_ctrl_process.h"

#include <functional>
#include <memory>
#include <string>

class CNubeqDllMngr;
class CPrinterCommunicate;
class CPrinterSetting;
class CToastCtrlProcess;
struct PrintInfo;

// Print type bits (a job's documents).
enum EPrintTypeBit
{
    PRINT_TYPE_ORDER_SHEET = 0x1,      // kitchen order sheet
    PRINT_TYPE_PAYMENT = 0x2,          // customer receipt
    PRINT_TYPE_PAYMENT_DELIVERY = 0x4, // delivery receipt
    PRINT_TYPE_SALES = 0x100,          // sales report
    PRINT_TYPE_TEST_PAGE = 0x10000000, // test page (request texts only)
};

// Results of PrintProcess / PrintOrderData / PrintSalesData.
enum EPrintResult
{
    PRINT_RESULT_OK = 0,
    PRINT_RESULT_NO_SETTINGS = 1, // the printer records could not be read
    PRINT_RESULT_UNSUPPORTED = 6, // event id not printed by this worker
    PRINT_RESULT_NO_ORDER = 8,    // the data holds no order
};

// Passes of one job over the printers still to serve.
constexpr int PRINT_MAX_PASS_COUNT = 4;
// Open-failure passes that produce one level-1 report message.
constexpr int PRINT_FAIL_COUNT_REPORT = 5;

// The toast control, the agent library and the settings store must outlive
// every job (in the program they are process-wide objects). What a job
// changes (FailCount) lives in a block the job co-owns, so a job still
// running when a stop gives up never writes into a destroyed object.
class CPrintCtrlProcess : public CBaseCtrlProcess
{
public:
    using PrinterFactory = std::function<std::unique_ptr<CPrinterCommunicate>()>;

    explicit CPrintCtrlProcess(CToastCtrlProcess& toastCtrl);
    CPrintCtrlProcess(CToastCtrlProcess& toastCtrl, CNubeqDllMngr& agent, CPrinterSetting& setting);
    ~CPrintCtrlProcess() override;

    int StartCtrlProcess() override;

    // One job: documents and mode by event id, then the passes. 0 done
    // (also when nothing is to be printed), 6 unsupported event id, else
    // the result of PrintOrderData / PrintSalesData.
    int PrintProcess(int nEventId, const std::string& strData);
    // Every order of the JSON array on each printer that prints some of
    // nPrintType. 0 after the passes whatever failed, 8 no order, 1 the
    // printer records cannot be read.
    int PrintOrderData(const std::string& strData, int nPrintType, int nMode);
    // The sales report of the JSON object on each receipt printer. 0 after
    // the passes (or the settings pop-up), 1 the records cannot be read.
    int PrintSalesData(const std::string& strData, int nPrintType, int nMode);

    // 1 when some order of the array has "status" equal to strStatus.
    static int IsIncludeStatusData(const std::string& strData, const std::string& strStatus);
    // The part of nPrintType this printer prints (never 0x100). A reprint
    // also reaches a configured printer for a document no printer is set
    // to print.
    static int GetRealUsePrintType(int nPrintType, const PrintInfo* pInfo, int nMode,
                                   int bAnySheetUse, int bAnyReceiptUse);
    // 1 when the printer's connection is configured for its port type.
    static int IsSetPrinterData(const PrintInfo* pInfo);
    // The print-request text of report messages ("주문서/영수증 프린트 요청").
    static std::string MakePrintTypeText(int nPrintType, int nMode);

    // Printers that still had something to print when the passes of the
    // last job ended (0: everything chosen printed, possibly after a retry);
    // a settings pop-up instead of printing counts as one.
    int LastJobUnprintedCount() const;

    // Consecutive passes that ended with an open failure or missing
    // settings (kept across jobs).
    int FailCount() const;
    void SetFailCount(int nCount);

    // Replaces how the command layer of each printer open is made (tests
    // watch or break the port with it). Set before the worker starts.
    void SetPrinterFactory(PrinterFactory fnFactory);

protected:
    void WorkerThreadMain() override;
    void HandleQueueData(int nEventType, const std::string& strData) override;

private:
    friend class CPrintJob;
    struct SJobContext;
    std::shared_ptr<SJobContext> m_pContext;
};
