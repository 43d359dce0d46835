// The program's toast window behind the hand-off: CToastDialog, found on
// the desktop by its title, and the sender's wait as a nested event loop
// that ends when the window is destroyed.
#pragma once

#include "app/toast_hand_off.h"

#include <memory>

class CToastDialog;

class CQtToastWindow : public IToastWindow
{
public:
    bool IsToastOpen() override;
    void RaiseToast() override;
    void ShowToast(const std::string& strTitle, const std::string& strBody,
                   int32_t nAutoCloseSec) override;
    bool WaitForToastClosed(int nTimeoutMs) override;

    // The toast on the desktop, or null.
    static CToastDialog* OpenToast();
};

// The toast window the tray shows.
std::unique_ptr<IToastWindow> MakeToastWindow();
