// zelkor-test-login1: plays logind on a private bus for the suspend and
// resume test. It takes the name org.freedesktop.login1 and sends one
// PrepareForSleep signal, then ends.
//
//   zelkor-test-login1 BUS_ADDRESS true|false
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: zelkor-test-login1 BUS_ADDRESS true|false\n", stderr);
        return 2;
    }
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[1]), "login1");
    if (!bus.isConnected() || !bus.registerService("org.freedesktop.login1")) {
        std::fprintf(stderr, "zelkor-test-login1: %s\n",
                     bus.lastError().message().toLocal8Bit().constData());
        return 1;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
    signal << (std::strcmp(argv[2], "true") == 0);
    if (!bus.send(signal)) {
        return 1;
    }
    // A call answered by the bus after the signal: the signal has been
    // routed when the answer is here.
    bus.interface()->isServiceRegistered("org.freedesktop.login1");
    return 0;
}
