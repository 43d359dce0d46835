// Screenshots of the dialogs: the registration dialog in both modes, the
// settings dialog on its owner page and on the basic page for each port
// type, over a temporary program folder with a sample Config.ini.
#include "platform/text_encoding.h"
#include "ui/controls/flat_edit.h"
#include "ui/controls/picture_button.h"
#include "ui/dialogs/dlg_print_setting.h"
#include "ui/dialogs/dlg_print_setting_sub.h"
#include "ui/dialogs/dlg_register_pos.h"
#include "ui/screenshots/screenshots.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace {

// The sample shop: printer 1 serial on COM3 (a dosdevices link), printer
// 2 on the network; a spooler printer name for the USB page.
const char16_t* const kConfig = u"[POS]\r\nNobizer=2208162517\r\nStoreId=ST1\r\n"
                                u"[PRINTER]\r\nPrinter1Use=1\r\nPrinter1Rcp=1\r\nPrinter1Port=3\r\n"
                                u"Printer1Portname=COM3\r\nPrinter1BaudRate=19200\r\n"
                                u"Printer1LineFeed=4\r\nPrinter2Name=카운터\r\nPrinter2Rcp=1\r\n"
                                u"Printer2LanPrintUse=1\r\nPrinter2LanPrintIP=192.168.0.30\r\n"
                                u"Printer2LanPrintPort=9100\r\nPrinter2LineFeed=3\r\n"
                                u"PrintCnt=2\r\nDeliveryPrintCnt=1\r\nPickupPaymentPrintCnt=0\r\n"
                                u"DeliveryPaymentPrintCnt=1\r\nMenunameSize=0\r\n";

// The folder lives as long as the tool; ZELKOR_HOME points at it.
QTemporaryDir& ProgramFolder()
{
    static QTemporaryDir dir;
    static bool bReady = false;
    if (!bReady) {
        bReady = true;
        qputenv("ZELKOR_HOME", dir.path().toLocal8Bit());
        QDir(dir.path()).mkpath(QStringLiteral("dosdevices"));
        QFile::link(QStringLiteral("/dev/null"), dir.filePath(QStringLiteral("dosdevices/com3")));
        QFile config(dir.filePath(QStringLiteral("Config.ini")));
        if (config.open(QIODevice::WriteOnly)) {
            const std::string strCp949 =
                platform::Utf8ToCp949(QString::fromUtf16(kConfig).toStdString());
            config.write(strCp949.data(), static_cast<qint64>(strCp949.size()));
        }
    }
    return dir;
}

QImage Register(bool bAdmin)
{
    ProgramFolder();
    CDlgRegisterPos dlg("2208162517", "ST1", 0x2A);
    if (bAdmin) {
        dlg.Button(CDlgRegisterPos::IDC_MODE_ADMIN)->click();
        dlg.Edit(CDlgRegisterPos::IDC_EDIT_FIRST)->setText(QStringLiteral("chef"));
        dlg.Edit(CDlgRegisterPos::IDC_EDIT_SECOND)->setText(QStringLiteral("secret"));
    }
    return GrabWidget(dlg);
}

// nPrinter 0/1 on the basic page (nPortType forces that type on the
// screen), or the owner page with nPrinter -1.
QImage Settings(int nPrinter, int nPortType)
{
    QTemporaryDir& dir = ProgramFolder();
    static CPrinterSetting setting;
    setting.SetConfigFilePath(dir.filePath(QStringLiteral("Config.ini")).toLocal8Bit().constData());
    CDlgPrintSetting dlg(setting);
    dlg.LoadPrinterInfo(0, true);
    dlg.ShowDialog();
    if (nPrinter >= 0) {
        dlg.Click(CDlgPrintSetting::IDC_PAGE_BASIC);
        dlg.Click(nPrinter == 0 ? CDlgPrintSetting::IDC_TAB_PRINTER1
                                : CDlgPrintSetting::IDC_TAB_PRINTER2);
        const int aTypeButtons[] = {CDlgPrintSettingSub::IDC_TYPE_SERIAL,
                                    CDlgPrintSettingSub::IDC_TYPE_NETWORK,
                                    CDlgPrintSettingSub::IDC_TYPE_USB};
        dlg.Panel(nPrinter)->Click(aTypeButtons[nPortType]);
    }
    return GrabWidget(dlg);
}

} // namespace

void AddDialogScreenshots(ScreenshotList& list)
{
    list.push_back({QStringLiteral("dialog-register-business"), [] { return Register(false); }});
    list.push_back({QStringLiteral("dialog-register-manager"), [] { return Register(true); }});
    list.push_back({QStringLiteral("dialog-settings-owner"), [] { return Settings(-1, 0); }});
    list.push_back({QStringLiteral("dialog-settings-serial"), [] { return Settings(0, 0); }});
    list.push_back({QStringLiteral("dialog-settings-network"), [] { return Settings(1, 1); }});
    list.push_back({QStringLiteral("dialog-settings-usb"), [] { return Settings(0, 2); }});
}
