// Screenshots of the owner-drawn controls and of every placeholder picture.
#include "res/picture_ids.h"
#include "ui/common/png_resource.h"
#include "ui/controls/flat_edit.h"
#include "ui/controls/picture_button.h"
#include "ui/controls/tesk_combo_box.h"
#include "ui/screenshots/screenshots.h"

#include <QLabel>
#include <QWidget>

namespace {

QImage PictureButtons()
{
    QWidget panel;
    panel.setAutoFillBackground(true);
    panel.setPalette(QPalette(QColor(0xF5, 0xF7, 0xFA)));
    panel.resize(560, 240);
    std::vector<std::pair<QString, QImage>> vecItems;
    const auto Add = [&](const QString& strCaption, int nId, bool bDown, bool bGray) {
        CPictureButton button(&panel);
        button.SetPicture(nId);
        button.resize(button.sizeHint());
        button.SetAlwaysGray(bGray);
        button.setDown(bDown);
        vecItems.emplace_back(strCaption, GrabWidget(button));
    };
    Add(QStringLiteral("normal (431)"), picture::REGISTER_OK, false, false);
    Add(QStringLiteral("pressed (431)"), picture::REGISTER_OK, true, false);
    Add(QStringLiteral("keypad, grey (146)"), 146, false, true);
    Add(QStringLiteral("keypad pressed (146)"), 146, true, true);
    Add(QStringLiteral("on (206)"), picture::PANEL_TYPE_SERIAL_ON, false, false);
    Add(QStringLiteral("off (205)"), picture::PANEL_TYPE_SERIAL_OFF, false, false);
    Add(QStringLiteral("toast (306)"), picture::TOAST_REPRINT, false, false);
    Add(QStringLiteral("close (401)"), picture::SETTING_CLOSE, false, false);
    return ContactSheet(vecItems, 4);
}

QImage FlatEdits()
{
    std::vector<std::pair<QString, QImage>> vecItems;
    {
        CFlatEdit edit;
        edit.SetBackgroundColour(Qt::white);
        edit.m_nFontHeight = 14;
        edit.m_nBold = 1;
        edit.ApplyFont();
        edit.CenterTextVertically();
        edit.setText(QStringLiteral("192.168.0.100"));
        edit.resize(150, 26);
        vecItems.emplace_back(QStringLiteral("settings: white, 14, bold, framed"),
                              GrabWidget(edit));
    }
    {
        CFlatEdit edit;
        edit.SetBackgroundColour(QColor(68, 68, 68));
        edit.SetTextColour(Qt::white);
        edit.m_nFontHeight = 34;
        edit.m_nBold = 1;
        edit.SetNoFrame(true);
        edit.ApplyFont();
        edit.CenterTextVertically();
        edit.setText(QString::fromUtf16(u"1234567890 가게"));
        edit.resize(380, 56);
        vecItems.emplace_back(QStringLiteral("registration: dark, 34, bold, no frame"),
                              GrabWidget(edit));
    }
    {
        CFlatEdit edit;
        edit.setText(QStringLiteral("default colours"));
        edit.resize(150, 26);
        vecItems.emplace_back(QStringLiteral("defaults"), GrabWidget(edit));
    }
    return ContactSheet(vecItems, 1);
}

QImage ComboBoxes()
{
    std::vector<std::pair<QString, QImage>> vecItems;
    const auto Add = [&](const QString& strCaption, int nPicture, int nFont, const QString& strText,
                         int nWidth) {
        CTeskComboBox combo;
        if (nPicture != 0) {
            combo.SetComboPicture(nPicture);
        }
        if (nFont != 0) {
            combo.SetComboFont(nFont);
        }
        combo.SetItemHeight(25);
        combo.addItem(strText);
        combo.resize(nWidth, 25);
        vecItems.emplace_back(strCaption, GrabWidget(combo));
    };
    Add(QStringLiteral("port list (260, 13)"), picture::PANEL_COMBO_PORT, 13,
        QStringLiteral("COM3"), 130);
    Add(QStringLiteral("baud list (262, 14)"), picture::PANEL_COMBO, 14, QStringLiteral("115200"),
        150);
    Add(QStringLiteral("no picture, no font"), 0, 0, QString::fromUtf16(u"4칸"), 150);
    return ContactSheet(vecItems, 3);
}

QImage AllPictures()
{
    std::vector<std::pair<QString, QImage>> vecItems;
    for (int nId : picture::ALL_IDS) {
        QImage image = LoadPngResource(nId);
        if (image.width() > 260) {
            image = image.scaledToWidth(260, Qt::SmoothTransformation);
        }
        vecItems.emplace_back(QString::number(nId), image);
    }
    return ContactSheet(vecItems, 5);
}

} // namespace

void AddControlScreenshots(ScreenshotList& list)
{
    list.push_back({QStringLiteral("controls-picture-buttons"), PictureButtons});
    list.push_back({QStringLiteral("controls-flat-edits"), FlatEdits});
    list.push_back({QStringLiteral("controls-combo-boxes"), ComboBoxes});
    list.push_back({QStringLiteral("pictures"), AllPictures});
}
