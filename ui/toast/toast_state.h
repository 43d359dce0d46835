// The toast window's own logic, without a screen: the slide steps, the
// closing and shown flags, the close requests that come too early, and the
// window's log lines. The Qt window (ui/toast/qt) runs its timers and
// moves itself by these.
#pragma once

#include <cstdint>

// The toast window's title, by which other code finds it on the desktop.
constexpr const char* TOAST_DIALOG_TITLE = "CToastDialogZelkor";

// Messages and timers of the toast window.
constexpr int WM_TOAST_INIT_COMPLETE = 1025;
constexpr int WM_TOAST_CLOSE = 1026;
constexpr int TOAST_TIMER_SLIDE_IN = 1000;
constexpr int TOAST_TIMER_AUTO_CLOSE = 2;
constexpr int TOAST_SLIDE_IN_DELAY_MS = 100;

constexpr int TOAST_WIDTH = 300;
constexpr int TOAST_HEIGHT_WITH_TITLE = 241;
constexpr int TOAST_HEIGHT_WITHOUT_TITLE = 80;
constexpr int TOAST_SLIDE_STEP = 50;
constexpr int TOAST_SLIDE_STEP_MS = 10;
constexpr int TOAST_BOTTOM_GAP = 40;   // above the bottom of the desktop area
constexpr int TOAST_START_RAISE = 120; // top of the window before it slides

// A rectangle with exclusive right and bottom edges.
struct ToastRect
{
    int nLeft = 0;
    int nTop = 0;
    int nRight = 0;
    int nBottom = 0;

    int Width() const { return nRight - nLeft; }
    int Height() const { return nBottom - nTop; }
    bool operator==(const ToastRect&) const = default;
};

// Where the window waits before it slides in: no width, its left edge on
// the right edge of the desktop area, its top 120 pixels above its bottom.
ToastRect ToastStartRect(const ToastRect& desktop, int nHeight);

// One step of the slide: the left edge 50 pixels left (in) or right (out),
// the right edge on the right of the desktop area, the bottom 40 pixels
// above its bottom, the height kept. True when this was the last step (in:
// the width reached 300; out: no width left).
bool ToastSlideStep(ToastRect& rect, const ToastRect& desktop, bool bIn);

class CToastState
{
public:
    // What a close request or a click leads to.
    enum class EClose
    {
        Ignore, // already closing, or a click outside the action image
        Later,  // before the slide-in ended: acted on once shown
        Now,    // closing starts: slide out, then destroy
    };

    // Message 1025: logs the auto-close option; true when timer 2 is to run.
    bool InitComplete(int32_t nAutoCloseSec);
    // Timer 2 fired: logged; message 1026 follows.
    void AutoCloseTimer();
    // Message 1026. A request before "shown" is kept and acted on once the
    // slide-in has ended: a main thread held up longer than the auto-close
    // time would otherwise lose it and leave the toast (and the sender
    // waiting behind it) on the desktop.
    EClose CloseRequest();
    // A left click; bOnAction: on the action image, or anywhere when the
    // window has none. Clicks before "shown" are ignored.
    EClose Click(bool bOnAction);
    // The slide-in ended; true when a close request is waiting for it.
    bool SlideInDone();
    // The slide-out ended; the window is destroyed next. bByClick: closed
    // by a click, else by message 1026.
    void Destroyed(bool bByClick);
    void MoveFailed();
    // The window was closed by someone else than itself.
    void ClosedFromOutside();

    bool IsShown() const { return m_bShown; }
    bool IsClosing() const { return m_bClosing; }
    bool IsCloseWaiting() const { return m_bCloseWaiting; }

private:
    bool m_bShown = false;
    bool m_bClosing = false;
    bool m_bCloseWaiting = false;
};
