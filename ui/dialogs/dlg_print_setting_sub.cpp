// CDlgPrintSettingSub.
#include "ui/dialogs/dlg_print_setting_sub.h"

#include "foundation/simple_log.h"
#include "platform/serial_device.h"
#include "printing/spooler_names.h"
#include "res/picture_ids.h"
#include "ui/common/cp949_input.h"
#include "ui/common/korean_font.h"
#include "ui/controls/flat_edit.h"
#include "ui/controls/picture_button.h"
#include "ui/controls/tesk_combo_box.h"
#include "ui/dialogs/logic/print_setting_log.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QPalette>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <cstdlib>

namespace {

// The rates a printer's manual may name; only those the line can be set
// to are offered.
constexpr int kBaudRates[] = {9600, 14400, 19200, 38400, 57600, 115200, 128000, 256000};

int LeadingNumber(const QString& strText)
{
    return std::atoi(strText.toLatin1().constData());
}

} // namespace

CDlgPrintSettingSub::CDlgPrintSettingSub(QWidget* pParent) : QWidget(pParent)
{
    setFixedSize(561, 209);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    auto label = [this](const QString& strText, int nX, int nY, int nWidth) {
        auto* pLabel = new QLabel(strText, this);
        pLabel->setFont(KoreanFontForLogicalHeight(-14, true));
        pLabel->setGeometry(nX, nY, nWidth, 30);
        return pLabel;
    };
    label(QString::fromUtf16(u"주방 주문서"), 12, 8, 100);
    label(QString::fromUtf16(u"영수증"), 12, 46, 100);
    label(QString::fromUtf16(u"연결 방식"), 12, 84, 100);
    label(QString::fromUtf16(u"하단 줄바꿈"), 12, 168, 100);
    m_vSerialLabels = {label(QString::fromUtf16(u"포트"), 12, 124, 100),
                       label(QString::fromUtf16(u"속도"), 360, 124, 40)};
    m_vNetworkLabels = {label(QString::fromUtf16(u"IP 주소"), 12, 124, 100),
                        label(QString::fromUtf16(u"포트"), 360, 124, 40)};
    m_vSpoolerLabels = {label(QString::fromUtf16(u"프린터"), 12, 124, 100)};

    auto button = [this](int nId, int nX, int nY) {
        auto* pButton = new CPictureButton(this);
        pButton->setGeometry(nX, nY, 90, 32);
        pButton->setFocusPolicy(Qt::NoFocus);
        connect(pButton, &QAbstractButton::clicked, this, [this, nId] { OnButton(nId); });
        m_mapControls[nId] = pButton;
    };
    button(IDC_ORDER_USE, 120, 8);
    button(IDC_ORDER_NOT_USED, 205, 8);
    button(IDC_RECEIPT_USE, 120, 46);
    button(IDC_RECEIPT_NOT_USED, 205, 46);
    button(IDC_TYPE_SERIAL, 120, 84);
    button(IDC_TYPE_USB, 215, 84);
    button(IDC_TYPE_NETWORK, 310, 84);
    button(IDC_SERIAL_SEARCH, 252, 122);
    button(IDC_USB_SEARCH, 276, 122);
    static_cast<CPictureButton*>(m_mapControls[IDC_SERIAL_SEARCH])
        ->SetPicture(picture::PANEL_SERIAL_SEARCH);
    static_cast<CPictureButton*>(m_mapControls[IDC_USB_SEARCH])
        ->SetPicture(picture::PANEL_USB_SEARCH);
    m_mapControls[IDC_SERIAL_SEARCH]->resize(100, 30);
    m_mapControls[IDC_USB_SEARCH]->resize(100, 30);

    auto combo = [this](int nId, int nFont, int nPicture, QRect rect) {
        auto* pCombo = new CTeskComboBox(this);
        pCombo->SetComboFont(nFont);
        pCombo->SetComboPicture(nPicture);
        pCombo->setGeometry(rect);
        m_mapControls[nId] = pCombo;
        return pCombo;
    };
    CTeskComboBox* pPorts =
        combo(IDC_PORT_LIST, 13, picture::PANEL_COMBO_PORT, QRect(120, 125, 130, 25));
    connect(pPorts, &QComboBox::currentIndexChanged, this, [this](int nIndex) {
        if (nIndex >= 0) {
            m_strKeptPort.clear();
        }
    });
    combo(IDC_BAUD_LIST, 14, picture::PANEL_COMBO, QRect(400, 125, 150, 25));
    CTeskComboBox* pSpooler =
        combo(IDC_SPOOLER_LIST, 14, picture::PANEL_COMBO, QRect(120, 125, 150, 25));
    pSpooler->view()->setMinimumWidth(225);
    connect(pSpooler, &QComboBox::currentIndexChanged, this, [this](int nIndex) {
        if (nIndex >= 0) {
            m_strKeptSpooler.clear();
        }
    });
    CTeskComboBox* pLineFeed =
        combo(IDC_LINE_FEED_LIST, 14, picture::PANEL_COMBO, QRect(120, 170, 150, 25));
    for (int i = 1; i <= 5; ++i) {
        pLineFeed->addItem(FromCp949(LineFeedText(i)));
    }

    auto edit = [this](int nId, int nLimit, QRect rect) {
        auto* pEdit = new CFlatEdit(this);
        pEdit->SetBackgroundColour(Qt::white);
        pEdit->m_nFontHeight = 14;
        pEdit->m_nBold = 1;
        pEdit->ApplyFont();
        pEdit->setMaxLength(nLimit);
        pEdit->setGeometry(rect);
        pEdit->CenterTextVertically();
        m_mapControls[nId] = pEdit;
        return pEdit;
    };
    edit(IDC_IP_EDIT, 25, QRect(120, 123, 225, 29));
    CFlatEdit* pPort = edit(IDC_NET_PORT_EDIT, 6, QRect(400, 123, 150, 29));
    static const QRegularExpressionValidator digits(QRegularExpression(QStringLiteral("[0-9]*")));
    pPort->SetInputValidator(&digits);

    FillBaudList(9600);
    SelectLineFeed(4);
    UpdatePictures();
    ShowPortTypeControls();
}

