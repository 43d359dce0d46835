// CPlaceholderToast: a QWidget with two labels.
#include "app/qt/placeholder_toast.h"

#include "foundation/simple_log.h"
#include "platform/text_encoding.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

namespace {

constexpr int kWidth = 300;
constexpr int kHeightWithTitle = 241;
constexpr int kHeightWithoutTitle = 80;
constexpr int kBottomGap = 40; // above the bottom of the desktop

// The markup's text, without its tags and entities.
QString PlainText(const std::string& strMarkup)
{
    return QTextDocumentFragment::fromHtml(QString::fromStdString(platform::Cp949ToUtf8(strMarkup)))
        .toPlainText()
        .trimmed();
}

class CToastWidget : public QWidget
{
public:
    CToastWidget()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setWindowTitle(QString::fromLatin1(TOAST_WINDOW_TITLE));
        setObjectName(QStringLiteral("PlaceholderToast"));
        setStyleSheet(QStringLiteral("#PlaceholderToast { background: white; border: 2px solid "
                                     "black; } QLabel { color: black; }"));
        setAttribute(Qt::WA_StyledBackground);
    }

protected:
    void mousePressEvent(QMouseEvent* pEvent) override
    {
        LOG_PRINT(LOG_TRACE, "[%s] Clicked: closed", "CPlaceholderToast::OnClick");
        pEvent->accept();
        close();
    }
    void closeEvent(QCloseEvent* pEvent) override
    {
        LOG_PRINT(LOG_TRACE, "[%s] Toast closed", "CPlaceholderToast::OnClose");
        QWidget::closeEvent(pEvent);
    }
};

QWidget* OpenToast()
{
    const QString strTitle = QString::fromLatin1(TOAST_WINDOW_TITLE);
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (pWidget->windowTitle() == strTitle && pWidget->isVisible()) {
            return pWidget;
        }
    }
    return nullptr;
}

} // namespace

bool CPlaceholderToast::IsToastOpen()
{
    return OpenToast() != nullptr;
}

void CPlaceholderToast::RaiseToast()
{
    if (QWidget* pToast = OpenToast()) {
        pToast->raise();
    }
}

void CPlaceholderToast::ShowToast(const std::string& strTitle, const std::string& strBody,
                                  int32_t nAutoCloseSec)
{
    auto* pToast = new CToastWidget;
    auto* pLayout = new QVBoxLayout(pToast);
    pLayout->setContentsMargins(20, 16, 20, 16);
    const QString strTitleText = PlainText(strTitle);
    if (!strTitleText.isEmpty()) {
        auto* pTitle = new QLabel(strTitleText, pToast);
        QFont font = pTitle->font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.3);
        pTitle->setFont(font);
        pLayout->addWidget(pTitle);
    }
    auto* pBody = new QLabel(PlainText(strBody), pToast);
    pBody->setWordWrap(true);
    pBody->setAlignment(strTitleText.isEmpty() ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    pLayout->addWidget(pBody, 1);

    const int nHeight = strTitleText.isEmpty() ? kHeightWithoutTitle : kHeightWithTitle;
    QRect desktop = QGuiApplication::primaryScreen() != nullptr
                        ? QGuiApplication::primaryScreen()->availableGeometry()
                        : QRect(0, 0, 1024, 768);
    pToast->setGeometry(desktop.right() + 1 - kWidth, desktop.bottom() + 1 - kBottomGap - nHeight,
                        kWidth, nHeight);
    if (nAutoCloseSec > 0) {
        QTimer::singleShot(nAutoCloseSec * 1000, Qt::PreciseTimer, pToast, &QWidget::close);
    }
    LOG_PRINT(LOG_TRACE, "[%s] Toast shown AutoClose [%d]", "CPlaceholderToast::ShowToast",
              static_cast<int>(nAutoCloseSec));
    pToast->show();
}

std::unique_ptr<IToastWindow> MakeToastWindow()
{
    return std::make_unique<CPlaceholderToast>();
}
