// The print-failure toast between the tray and the toast window: one toast
// on the desktop at a time, and the sender (the print worker, waiting in
// its send of 10025) held until a toast that closes by itself has closed,
// never longer than its auto-close time and 5 seconds.
#pragma once

#include <cstdint>
#include <string>

struct ToastRequestInfo;

// The title by which the toast window is found on the desktop.
constexpr const char* TOAST_WINDOW_TITLE = "CToastDialogZelkor";

// How long past its auto-close time the sender waits for a toast at most.
constexpr int TOAST_WAIT_MARGIN_MS = 5000;

// The toast window as the hand-off sees it. The Qt side provides one; the
// toast window of the program implements it.
class IToastWindow
{
public:
    virtual ~IToastWindow() = default;
    // A toast window is on the desktop.
    virtual bool IsToastOpen() = 0;
    // The open toast goes topmost, without moving or resizing.
    virtual void RaiseToast() = 0;
    // Creates and shows a toast with these texts (CP949 markup). Above 0,
    // nAutoCloseSec closes it after that many seconds; 0 keeps the
    // window's own default.
    virtual void ShowToast(const std::string& strTitle, const std::string& strBody,
                           int32_t nAutoCloseSec) = 0;
    // Keeps the main thread's messages flowing until no toast is open or
    // nTimeoutMs have passed; true when the toast has gone. This one tests
    // every 100 ms.
    virtual bool WaitForToastClosed(int nTimeoutMs);
};

// On the main thread. A null record: nothing. A toast already open: raised,
// and this request dropped. Otherwise the toast is shown; with an
// auto-close time above 0 the call returns once the toast has gone, or
// after that time and 5 seconds at the latest (logged), so the print
// worker is never held by a toast that does not go.
void ShowToastNotify(IToastWindow& window, const ToastRequestInfo* pInfo);
