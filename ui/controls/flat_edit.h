// CFlatEdit: the flat entry field of the dialogs: its own background and
// text colours, a bold font of the Korean chain at a logical height, a
// two-pixel dark frame unless told not to, the text centred vertically.
// It refuses typed or pasted text that has no CP949 form.
//
// Owners set the members, then call ApplyFont (and CenterTextVertically):
//   settings dialog, connection panel: white, height 14, bold, framed;
//   registration dialog: RGB(68, 68, 68), white text, height 34, bold,
//   no frame.
#pragma once

#include "ui/common/cp949_input.h"

#include <QColor>
#include <QLineEdit>
#include <string>

class CFlatEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CFlatEdit(QWidget* pParent = nullptr);

    // The font members; ApplyFont makes the font from them.
    int m_nFontHeight = 200; // a logical height: > 0 cell, < 0 character height
    bool m_bItalic = false;
    int m_nBold = 0; // non-zero: bold
    bool m_bUnderline = false;
    QString m_strFaceName = QStringLiteral("Verdana"); // after the Korean chain
    bool m_bNoFrame = false;

    void ApplyFont();
    void SetTextColour(const QColor& colour);
    void SetBackgroundColour(const QColor& colour);
    QColor TextColour() const { return m_TextColour; }
    QColor BackgroundColour() const { return m_BackgroundColour; }
    void SetNoFrame(bool bNoFrame);
    // Qt lays the text out in the middle of the field already; this keeps
    // it so (left-aligned, vertically centred).
    void CenterTextVertically();

    // A further check after the CP949 one (digits only for a port, for
    // example); not owned. Use this instead of setValidator.
    void SetInputValidator(const QValidator* pInner) { m_Validator.SetInner(pInner); }
    // Most CP949 bytes the text may take (a Hangul syllable is two); 0: none.
    void SetCp949Limit(int nBytes) { m_Validator.SetByteLimit(nBytes); }

    // The text in CP949; false (strText unchanged) when text set from code
    // holds a character without a CP949 form.
    bool TextCp949(std::string& strText) const;
    void SetTextCp949(const std::string& strText);

    // The frame's width in pixels when drawn.
    static constexpr int FRAME_WIDTH = 2;

signals:
    // Typed or pasted text was refused: it has no CP949 form.
    void InputRefused(const QString& strInput);

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    void ApplyColours();

    QColor m_TextColour = Qt::black;
    QColor m_BackgroundColour = QColor(152, 228, 231);
    CCp949Validator m_Validator;
};

// The vertical position of an edit's formatting rectangle: (client height
// / 2) - (rectangle height / 2), each half truncated; 40 and 16 give 12.
int CenteredTextTop(int nClientHeight, int nRectHeight);
