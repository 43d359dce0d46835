// The toast hand-off.
#include "app/toast_hand_off.h"

#include "foundation/simple_log.h"
#include "foundation/wait.h"
#include "pipeline/toast_ctrl_process.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The text of a field that may fill it without a terminator.
std::string FieldText(const char* pszField, size_t nSize)
{
    return std::string(pszField, strnlen(pszField, nSize));
}

// The auto-close time of a request; ZELKOR_TOAST_SECONDS (1 to 3600) sets
// a toast that closes by itself to another time (tests, the demo).
int32_t AutoCloseSeconds(int32_t nRequested)
{
    const char* pszOverride = std::getenv("ZELKOR_TOAST_SECONDS");
    if (nRequested <= 0 || pszOverride == nullptr) {
        return nRequested;
    }
    const int nOverride = std::atoi(pszOverride);
    return nOverride >= 1 && nOverride <= 3600 ? nOverride : nRequested;
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
    const int32_t nAutoCloseSec = AutoCloseSeconds(pInfo->nAutoCloseSec);
    window.ShowToast(FieldText(pInfo->szTitle, sizeof(pInfo->szTitle)),
                     FieldText(pInfo->szBody, sizeof(pInfo->szBody)), nAutoCloseSec);
    // 0 or less: the toast stays until clicked, and the sender goes on.
    if (nAutoCloseSec <= 0) {
        return;
    }
    // The sender waits in its send as long as this runs.
    const long long nTimeoutMs =
        static_cast<long long>(nAutoCloseSec) * 1000 + TOAST_WAIT_MARGIN_MS;
    const int nWaitMs = static_cast<int>(std::min<long long>(nTimeoutMs, INT_MAX));
    if (!window.WaitForToastClosed(nWaitMs)) {
        LOG_PRINT(LOG_WARN, "[%s] Toast still open after %d ms: the sender goes on", pszName,
                  nWaitMs);
        return;
    }
    LOG_PRINT(LOG_DEBUG, "[%s] Toast closed", pszName);
}
