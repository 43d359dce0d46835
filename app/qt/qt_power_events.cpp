// CQtPowerEvents: a match on org.freedesktop.login1.Manager.PrepareForSleep.
#include "app/qt/qt_power_events.h"

#include "app/qt/qt_window_host.h"
#include "app/window_messages.h"
#include "foundation/simple_log.h"

#include <cstdlib>

namespace {

const char* const kBusName = "zelkor-power-events";

QDBusConnection PowerBus(bool& bPrivate)
{
    const char* pszAddress = std::getenv("ZELKOR_POWER_DBUS_ADDRESS");
    bPrivate = pszAddress != nullptr && pszAddress[0] != '\0';
    if (bPrivate) {
        return QDBusConnection::connectToBus(QString::fromLocal8Bit(pszAddress), kBusName);
    }
    return QDBusConnection::systemBus();
}

} // namespace

CQtPowerEvents::CQtPowerEvents(CQtWindowHost& host) : m_Host(host), m_Bus(PowerBus(m_bPrivateBus))
{
    const char* const pszName = "CQtPowerEvents::CQtPowerEvents";
    if (!m_Bus.isConnected()) {
        LOG_PRINT(LOG_WARN, "[%s] No system bus (%s): suspend and resume are not seen", pszName,
                  m_Bus.lastError().message().toUtf8().constData());
        return;
    }
    // Only logind's own signal counts: the sender must own its name.
    m_bListening = m_Bus.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                                 "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                                 SLOT(OnPrepareForSleep(bool)));
    if (!m_bListening) {
        LOG_PRINT(LOG_WARN, "[%s] PrepareForSleep not subscribed (%s)", pszName,
                  m_Bus.lastError().message().toUtf8().constData());
    }
}

CQtPowerEvents::~CQtPowerEvents()
{
    if (m_bPrivateBus) {
        QDBusConnection::disconnectFromBus(kBusName);
    }
}

void CQtPowerEvents::OnPrepareForSleep(bool bSleeping)
{
    LOG_PRINT(LOG_TRACE, "[%s] PrepareForSleep [%d]", "CQtPowerEvents::OnPrepareForSleep",
              bSleeping ? 1 : 0);
    m_Host.DeliverToWindow(WM_POWERBROADCAST, bSleeping ? PBT_APMSUSPEND : PBT_APMRESUMEAUTOMATIC,
                           0);
}
