// zelkor-screenshots OUT_DIR [NAME...]: renders the user interface's
// pictures offscreen into OUT_DIR/<name>.png (all, or the names given).
// scripts/screenshots runs it into build/screenshots. A new area adds its
// own Add...Screenshots function and one line below.
#include "ui/screenshots/screenshots.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: zelkor-screenshots OUT_DIR [NAME...]\n");
        return 2;
    }
    ScreenshotList list;
    AddControlScreenshots(list);
    AddMarkupScreenshots(list);
    AddToastScreenshots(list);
    AddDialogScreenshots(list);

    const QDir outDir(QString::fromLocal8Bit(argv[1]));
    outDir.mkpath(QStringLiteral("."));
    QStringList names;
    for (int i = 2; i < argc; ++i) {
        names.append(QString::fromLocal8Bit(argv[i]));
    }
    int nFailed = 0;
    for (const SScreenshot& shot : list) {
        if (!names.isEmpty() && !names.contains(shot.strName)) {
            continue;
        }
        const QString strPath = outDir.filePath(shot.strName + QStringLiteral(".png"));
        const QImage image = shot.pfnRender();
        if (image.isNull() || !image.save(strPath, "PNG")) {
            std::fprintf(stderr, "zelkor-screenshots: %s failed\n", qPrintable(shot.strName));
            ++nFailed;
            continue;
        }
        std::printf("%s\n", qPrintable(strPath));
    }
    return nFailed == 0 ? 0 : 1;
}
