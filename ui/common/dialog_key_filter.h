// The key filter the dialogs share: Enter, Escape, Space and Alt+F4 do
// nothing in the dialog (no default button, no reject, no close), as the
// borderless dialogs are closed only by their own buttons. The window
// manager's close request (how Alt+F4 reaches a Linux program) is refused
// too; a close from code passes.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

class CDialogKeyFilter : public QObject
{
    Q_OBJECT
public:
    // Filters the keys of the dialog and all its children; the filter is a
    // child of the dialog and ends with it. bSwallowSpace false leaves
    // Space alone (the registration dialog, whose fields take it).
    explicit CDialogKeyFilter(QWidget* pDialog, bool bSwallowSpace = true);

    // Enter runs this instead of nothing (the registration dialog logs in).
    void SetEnterHandler(std::function<void()> pfnEnter) { m_pfnEnter = std::move(pfnEnter); }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    QWidget* m_pDialog;
    bool m_bSwallowSpace;
    std::function<void()> m_pfnEnter;
};
