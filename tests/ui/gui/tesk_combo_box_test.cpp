// CTeskComboBox under the offscreen platform: the closed face's frame,
// interior and arrow pixels, and the face picture.
#include "res/picture_ids.h"
#include "ui/common/png_resource.h"
#include "ui/controls/tesk_combo_box.h"

#include <QListView>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage Grab(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(TeskComboBoxTest, FaceWithoutPictureHasFrameInteriorAndArrow)
{
    CTeskComboBox combo;
    combo.addItems({QStringLiteral("COM3"), QStringLiteral("LPT1")});
    combo.resize(120, 25);
    combo.show();
    const QImage image = Grab(combo);
    const int w = 120;
    const int nMiddle = 25 / 2;
    for (const QPoint& frame : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, 24), QPoint(w - 1, 24),
                                QPoint(60, 0), QPoint(60, 24)}) {
        EXPECT_EQ(QColor(image.pixel(frame)), QColor(Qt::black)) << frame.x() << "," << frame.y();
    }
    for (const QPoint& interior :
         {QPoint(2, 2), QPoint(3, 20), QPoint(w - 3, 3), QPoint(w - 5, nMiddle),
          QPoint(w - 20, nMiddle), QPoint(w - 13, nMiddle + 6)}) {
        EXPECT_EQ(QColor(image.pixel(interior)), QColor(Qt::white))
            << interior.x() << "," << interior.y();
    }
    // Inside the triangle (w-10, h/2-2), (w-13, h/2+2), (w-16, h/2-2).
    for (const QPoint& arrow : {QPoint(w - 13, nMiddle - 1), QPoint(w - 13, nMiddle),
                                QPoint(w - 11, nMiddle - 2), QPoint(w - 15, nMiddle - 2)}) {
        EXPECT_LT(qGray(image.pixel(arrow)), 80) << arrow.x() << "," << arrow.y();
    }
    // The selected entry's text is drawn dark inside its rectangle.
    int nDark = 0;
    const QRect text = CTeskComboBox::TextRect(combo.size());
    EXPECT_EQ(text, QRect(6, 4, 96, 17));
    for (int y = text.top(); y <= text.bottom(); ++y) {
        for (int x = text.left(); x <= text.right(); ++x) {
            nDark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(nDark, 10);
}

TEST(TeskComboBoxTest, FacePictureAndFont)
{
    CTeskComboBox combo;
    combo.SetComboPicture(picture::PANEL_COMBO);
    combo.SetComboFont(14);
    combo.SetItemHeight(25);
    EXPECT_TRUE(combo.HasComboPicture());
    EXPECT_TRUE(combo.font().bold());
    combo.resize(150, 25);
    combo.show();
    const QImage image = Grab(combo);
    // The face picture over the white field.
    QImage face(150, 25, QImage::Format_RGB32);
    face.fill(Qt::white);
    QPainter(&face).drawImage(0, 0, LoadPngResource(picture::PANEL_COMBO));
    EXPECT_EQ(image.pixel(0, 0), face.pixel(0, 0));
    EXPECT_EQ(image.pixel(140, 12), face.pixel(140, 12));
    EXPECT_EQ(combo.ItemHeight(), 25);
    EXPECT_TRUE(qobject_cast<QListView*>(combo.view()) != nullptr);
    EXPECT_TRUE(combo.view()->styleSheet().contains(QStringLiteral("min-height: 25px")));

    CTeskComboBox missing;
    missing.SetComboPicture(9999);
    EXPECT_FALSE(missing.HasComboPicture());
}

} // namespace
