// CHtmlStatic: painting, placement, the body rule and links.
#include "ui/html/qt/html_static.h"

#include "ui/html/html_text.h"
#include "ui/html/qt/qt_html_painter.h"

#include <QEvent>
#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstdio>

namespace {

// The colour rules of the links: blue, underlined while hot.
constexpr COLORREF kLinkColour = 0xFF0000;

std::u32string Ascii(const char* pszText)
{
    return HtmlFromUtf8(pszText);
}

// The markup in the default text colour, as a number the engine reads back.
std::u32string ColourWrapped(const std::u32string& strMarkup, COLORREF crColour)
{
    char szOpen[40];
    std::snprintf(szOpen, sizeof(szOpen), "<font color=0x%06X>", static_cast<unsigned>(crColour));
    return Ascii(szOpen) + strMarkup + U"</font>";
}

} // namespace

CHtmlStatic::CHtmlStatic(QWidget* pParent) : QWidget(pParent)
{
    const HtmlSystemColours system = QtHtmlSystemColours();
    const COLORREF crFace = system.Get(HtmlSysColour::ButtonFace);
    m_crBackground[0] = m_crBackground[1] = m_crBackground[2] = crFace;
    m_crDefaultText = system.Get(HtmlSysColour::WindowText);
    setMouseTracking(true);
    char szRule[64];
    std::snprintf(szRule, sizeof(szRule), "color:0x%06X; text-decoration:none", kLinkColour);
    m_Drawer.SetStyleRule(U"a:link", Ascii(szRule));
    std::snprintf(szRule, sizeof(szRule), "color:0x%06X; text-decoration:underline", kLinkColour);
    m_Drawer.SetStyleRule(U"a:hover", Ascii(szRule));
    m_Drawer.SetRedrawHandler([this] { update(); });
    m_Drawer.SetEnabled(isEnabled());
    UpdateBodyRule();
}

void CHtmlStatic::SetMarkup(std::u32string strMarkup)
{
    m_strMarkup = std::move(strMarkup);
    DropBackground();
    Repaint();
}

void CHtmlStatic::SetMarkupCp949(const std::string& strCp949)
{
    SetMarkup(HtmlFromCp949(strCp949));
}

void CHtmlStatic::SetTextPlacement(int nFlags)
{
    m_nPlacement = nFlags;
    Repaint();
}

void CHtmlStatic::SetStaticStyle(int nStyle)
{
    m_nStaticStyle = nStyle;
    Repaint();
}

void CHtmlStatic::SetMargins(int nX, int nY)
{
    m_nMarginX = nX;
    m_nMarginY = nY;
    Repaint();
}

void CHtmlStatic::SetBackgroundStyle(int nStyle)
{
    m_nBackgroundStyle = nStyle;
    DropBackground();
    Repaint();
}

void CHtmlStatic::SetBackgroundEffect(int nEffect, int nParam1, int nParam2)
{
    m_nBackgroundEffect = nEffect;
    m_nEffectParam1 = nParam1;
    m_nEffectParam2 = nParam2;
    DropBackground();
    Repaint();
}

void CHtmlStatic::SetBackgroundColors(COLORREF crFirst, COLORREF crMiddle, COLORREF crEnd)
{
    m_crBackground[0] = crFirst;
    m_crBackground[1] = crMiddle;
    m_crBackground[2] = crEnd;
    DropBackground();
    Repaint();
}

void CHtmlStatic::SetDefaultTextColour(COLORREF crColour)
{
    m_crDefaultText = crColour;
    Repaint();
}

// "font-size" carries the font's logical height: negative for a character
// height, which the engine reads without its sign.
void CHtmlStatic::UpdateBodyRule()
{
    const QFont& current = font();
    int nHeight = current.pixelSize();
    if (nHeight > 0) {
        nHeight = -nHeight;
    } else {
        nHeight = -static_cast<int>(std::lround(current.pointSizeF() * logicalDpiY() / 72.0));
    }
    const COLORREF crText = QtHtmlSystemColours().Get(HtmlSysColour::WindowText);
    char szRule[96];
    std::snprintf(szRule, sizeof(szRule), "font-size:%dpx; color:0x%06X; font-family:", nHeight,
                  static_cast<unsigned>(crText));
    std::u32string strRule = Ascii(szRule) + HtmlFromQString(QFontInfo(current).family());
    std::snprintf(szRule, sizeof(szRule), "; font-weight:%d", static_cast<int>(current.weight()));
    strRule += Ascii(szRule);
    if (current.italic()) {
        strRule += U"; font-style:italic";
    }
    m_strBodyRule = strRule;
    m_Drawer.SetStyleRule(U"body", m_strBodyRule);
}

void CHtmlStatic::DropBackground()
{
    m_Background = QImage();
}

void CHtmlStatic::Repaint()
{
    update();
}

