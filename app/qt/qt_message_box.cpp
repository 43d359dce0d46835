// CQtMessageBoxPresenter: QMessageBox, modal on the main thread, opened
// from there for other threads.
#include "app/qt/qt_message_box.h"

#include "platform/text_encoding.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QObject>

namespace {

QString FromCp949(const std::string& strText)
{
    return QString::fromStdString(platform::Cp949ToUtf8(strText));
}

} // namespace

CQtMessageBoxPresenter::CQtMessageBoxPresenter()
    : m_MainThread(std::this_thread::get_id()), m_pContext(std::make_unique<QObject>())
{
}

CQtMessageBoxPresenter::~CQtMessageBoxPresenter()
{
    Shutdown();
}

void CQtMessageBoxPresenter::Shutdown()
{
    std::lock_guard lock(m_Lock);
    m_bShutdown = true;
    for (const std::shared_ptr<SPending>& pPending : m_Pending) {
        std::lock_guard pendingLock(pPending->lock);
        pPending->bFinished = true;
        pPending->done.notify_all();
    }
    m_Pending.clear();
    m_pContext.reset();
}

QMessageBox* CQtMessageBoxPresenter::CreateBox(const SMessageBox& box)
{
    auto* pBox = new QMessageBox;
    pBox->setWindowTitle(FromCp949(box.strCaption));
    pBox->setText(FromCp949(MessageBoxLines(box.strText)));
    switch (box.nType & MB_ICON_MASK) {
    case MB_ICONERROR:
        pBox->setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        pBox->setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        pBox->setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        pBox->setIcon(QMessageBox::Information);
        break;
    default:
        pBox->setIcon(QMessageBox::NoIcon);
        break;
    }
    switch (box.nType & MB_BUTTON_MASK) {
    case MB_YESNO:
        pBox->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        pBox->setDefaultButton(QMessageBox::Yes);
        break;
    case MB_OKCANCEL:
        pBox->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        pBox->setDefaultButton(QMessageBox::Ok);
        break;
    default:
        pBox->setStandardButtons(QMessageBox::Ok);
        break;
    }
    if ((box.nType & MB_TOPMOST) != 0) {
        pBox->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    return pBox;
}

int CQtMessageBoxPresenter::Answer(QMessageBox& box)
{
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        // Closed without a button (the window's close): as Escape would.
        return (box.standardButtons() & QMessageBox::No)       ? IDNO
               : (box.standardButtons() & QMessageBox::Cancel) ? IDCANCEL
                                                               : IDOK;
    }
}

int CQtMessageBoxPresenter::Present(const SMessageBox& box)
{
    if (std::this_thread::get_id() == m_MainThread) {
        {
            std::lock_guard lock(m_Lock);
            if (m_bShutdown) {
                return 0;
            }
        }
        std::unique_ptr<QMessageBox> pBox(CreateBox(box));
        pBox->exec(); // modal: the main thread's own loop runs meanwhile
        return Answer(*pBox);
    }
    auto pPending = std::make_shared<SPending>();
    {
        std::lock_guard lock(m_Lock);
        if (m_bShutdown) {
            return 0;
        }
        m_Pending.insert(pPending);
        QMetaObject::invokeMethod(
            m_pContext.get(),
            [this, box, pPending] {
                QMessageBox* pBox = CreateBox(box);
                pBox->setAttribute(Qt::WA_DeleteOnClose);
                // Touches only the shared record: the box may outlive this
                // presenter.
                QObject::connect(pBox, &QMessageBox::finished, [pBox, pPending](int) {
                    int nAnswer = Answer(*pBox);
                    std::lock_guard pendingLock(pPending->lock);
                    pPending->nAnswer = nAnswer;
                    pPending->bFinished = true;
                    pPending->done.notify_all();
                });
                pBox->open(); // window-modal at most: the main thread goes on
            },
            Qt::QueuedConnection);
    }
    int nAnswer = 0;
    {
        std::unique_lock pendingLock(pPending->lock);
        pPending->done.wait(pendingLock, [&] { return pPending->bFinished; });
        nAnswer = pPending->nAnswer;
    }
    // The caller holds this presenter for the call, so it is still here.
    std::lock_guard lock(m_Lock);
    m_Pending.erase(pPending);
    return nAnswer;
}
