// The screenshot tool's shared helpers.
#include "ui/screenshots/screenshots.h"

#include "ui/common/korean_font.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

QImage GrabWidget(QWidget& widget)
{
    widget.show();
    QApplication::processEvents();
    return widget.grab().toImage();
}

QImage ContactSheet(const std::vector<std::pair<QString, QImage>>& vecItems, int nColumns)
{
    constexpr int MARGIN = 12;
    constexpr int CAPTION = 18;
    int nCellWidth = 0;
    const int nRows = (static_cast<int>(vecItems.size()) + nColumns - 1) / nColumns;
    std::vector<int> vecRowTops(nRows + 1, MARGIN);
    for (size_t i = 0; i < vecItems.size(); ++i) {
        const QImage& image = vecItems[i].second;
        nCellWidth = std::max(nCellWidth, image.width());
        const size_t nRow = i / nColumns;
        vecRowTops[nRow + 1] = std::max(vecRowTops[nRow + 1], image.height() + MARGIN + CAPTION);
    }
    for (int nRow = 1; nRow <= nRows; ++nRow) {
        vecRowTops[nRow] += vecRowTops[nRow - 1];
    }
    nCellWidth += MARGIN;
    QImage sheet(MARGIN + nColumns * nCellWidth, vecRowTops[nRows],
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xE4, 0xE7, 0xEB));
    QPainter painter(&sheet);
    painter.setFont(KoreanFont(12));
    for (size_t i = 0; i < vecItems.size(); ++i) {
        const int nX = MARGIN + static_cast<int>(i % nColumns) * nCellWidth;
        const int nY = vecRowTops[i / nColumns];
        painter.drawImage(nX, nY, vecItems[i].second);
        painter.setPen(QColor(0x25, 0x27, 0x25));
        painter.drawText(
            QRect(nX, nY + vecItems[i].second.height() + 2, nCellWidth - MARGIN, CAPTION),
            Qt::AlignLeft | Qt::AlignTop, vecItems[i].first);
    }
    return sheet;
}
