// The toast control: posts report messages to the messenger webhook from
// its worker, and hands print-failure toasts to the main window.
#pragma once

#include "pipeline/base_ctrl_process.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class RequestControl;

// The main window message that shows a toast; lParam is a
// ToastRequestInfo* that the window frees after showing it.
constexpr unsigned WM_TRAY_SHOW_TOAST = 10025;

// A toast for the main window: NUL-terminated HTML texts.
struct ToastRequestInfo
{
    char szBody[1300];
    char szTitle[260];
    int32_t nAutoCloseSec; // 0 keeps the toast window's default
};

// Print type bit of the sales report.
constexpr int TOAST_PRINT_TYPE_SALES = 0x100;

// The webhook endpoint comes from Config.ini [WEBHOOK]: Host (scheme and
// host), PathTest and PathRelease (the test path when the agent's
// ENV_MODE is "T"), BotIconImage and optionally CaFile (PEM of trusted
// CAs instead of the system store).
class CToastCtrlProcess : public CBaseCtrlProcess
{
public:
    // How long one webhook post may take (the receive time-out).
    static constexpr int kRequestTimeoutMs = 10000;

    // Told on the worker thread after each queued report message has been
    // handled: its text and whether it was posted.
    using ReportHandledCallback = std::function<void(const std::string& strMsg, bool bPosted)>;

    CToastCtrlProcess();
    ~CToastCtrlProcess() override;

    int StartCtrlProcess() override;

    // Formats a report message and queues it for the webhook. 1 queued,
    // 0 refused (logged). Never blocks, never throws.
    int ToastPush(int nLevel, const char* pszFormat, ...) __attribute__((format(printf, 3, 4)));

    // Posts one report message. 1 posted, 0 not (empty message, no valid
    // endpoint configured, or the request failed). Blocks for the request.
    int ToastRequest_Blocked(int nLevel, const std::string& strMsg);

    // Reloads the shop texts from the agent's files; safe to call from any
    // thread while the worker posts.
    void LoadShopInfo();

    // Replaces the callback (an empty one removes it); when this returns,
    // the old callback is not running and will not be called again.
    void SetReportHandledCallback(ReportHandledCallback fnCallback);

    // Shows the print-failure toast of one order (or of the sales report,
    // by the print type bit) and returns when the main window has handled
    // it. 1 handled, 0 no main window (the record is freed here then).
    int ShowPrintFailToast(const std::string& strOrderText, int nPrintType);
    // Shows the paper-out toast of a printer (by its name) the same way.
    int ShowPaperOutToast(const std::string& strPrinterName);

    // The JSON body ToastRequest_Blocked posts for this message (loads the
    // shop texts first when they are empty).
    std::string MakeToastMessage(int nLevel, const std::string& strMsg);
    // The settings summary of the message attachment.
    static std::string MakeSettingsSummary();
    // "/services/" + 19 digits + "/" + 19 digits + "/" + 22 token characters.
    static bool IsValidWebhookPath(const std::string& strPath);
    // Title and body of the print-failure toast.
    static void MakePrintFailToast(const std::string& strOrderText, int nPrintType,
                                   ToastRequestInfo& info);

protected:
    void WorkerThreadMain() override;
    void HandleToastData(int nLevel, const std::string& strMsg) override;

private:
    struct SShopInfo
    {
        std::string strShopName;
        std::string strPosId;
        std::string strRegisterNumber;
        std::string strShopId;
        std::string strEnvMode;
    };
    SShopInfo ShopInfo();

    // Shared with a request in flight, which may outlive a stop that gave
    // up waiting for it.
    std::shared_ptr<RequestControl> m_pRequestClient;
    std::mutex m_ShopLock; // guards the shop texts
    SShopInfo m_Shop;
    // Shared with a handler in flight, like the client.
    struct SReportCallback
    {
        std::mutex lock; // held while the callback runs
        ReportHandledCallback fnCallback;
    };
    std::shared_ptr<SReportCallback> m_pReportHandled;
};
