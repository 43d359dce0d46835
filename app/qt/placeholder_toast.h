// The toast window until the program has its own: a small window at the
// bottom right of the desktop with the title and the text as plain text,
// closed by a click or after its auto-close time. It carries the toast's
// title, so the hand-off finds it as it would find the real one.
#pragma once

#include "app/toast_hand_off.h"

#include <memory>

class CPlaceholderToast : public IToastWindow
{
public:
    bool IsToastOpen() override;
    void RaiseToast() override;
    void ShowToast(const std::string& strTitle, const std::string& strBody,
                   int32_t nAutoCloseSec) override;
};

// The toast window the tray shows.
std::unique_ptr<IToastWindow> MakeToastWindow();
