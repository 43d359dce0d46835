// CTeskComboBox: the flat drop-down list.
#include "ui/controls/tesk_combo_box.h"

#include "ui/common/korean_font.h"
#include "ui/common/png_resource.h"

#include <QListView>
#include <QPainter>
#include <QPainterPath>

CTeskComboBox::CTeskComboBox(QWidget* pParent) : QComboBox(pParent)
{
    // A list view takes the entries' heights from the style sheet.
    setView(new QListView(this));
    ApplyListStyle();
}

void CTeskComboBox::SetComboFont(int nHeight)
{
    setFont(KoreanFontForLogicalHeight(nHeight, true));
    update();
}

void CTeskComboBox::SetComboPicture(int nId)
{
    m_Picture = LoadPngResource(nId);
    update();
}

void CTeskComboBox::SetItemHeight(int nHeight)
{
    m_nItemHeight = nHeight;
    ApplyListStyle();
}

void CTeskComboBox::ApplyListStyle()
{
    // A selected entry: highlight background, text in the inverse of the
    // window text colour; others the window colours; 3 pixels of indent.
    const QPalette palette = this->palette();
    const QColor text = palette.color(QPalette::Text);
    const QColor inverse(255 - text.red(), 255 - text.green(), 255 - text.blue());
    view()->setStyleSheet(
        QStringLiteral("QListView { background: %1; color: %2; border: 1px solid black;"
                       " outline: 0; }"
                       "QListView::item { min-height: %3px; padding-left: 3px; }"
                       "QListView::item:selected { background: %4; color: %5; }"
                       "QListView::item:disabled { color: %6; }")
            .arg(palette.color(QPalette::Base).name(), text.name())
            .arg(m_nItemHeight)
            .arg(palette.color(QPalette::Highlight).name(), inverse.name(),
                 palette.color(QPalette::Disabled, QPalette::Text).name()));
    // Entries in a scrolling list below the face, not the platform's menu.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
}

QPolygonF CTeskComboBox::ArrowPoints(const QSize& size)
{
    const int w = size.width();
    const int nMiddle = size.height() / 2;
    return QPolygonF(
        {QPointF(w - 10, nMiddle - 2), QPointF(w - 13, nMiddle + 2), QPointF(w - 16, nMiddle - 2)});
}

QRect CTeskComboBox::TextRect(const QSize& size)
{
    return QRect(6, 4, size.width() - 24, size.height() - 8);
}

void CTeskComboBox::paintEvent(QPaintEvent* /*pEvent*/)
{
    QPainter painter(this);
    const QRect face = rect();
    painter.fillRect(face, Qt::white);
    if (!m_Picture.isNull()) {
        painter.drawImage(QPoint(0, 0), m_Picture);
    } else {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(face.adjusted(0, 0, -1, -1));
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath arrow;
        arrow.addPolygon(ArrowPoints(face.size()));
        arrow.closeSubpath();
        painter.setPen(QPen(QColor(0x25, 0x27, 0x25), 2.0));
        painter.setBrush(Qt::black);
        painter.drawPath(arrow);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(TextRect(face.size()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     currentText());
}
