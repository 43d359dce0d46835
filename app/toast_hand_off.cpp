// The toast hand-off.
#include "app/toast_hand_off.h"

#include "foundation/simple_log.h"
#include "foundation/wait.h"
#include "pipeline/toast_ctrl_process.h"

#include <cstring>

namespace {

// The text of a field that may fill it without a terminator.
std::string FieldText(const char* pszField, size_t nSize)
{
    return std::string(pszField, strnlen(pszField, nSize));
}

} // namespace

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
    if (pInfo->nAutoCloseSec == 0) {
        return;
    }
    // The sender waits in its send as long as this runs.
    while (window.IsToastOpen()) {
        PumpMessagesFor(100);
    }
    LOG_PRINT(LOG_DEBUG, "[%s] Toast closed", pszName);
}