QWidget* CDlgPrintSettingSub::Control(int nId) const
{
    auto it = m_mapControls.find(nId);
    return it == m_mapControls.end() ? nullptr : it->second;
}

void CDlgPrintSettingSub::Click(int nId)
{
    OnButton(nId);
}

void CDlgPrintSettingSub::FillBaudList(int nBaudRate)
{
    auto* pBaud = static_cast<CTeskComboBox*>(Control(IDC_BAUD_LIST));
    pBaud->clear();
    int nSelect = 0;
    for (int nRate : kBaudRates) {
        if (platform::IsSupportedBaudRate(nRate)) {
            if (nRate == nBaudRate) {
                nSelect = pBaud->count();
            }
            pBaud->addItem(QString::number(nRate));
        } else if (nRate == nBaudRate) {
            // A stored rate the line cannot run at stays visible as such,
            // so the user sees why the save refuses it.
            nSelect = pBaud->count();
            pBaud->addItem(QString::number(nRate) + QString::fromUtf16(u" (지원 안 됨)"));
        }
    }
    pBaud->setCurrentIndex(nSelect);
}

void CDlgPrintSettingSub::SelectLineFeed(int nLineFeed)
{
    auto* pLineFeed = static_cast<CTeskComboBox*>(Control(IDC_LINE_FEED_LIST));
    pLineFeed->setCurrentIndex(nLineFeed >= 1 && nLineFeed <= 5 ? nLineFeed - 1 : 3);
}

int CDlgPrintSettingSub::SettingPrintInfo(const PrintInfo* pInfo)
{
    if (pInfo == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL!!!", "CDlgPrintSettingSub::SettingPrintInfo");
        return 5;
    }
    m_strName = pInfo->Name;
    m_nUse = pInfo->Use;
    m_nRcp = pInfo->Rcp;
    m_nPortType = pInfo->PortType;
    m_strKeptPort.clear();
    m_strKeptSpooler.clear();
    UpdateUISerialPortList(pInfo->Portname, 0);
    if (static_cast<CTeskComboBox*>(Control(IDC_PORT_LIST))->currentIndex() < 0) {
        m_strKeptPort = pInfo->Portname;
    }
    FillBaudList(pInfo->BaudRate);
    UpdateUIUSBPrintList(pInfo->UsbName);
    if (static_cast<CTeskComboBox*>(Control(IDC_SPOOLER_LIST))->currentIndex() < 0) {
        m_strKeptSpooler = pInfo->UsbName;
    }
    static_cast<CFlatEdit*>(Control(IDC_IP_EDIT))->SetTextCp949(pInfo->LanPrintIP);
    static_cast<CFlatEdit*>(Control(IDC_NET_PORT_EDIT))
        ->setText(QString::number(pInfo->LanPrintPort));
    SelectLineFeed(pInfo->LineFeed);
    UpdatePictures();
    ShowPortTypeControls();
    return 0;
}

