// The toast hand-off.
#include "app/toast_hand_off.h"

#include "foundation/simple_log.h"
#include "foundation/wait.h"
#include "pipeline/toast_ctrl_process.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// The text of a field that may fill it without a terminator.
std::string FieldText(const char* pszField, size_t nSize)
{
    return std::string(pszField, strnlen(pszField, nSize));
}

} // namespace

bool IToastWindow::WaitForToastClosed(int nTimeoutMs)
{
    const uint64_t nDeadline =
        GetTickCount64Safe() + static_cast<uint64_t>(std::max(nTimeoutMs, 0));
    while (IsToastOpen()) {
        if (GetTickCount64Safe() >= nDeadline) {
            return false;
        }
        PumpMessagesFor(100);
    }
    return true;
}

void ShowToastNotify(IToastWindow& window, const ToastRequestInfo* pInfo)
{
    const char* const pszName = "CTrayIcon::ShowToastNotify";
    if (pInfo == nullptr) {
        return;
    }
    if (window.IsToastOpen()) {
        LOG_PRINT(LOG_DEBUG, "[%s] A toast is open: raised, this one dropped", pszName);
        window.RaiseToast();
        return;
    }
    window.ShowToast(FieldText(pInfo->szTitle, sizeof(pInfo->szTitle)),
                     FieldText(pInfo->szBody, sizeof(pInfo->szBody)), pInfo->nAutoCloseSec);
    // 0 or less: the toast stays until clicked, and the sender goes on.
    if (pInfo->nAutoCloseSec <= 0) {
        return;
    }
    // The sender waits in its send as long as this runs.
    const long long nTimeoutMs =
        static_cast<long long>(pInfo->nAutoCloseSec) * 1000 + TOAST_WAIT_MARGIN_MS;
    const int nWaitMs = static_cast<int>(std::min<long long>(nTimeoutMs, INT_MAX));
    if (!window.WaitForToastClosed(nWaitMs)) {
        LOG_PRINT(LOG_WARN, "[%s] Toast still open after %d ms: the sender goes on", pszName,
                  nWaitMs);
        return;
    }
    LOG_PRINT(LOG_DEBUG, "[%s] Toast closed", pszName);
}
