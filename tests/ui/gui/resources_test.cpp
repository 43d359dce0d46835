// The Korean font chain, the pictures and the colour-name table, checked
// against what Qt has installed and knows.
#include "res/picture_ids.h"
#include "ui/common/korean_font.h"
#include "ui/common/png_resource.h"
#include "ui/html/html_colour_names.h"

#include <QColor>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRawFont>
#include <gtest/gtest.h>
#include <set>

namespace {

TEST(KoreanFontTest, HangulHasGlyphs)
{
    const QString strFamily = InstalledKoreanFamily();
    ASSERT_FALSE(strFamily.isEmpty())
        << "no font of the chain has Hangul glyphs, texts would show as boxes: install fonts-nanum";
    EXPECT_EQ(strFamily, QStringLiteral("NanumGothic")) << "install fonts-nanum";
    const QFont font = KoreanFont(16, true);
    EXPECT_TRUE(QRawFont::fromFont(font).supportsCharacter(QChar(0xD55C)))
        << "the chain's first font lacks Hangul: install fonts-nanum";
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("NanumGothic"));
}

TEST(KoreanFontTest, LogicalHeights)
{
    // A negative height is the character height, a positive one the cell.
    EXPECT_EQ(KoreanFontForLogicalHeight(-12).pixelSize(), 12);
    for (int nHeight : {13, 14, 34}) {
        const QFontMetricsF metrics(KoreanFontForLogicalHeight(nHeight, true));
        EXPECT_NEAR(metrics.ascent() + metrics.descent(), nHeight, 1.0) << nHeight;
    }
}

TEST(PictureTest, EveryPictureIdHasArt)
{
    std::set<int> ids;
    for (int nId : picture::ALL_IDS) {
        EXPECT_TRUE(ids.insert(nId).second) << "id listed twice: " << nId;
        const QImage image = LoadPngResource(nId);
        EXPECT_FALSE(image.isNull()) << "no picture " << nId;
        EXPECT_GE(image.width(), 16) << nId;
    }
    // The ids the dialogs and the toast name.
    for (int nId : {128, 146, 157, 167, 168, 169, 170, 180, 181, 197, 199, 205,
                    210, 215, 216, 227, 229, 230, 260, 262, 288, 289, 306}) {
        EXPECT_TRUE(ids.count(nId)) << nId;
    }
    EXPECT_TRUE(LoadPngResource(9999).isNull());
    EXPECT_FALSE(ZelkorProgramIcon().isNull());
    EXPECT_EQ(LoadPngResource(picture::SETTING_BACKGROUND).size(), QSize(650, 438));
    EXPECT_EQ(LoadPngResource(picture::SETTING_TAB_PRINTER1_ON).size(), QSize(92, 37));
    EXPECT_EQ(LoadPngResource(picture::TOAST_REPRINT).size(), QSize(80, 30));
}

// Every window of the program, message boxes included, carries icon 128.
TEST(PictureTest, ProgramIconIsEveryWindowsIcon)
{
    InstallProgramIcon();
    const QImage picture =
        LoadPngResource(picture::PROGRAM_ICON).convertToFormat(QImage::Format_ARGB32);
    QMessageBox box;
    const QImage shown =
        box.windowIcon().pixmap(picture.size()).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(shown, picture);
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("zelkor"));
}

TEST(ColourNameTest, CssNamesMatchQColor)
{
    const std::span<const HtmlNamedColour> colours = HtmlCssColours();
    EXPECT_EQ(colours.size(), 140u);
    std::set<std::string> names;
    for (const HtmlNamedColour& entry : colours) {
        EXPECT_TRUE(names.insert(entry.pszName).second) << entry.pszName;
        const QColor qcolour = QColor::fromString(QLatin1String(entry.pszName));
        ASSERT_TRUE(qcolour.isValid()) << entry.pszName << " is no colour name";
        EXPECT_EQ(qcolour.rgb() & 0xFFFFFF, entry.nRgb) << entry.pszName;
    }
    EXPECT_TRUE(std::is_sorted(colours.begin(), colours.end(),
                               [](const HtmlNamedColour& a, const HtmlNamedColour& b) {
                                   return std::string(a.pszName) < b.pszName;
                               }));
}

} // namespace
