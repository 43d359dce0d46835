// CFlatEdit under the offscreen platform: colours and frame as pixels, the
// font, and text without a CP949 form refused at the edit.
#include "ui/controls/flat_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QIntValidator>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QImage Grab(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A key press that carries the text, as a keyboard layout delivers it.
void Type(QWidget& widget, const QString& strText)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, strText);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, strText);
    QApplication::sendEvent(&widget, &release);
}

// Text committed by an input method (how Hangul typing arrives).
void Commit(QWidget& widget, const QString& strText)
{
    QInputMethodEvent event;
    event.setCommitString(strText);
    QApplication::sendEvent(&widget, &event);
}

TEST(FlatEditTest, ColoursFrameAndBoldFont)
{
    CFlatEdit edit;
    EXPECT_EQ(edit.BackgroundColour(), QColor(152, 228, 231));
    edit.SetBackgroundColour(Qt::white);
    edit.m_nFontHeight = 14;
    edit.m_nBold = 1;
    edit.ApplyFont();
    edit.CenterTextVertically();
    edit.resize(120, 30);
    edit.show();
    EXPECT_TRUE(edit.font().bold());
    EXPECT_EQ(edit.font().families().front(), QStringLiteral("NanumGothic"));
    QImage image = Grab(edit);
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(1, 15)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(119, 29)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(2, 2)), QColor(Qt::white));
    EXPECT_EQ(QColor(image.pixel(110, 15)), QColor(Qt::white));

    // The registration look: dark, white text, no frame.
    edit.SetBackgroundColour(QColor(68, 68, 68));
    edit.SetTextColour(Qt::white);
    edit.SetNoFrame(true);
    edit.setText(QStringLiteral("1234"));
    image = Grab(edit);
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(68, 68, 68));
    bool bWhiteText = false;
    for (int x = 0; x < 60 && !bWhiteText; ++x) {
        for (int y = 0; y < 30 && !bWhiteText; ++y) {
            bWhiteText = qGray(image.pixel(x, y)) > 200;
        }
    }
    EXPECT_TRUE(bWhiteText);
}

TEST(FlatEditTest, TextWithoutCp949FormIsRefused)
{
    CFlatEdit edit;
    QSignalSpy refused(&edit, &CFlatEdit::InputRefused);
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    Type(edit, QString::fromUtf16(u"\U0001F600")); // an emoji
    Type(edit, QString::fromUtf16(u"\u4E00"));     // a hanja CP949 has
    Type(edit, QString::fromUtf16(u"\u0E01"));     // Thai: none
    Commit(edit, QString::fromUtf16(u"\uAC00"));
    Commit(edit, QString::fromUtf16(u"\U0001F600"));
    EXPECT_EQ(edit.text(), QString::fromUtf16(u"ab\u4E00\uAC00"));
    EXPECT_GE(refused.count(), 3);
    // Pasting goes through the same check.
    QGuiApplication::clipboard()->setText(QString::fromUtf16(u"x\U0001F355"));
    edit.paste();
    EXPECT_EQ(edit.text(), QString::fromUtf16(u"ab\u4E00\uAC00"));
    std::string strCp949;
    ASSERT_TRUE(edit.TextCp949(strCp949));
    EXPECT_EQ(strCp949, std::string("ab\xEC\xE9\xB0\xA1"));
    // Text set from code is not checked, but never read back with '?'.
    edit.setText(QString::fromUtf16(u"a\U0001F600"));
    strCp949 = "kept";
    EXPECT_FALSE(edit.TextCp949(strCp949));
    EXPECT_EQ(strCp949, "kept");
}

TEST(FlatEditTest, ByteLimitAndInnerValidator)
{
    CFlatEdit edit;
    edit.SetCp949Limit(4);
    edit.show();
    for (char16_t ch : std::u16string_view(u"\uAC00\uB098\uB2E4")) {
        Commit(edit, QString(QChar(ch)));
    }
    EXPECT_EQ(edit.text(), QString::fromUtf16(u"\uAC00\uB098"));
    CFlatEdit port;
    QIntValidator digits(0, 999999);
    port.SetInputValidator(&digits);
    port.show();
    QTest::keyClicks(&port, QStringLiteral("9a1"));
    EXPECT_EQ(port.text(), QStringLiteral("91"));
}

TEST(FlatEditTest, CenteredFormattingRectangle)
{
    EXPECT_EQ(CenteredTextTop(40, 16), 12);
    EXPECT_EQ(CenteredTextTop(40, 16) + 16, 28);
    EXPECT_EQ(CenteredTextTop(25, 14), 5);
}

} // namespace
