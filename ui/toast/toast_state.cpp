// CToastState and the slide steps.
#include "ui/toast/toast_state.h"

#include "foundation/simple_log.h"

ToastRect ToastStartRect(const ToastRect& desktop, int nHeight)
{
    const int nTop = desktop.nBottom - TOAST_START_RAISE;
    return {desktop.nRight, nTop, desktop.nRight, nTop + nHeight};
}

bool ToastSlideStep(ToastRect& rect, const ToastRect& desktop, bool bIn)
{
    const int nHeight = rect.Height();
    rect.nLeft += bIn ? -TOAST_SLIDE_STEP : TOAST_SLIDE_STEP;
    rect.nRight = desktop.nRight;
    rect.nBottom = desktop.nBottom - TOAST_BOTTOM_GAP;
    rect.nTop = rect.nBottom - nHeight;
    return bIn ? rect.Width() >= TOAST_WIDTH : rect.Width() <= 0;
}

bool CToastState::InitComplete(int32_t nAutoCloseSec)
{
    if (nAutoCloseSec <= 0) {
        return false;
    }
    LOG_PRINT(LOG_TRACE, "[%s] 토스트창 자동 소멸 옵션 적용 : %d sec.",
              "CToastDialog::OnInitComplete", static_cast<int>(nAutoCloseSec));
    return true;
}

void CToastState::AutoCloseTimer()
{
    LOG_PRINT(LOG_TRACE, "[%s] 토스트창 자동 소멸.", "CToastDialog::OnTimer");
}

CToastState::EClose CToastState::CloseRequest()
{
    const char* const pszName = "CToastDialog::OnCloseToast";
    if (m_bClosing) {
        LOG_PRINT(LOG_TRACE, "[%s] Already Destroy....", pszName);
        return EClose::Ignore;
    }
    if (!m_bShown) {
        LOG_PRINT(LOG_TRACE, "[%s] Not Initialize.... the close waits until shown", pszName);
        m_bCloseWaiting = true;
        return EClose::Later;
    }
    m_bClosing = true;
    return EClose::Now;
}

CToastState::EClose CToastState::Click(bool bOnAction)
{
    const char* const pszName = "CToastDialog::OnLButtonDown";
    if (m_bClosing) {
        LOG_PRINT(LOG_TRACE, "[%s] Already Destroy....", pszName);
        return EClose::Ignore;
    }
    if (!m_bShown) {
        LOG_PRINT(LOG_TRACE, "[%s] Not Initialize....", pszName);
        return EClose::Ignore;
    }
    if (!bOnAction) {
        return EClose::Ignore;
    }
    m_bClosing = true;
    return EClose::Now;
}

bool CToastState::SlideInDone()
{
    m_bShown = true;
    if (!m_bCloseWaiting || m_bClosing) {
        return false;
    }
    m_bCloseWaiting = false;
    m_bClosing = true;
    return true;
}

void CToastState::Destroyed(bool bByClick)
{
    LOG_PRINT(LOG_TRACE, "[%s] 토스트창 소멸.",
              bByClick ? "CToastDialog::OnLButtonDown" : "CToastDialog::OnCloseToast");
}

void CToastState::MoveFailed()
{
    LOG_PRINT(LOG_ERROR, "[%s] Cannot movewindow position.", "CToastDialog::AnimateShowWindow");
}

void CToastState::ClosedFromOutside()
{
    m_bClosing = true;
    LOG_PRINT(LOG_TRACE, "[%s] Closed from outside: destroyed", "CToastDialog::OnClose");
}
