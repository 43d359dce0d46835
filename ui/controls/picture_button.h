// CPictureButton: a button that is a picture of the program's resources
// (res/picture_ids.h). It shows the picture as it is (normal), moved one
// pixel right and down while pressed, or in grey tones when always-grey
// (the registration keypad). Transparent parts show the parent beneath:
// Qt composes the button with its parent and double-buffers the painting.
#pragma once

#include <QAbstractButton>
#include <QImage>

class CPictureButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit CPictureButton(QWidget* pParent = nullptr);

    // Replaces the picture; false when there is no picture of the id (the
    // button then draws nothing). The normal and pressed looks follow at
    // the next painting; a grey look already made keeps the old picture.
    bool SetPicture(int nId);
    int PictureId() const { return m_nPictureId; }

    // Always show the grey look, pressed or not.
    void SetAlwaysGray(bool bGray);
    bool IsAlwaysGray() const { return m_bAlwaysGray; }

    enum class ELook
    {
        Normal,
        Pressed,
        Gray
    };
    // The look drawn for the state, made on first use (empty without a
    // picture).
    const QImage& Look(ELook eLook);
    ELook CurrentLook() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    // A double-click is one more press, so every click of a fast series
    // counts.
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    // Moving the mouse while pressed changes nothing: the press ends at
    // the release, which clicks when it is inside the button.
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    QImage MakeLook(ELook eLook) const;

    QImage m_Picture;
    int m_nPictureId = 0;
    QImage m_Normal;
    QImage m_Pressed;
    QImage m_Gray;
    bool m_bAlwaysGray = false;
};

// The grey tone of a picture: red, green and blue each become
// 0.3 R + 0.59 G + 0.11 B, alpha unchanged.
QImage GrayPicture(const QImage& picture);
