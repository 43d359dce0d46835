// The shell pieces the Qt side provides over the defaults: today the
// about box. The tray icon and its toast, the print settings dialog and
// the shop registration dialog override their CShellParts members here.
#pragma once

#include "app/shell_parts.h"

class CQtShellParts : public CShellParts
{
public:
    void ShowAboutBox(CZelkorDlg& dlg) override;
};
