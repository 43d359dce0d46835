// CToastDialog: layout, messages, timers, the slide and the clicks.
#include "ui/toast/qt/toast_dialog.h"

#include "res/picture_ids.h"
#include "ui/common/korean_font.h"
#include "ui/controls/picture_button.h"
#include "ui/html/qt/html_static.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <exception>

namespace {

const QEvent::Type kInitCompleteEvent =
    static_cast<QEvent::Type>(QEvent::User + WM_TOAST_INIT_COMPLETE);
const QEvent::Type kCloseEvent = static_cast<QEvent::Type>(QEvent::User + WM_TOAST_CLOSE);

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr int kFramePen = 10;
constexpr int kStaticFontPixels = 12;

CHtmlStatic* MakeStatic(QWidget* pParent, const QRect& geometry, int nPlacement,
                        const std::string& strMarkup)
{
    auto* pStatic = new CHtmlStatic(pParent);
    pStatic->setFont(KoreanFont(kStaticFontPixels));
    pStatic->setGeometry(geometry);
    pStatic->SetTextPlacement(nPlacement);
    pStatic->SetBackgroundStyle(0);
    pStatic->SetBackgroundEffect(0);
    pStatic->SetBackgroundColors(kWhite, kWhite, kWhite);
    pStatic->SetMarkupCp949(strMarkup);
    pStatic->show();
    return pStatic;
}

} // namespace

CToastDialog::CToastDialog(const std::string& strTitle, const std::string& strBody)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_strTitle(strTitle), m_strBody(strBody)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QString::fromLatin1(TOAST_DIALOG_TITLE));
    m_SlideInTimer.setSingleShot(true);
    m_AutoCloseTimer.setSingleShot(true);
    m_AutoCloseTimer.setTimerType(Qt::PreciseTimer);
    m_StepTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_SlideInTimer, &QTimer::timeout, this, [this] { StartSlide(ESlide::In); });
    connect(&m_AutoCloseTimer, &QTimer::timeout, this, [this] {
        m_State.AutoCloseTimer();
        PostClose();
    });
    connect(&m_StepTimer, &QTimer::timeout, this, [this] { SlideStep(); });
}

ToastRect CToastDialog::DesktopArea()
{
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    const QRect area = pScreen != nullptr ? pScreen->availableGeometry() : QRect(0, 0, 1024, 768);
    return {area.x(), area.y(), area.x() + area.width(), area.y() + area.height()};
}

void CToastDialog::Create()
{
    int nHeight = TOAST_HEIGHT_WITHOUT_TITLE;
    if (!m_strTitle.empty()) {
        m_pTitle = MakeStatic(this, QRect(20, 20, 260, 25), HTML_PLACE_VMIDDLE | HTML_PLACE_LEFT,
                              m_strTitle);
        m_pBody =
            MakeStatic(this, QRect(20, 46, 270, 140), HTML_PLACE_TOP | HTML_PLACE_LEFT, m_strBody);
        m_pAction = new CPictureButton(this);
        m_pAction->SetPicture(picture::TOAST_REPRINT);
        m_pAction->setGeometry(110, 191, 80, 30);
        m_pAction->setEnabled(false);
        // The window does the action's hit test itself: presses on the
        // disabled button must reach it.
        m_pAction->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_pAction->show();
        nHeight = TOAST_HEIGHT_WITH_TITLE;
    } else {
        m_pBody = MakeStatic(this, QRect(15, 15, 270, 50), HTML_PLACE_VMIDDLE | HTML_PLACE_HCENTER,
                             m_strBody);
    }
    m_Desktop = DesktopArea();
    m_Rect = ToastStartRect(m_Desktop, nHeight);
    // Hidden while it has no width; the first step shows it.
    QCoreApplication::postEvent(this, new QEvent(kInitCompleteEvent));
}

void CToastDialog::PostClose()
{
    QCoreApplication::postEvent(this, new QEvent(kCloseEvent));
}

void CToastDialog::customEvent(QEvent* pEvent)
{
    if (pEvent->type() == kInitCompleteEvent) {
        OnInitComplete();
    } else if (pEvent->type() == kCloseEvent) {
        OnCloseToast();
    } else {
        QWidget::customEvent(pEvent);
    }
}

void CToastDialog::OnInitComplete()
{
    m_SlideInTimer.start(TOAST_SLIDE_IN_DELAY_MS);
    if (m_State.InitComplete(m_nAutoCloseSec)) {
        m_AutoCloseTimer.start(m_nAutoCloseSec * 1000);
    }
}

void CToastDialog::OnCloseToast()
{
    if (m_State.CloseRequest() == CToastState::EClose::Now) {
        m_bClosedByClick = false;
        StartSlide(ESlide::Out);
    }
}

void CToastDialog::mousePressEvent(QMouseEvent* pEvent)
{
    pEvent->accept();
    if (pEvent->button() != Qt::LeftButton) {
        return;
    }
    const bool bOnAction = m_pAction == nullptr || m_pAction->isHidden() ||
                           m_pAction->geometry().contains(pEvent->position().toPoint());
    if (m_State.Click(bOnAction) == CToastState::EClose::Now) {
        m_bClosedByClick = true;
        StartSlide(ESlide::Out);
    }
}

void CToastDialog::StartSlide(ESlide eSlide)
{
    m_eSlide = eSlide;
    if (m_bTimedSteps) {
        m_StepTimer.start(TOAST_SLIDE_STEP_MS);
    }
}

bool CToastDialog::SlideStep()
{
    if (m_eSlide == ESlide::None) {
        return false;
    }
    const ESlide eSlide = m_eSlide;
    const bool bLast = ToastSlideStep(m_Rect, m_Desktop, eSlide == ESlide::In);
    try {
        ApplyRect();
    } catch (const std::exception&) {
        m_State.MoveFailed();
        m_StepTimer.stop();
        m_eSlide = ESlide::None;
        return true;
    }
    if (!bLast) {
        return true;
    }
    m_StepTimer.stop();
    m_eSlide = ESlide::None;
    if (eSlide == ESlide::In) {
        if (m_State.SlideInDone()) {
            m_bClosedByClick = false;
            StartSlide(ESlide::Out);
        }
    } else {
        FinishSlideOut();
    }
    return true;
}

void CToastDialog::ApplyRect()
{
    if (m_Rect.Width() <= 0) {
        hide();
        return;
    }
    setGeometry(m_Rect.nLeft, m_Rect.nTop, m_Rect.Width(), m_Rect.Height());
    if (!isVisible()) {
        show();
    }
    update();
}

void CToastDialog::FinishSlideOut()
{
    m_State.Destroyed(m_bClosedByClick);
    m_bFinished = true;
    hide();
    deleteLater();
}

void CToastDialog::closeEvent(QCloseEvent* pEvent)
{
    pEvent->accept();
    if (m_bFinished) {
        return;
    }
    m_bFinished = true;
    m_SlideInTimer.stop();
    m_AutoCloseTimer.stop();
    m_StepTimer.stop();
    m_eSlide = ESlide::None;
    m_State.ClosedFromOutside();
    deleteLater();
}

void CToastDialog::paintEvent(QPaintEvent* /*pEvent*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QPen(Qt::black, kFramePen));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect());
}
