// The Korean-capable font chain of the user interface.
#include "ui/common/korean_font.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QRawFont>
#include <cmath>

namespace {

// The first syllable of the Hangul block; a family without it shows boxes.
constexpr char32_t HANGUL_GA = 0xAC00;

} // namespace

const QStringList& KoreanFontFamilies()
{
    static const QStringList s_families = {
        QStringLiteral("NanumGothic"),      QStringLiteral("NanumBarunGothic"),
        QStringLiteral("Noto Sans CJK KR"), QStringLiteral("UnDotum"),
        QStringLiteral("Baekmuk Gulim"),    QStringLiteral("sans-serif"),
    };
    return s_families;
}

QString InstalledKoreanFamily()
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& strFamily : KoreanFontFamilies()) {
        if (!installed.contains(strFamily)) {
            continue;
        }
        QFont font(strFamily);
        font.setPixelSize(16);
        if (QRawFont::fromFont(font).supportsCharacter(HANGUL_GA)) {
            return strFamily;
        }
    }
    return {};
}

QFont KoreanFont(int nPixelSize, bool bBold)
{
    QFont font;
    font.setFamilies(KoreanFontFamilies());
    font.setPixelSize(std::max(nPixelSize, 1));
    font.setBold(bBold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont KoreanFontForLogicalHeight(int nHeight, bool bBold)
{
    if (nHeight <= 0) {
        return KoreanFont(nHeight == 0 ? 12 : -nHeight, bBold);
    }
    // Scale the em so that the line height (ascent + descent) is the cell.
    static const double s_dCellPerEm = [] {
        const QFontMetricsF metrics(KoreanFont(100));
        const double dCell = metrics.ascent() + metrics.descent();
        return dCell > 0 ? dCell / 100.0 : 1.0;
    }();
    return KoreanFont(static_cast<int>(std::lround(nHeight / s_dCellPerEm)), bBold);
}
