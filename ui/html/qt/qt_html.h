// The Qt side of the markup engine: text and colour conversions, the
// system colours from the application palette, link opening, and drawing
// a markup block into an image.
#pragma once

#include "ui/html/html_colour_names.h"
#include "ui/html/html_drawer.h"

#include <QColor>
#include <QImage>
#include <QString>

QString QtHtmlText(std::u32string_view strText);
std::u32string HtmlFromQString(const QString& strText);
QColor QtColour(COLORREF crColour);
COLORREF HtmlColourFromQt(const QColor& colour);

// The system colour names from the application palette (button face and
// shadow, window, text, highlight...); the rest keep their defaults.
HtmlSystemColours QtHtmlSystemColours();

// Opens an address of a link with the desktop's handler, http(s) only;
// anything else is refused with an ERROR log line. True when handed on.
bool OpenHtmlLink(const std::u32string& strTarget);

// The drawer a window showing markup uses: the palette's system colours
// and OpenHtmlLink as its link opener.
class CQtHtmlDrawer : public CHtmlDrawer
{
public:
    CQtHtmlDrawer();
};

// Draws the markup into a new image of the size, on the background colour,
// at (0, 0) wrapped at nWrapWidth (0: no wrapping).
QImage RenderHtmlImage(CHtmlDrawer& drawer, std::u32string_view strMarkup, const QSize& size,
                       int nWrapWidth, const QColor& background);
