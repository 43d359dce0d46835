// The markup engine's draw sink over a QPainter.
#include "ui/html/qt/qt_html_painter.h"

#include "ui/html/qt/qt_html.h"
#include "ui/html/qt/qt_html_metrics.h"

#include <QPainter>

void CQtHtmlPainter::DrawTextRun(const HtmlTextRun& run)
{
    const QFont font = QtHtmlFont(run.font);
    m_Painter.setFont(font);
    m_Painter.setPen(QtColour(run.crColour));
    // No clipping and no ellipsis: the run was measured in this font.
    m_Painter.drawText(QPointF(run.nX, run.nY + QFontMetricsF(font).ascent()),
                       QtHtmlText(run.strText));
}

void CQtHtmlPainter::DrawLine(int nX1, int nY1, int nX2, int nY2, int nWidth, COLORREF crColour)
{
    // A band of nWidth rows starting at the line's row, as a solid line of
    // that width covers on the raster.
    if (nY1 == nY2) {
        m_Painter.fillRect(
            QRect(std::min(nX1, nX2), nY1 - (nWidth - 1) / 2, std::abs(nX2 - nX1), nWidth),
            QtColour(crColour));
        return;
    }
    m_Painter.setPen(QPen(QtColour(crColour), nWidth, Qt::SolidLine, Qt::FlatCap));
    m_Painter.drawLine(nX1, nY1, nX2, nY2);
}

void CQtHtmlPainter::FillRect(const HtmlRect& rect, COLORREF crColour)
{
    m_Painter.fillRect(QRect(rect.nLeft, rect.nTop, rect.Width(), rect.Height()),
                       QtColour(crColour));
}
