// CTeskComboBox: the flat drop-down list of the connection panel. Its
// closed face is white with either a picture (260, 262) or a one-pixel
// black frame and a drawn arrow, and the selected entry's text in the
// list's font; the open list is Qt's, styled flat through a style sheet.
#pragma once

#include <QComboBox>
#include <QImage>

class CTeskComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CTeskComboBox(QWidget* pParent = nullptr);

    // A bold font of the Korean chain at the logical height.
    void SetComboFont(int nHeight);
    // The closed face's picture; a missing one leaves the frame and arrow.
    void SetComboPicture(int nId);
    bool HasComboPicture() const { return !m_Picture.isNull(); }
    // Height of the entries of the open list (30 by default).
    void SetItemHeight(int nHeight);
    int ItemHeight() const { return m_nItemHeight; }

    // The arrow's corners for a face of that size: (w - 10, h/2 - 2),
    // (w - 13, h/2 + 2), (w - 16, h/2 - 2).
    static QPolygonF ArrowPoints(const QSize& size);
    // Where the selected entry's text is drawn: left 6, top 4, right w - 18,
    // bottom h - 4.
    static QRect TextRect(const QSize& size);

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    void ApplyListStyle();

    QImage m_Picture;
    int m_nItemHeight = 30;
};
