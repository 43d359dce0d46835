// The program's pictures (res/picture_ids.h) from the Qt resource file,
// and the program icon. Replaces the PNG resource loading of the Windows
// build: Qt reads the PNG, keeps its own copy and owns the pixels.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// ":/png/<id>.png".
QString PngResourcePath(int nId);
// The picture, or a null image when there is no picture of that id.
QImage LoadPngResource(int nId);
// Icon 128: the program's window icon and the tray icon.
QIcon ZelkorProgramIcon();
// Makes icon 128 the icon of every window of the program (the message
// boxes' title bars, the task bar, the window switcher) and names the
// desktop entry that carries the same icon ("zelkor"). Needs the
// application object.
void InstallProgramIcon();
