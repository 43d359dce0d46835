// Tells the main window when a tray host appears, so that the one tray
// icon creation runs again ("TaskbarCreated"): on X11 when a tray manager
// takes the tray selection (the signal of Qt's xcb platform), on the
// session bus when a StatusNotifierWatcher registers (desktops whose tray
// speaks D-Bus, such as GNOME with the AppIndicator extension).
#pragma once

#include <QObject>
#include <memory>

class QDBusServiceWatcher;

class CTrayHostWatcher : public QObject
{
    Q_OBJECT

public:
    CTrayHostWatcher();
    ~CTrayHostWatcher() override;

private slots:
    void OnTrayHostChanged();

private:
    std::unique_ptr<QDBusServiceWatcher> m_pBusWatcher;
};
