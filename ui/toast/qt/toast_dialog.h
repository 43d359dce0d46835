// CToastDialog: the print-failure notice that slides in at the bottom
// right of the desktop area (clear of panels), shows a markup title and
// body, and slides out after its auto-close time or on a click. It is a
// tool window that never takes the keyboard focus from the shop's other
// programs. Its window title "CToastDialogZelkor" is how the program finds
// it. It deletes itself once it has slid out.
#pragma once

#include "ui/toast/toast_state.h"

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <string>

class CHtmlStatic;
class CPictureButton;

class CToastDialog : public QWidget
{
    Q_OBJECT
public:
    // The texts are CP949 markup; an empty title gives the small layout.
    CToastDialog(const std::string& strTitle, const std::string& strBody);

    // Above 0: closes itself that many seconds after it was created.
    void SetAutoCloseSeconds(int32_t nSeconds) { m_nAutoCloseSec = nSeconds; }
    // Lays the window out at the start of its slide (hidden, no width) and
    // posts 1025; the slide-in starts 100 ms after that.
    void Create();

    // Off: the 10 ms step timer does not run and the caller drives the
    // slide with SlideStep (tests).
    void SetTimedSteps(bool bTimed) { m_bTimedSteps = bTimed; }
    // One step of the running slide; false when no slide runs.
    bool SlideStep();
    bool IsSliding() const { return m_eSlide != ESlide::None; }
    // The rectangle of the last step (may have no width).
    const ToastRect& SlideRect() const { return m_Rect; }
    // The available desktop area of the primary screen.
    static ToastRect DesktopArea();

    // Message 1026, posted.
    void PostClose();

    const CToastState& State() const { return m_State; }
    // Slid out and about to be deleted: no longer on the desktop.
    bool IsFinished() const { return m_bFinished; }
    CHtmlStatic* TitleStatic() const { return m_pTitle; }
    CHtmlStatic* BodyStatic() const { return m_pBody; }
    CPictureButton* ActionButton() const { return m_pAction; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void customEvent(QEvent* pEvent) override;
    // Closed from outside (the window manager): gone at once, so nothing
    // waits for a toast that is no longer there.
    void closeEvent(QCloseEvent* pEvent) override;

private:
    enum class ESlide
    {
        None,
        In,
        Out
    };

    void OnInitComplete();
    void OnCloseToast();
    void StartSlide(ESlide eSlide);
    void ApplyRect();
    void FinishSlideOut();

    std::string m_strTitle;
    std::string m_strBody;
    int32_t m_nAutoCloseSec = 0;
    CToastState m_State;
    CHtmlStatic* m_pTitle = nullptr;
    CHtmlStatic* m_pBody = nullptr;
    CPictureButton* m_pAction = nullptr;
    QTimer m_SlideInTimer;   // timer 1000
    QTimer m_AutoCloseTimer; // timer 2
    QTimer m_StepTimer;
    bool m_bTimedSteps = true;
    ESlide m_eSlide = ESlide::None;
    bool m_bClosedByClick = false;
    bool m_bFinished = false;
    ToastRect m_Rect;
    ToastRect m_Desktop;
};
