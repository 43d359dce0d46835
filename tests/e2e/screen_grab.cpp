// zelkor-test-screen-grab: saves a rectangle of the X display's screen (as
// shown, every window on it) as a PNG, for the desktop tests' screenshots.
//
//   zelkor-test-screen-grab OUT.png X Y WIDTH HEIGHT
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fputs("usage: zelkor-test-screen-grab OUT.png X Y WIDTH HEIGHT\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication application(argc, argv);
    QScreen* pScreen = QGuiApplication::primaryScreen();
    if (pScreen == nullptr) {
        std::fputs("zelkor-test-screen-grab: no screen\n", stderr);
        return 1;
    }
    QPixmap picture = pScreen->grabWindow(0, std::atoi(argv[2]), std::atoi(argv[3]),
                                          std::atoi(argv[4]), std::atoi(argv[5]));
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "zelkor-test-screen-grab: %s not written\n", argv[1]);
        return 1;
    }
    return 0;
}
