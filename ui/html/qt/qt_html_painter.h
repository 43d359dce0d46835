// The markup engine's draw sink over a QPainter (a widget, an image, the
// static control's buffer): text runs at their top-left corner, lines and
// fills, in the Korean font chain the metrics measured.
#pragma once

#include "ui/html/html_seam.h"

class QPainter;

class CQtHtmlPainter : public IHtmlDrawSink
{
public:
    explicit CQtHtmlPainter(QPainter& painter) : m_Painter(painter) {}

    void DrawTextRun(const HtmlTextRun& run) override;
    void DrawLine(int nX1, int nY1, int nX2, int nY2, int nWidth, COLORREF crColour) override;
    void FillRect(const HtmlRect& rect, COLORREF crColour) override;

private:
    QPainter& m_Painter;
};
