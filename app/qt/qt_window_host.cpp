// CQtWindowHost: QEventLoop, QTimer and QSocketNotifier under the window.
#include "app/qt/qt_window_host.h"

#include "app/window_messages.h"
#include "foundation/wait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <unistd.h>

CQtWindowHost::CQtWindowHost()
    : m_pContext(std::make_unique<QObject>()), m_MainThread(std::this_thread::get_id())
{
    SetMessagePumpHook(&CQtWindowHost::PumpMessages);
}

void CQtWindowHost::PrepareApplication(QCoreApplication& application)
{
    if (auto* pGui = qobject_cast<QGuiApplication*>(&application)) {
        pGui->setQuitOnLastWindowClosed(false);
    }
}

CQtWindowHost::~CQtWindowHost()
{
    Shutdown();
}

void CQtWindowHost::Shutdown()
{
    {
        std::lock_guard lock(m_SendLock);
        if (m_bShutdown) {
            return;
        }
        m_bShutdown = true;
        for (const std::shared_ptr<SPendingSend>& pSend : m_PendingSends) {
            std::lock_guard sendLock(pSend->lock);
            pSend->bFinished = true;
            pSend->done.notify_all();
        }
        m_PendingSends.clear();
    }
    SetMessagePumpHook(nullptr);
    m_fnWindowProc = nullptr;
    for (auto& entry : m_Timers) {
        delete entry.second;
    }
    m_Timers.clear();
    for (auto& entry : m_Notifiers) {
        delete entry.second;
    }
    m_Notifiers.clear();
    m_pContext.reset(); // queued calls not yet run are dropped with it
}

void CQtWindowHost::SetWindowProc(WindowProcFn fnWindowProc)
{
    m_fnWindowProc = std::move(fnWindowProc);
}

intptr_t CQtWindowHost::DeliverToWindow(unsigned nMsg, uintptr_t wParam, intptr_t lParam)
{
    WindowProcFn fnWindowProc = m_fnWindowProc; // the call may replace it
    return fnWindowProc ? fnWindowProc(nMsg, wParam, lParam) : 0;
}

void CQtWindowHost::SetTimer(unsigned nId, unsigned nElapseMs)
{
    if (m_bShutdown) {
        return;
    }
    QTimer*& pTimer = m_Timers[nId];
    if (pTimer == nullptr) {
        pTimer = new QTimer;
        // Never early: a 10 s timer fires after 10 s, not 9.5.
        pTimer->setTimerType(Qt::PreciseTimer);
        QObject::connect(pTimer, &QTimer::timeout,
                         [this, nId] { DeliverToWindow(WM_TIMER, nId, 0); });
    }
    pTimer->start(static_cast<int>(nElapseMs));
}

void CQtWindowHost::KillTimer(unsigned nId)
{
    auto it = m_Timers.find(nId);
    if (it != m_Timers.end()) {
        it->second->stop();
    }
}

bool CQtWindowHost::PostToMainThread(std::function<void()> fn)
{
    std::lock_guard lock(m_SendLock);
    if (m_bShutdown) {
        return false;
    }
    return QMetaObject::invokeMethod(m_pContext.get(), std::move(fn), Qt::QueuedConnection);
}

bool CQtWindowHost::SendToMainThread(std::function<void()> fn)
{
    if (IsMainThread()) {
        fn();
        return true;
    }
    auto pSend = std::make_shared<SPendingSend>();
    {
        std::lock_guard lock(m_SendLock);
        if (m_bShutdown) {
            return false;
        }
        m_PendingSends.insert(pSend);
        QMetaObject::invokeMethod(
            m_pContext.get(),
            [this, pSend, fn = std::move(fn)] {
                {
                    std::lock_guard sendLock(pSend->lock);
                    if (pSend->bFinished) {
                        return; // released by a shutdown meanwhile
                    }
                }
                fn();
                std::lock_guard lock(m_SendLock);
                std::lock_guard sendLock(pSend->lock);
                pSend->bRan = true;
                pSend->bFinished = true;
                pSend->done.notify_all();
                m_PendingSends.erase(pSend);
            },
            Qt::QueuedConnection);
    }
    std::unique_lock sendLock(pSend->lock);
    pSend->done.wait(sendLock, [&] { return pSend->bFinished; });
    return pSend->bRan;
}

bool CQtWindowHost::IsMainThread() const
{
    return std::this_thread::get_id() == m_MainThread;
}

void CQtWindowHost::WatchReadable(int hFd, std::function<void()> fnReadable)
{
    UnwatchReadable(hFd);
    if (m_bShutdown) {
        return;
    }
    auto* pNotifier = new QSocketNotifier(hFd, QSocketNotifier::Read);
    QObject::connect(pNotifier, &QSocketNotifier::activated,
                     [fnReadable = std::move(fnReadable)] { fnReadable(); });
    m_Notifiers[hFd] = pNotifier;
}

void CQtWindowHost::UnwatchReadable(int hFd)
{
    auto it = m_Notifiers.find(hFd);
    if (it == m_Notifiers.end()) {
        return;
    }
    // Perhaps from inside its own signal: disabled now, deleted later.
    it->second->setEnabled(false);
    it->second->deleteLater();
    m_Notifiers.erase(it);
}

int CQtWindowHost::RunLoop()
{
    if (m_bEndRequested) {
        // Ended while the window initialised: a QEventLoop::exit before
        // exec would be forgotten, so the loop is not entered at all.
        return m_nLoopResult;
    }
    QEventLoop loop;
    m_pLoop = &loop;
    loop.exec();
    m_pLoop = nullptr;
    return m_nLoopResult;
}

void CQtWindowHost::EndLoop(int nResult)
{
    m_bEndRequested = true;
    m_nLoopResult = nResult;
    if (m_pLoop != nullptr) {
        m_pLoop->exit(nResult);
    }
}

void CQtWindowHost::ExitProcessNow(int nExitCode)
{
    ::_exit(nExitCode);
}

void CQtWindowHost::PumpMessages(int nMaxWaitMs)
{
    QAbstractEventDispatcher* pDispatcher = QAbstractEventDispatcher::instance();
    if (pDispatcher == nullptr) {
        return;
    }
    if (nMaxWaitMs <= 0) {
        pDispatcher->processEvents(QEventLoop::AllEvents);
        return;
    }
    // Blocks until something happens; the timer bounds the wait.
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.start(nMaxWaitMs);
    pDispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