int CDlgPrintSettingSub::GetUIPrintInfo(PrintInfo* pInfo) const
{
    if (pInfo == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input Param NULL!!!", "CDlgPrintSettingSub::GetUIPrintInfo");
        return 5;
    }
    pInfo->Use = m_nUse;
    pInfo->Rcp = m_nRcp;
    pInfo->PortType = m_nPortType;
    const std::string strPort = SelectedSerialPort();
    std::string strDigits = strPort;
    for (const char* pszPrefix : {"COM", "LPT"}) {
        const size_t nAt = strDigits.find(pszPrefix);
        if (nAt != std::string::npos) {
            strDigits.erase(nAt, 3);
        }
    }
    pInfo->Port = std::atoi(strDigits.c_str());
    pInfo->BaudRate =
        LeadingNumber(static_cast<CTeskComboBox*>(Control(IDC_BAUD_LIST))->currentText());
    SetPrintInfoText(pInfo->Portname, strPort);
    std::string strIp;
    static_cast<CFlatEdit*>(Control(IDC_IP_EDIT))->TextCp949(strIp);
    SetPrintInfoText(pInfo->LanPrintIP, strIp);
    pInfo->LanPrintPort =
        LeadingNumber(static_cast<CFlatEdit*>(Control(IDC_NET_PORT_EDIT))->text());
    std::string strSpooler = m_strKeptSpooler;
    auto* pSpooler = static_cast<CTeskComboBox*>(Control(IDC_SPOOLER_LIST));
    if (pSpooler->currentIndex() >= 0) {
        ToCp949Exact(pSpooler->currentText(), strSpooler);
    }
    SetPrintInfoText(pInfo->UsbName, strSpooler);
    SetPrintInfoText(pInfo->Name, m_strName);
    pInfo->LineFeed =
        LeadingNumber(static_cast<CTeskComboBox*>(Control(IDC_LINE_FEED_LIST))->currentText());
    return 0;
}

std::string CDlgPrintSettingSub::SelectedSerialPort() const
{
    auto* pPorts = static_cast<CTeskComboBox*>(Control(IDC_PORT_LIST));
    return pPorts->currentIndex() >= 0 ? pPorts->currentText().toStdString() : m_strKeptPort;
}

bool CDlgPrintSettingSub::UpdateUISerialPortList(const std::string& strSelect, int bSkipMode)
{
    if (bSkipMode == 1) {
        m_strKeptPort.clear(); // the user looked: what the list shows is the truth now
    }
    const std::vector<std::string> vList = FilterSerialPortList(
        m_strName, platform::ListSerialPortNames(), m_vSkip, strSelect, bSkipMode);
    auto* pPorts = static_cast<CTeskComboBox*>(Control(IDC_PORT_LIST));
    // Rebuilding is not the user selecting (a first entry is selected by
    // itself while the list fills).
    const QSignalBlocker blocker(pPorts);
    pPorts->clear();
    for (const std::string& strName : vList) {
        pPorts->addItem(QString::fromStdString(strName));
    }
    pPorts->setCurrentIndex(
        strSelect.empty() ? -1
                          : pPorts->findText(QString::fromStdString(strSelect), Qt::MatchExactly));
    return true;
}

bool CDlgPrintSettingSub::UpdateUIUSBPrintList(const std::string& strSelect)
{
    const std::vector<std::string> vNames = ListUsableSpoolerPrintersCp949();
    LogSpoolerList(m_strName, strSelect, vNames);
    auto* pSpooler = static_cast<CTeskComboBox*>(Control(IDC_SPOOLER_LIST));
    const QSignalBlocker blocker(pSpooler);
    pSpooler->clear();
    int nSelect = -1;
    for (const std::string& strName : vNames) {
        if (strName == strSelect) {
            nSelect = pSpooler->count();
        }
        pSpooler->addItem(FromCp949(strName));
    }
    pSpooler->setCurrentIndex(nSelect);
    return true;
}

