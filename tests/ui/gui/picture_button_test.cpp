// CPictureButton under the offscreen platform: the looks as grabbed pixels,
// clicks of a fast series, the focus, and the parent showing through.
#include "res/picture_ids.h"
#include "ui/common/png_resource.h"
#include "ui/controls/picture_button.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

void SendMouse(QWidget& widget, QEvent::Type eType, const QPoint& pos)
{
    const Qt::MouseButtons buttons =
        eType == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(eType, QPointF(pos), widget.mapToGlobal(QPointF(pos)), Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

class PictureButtonTest : public ::testing::Test
{
protected:
    PictureButtonTest()
    {
        m_Parent.resize(300, 200);
        m_Parent.setAutoFillBackground(true);
        QPalette palette = m_Parent.palette();
        palette.setColor(QPalette::Window, QColor(255, 0, 0));
        m_Parent.setPalette(palette);
        m_pButton = new CPictureButton(&m_Parent);
        EXPECT_TRUE(m_pButton->SetPicture(picture::REGISTER_OK));
        m_pButton->setGeometry(10, 10, 200, 70);
        m_Parent.show();
    }

    QImage Grab() { return m_pButton->grab().toImage().convertToFormat(QImage::Format_ARGB32); }

    QWidget m_Parent;
    CPictureButton* m_pButton;
};

TEST_F(PictureButtonTest, PressedIsNormalShiftedByOnePixel)
{
    const QImage normal = Grab();
    m_pButton->setDown(true);
    const QImage pressed = Grab();
    m_pButton->setDown(false);
    ASSERT_EQ(normal.size(), QSize(200, 70));
    int nDifferent = 0;
    for (int y = 0; y + 1 < normal.height(); ++y) {
        for (int x = 0; x + 1 < normal.width(); ++x) {
            if (pressed.pixel(x + 1, y + 1) != normal.pixel(x, y)) {
                ++nDifferent;
            }
        }
    }
    EXPECT_EQ(nDifferent, 0);
    EXPECT_NE(pressed, normal);
    EXPECT_EQ(Grab(), normal);
}

TEST_F(PictureButtonTest, GrayIsTheChannelFormula)
{
    const QImage picture =
        LoadPngResource(picture::REGISTER_OK).convertToFormat(QImage::Format_ARGB32);
    m_pButton->SetAlwaysGray(true);
    const QImage gray =
        m_pButton->Look(CPictureButton::ELook::Gray).convertToFormat(QImage::Format_ARGB32);
    for (const QPoint& point : {QPoint(20, 35), QPoint(100, 10), QPoint(100, 35)}) {
        const QRgb rgb = picture.pixel(point);
        const QRgb grey = gray.pixel(point);
        const double dExpected = 0.3 * qRed(rgb) + 0.59 * qGreen(rgb) + 0.11 * qBlue(rgb);
        EXPECT_NEAR(qRed(grey), dExpected, 1.0) << point.x() << "," << point.y();
        EXPECT_EQ(qRed(grey), qGreen(grey));
        EXPECT_EQ(qGreen(grey), qBlue(grey));
        EXPECT_EQ(qAlpha(grey), qAlpha(rgb));
    }
    // Pressing an always-grey button shows no change.
    const QImage before = Grab();
    m_pButton->setDown(true);
    EXPECT_EQ(Grab(), before);
}

TEST_F(PictureButtonTest, DoubleClickCountsAsAPress)
{
    QSignalSpy clicks(m_pButton, &QAbstractButton::clicked);
    const QPoint inside(50, 30);
    SendMouse(*m_pButton, QEvent::MouseButtonPress, inside);
    SendMouse(*m_pButton, QEvent::MouseButtonRelease, inside);
    SendMouse(*m_pButton, QEvent::MouseButtonDblClick, inside);
    EXPECT_TRUE(m_pButton->isDown());
    SendMouse(*m_pButton, QEvent::MouseButtonRelease, inside);
    EXPECT_EQ(clicks.count(), 2);
    // Moving away while pressed keeps the press; a release outside clicks not.
    SendMouse(*m_pButton, QEvent::MouseButtonPress, inside);
    QMouseEvent move(QEvent::MouseMove, QPointF(250, 150),
                     m_pButton->mapToGlobal(QPointF(250, 150)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(m_pButton, &move);
    EXPECT_TRUE(m_pButton->isDown());
    SendMouse(*m_pButton, QEvent::MouseButtonRelease, QPoint(250, 150));
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_FALSE(m_pButton->isDown());
}

TEST_F(PictureButtonTest, AClickLeavesTheFocusInTheField)
{
    auto* pEdit = new QLineEdit(&m_Parent);
    pEdit->setGeometry(10, 100, 100, 30);
    pEdit->show();
    pEdit->setFocus();
    ASSERT_EQ(m_Parent.focusWidget(), pEdit);
    // Through the window, as a real click arrives.
    QTest::mouseClick(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(50, 30));
    EXPECT_EQ(m_Parent.focusWidget(), pEdit);
}

TEST_F(PictureButtonTest, TransparentCornersShowTheParent)
{
    const QImage parent = m_Parent.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    // The rounded corner of the picture is transparent: the red parent shows.
    EXPECT_EQ(QColor(parent.pixel(10, 10)), QColor(255, 0, 0));
    EXPECT_NE(QColor(parent.pixel(110, 45)), QColor(255, 0, 0));
}

TEST_F(PictureButtonTest, NewPictureChangesNormalButNotAGrayMadeBefore)
{
    const QImage gray = m_pButton->Look(CPictureButton::ELook::Gray);
    const QImage normal = Grab();
    ASSERT_TRUE(m_pButton->SetPicture(picture::REGISTER_CANCEL));
    EXPECT_NE(Grab(), normal);
    EXPECT_EQ(m_pButton->Look(CPictureButton::ELook::Gray), gray);
    EXPECT_FALSE(m_pButton->SetPicture(9999));
    EXPECT_TRUE(m_pButton->Look(CPictureButton::ELook::Normal).isNull());
}

} // namespace
