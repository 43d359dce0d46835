// Receipt pictures: lays out decoded lines in printer cells and paints them.
#include "tools/vprinter/receipt_png.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QPen>
#include <QString>
#include <QStringList>
#include <mutex>
#include <vector>

namespace vprinter {
namespace {

// One printed character (or one character of an unknown byte's hex) and
// the cells it takes.
struct SGlyph
{
    QString m_strText;
    int m_nCells = 1; // in single-width cells, double width included
    bool m_bDoubleWidth = false;
    bool m_bDoubleHeight = false;
    bool m_bBold = false;
    bool m_bUnknown = false;
};

struct SRow
{
    EJustify m_eJustify = JUSTIFY_LEFT;
    std::vector<SGlyph> m_vecGlyphs;
    int m_nCells = 0;
    bool m_bDoubleHeight = false;
};

// The Korean monospace font when it is installed (fonts-nanum), else what
// fontconfig finds for its name, else the default monospace face.
QString PrinterFontFamily()
{
    static std::once_flag once;
    static QString strFamily;
    std::call_once(once, [] {
        const char* const kFiles[] = {
            "/usr/share/fonts/truetype/nanum/NanumGothicCoding.ttf",
            "/usr/share/fonts/truetype/nanum/NanumGothicCodingBold.ttf",
        };
        for (const char* pszFile : kFiles) {
            const int nId = QFontDatabase::addApplicationFont(QString::fromUtf8(pszFile));
            const QStringList families = QFontDatabase::applicationFontFamilies(nId);
            if (strFamily.isEmpty() && !families.isEmpty()) {
                strFamily = families.first();
            }
        }
        if (strFamily.isEmpty()) {
            strFamily = QStringLiteral("NanumGothicCoding");
        }
    });
    return strFamily;
}

void AddMarkGlyphs(std::vector<SGlyph>& vecGlyphs, const std::string& strMark)
{
    for (char c : strMark) {
        SGlyph glyph;
        glyph.m_strText = QString(QChar(static_cast<ushort>(static_cast<unsigned char>(c))));
        glyph.m_bUnknown = true;
        vecGlyphs.push_back(glyph);
    }
}

std::string HexMark(const std::string& strBytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string strOut = "<";
    for (size_t n = 0; n < strBytes.size(); ++n) {
        const unsigned char c = static_cast<unsigned char>(strBytes[n]);
        if (n > 0) {
            strOut += ' ';
        }
        strOut += kDigits[c >> 4];
        strOut += kDigits[c & 0x0F];
    }
    return strOut + ">";
}

std::vector<SGlyph> LineGlyphs(const SPrintLine& line)
{
    std::vector<SGlyph> vecGlyphs;
    for (const SSegment& segment : line.m_vecSegments) {
        if (segment.m_eKind == SSegment::KIND_UNKNOWN) {
            AddMarkGlyphs(vecGlyphs, HexMark(segment.m_strBytes));
            continue;
        }
        if (segment.m_eKind == SSegment::KIND_INIT) {
            AddMarkGlyphs(vecGlyphs, "{@}");
            continue;
        }
        const std::string& strBytes = segment.m_strBytes;
        size_t n = 0;
        while (n < strBytes.size()) {
            const bool bPair = static_cast<unsigned char>(strBytes[n]) >= 0x80;
            const size_t nLen = bPair && n + 1 < strBytes.size() ? 2 : 1;
            const std::string strCharacter = strBytes.substr(n, nLen);
            n += nLen;
            std::string strUtf8;
            if (!Utf8FromCp949Char(strCharacter, strUtf8)) {
                AddMarkGlyphs(vecGlyphs, HexMark(strCharacter));
                continue;
            }
            SGlyph glyph;
            glyph.m_strText = QString::fromUtf8(strUtf8.data(), static_cast<int>(strUtf8.size()));
            glyph.m_bDoubleWidth = (segment.m_nMode & kModeDoubleWidth) != 0;
            glyph.m_bDoubleHeight = (segment.m_nMode & kModeDoubleHeight) != 0;
            glyph.m_bBold = (segment.m_nMode & kModeEmphasized) != 0;
            glyph.m_nCells = static_cast<int>(nLen) * (glyph.m_bDoubleWidth ? 2 : 1);
            vecGlyphs.push_back(glyph);
        }
    }
    return vecGlyphs;
}

// A line wider than the paper goes on in the next row, as the printer does.
std::vector<SRow> LayoutRows(const SReceipt& receipt, int nColumns)
{
    std::vector<SRow> vecRows;
    for (const SPrintLine& line : receipt.m_vecLines) {
        SRow row;
        row.m_eJustify = line.m_eJustify;
        for (const SGlyph& glyph : LineGlyphs(line)) {
            if (row.m_nCells + glyph.m_nCells > nColumns && !row.m_vecGlyphs.empty()) {
                vecRows.push_back(row);
                row.m_vecGlyphs.clear();
                row.m_nCells = 0;
                row.m_bDoubleHeight = false;
            }
            row.m_vecGlyphs.push_back(glyph);
            row.m_nCells += glyph.m_nCells;
            row.m_bDoubleHeight = row.m_bDoubleHeight || glyph.m_bDoubleHeight;
        }
        vecRows.push_back(row);
    }
    return vecRows;
}

int RowHeight(const SRow& row)
{
    return kCellHeight * (row.m_bDoubleHeight ? 2 : 1) + kLineGap;
}

void DrawGlyph(QPainter& painter, const SGlyph& glyph, int nX, int nBottom)
{
    const int nBaseCells = glyph.m_nCells / (glyph.m_bDoubleWidth ? 2 : 1);
    const qreal fScaleX = glyph.m_bDoubleWidth ? 2.0 : 1.0;
    const qreal fScaleY = glyph.m_bDoubleHeight ? 2.0 : 1.0;
    QFont font(PrinterFontFamily());
    font.setPixelSize(kCellHeight - 2);
    font.setBold(glyph.m_bBold);
    font.setStyleStrategy(QFont::PreferAntialias);
    painter.save();
    painter.setFont(font);
    painter.setPen(glyph.m_bUnknown ? QColor(200, 0, 0) : QColor(Qt::black));
    painter.translate(nX, nBottom - kCellHeight * fScaleY);
    painter.scale(fScaleX, fScaleY);
    painter.drawText(QRectF(0, 0, nBaseCells * kCellWidth, kCellHeight), Qt::AlignCenter,
                     glyph.m_strText);
    painter.restore();
}

} // namespace

int PaperWidth(int nColumns)
{
    return nColumns * kCellWidth + 2 * kPaperMargin;
}

QImage RenderReceipt(const SReceipt& receipt, int nColumns)
{
    const std::vector<SRow> vecRows = LayoutRows(receipt, nColumns);
    const int nTop = kCellHeight;
    const int nFooter = kCellHeight * 2;
    int nHeight = nTop + nFooter;
    for (const SRow& row : vecRows) {
        nHeight += RowHeight(row);
    }
    QImage image(PaperWidth(nColumns), nHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    int nY = nTop;
    for (const SRow& row : vecRows) {
        const int nFree = nColumns - row.m_nCells;
        int nStartCell = 0;
        if (nFree > 0 && row.m_eJustify == JUSTIFY_CENTRE) {
            nStartCell = nFree / 2;
        } else if (nFree > 0 && row.m_eJustify == JUSTIFY_RIGHT) {
            nStartCell = nFree;
        }
        nY += RowHeight(row);
        int nX = kPaperMargin + nStartCell * kCellWidth;
        for (const SGlyph& glyph : row.m_vecGlyphs) {
            DrawGlyph(painter, glyph, nX, nY - kLineGap);
            nX += glyph.m_nCells * kCellWidth;
        }
    }
    // The foot of the strip shows whether the paper was cut there.
    const int nFootY = nHeight - kCellHeight;
    if (receipt.IsCut()) {
        QPen pen(QColor(120, 120, 120));
        pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.drawLine(0, nFootY, image.width(), nFootY);
    } else {
        painter.fillRect(0, nFootY, image.width(), kCellHeight, QColor(230, 230, 230));
        QFont font(PrinterFontFamily());
        font.setPixelSize(kCellHeight / 2);
        painter.setFont(font);
        painter.setPen(QColor(200, 0, 0));
        painter.drawText(QRect(0, nFootY, image.width(), kCellHeight), Qt::AlignCenter,
                         QStringLiteral("not cut: the data ended here"));
    }
    painter.end();
    return image;
}

bool SaveReceiptPng(const SReceipt& receipt, const std::string& strPath, int nColumns,
                    std::string& strError)
{
    const QImage image = RenderReceipt(receipt, nColumns);
    if (!image.save(QString::fromStdString(strPath), "PNG")) {
        strError = "cannot write " + strPath;
        return false;
    }
    return true;
}

} // namespace vprinter