void CDlgPrintSettingSub::OnButton(int nId)
{
    LogPanelClick(m_strName, nId);
    switch (nId) {
    case IDC_ORDER_USE:
    case IDC_ORDER_NOT_USED:
        m_nUse = nId == IDC_ORDER_USE ? 1 : 0;
        break;
    case IDC_RECEIPT_USE:
    case IDC_RECEIPT_NOT_USED:
        m_nRcp = nId == IDC_RECEIPT_USE ? 1 : 0;
        break;
    case IDC_TYPE_SERIAL:
        if (m_nPortType != 0) {
            m_nPortType = 0;
            UpdateUISerialPortList(SelectedSerialPort(), 1);
        }
        break;
    case IDC_TYPE_USB:
        m_nPortType = 2;
        break;
    case IDC_TYPE_NETWORK:
        m_nPortType = 1;
        break;
    case IDC_SERIAL_SEARCH:
        setUpdatesEnabled(false);
        UpdateUISerialPortList(SelectedSerialPort(), 1);
        setUpdatesEnabled(true);
        break;
    case IDC_USB_SEARCH: {
        setUpdatesEnabled(false);
        std::string strSelect;
        auto* pSpooler = static_cast<CTeskComboBox*>(Control(IDC_SPOOLER_LIST));
        if (pSpooler->currentIndex() >= 0) {
            ToCp949Exact(pSpooler->currentText(), strSelect);
        }
        UpdateUIUSBPrintList(strSelect);
        setUpdatesEnabled(true);
        break;
    }
    default:
        break;
    }
    UpdatePictures();
    ShowPortTypeControls();
}

void CDlgPrintSettingSub::UpdatePictures()
{
    auto set = [this](int nId, int nPicture) {
        static_cast<CPictureButton*>(Control(nId))->SetPicture(nPicture);
    };
    set(IDC_ORDER_USE, m_nUse == 1 ? picture::PANEL_USE_ON : picture::PANEL_USE_OFF);
    set(IDC_ORDER_NOT_USED, m_nUse == 1 ? picture::PANEL_NOT_USED_OFF : picture::PANEL_NOT_USED_ON);
    set(IDC_RECEIPT_USE, m_nRcp == 1 ? picture::PANEL_USE_ON : picture::PANEL_USE_OFF);
    set(IDC_RECEIPT_NOT_USED,
        m_nRcp == 1 ? picture::PANEL_NOT_USED_OFF : picture::PANEL_NOT_USED_ON);
    set(IDC_TYPE_SERIAL,
        m_nPortType == 0 ? picture::PANEL_TYPE_SERIAL_ON : picture::PANEL_TYPE_SERIAL_OFF);
    set(IDC_TYPE_USB, m_nPortType == 2 ? picture::PANEL_TYPE_USB_ON : picture::PANEL_TYPE_USB_OFF);
    set(IDC_TYPE_NETWORK,
        m_nPortType == 1 ? picture::PANEL_TYPE_NETWORK_ON : picture::PANEL_TYPE_NETWORK_OFF);
    update();
}

void CDlgPrintSettingSub::ShowPortTypeControls()
{
    const bool bSerial = m_nPortType == 0;
    const bool bNetwork = m_nPortType == 1;
    const bool bSpooler = !bSerial && !bNetwork;
    for (int nId : {IDC_PORT_LIST, IDC_SERIAL_SEARCH, IDC_BAUD_LIST}) {
        Control(nId)->setVisible(bSerial);
    }
    for (int nId : {IDC_IP_EDIT, IDC_NET_PORT_EDIT}) {
        Control(nId)->setVisible(bNetwork);
    }
    for (int nId : {IDC_SPOOLER_LIST, IDC_USB_SEARCH}) {
        Control(nId)->setVisible(bSpooler);
    }
    for (QLabel* pLabel : m_vSerialLabels) {
        pLabel->setVisible(bSerial);
    }
    for (QLabel* pLabel : m_vNetworkLabels) {
        pLabel->setVisible(bNetwork);
    }
    for (QLabel* pLabel : m_vSpoolerLabels) {
        pLabel->setVisible(bSpooler);
    }
}
