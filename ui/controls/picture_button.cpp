// CPictureButton: a button that is a picture.
#include "ui/controls/picture_button.h"

#include "ui/common/png_resource.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

QImage GrayPicture(const QImage& picture)
{
    QImage gray = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < gray.height(); ++y) {
        auto* pLine = reinterpret_cast<QRgb*>(gray.scanLine(y));
        for (int x = 0; x < gray.width(); ++x) {
            const QRgb rgb = pLine[x];
            const int nGray =
                std::clamp(static_cast<int>(std::lround(0.3 * qRed(rgb) + 0.59 * qGreen(rgb) +
                                                        0.11 * qBlue(rgb))),
                           0, 255);
            pLine[x] = qRgba(nGray, nGray, nGray, qAlpha(rgb));
        }
    }
    return gray;
}

CPictureButton::CPictureButton(QWidget* pParent) : QAbstractButton(pParent)
{
    // A click never takes the focus from the field being edited; the
    // keyboard can still reach the button with Tab.
    setFocusPolicy(Qt::TabFocus);
}

bool CPictureButton::SetPicture(int nId)
{
    m_nPictureId = nId;
    m_Picture = LoadPngResource(nId);
    m_Normal = QImage();
    m_Pressed = QImage();
    updateGeometry();
    update();
    return !m_Picture.isNull();
}

void CPictureButton::SetAlwaysGray(bool bGray)
{
    m_bAlwaysGray = bGray;
    update();
}

QImage CPictureButton::MakeLook(ELook eLook) const
{
    if (m_Picture.isNull() || width() <= 0 || height() <= 0) {
        return {};
    }
    QImage look(size(), QImage::Format_ARGB32_Premultiplied);
    look.fill(Qt::transparent);
    QPainter painter(&look);
    switch (eLook) {
    case ELook::Normal:
        painter.drawImage(QPoint(0, 0), m_Picture);
        break;
    case ELook::Pressed:
        painter.drawImage(QPoint(1, 1), m_Picture);
        break;
    case ELook::Gray:
        painter.drawImage(QPoint(0, 0), GrayPicture(m_Picture));
        break;
    }
    return look;
}

const QImage& CPictureButton::Look(ELook eLook)
{
    QImage& look = eLook == ELook::Normal ? m_Normal : eLook == ELook::Pressed ? m_Pressed : m_Gray;
    if (look.isNull()) {
        look = MakeLook(eLook);
    }
    return look;
}

CPictureButton::ELook CPictureButton::CurrentLook() const
{
    if (m_bAlwaysGray) {
        return ELook::Gray;
    }
    return isDown() ? ELook::Pressed : ELook::Normal;
}

QSize CPictureButton::sizeHint() const
{
    return m_Picture.isNull() ? QSize(16, 16) : m_Picture.size();
}

void CPictureButton::paintEvent(QPaintEvent* /*pEvent*/)
{
    const QImage& look = Look(CurrentLook());
    if (look.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), look);
}

void CPictureButton::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    mousePressEvent(pEvent);
}

void CPictureButton::mouseMoveEvent(QMouseEvent* pEvent)
{
    pEvent->accept();
}

void CPictureButton::resizeEvent(QResizeEvent* pEvent)
{
    m_Normal = QImage();
    m_Pressed = QImage();
    QAbstractButton::resizeEvent(pEvent);
}
