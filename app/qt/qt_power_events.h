// Suspend and resume from logind's PrepareForSleep signal on the system
// bus (or on the bus whose address $ZELKOR_POWER_DBUS_ADDRESS names: tests
// run a private one), handed to the main window as the power events
// "suspending" (4) and "resumed automatically" (18).
#pragma once

#include <QDBusConnection>
#include <QDBusError>
#include <QObject>

class CQtWindowHost;

class CQtPowerEvents : public QObject
{
    Q_OBJECT

public:
    explicit CQtPowerEvents(CQtWindowHost& host);
    ~CQtPowerEvents() override;

    // False when no bus could be reached (logged; the program runs on
    // without power events).
    bool IsListening() const { return m_bListening; }

private Q_SLOTS:
    void OnPrepareForSleep(bool bSleeping);

private:
    CQtWindowHost& m_Host;
    QDBusConnection m_Bus;
    bool m_bListening = false;
    bool m_bPrivateBus = false;
};