void CHtmlStatic::paintEvent(QPaintEvent* /*pEvent*/)
{
    const int nWidth = width();
    const int nHeight = height();
    if (nWidth <= 0 || nHeight <= 0) {
        return;
    }
    // Style 1 leaves the buffer clear, so the parent beneath shows through
    // (Qt composes the control over it).
    if (m_Background.isNull() || m_Background.size() != size()) {
        m_Background = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        m_Background.fill(Qt::transparent);
        if (m_nBackgroundStyle != 1) {
            QPainter painter(&m_Background);
            CQtHtmlPainter sink(painter);
            m_Drawer.DrawManager().FillEffect(sink, m_nBackgroundEffect, {0, 0, nWidth, nHeight},
                                              m_crBackground[0], m_crBackground[1],
                                              m_crBackground[2], m_nEffectParam1, m_nEffectParam2);
        }
    }

    const std::u32string strMarkup = m_crDefaultText == HTML_NO_DEFAULT_COLOUR
                                         ? m_strMarkup
                                         : ColourWrapped(m_strMarkup, m_crDefaultText);
    const int nFullWidth = nWidth - 2 * m_nMarginX - 1;
    const bool bWrap = (m_nStaticStyle & 0x0C) == 0;
    m_Drawer.SetWrapWidth(bWrap ? nFullWidth : 0);
    HtmlSize block = m_Drawer.MeasureHtml(m_Metrics, strMarkup);
    if (!bWrap || (m_nStaticStyle & 0x1) == 0) {
        block.nWidth = std::max(block.nWidth, nFullWidth);
    }
    block.nWidth = std::min(block.nWidth, nWidth);
    block.nHeight = std::min(block.nHeight, nHeight);

    int nHorz = m_nPlacement & 0x3;
    if (nHorz == 0) {
        const int nAlign = m_nStaticStyle & 0x3;
        nHorz = nAlign == SS_CENTER  ? HTML_PLACE_HCENTER
                : nAlign == SS_RIGHT ? HTML_PLACE_RIGHT
                                     : HTML_PLACE_LEFT;
    }
    int nVert = m_nPlacement & 0xC;
    if (nVert == 0) {
        nVert = (m_nStaticStyle & SS_CENTERIMAGE) != 0 ? HTML_PLACE_VMIDDLE : HTML_PLACE_TOP;
    }
    int nX = m_nMarginX;
    if (nHorz == HTML_PLACE_RIGHT) {
        nX = nWidth - m_nMarginX - block.nWidth;
    } else if (nHorz == HTML_PLACE_HCENTER) {
        nX = (nWidth - block.nWidth) / 2;
    }
    int nY = m_nMarginY;
    if (nVert == HTML_PLACE_BOTTOM) {
        nY = nHeight - m_nMarginY - block.nHeight;
    } else if (nVert == HTML_PLACE_VMIDDLE) {
        nY = (nHeight - block.nHeight) / 2;
    }
    m_TextRect = {nX, nY, nX + block.nWidth, nY + block.nHeight};

    QImage buffer = m_Background;
    {
        QPainter painter(&buffer);
        painter.setRenderHint(QPainter::TextAntialiasing);
        CQtHtmlPainter sink(painter);
        if (!m_strMarkup.empty()) {
            if (isEnabled()) {
                m_Drawer.DrawHtml(m_Metrics, sink, strMarkup, m_TextRect);
            } else {
                // Engraved: the highlight one pixel down-right, the shadow on top.
                const HtmlSystemColours system = QtHtmlSystemColours();
                const HtmlRect moved = {m_TextRect.nLeft + 1, m_TextRect.nTop + 1,
                                        m_TextRect.nRight + 1, m_TextRect.nBottom + 1};
                m_Drawer.SetPassColour(system.Get(HtmlSysColour::ButtonHighlight));
                m_Drawer.DrawHtml(m_Metrics, sink, strMarkup, moved);
                m_Drawer.SetPassColour(system.Get(HtmlSysColour::ButtonShadow));
                m_Drawer.DrawHtml(m_Metrics, sink, strMarkup, m_TextRect);
            }
        }
    }
    QPainter(this).drawImage(0, 0, buffer);
}

void CHtmlStatic::resizeEvent(QResizeEvent* pEvent)
{
    if (m_nBackgroundStyle != 1) {
        DropBackground();
    }
    QWidget::resizeEvent(pEvent);
    Repaint();
}

void CHtmlStatic::changeEvent(QEvent* pEvent)
{
    if (pEvent->type() == QEvent::FontChange) {
        UpdateBodyRule();
        Repaint();
    } else if (pEvent->type() == QEvent::EnabledChange) {
        m_Drawer.SetEnabled(isEnabled());
        Repaint();
    }
    QWidget::changeEvent(pEvent);
}

void CHtmlStatic::SetHandCursor(bool bHand)
{
    if (bHand == m_bHand) {
        return;
    }
    m_bHand = bHand;
    if (bHand) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
}

void CHtmlStatic::mouseMoveEvent(QMouseEvent* pEvent)
{
    const QPoint at = pEvent->position().toPoint();
    SetHandCursor(m_Drawer.UpdateHotLink(at.x(), at.y()));
    QWidget::mouseMoveEvent(pEvent);
}

void CHtmlStatic::leaveEvent(QEvent* pEvent)
{
    m_Drawer.UpdateHotLink(-1, -1);
    SetHandCursor(false);
    QWidget::leaveEvent(pEvent);
}

void CHtmlStatic::mousePressEvent(QMouseEvent* pEvent)
{
    const QPoint at = pEvent->position().toPoint();
    if (pEvent->button() == Qt::LeftButton && m_TextRect.Contains(at.x(), at.y()) &&
        m_Drawer.ClickAt(at.x(), at.y()) != HtmlClick::None) {
        pEvent->accept();
        return;
    }
    // Not ours: Qt hands an ignored press on to the parent.
    pEvent->ignore();
}
