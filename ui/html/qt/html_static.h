// CHtmlStatic: a static-text control whose text is markup of the markup
// engine. It owns the background, where the text block sits in the control,
// the disabled look, the hot link with its hand cursor and link clicks;
// the engine reads, lays out and draws the markup. Painting is
// double-buffered and the background is made once and cached.
#pragma once

#include "ui/html/qt/qt_html.h"
#include "ui/html/qt/qt_html_metrics.h"

#include <QImage>
#include <QWidget>
#include <string>

// The static-control styles that decide alignment and wrapping.
enum : int
{
    SS_LEFT = 0x0,
    SS_CENTER = 0x1,
    SS_RIGHT = 0x2,
    SS_LEFTNOWORDWRAP = 0xC,
    SS_CENTERIMAGE = 0x200,
};

// Placement flags: bits 0-1 horizontal, bits 2-3 vertical; 0 on an axis
// takes the static style.
enum : int
{
    HTML_PLACE_LEFT = 1,
    HTML_PLACE_RIGHT = 2,
    HTML_PLACE_HCENTER = 3,
    HTML_PLACE_TOP = 4,
    HTML_PLACE_BOTTOM = 8,
    HTML_PLACE_VMIDDLE = 12,
};

class CHtmlStatic : public QWidget
{
    Q_OBJECT
public:
    explicit CHtmlStatic(QWidget* pParent = nullptr);

    // The markup (the control's window text).
    void SetMarkup(std::u32string strMarkup);
    void SetMarkupCp949(const std::string& strCp949);
    const std::u32string& Markup() const { return m_strMarkup; }

    void SetTextPlacement(int nFlags);
    int TextPlacement() const { return m_nPlacement; }
    void SetStaticStyle(int nStyle);
    int StaticStyle() const { return m_nStaticStyle; }
    void SetMargins(int nX, int nY);
    // 1: what lies under the control shows through; any other value: the
    // background effect fill with the three colours.
    void SetBackgroundStyle(int nStyle);
    void SetBackgroundEffect(int nEffect, int nParam1 = 5, int nParam2 = 5);
    void SetBackgroundColors(COLORREF crFirst, COLORREF crMiddle, COLORREF crEnd);
    // The colour the markup starts in; HTML_NO_DEFAULT_COLOUR: none.
    void SetDefaultTextColour(COLORREF crColour);
    static constexpr COLORREF HTML_NO_DEFAULT_COLOUR = 0xFFFFFFFF;

    // Where the text block was drawn at the last paint.
    const HtmlRect& TextRect() const { return m_TextRect; }
    // The body rule written from the control's font.
    const std::u32string& BodyRule() const { return m_strBodyRule; }
    CHtmlDrawer& Drawer() { return m_Drawer; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;
    // A press on a link follows it; any other press goes on to the parent.
    void mousePressEvent(QMouseEvent* pEvent) override;

private:
    void UpdateBodyRule();
    void DropBackground();
    void Repaint();
    void SetHandCursor(bool bHand);

    CQtHtmlDrawer m_Drawer;
    CQtHtmlMetrics m_Metrics;
    std::u32string m_strMarkup;
    std::u32string m_strBodyRule;
    int m_nPlacement = 0;
    int m_nStaticStyle = SS_LEFT;
    int m_nMarginX = 0;
    int m_nMarginY = 0;
    int m_nBackgroundStyle = 1;
    int m_nBackgroundEffect = 0;
    int m_nEffectParam1 = 5;
    int m_nEffectParam2 = 5;
    COLORREF m_crBackground[3];
    COLORREF m_crDefaultText;
    QImage m_Background;
    HtmlRect m_TextRect;
    bool m_bHand = false;
};
