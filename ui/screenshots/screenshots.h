// The screenshot tool's registry: each area of the user interface adds its
// pictures with one function (controls, markup, and later the dialogs and
// the toast), listed in main.cpp. A picture is a named render function.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

struct SScreenshot
{
    QString strName; // file name without ".png"
    std::function<QImage()> pfnRender;
};

using ScreenshotList = std::vector<SScreenshot>;

// The widget shown offscreen and grabbed as it paints itself.
QImage GrabWidget(QWidget& widget);
// The pictures side by side on a light sheet with a caption under each.
QImage ContactSheet(const std::vector<std::pair<QString, QImage>>& vecItems, int nColumns);

void AddControlScreenshots(ScreenshotList& list);
void AddMarkupScreenshots(ScreenshotList& list);
void AddToastScreenshots(ScreenshotList& list);
void AddDialogScreenshots(ScreenshotList& list);
