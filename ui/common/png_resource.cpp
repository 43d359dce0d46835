// The program's pictures from the Qt resource file.
#include "ui/common/png_resource.h"

#include "res/picture_ids.h"

#include <QGuiApplication>

// The resource file is compiled into a static library; this makes sure its
// data is linked and registered before the first picture is read.
static void RegisterPictures()
{
    static const bool s_bDone = [] {
        Q_INIT_RESOURCE(zelkor);
        return true;
    }();
    (void)s_bDone;
}

QString PngResourcePath(int nId)
{
    return QStringLiteral(":/png/%1.png").arg(nId);
}

QImage LoadPngResource(int nId)
{
    RegisterPictures();
    return QImage(PngResourcePath(nId), "PNG");
}

QIcon ZelkorProgramIcon()
{
    RegisterPictures();
    return QIcon(PngResourcePath(picture::PROGRAM_ICON));
}

void InstallProgramIcon()
{
    QGuiApplication::setWindowIcon(ZelkorProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("zelkor"));
}
