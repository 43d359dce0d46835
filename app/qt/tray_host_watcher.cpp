// CTrayHostWatcher.
#include "app/qt/tray_host_watcher.h"

#include "app/window_messages.h"
#include "foundation/simple_log.h"
#include "foundation/window_sink.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QSystemTrayIcon>

CTrayHostWatcher::CTrayHostWatcher()
{
    const char* const pszName = "CTrayHostWatcher::CTrayHostWatcher";
    // Asking once makes the xcb platform track the tray manager.
    QSystemTrayIcon::isSystemTrayAvailable();
    // The native interface is a QObject; its header is private to Qt, so
    // the signal is found by its signature.
    auto* pNative = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
    const int nSignal =
        pNative != nullptr
            ? pNative->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)")
            : -1;
    if (nSignal >= 0) {
        const int nSlot = metaObject()->indexOfSlot("OnTrayHostChanged()");
        QObject::connect(pNative, pNative->metaObject()->method(nSignal), this,
                         metaObject()->method(nSlot));
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        m_pBusWatcher =
            std::make_unique<QDBusServiceWatcher>(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                  bus, QDBusServiceWatcher::WatchForRegistration);
        QObject::connect(m_pBusWatcher.get(), &QDBusServiceWatcher::serviceRegistered, this,
                         &CTrayHostWatcher::OnTrayHostChanged);
    }
    LOG_PRINT(LOG_DEBUG, "[%s] X11 tray [%d] Session bus [%d]", pszName, nSignal >= 0 ? 1 : 0,
              bus.isConnected() ? 1 : 0);
}

CTrayHostWatcher::~CTrayHostWatcher() = default;

void CTrayHostWatcher::OnTrayHostChanged()
{
    const char* const pszName = "CTrayHostWatcher::OnTrayHostChanged";
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        LOG_PRINT(LOG_INFO, "[%s] Tray host gone", pszName);
        return;
    }
    LOG_PRINT(LOG_INFO, "[%s] Tray host appeared: TaskbarCreated", pszName);
    PostMainWindowMessage(WM_TASKBAR_CREATED, 0, 0);
}
