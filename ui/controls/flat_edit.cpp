// CFlatEdit: the flat entry field of the dialogs.
#include "ui/controls/flat_edit.h"

#include "foundation/simple_log.h"
#include "ui/common/korean_font.h"

#include <QPainter>

int CenteredTextTop(int nClientHeight, int nRectHeight)
{
    return nClientHeight / 2 - nRectHeight / 2;
}

CFlatEdit::CFlatEdit(QWidget* pParent) : QLineEdit(pParent)
{
    setFrame(false);
    setValidator(&m_Validator);
    connect(&m_Validator, &CCp949Validator::Refused, this, [this](const QString& strInput) {
        SimpleLog().Print(1, "[%s] Input refused: the text has a character without a CP949 form",
                          "CFlatEdit::Validate");
        emit InputRefused(strInput);
    });
    ApplyColours();
    SetNoFrame(false);
    CenterTextVertically();
}

void CFlatEdit::ApplyFont()
{
    QFont font = KoreanFontForLogicalHeight(m_nFontHeight, m_nBold != 0);
    QStringList families = font.families();
    families.append(m_strFaceName);
    font.setFamilies(families);
    font.setItalic(m_bItalic);
    font.setUnderline(m_bUnderline);
    setFont(font);
}

void CFlatEdit::SetTextColour(const QColor& colour)
{
    m_TextColour = colour;
    ApplyColours();
}

void CFlatEdit::SetBackgroundColour(const QColor& colour)
{
    m_BackgroundColour = colour;
    ApplyColours();
}

void CFlatEdit::SetNoFrame(bool bNoFrame)
{
    m_bNoFrame = bNoFrame;
    const int nMargin = bNoFrame ? 0 : FRAME_WIDTH;
    setContentsMargins(nMargin, nMargin, nMargin, nMargin);
    update();
}

void CFlatEdit::CenterTextVertically()
{
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CFlatEdit::ApplyColours()
{
    QPalette palette = this->palette();
    for (QPalette::ColorGroup eGroup : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(eGroup, QPalette::Base, m_BackgroundColour);
        palette.setColor(eGroup, QPalette::Window, m_BackgroundColour);
        palette.setColor(eGroup, QPalette::Text, m_TextColour);
    }
    setPalette(palette);
    update();
}

bool CFlatEdit::TextCp949(std::string& strText) const
{
    return ToCp949Exact(text(), strText);
}

void CFlatEdit::SetTextCp949(const std::string& strText)
{
    setText(FromCp949(strText));
}

void CFlatEdit::paintEvent(QPaintEvent* pEvent)
{
    {
        QPainter painter(this);
        painter.fillRect(rect(), m_BackgroundColour);
    }
    QLineEdit::paintEvent(pEvent);
    if (m_bNoFrame) {
        return;
    }
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const QRect outer = rect();
    const QRect inner = outer.adjusted(FRAME_WIDTH, FRAME_WIDTH, -FRAME_WIDTH, -FRAME_WIDTH);
    painter.drawRect(QRect(outer.left(), outer.top(), outer.width(), FRAME_WIDTH));
    painter.drawRect(QRect(outer.left(), inner.bottom() + 1, outer.width(), FRAME_WIDTH));
    painter.drawRect(QRect(outer.left(), inner.top(), FRAME_WIDTH, inner.height()));
    painter.drawRect(QRect(inner.right() + 1, inner.top(), FRAME_WIDTH, inner.height()));
}
