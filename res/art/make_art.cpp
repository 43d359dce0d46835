// Placeholder art of the program: draws every picture of res/picture_ids.h
// as a labelled rounded shape in one palette and writes res/png/<id>.png
// and res/zelkor.qrc. A designer's pictures replace these files one for
// one; run scripts/make-art after changing this table.
//
//   zelkor-make-art RES_DIR
#include "res/picture_ids.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <cstdio>
#include <vector>

namespace {

// The palette: brand blue, ink, greys, the dark of the registration fields.
const QColor BLUE(0x2F, 0x76, 0xDE);
const QColor BLUE_DARK(0x1F, 0x5B, 0xB5);
const QColor INK(0x25, 0x27, 0x25);
const QColor GREY_TEXT(0x6B, 0x74, 0x80);
const QColor GREY_LINE(0x9A, 0xA3, 0xAE);
const QColor GREY_FILL(0xE8, 0xEC, 0xF2);
const QColor PAPER(0xF5, 0xF7, 0xFA);
const QColor FIELD_DARK(0x44, 0x44, 0x44);
const QColor WHITE(0xFF, 0xFF, 0xFF);

enum class EKind
{
    Primary, // blue, white label: actions and keypad keys
    On,      // a selected state: blue, white label
    Off,     // an unselected state: white, grey frame and label
    TabOn,   // tabs: rounded top corners only
    TabOff,
    Combo,      // closed face of a list: frame and arrow, no text
    Close,      // an X in a circle
    Background, // a window: paper, blue title band
    Fields,     // registration labels with two dark field slots
    Icon,
};

struct SArt
{
    int nId;
    int nWidth;
    int nHeight;
    EKind eKind;
    const char16_t* pszLabel;
    const char16_t* pszLabel2 = u"";
    const char16_t* pszNote = u"";
};

const std::vector<SArt>& ArtTable()
{
    using namespace picture;
    static const std::vector<SArt> s_vecArt = {
        {PROGRAM_ICON, 256, 256, EKind::Icon, u"미"},
        {SETTING_BACKGROUND, 650, 438, EKind::Background, u"미르벨 프린터 설정"},
        {SETTING_TAB_PRINTER1_OFF, 92, 37, EKind::TabOff, u"프린터1"},
        {SETTING_TAB_PRINTER1_ON, 92, 37, EKind::TabOn, u"프린터1"},
        {SETTING_TAB_PRINTER2_OFF, 92, 37, EKind::TabOff, u"프린터2"},
        {SETTING_TAB_PRINTER2_ON, 92, 37, EKind::TabOn, u"프린터2"},
        {SETTING_PAGE_BASIC_ON, 130, 40, EKind::TabOn, u"기본설정"},
        {SETTING_PAGE_BASIC_OFF, 130, 40, EKind::TabOff, u"기본설정"},
        {SETTING_PAGE_OWNER_ON, 130, 40, EKind::TabOn, u"사장님설정"},
        {SETTING_PAGE_OWNER_OFF, 130, 40, EKind::TabOff, u"사장님설정"},
        {SETTING_CLOSE, 32, 32, EKind::Close, u""},
        {SETTING_SAVE, 120, 40, EKind::Primary, u"저장"},
        {SETTING_TEST_PRINT, 140, 40, EKind::Off, u"프린트 테스트"},
        {SETTING_COUNT_MINUS, 32, 32, EKind::Off, u"−"},
        {SETTING_COUNT_PLUS, 32, 32, EKind::Off, u"+"},
        {SETTING_SIZE_SMALL_ON, 56, 30, EKind::On, u"작게"},
        {SETTING_SIZE_SMALL_OFF, 56, 30, EKind::Off, u"작게"},
        {SETTING_SIZE_NORMAL_ON, 56, 30, EKind::On, u"기본"},
        {SETTING_SIZE_NORMAL_OFF, 56, 30, EKind::Off, u"기본"},
        {SETTING_SIZE_LARGE_ON, 56, 30, EKind::On, u"크게"},
        {SETTING_SIZE_LARGE_OFF, 56, 30, EKind::Off, u"크게"},
        {SETTING_PRINT_ON, 80, 30, EKind::On, u"출력"},
        {SETTING_PRINT_OFF, 80, 30, EKind::Off, u"출력"},
        {SETTING_NO_PRINT_ON, 80, 30, EKind::On, u"출력안함"},
        {SETTING_NO_PRINT_OFF, 80, 30, EKind::Off, u"출력안함"},
        {PANEL_TYPE_SERIAL_OFF, 90, 32, EKind::Off, u"시리얼"},
        {PANEL_TYPE_SERIAL_ON, 90, 32, EKind::On, u"시리얼"},
        {PANEL_TYPE_USB_OFF, 90, 32, EKind::Off, u"USB"},
        {PANEL_TYPE_USB_ON, 90, 32, EKind::On, u"USB"},
        {PANEL_TYPE_NETWORK_OFF, 90, 32, EKind::Off, u"네트워크"},
        {PANEL_TYPE_NETWORK_ON, 90, 32, EKind::On, u"네트워크"},
        {PANEL_USE_OFF, 80, 32, EKind::Off, u"사용"},
        {PANEL_USE_ON, 80, 32, EKind::On, u"사용"},
        {PANEL_NOT_USED_OFF, 80, 32, EKind::Off, u"사용안함"},
        {PANEL_NOT_USED_ON, 80, 32, EKind::On, u"사용안함"},
        {PANEL_COMBO_PORT, 130, 25, EKind::Combo, u""},
        {PANEL_COMBO, 150, 25, EKind::Combo, u""},
        {PANEL_SERIAL_SEARCH, 100, 30, EKind::Off, u"시리얼 조회"},
        {PANEL_USB_SEARCH, 100, 30, EKind::Off, u"USB 조회"},
        {146, 110, 70, EKind::Primary, u"1"},
        {147, 110, 70, EKind::Primary, u"2"},
        {148, 110, 70, EKind::Primary, u"3"},
        {149, 110, 70, EKind::Primary, u"4"},
        {150, 110, 70, EKind::Primary, u"5"},
        {151, 110, 70, EKind::Primary, u"6"},
        {152, 110, 70, EKind::Primary, u"7"},
        {153, 110, 70, EKind::Primary, u"8"},
        {154, 110, 70, EKind::Primary, u"9"},
        {REGISTER_KEY_0, 110, 70, EKind::Primary, u"0"},
        {REGISTER_KEY_CLEAR, 110, 70, EKind::Primary, u"전체지움"},
        {REGISTER_KEY_BACKSPACE, 110, 70, EKind::Primary, u"←"},
        {REGISTER_FIELDS_BUSINESS, 560, 200, EKind::Fields, u"사업자번호", u"매장아이디"},
        {REGISTER_FIELDS_MANAGER, 560, 200, EKind::Fields, u"상점아이디", u"비밀번호",
         u"파트너 사이트의 아이디와 "
         u"비밀번호를 입력해주세요."},
        {REGISTER_BACKGROUND, 1024, 768, EKind::Background, u"미르벨 매장 등록"},
        {REGISTER_OK, 200, 70, EKind::Primary, u"확인"},
        {REGISTER_CANCEL, 200, 70, EKind::Off, u"취소"},
        {REGISTER_MODE_BUSINESS_ON, 200, 60, EKind::TabOn, u"사업자번호"},
        {REGISTER_MODE_BUSINESS_OFF, 200, 60, EKind::TabOff, u"사업자번호"},
        {REGISTER_MODE_MANAGER_ON, 200, 60, EKind::TabOn, u"상점관리자"},
        {REGISTER_MODE_MANAGER_OFF, 200, 60, EKind::TabOff, u"상점관리자"},
        {REGISTER_FIND_ID, 160, 44, EKind::Off, u"아이디찾기"},
        {REGISTER_FIND_PASSWORD, 160, 44, EKind::Off, u"비밀번호찾기"},
        {REGISTER_UNINSTALL, 120, 40, EKind::Off, u"Uninstall"},
        {TOAST_REPRINT, 80, 30, EKind::Primary, u"재출력"},
    };
    return s_vecArt;
}

QFont LabelFont(int nPixelSize, bool bBold)
{
    QFont font;
    font.setFamilies({QStringLiteral("NanumGothic"), QStringLiteral("NanumBarunGothic"),
                      QStringLiteral("sans-serif")});
    font.setPixelSize(nPixelSize);
    font.setBold(bBold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// The largest label size (at most nMax) whose text fits the width.
QFont FittingFont(const QString& strText, int nMax, int nWidth, bool bBold)
{
    for (int nSize = nMax; nSize > 8; --nSize) {
        const QFont font = LabelFont(nSize, bBold);
        if (QFontMetrics(font).horizontalAdvance(strText) <= nWidth) {
            return font;
        }
    }
    return LabelFont(8, bBold);
}

void Label(QPainter& painter, const QRectF& rect, const QString& strText, const QColor& colour,
           int nMaxSize, bool bBold = true)
{
    painter.setFont(FittingFont(strText, nMaxSize, static_cast<int>(rect.width()) - 8, bBold));
    painter.setPen(colour);
    painter.drawText(rect, Qt::AlignCenter, strText);
}

QPainterPath RoundedBox(const QRectF& rect, qreal dRadius, bool bTopOnly)
{
    QPainterPath path;
    if (!bTopOnly) {
        path.addRoundedRect(rect, dRadius, dRadius);
        return path;
    }
    path.moveTo(rect.bottomLeft());
    path.lineTo(rect.left(), rect.top() + dRadius);
    path.quadTo(rect.topLeft(), QPointF(rect.left() + dRadius, rect.top()));
    path.lineTo(rect.right() - dRadius, rect.top());
    path.quadTo(rect.topRight(), QPointF(rect.right(), rect.top() + dRadius));
    path.lineTo(rect.bottomRight());
    path.closeSubpath();
    return path;
}

QImage Draw(const SArt& art)
{
    QImage image(art.nWidth, art.nHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box(0.5, 0.5, art.nWidth - 1.0, art.nHeight - 1.0);
    const QString strLabel = QString::fromUtf16(art.pszLabel);
    const int nLabelSize = std::min(art.nHeight * 45 / 100, 28);
    const qreal dRadius = std::min(6.0, art.nHeight / 4.0);
    switch (art.eKind) {
    case EKind::Primary:
    case EKind::On:
    case EKind::Off:
    case EKind::TabOn:
    case EKind::TabOff: {
        // A filled shape with its label: blue for actions and selected
        // states, white or grey with a grey frame for unselected ones.
        const bool bBlue =
            art.eKind == EKind::Primary || art.eKind == EKind::On || art.eKind == EKind::TabOn;
        const bool bTab = art.eKind == EKind::TabOn || art.eKind == EKind::TabOff;
        painter.setPen(QPen(bBlue ? BLUE_DARK : GREY_LINE, 1));
        painter.setBrush(bBlue ? BLUE : bTab ? GREY_FILL : WHITE);
        painter.drawPath(RoundedBox(box, dRadius, bTab));
        Label(painter, box, strLabel, bBlue ? WHITE : GREY_TEXT, nLabelSize);
        break;
    }
    case EKind::Combo: {
        painter.setPen(QPen(GREY_LINE, 1));
        painter.setBrush(WHITE);
        painter.drawRect(box);
        const qreal dMiddle = art.nHeight / 2.0;
        const QPointF arrow[] = {{art.nWidth - 16.0, dMiddle - 2.5},
                                 {art.nWidth - 8.0, dMiddle - 2.5},
                                 {art.nWidth - 12.0, dMiddle + 2.5}};
        painter.setPen(Qt::NoPen);
        painter.setBrush(INK);
        painter.drawPolygon(arrow, 3);
        painter.setPen(QPen(GREY_LINE, 1));
        painter.drawLine(QPointF(art.nWidth - 22.5, 4),
                         QPointF(art.nWidth - 22.5, art.nHeight - 4));
        break;
    }
    case EKind::Close: {
        painter.setPen(Qt::NoPen);
        painter.setBrush(BLUE_DARK);
        painter.drawEllipse(box);
        painter.setPen(QPen(WHITE, 2.5, Qt::SolidLine, Qt::RoundCap));
        const qreal d = art.nWidth * 0.32;
        painter.drawLine(QPointF(d, d), QPointF(art.nWidth - d, art.nHeight - d));
        painter.drawLine(QPointF(art.nWidth - d, d), QPointF(d, art.nHeight - d));
        break;
    }
    case EKind::Background: {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillRect(image.rect(), PAPER);
        const int nBand = art.nHeight >= 700 ? 90 : 60;
        painter.fillRect(QRect(0, 0, art.nWidth, nBand), BLUE);
        painter.setPen(QPen(GREY_LINE, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(0, 0, art.nWidth - 1, art.nHeight - 1));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setFont(LabelFont(nBand * 2 / 5, true));
        painter.setPen(WHITE);
        painter.drawText(QRect(24, 0, art.nWidth - 48, nBand), Qt::AlignVCenter | Qt::AlignLeft,
                         strLabel);
        break;
    }
    case EKind::Fields: {
        painter.setPen(QPen(GREY_LINE, 1));
        painter.setBrush(WHITE);
        painter.drawPath(RoundedBox(box, 10, false));
        const QString strLabels[] = {strLabel, QString::fromUtf16(art.pszLabel2)};
        for (int i = 0; i < 2; ++i) {
            const qreal dTop = 24 + i * 76;
            painter.setFont(LabelFont(22, true));
            painter.setPen(INK);
            painter.drawText(QRectF(20, dTop, 130, 56), Qt::AlignVCenter | Qt::AlignLeft,
                             strLabels[i]);
            painter.setPen(Qt::NoPen);
            painter.setBrush(FIELD_DARK);
            painter.drawRoundedRect(QRectF(160, dTop, 380, 56), 6, 6);
        }
        const QString strNote = QString::fromUtf16(art.pszNote);
        if (!strNote.isEmpty()) {
            painter.setFont(LabelFont(14, false));
            painter.setPen(GREY_TEXT);
            painter.drawText(QRectF(20, 172, 520, 22), Qt::AlignVCenter | Qt::AlignLeft, strNote);
        }
        break;
    }
    case EKind::Icon: {
        painter.setPen(Qt::NoPen);
        painter.setBrush(BLUE);
        painter.drawRoundedRect(QRectF(8, 8, art.nWidth - 16, art.nHeight - 16), 48, 48);
        painter.setFont(LabelFont(art.nHeight * 11 / 20, true));
        painter.setPen(WHITE);
        painter.drawText(image.rect(), Qt::AlignCenter, strLabel);
        break;
    }
    }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelkor-make-art RES_DIR\n");
        return 2;
    }
    if (!QFontDatabase::families().contains(QStringLiteral("NanumGothic"))) {
        std::fprintf(stderr, "zelkor-make-art: NanumGothic is missing (install fonts-nanum)\n");
        return 1;
    }
    const QDir resDir(QString::fromLocal8Bit(argv[1]));
    resDir.mkpath(QStringLiteral("png"));
    QFile qrc(resDir.filePath(QStringLiteral("zelkor.qrc")));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "zelkor-make-art: cannot write %s\n", qPrintable(qrc.fileName()));
        return 1;
    }
    QTextStream qrcText(&qrc);
    qrcText << "<!-- Pictures of the program by id; written by scripts/make-art. -->\n"
               "<RCC>\n  <qresource prefix=\"/\">\n";
    for (const SArt& art : ArtTable()) {
        const QString strName = QStringLiteral("png/%1.png").arg(art.nId);
        if (!Draw(art).save(resDir.filePath(strName), "PNG")) {
            std::fprintf(stderr, "zelkor-make-art: cannot write %s\n", qPrintable(strName));
            return 1;
        }
        qrcText << "    <file>" << strName << "</file>\n";
    }
    qrcText << "  </qresource>\n</RCC>\n";
    std::printf("zelkor-make-art: %zu pictures in %s\n", ArtTable().size(),
                qPrintable(resDir.filePath(QStringLiteral("png"))));
    return 0;
}
