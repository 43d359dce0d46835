// The key filter the dialogs share.
#include "ui/common/dialog_key_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

CDialogKeyFilter::CDialogKeyFilter(QWidget* pDialog, bool bSwallowSpace)
    : QObject(pDialog), m_pDialog(pDialog), m_bSwallowSpace(bSwallowSpace)
{
    // Keys go to the focused child, so the filter watches the application
    // and picks the events of this dialog's widgets.
    qApp->installEventFilter(this);
}

bool CDialogKeyFilter::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pDialog && pEvent->type() == QEvent::Close && pEvent->spontaneous()) {
        pEvent->ignore();
        return true;
    }
    if (pEvent->type() != QEvent::KeyPress && pEvent->type() != QEvent::ShortcutOverride) {
        return false;
    }
    auto* pWidget = qobject_cast<QWidget*>(pWatched);
    if (pWidget == nullptr || (pWidget != m_pDialog && !m_pDialog->isAncestorOf(pWidget))) {
        return false;
    }
    const auto* pKey = static_cast<QKeyEvent*>(pEvent);
    const int nKey = pKey->key();
    const bool bEnter = nKey == Qt::Key_Return || nKey == Qt::Key_Enter;
    const bool bSwallowed = bEnter || nKey == Qt::Key_Escape ||
                            (m_bSwallowSpace && nKey == Qt::Key_Space) ||
                            (nKey == Qt::Key_F4 && (pKey->modifiers() & Qt::AltModifier));
    if (!bSwallowed) {
        return false;
    }
    if (pEvent->type() == QEvent::ShortcutOverride) {
        // Keep shortcuts from taking the key; the key press follows and is
        // swallowed below.
        pEvent->accept();
        return true;
    }
    if (bEnter && m_pfnEnter && !pKey->isAutoRepeat()) {
        m_pfnEnter();
    }
    return true;
}
