// CDlgPrintSetting.
#include "ui/dialogs/dlg_print_setting.h"

#include "app/printer_check.h"
#include "foundation/message_box.h"
#include "foundation/simple_log.h"
#include "res/picture_ids.h"
#include "res/string_table.h"
#include "ui/common/cp949_input.h"
#include "ui/common/dialog_key_filter.h"
#include "ui/common/korean_font.h"
#include "ui/common/png_resource.h"
#include "ui/controls/flat_edit.h"
#include "ui/controls/picture_button.h"
#include "ui/dialogs/dlg_print_setting_sub.h"
#include "ui/dialogs/logic/print_setting_log.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QRegularExpressionValidator>
#include <QScreen>

namespace {

// The size buttons of one setting: small, normal, large.
struct SSizeRow
{
    int aIds[3];
    int CDlgPrintSetting::*pMember;
};

constexpr int kSmall = 2;
constexpr int kNormal = 1;
constexpr int kLarge = 0;

struct SCountRow
{
    int nEdit;
    int nMinus;
    int nPlus;
};

const SCountRow kCounts[] = {
    {CDlgPrintSetting::IDC_PICKUP_ORDER_CNT, CDlgPrintSetting::IDC_PICKUP_ORDER_MINUS,
     CDlgPrintSetting::IDC_PICKUP_ORDER_PLUS},
    {CDlgPrintSetting::IDC_PICKUP_PAYMENT_CNT, CDlgPrintSetting::IDC_PICKUP_PAYMENT_MINUS,
     CDlgPrintSetting::IDC_PICKUP_PAYMENT_PLUS},
    {CDlgPrintSetting::IDC_DELIVERY_ORDER_CNT, CDlgPrintSetting::IDC_DELIVERY_ORDER_MINUS,
     CDlgPrintSetting::IDC_DELIVERY_ORDER_PLUS},
    {CDlgPrintSetting::IDC_DELIVERY_PAYMENT_CNT, CDlgPrintSetting::IDC_DELIVERY_PAYMENT_MINUS,
     CDlgPrintSetting::IDC_DELIVERY_PAYMENT_PLUS},
};

} // namespace

CDlgPrintSetting::CDlgPrintSetting(CPrinterSetting& setting, QWidget* pParent)
    : QDialog(pParent), m_Setting(setting)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Zelkor"));
    setFixedSize(650, 438);
    BuildControls();
    new CDialogKeyFilter(this);
}

CDlgPrintSetting::~CDlgPrintSetting() = default;

QWidget* CDlgPrintSetting::Control(int nId) const
{
    auto it = m_mapControls.find(nId);
    return it == m_mapControls.end() ? nullptr : it->second;
}

void CDlgPrintSetting::BuildControls()
{
    auto* pBackground = new QLabel(this);
    pBackground->setPixmap(QPixmap::fromImage(LoadPngResource(picture::SETTING_BACKGROUND)));
    pBackground->setGeometry(0, 0, 650, 438);
    // Presses on the background move the window.
    pBackground->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto button = [this](int nId, int nPicture, int nX, int nY, std::vector<QWidget*>* pPage) {
        auto* pButton = new CPictureButton(this);
        pButton->SetPicture(nPicture);
        const QSize size = pButton->sizeHint();
        pButton->setGeometry(nX, nY, size.width(), size.height());
        pButton->setFocusPolicy(nId == IDC_TAB_PRINTER1 ? Qt::StrongFocus : Qt::NoFocus);
        connect(pButton, &QAbstractButton::clicked, this, [this, nId] { OnButton(nId); });
        m_mapControls[nId] = pButton;
        if (pPage != nullptr) {
            pPage->push_back(pButton);
        }
        return pButton;
    };
    auto label = [this](const QString& strText, int nX, int nY, int nWidth) {
        auto* pLabel = new QLabel(strText, this);
        pLabel->setFont(KoreanFontForLogicalHeight(-14, true));
        pLabel->setGeometry(nX, nY, nWidth, 32);
        m_vOwnerControls.push_back(pLabel);
        return pLabel;
    };

    button(IDC_CLOSE, picture::SETTING_CLOSE, 606, 14, nullptr);
    button(IDC_PAGE_BASIC, picture::SETTING_PAGE_BASIC_OFF, 375, 70, nullptr);
    button(IDC_PAGE_OWNER, picture::SETTING_PAGE_OWNER_ON, 505, 70, nullptr);
    button(IDC_SAVE, picture::SETTING_SAVE, 484, 380, nullptr);
    button(IDC_TAB_PRINTER1, picture::SETTING_TAB_PRINTER1_ON, 46, 77, &m_vBasicControls);
    button(IDC_TAB_PRINTER2, picture::SETTING_TAB_PRINTER2_OFF, 139, 77, &m_vBasicControls);
    button(IDC_TEST_PRINT, picture::SETTING_TEST_PRINT, 46, 380, &m_vBasicControls);
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        m_apPanel[i] = new CDlgPrintSettingSub(this);
        m_apPanel[i]->move(46, 113);
        m_apPanel[i]->hide();
    }

    // Owner page: the four counts on the left.
    const char16_t* aCountLabels[] = {u"픽업 주문서", u"픽업 영수증", u"배달 주문서",
                                      u"배달 영수증"};
    static const QRegularExpressionValidator digits(QRegularExpression(QStringLiteral("[0-9]*")));
    for (int i = 0; i < 4; ++i) {
        const int nY = 125 + i * 42;
        label(QString::fromUtf16(aCountLabels[i]), 30, nY, 110);
        button(kCounts[i].nMinus, picture::SETTING_COUNT_MINUS, 145, nY, &m_vOwnerControls);
        auto* pEdit = new CFlatEdit(this);
        pEdit->SetBackgroundColour(Qt::white);
        pEdit->m_nFontHeight = 14;
        pEdit->m_nBold = 1;
        pEdit->ApplyFont();
        pEdit->setMaxLength(3);
        pEdit->SetInputValidator(&digits);
        pEdit->setGeometry(182, nY, 50, 32);
        pEdit->CenterTextVertically();
        pEdit->setAlignment(Qt::AlignCenter); // after the centring, which aligns left
        m_mapControls[kCounts[i].nEdit] = pEdit;
        m_vOwnerControls.push_back(pEdit);
        button(kCounts[i].nPlus, picture::SETTING_COUNT_PLUS, 237, nY, &m_vOwnerControls);
    }
    // The sizes on the right: small, normal, large.
    const char16_t* aSizeLabels[] = {u"고객 요청사항", u"기사님 전달사항", u"메뉴명",
                                     u"원산지 크기"};
    const int aSizeIds[4][3] = {{IDC_CUSTOMER_SMALL, IDC_CUSTOMER_NORMAL, IDC_CUSTOMER_LARGE},
                                {IDC_DRIVER_SMALL, IDC_DRIVER_NORMAL, IDC_DRIVER_LARGE},
                                {IDC_MENU_SMALL, IDC_MENU_NORMAL, IDC_MENU_LARGE},
                                {IDC_ORIGIN_SMALL, IDC_ORIGIN_NORMAL, IDC_ORIGIN_LARGE}};
    const int aSizeOff[3] = {picture::SETTING_SIZE_SMALL_OFF, picture::SETTING_SIZE_NORMAL_OFF,
                             picture::SETTING_SIZE_LARGE_OFF};
    for (int i = 0; i < 4; ++i) {
        const int nY = 126 + i * 42;
        label(QString::fromUtf16(aSizeLabels[i]), 300, nY, 120);
        for (int j = 0; j < 3; ++j) {
            button(aSizeIds[i][j], aSizeOff[j], 420 + j * 58, nY, &m_vOwnerControls);
        }
    }
    label(QString::fromUtf16(u"옵션 분류명"), 30, 300, 110);
    button(IDC_OPTION_PRINT, picture::SETTING_PRINT_OFF, 145, 300, &m_vOwnerControls);
    button(IDC_OPTION_NO_PRINT, picture::SETTING_NO_PRINT_OFF, 230, 300, &m_vOwnerControls);
    label(QString::fromUtf16(u"원산지 정보"), 330, 300, 90);
    button(IDC_ORIGIN_PRINT, picture::SETTING_PRINT_OFF, 420, 300, &m_vOwnerControls);
    button(IDC_ORIGIN_NO_PRINT, picture::SETTING_NO_PRINT_OFF, 505, 300, &m_vOwnerControls);
    ShowPageControls();
}

bool CDlgPrintSetting::OnInitDialog(const std::string& strConfigPath)
{
    m_Setting.SetConfigFilePath(strConfigPath.c_str());
    move(0, 0);
    m_nPage = 2;
    LoadPrinterInfo(1, true);
    const std::string strText = MakePrintSettingSharedText(ReadPrintSettingData(m_Setting));
    bool bShared = m_SharedMngr.Create("Zelkor.exe", "Config.ini", strText.size()) == 1 &&
                   m_SharedMngr.Write(strText);
    ShowCurrentPrinterInfo();
    ShowPageControls();
    Control(IDC_TAB_PRINTER1)->setFocus();
    return bShared;
}

int CDlgPrintSetting::IsIncludeInValidPrinterToMemory()
{
    return ::IsIncludeInValidPrinterToMemory();
}

void CDlgPrintSetting::setVisible(bool bVisible)
{
    // Only the settings command shows the dialog.
    if (bVisible && m_nOpen == 0) {
        return;
    }
    QDialog::setVisible(bVisible);
}

void CDlgPrintSetting::ShowDialog()
{
    if (m_nOpen == 0) {
        m_nPage = 2;
        UpdateUIPrintCntSetting();
        ShowPageControls();
    }
    m_nOpen = 1;
    if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
        move(pScreen->geometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

void CDlgPrintSetting::mousePressEvent(QMouseEvent* pEvent)
{
    // The whole surface is the caption of this borderless window.
    if (pEvent->button() == Qt::LeftButton) {
        m_bDragging = true;
        m_DragOffset = pEvent->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(pEvent);
}

void CDlgPrintSetting::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (m_bDragging && (pEvent->buttons() & Qt::LeftButton)) {
        move(pEvent->globalPosition().toPoint() - m_DragOffset);
    }
    QDialog::mouseMoveEvent(pEvent);
}

void CDlgPrintSetting::mouseReleaseEvent(QMouseEvent* pEvent)
{
    m_bDragging = false;
    QDialog::mouseReleaseEvent(pEvent);
}

bool CDlgPrintSetting::LoadPrinterInfo(int bLog, bool bWholeFile)
{
    const char* const pszTag = "CDlgPrintSetting::LoadPrinterInfo";
    // After set-up only [PRINTER] is reloaded: [ORDER] holds the wait
    // numbers the event worker hands out, which the file may not have yet.
    if (bWholeFile) {
        m_Setting.ReadFilePrintInfo(1);
    } else {
        m_Setting.ReadFilePrinterSection();
    }
    PrintInfo aInfo[MAX_PRINTER_COUNT];
    if (m_Setting.GetPrintInfoForAll(aInfo) != 1) {
        LOG_PRINT(LOG_ERROR, "[%s] GetPrintInfoForAll Error... ", pszTag);
        return false;
    }
    int nOrderSheetUse = 0;
    int nPaymentUse = 0;
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        const PrintInfo& other = aInfo[1 - i];
        std::vector<std::string> vSkip;
        if (other.PortType == 0 && other.Port > 0) {
            vSkip.emplace_back(other.Portname);
            LogSkipPortAdded(i + 1, 2 - i, other.Portname, true);
        }
        m_apPanel[i]->SetSkipList(vSkip);
        m_apPanel[i]->SettingPrintInfo(&aInfo[i]);
        nOrderSheetUse |= aInfo[i].Use == 1;
        nPaymentUse |= aInfo[i].Rcp == 1;
    }
    EnableCountControls(nPaymentUse, nOrderSheetUse);
    LogCountUse(pszTag, nPaymentUse, nOrderSheetUse);
    const SPrintSettingData data = ReadPrintSettingData(m_Setting);
    auto setCount = [this](int nId, int nValue) {
        static_cast<CFlatEdit*>(Control(nId))->setText(QString::number(nValue));
    };
    setCount(IDC_PICKUP_ORDER_CNT, data.nPickupOrderSheetCnt);
    setCount(IDC_PICKUP_PAYMENT_CNT, data.nPickupPaymentCnt);
    setCount(IDC_DELIVERY_ORDER_CNT, data.nDeliveryOrderSheetCnt);
    setCount(IDC_DELIVERY_PAYMENT_CNT, data.nDeliveryPaymentCnt);
    m_nPrintOrigin = data.nPrintOrigin;
    m_nPrintOptionGroup = data.nPrintOptionGroup;
    m_nReqCustomerSize = data.nReqCustomerSize;
    m_nReqDelivererSize = data.nReqDelivererSize;
    m_nMenuNameSize = data.nMenuNameSize;
    m_nOriginSize = data.nOriginSize;
    UpdateDisplayButtons();
    if (bLog == 1) {
        LOG_PRINT(LOG_INFO, "%s", MakePrintSettingLogText(data).c_str());
    }
    return true;
}

void CDlgPrintSetting::ShowCurrentPrinterInfo()
{
    if (m_nCurrentPrinter > 1) {
        m_nCurrentPrinter = 0;
    }
    const int nOther = 1 - m_nCurrentPrinter;
    std::vector<std::string> vSkip;
    const std::string strOtherPort = m_apPanel[nOther]->SelectedSerialPort();
    if (m_apPanel[nOther]->PortType() == 0 && !strOtherPort.empty()) {
        vSkip.push_back(strOtherPort);
        LogSkipPortAdded(m_nCurrentPrinter + 1, nOther + 1, strOtherPort, false);
    }
    CDlgPrintSettingSub* pPanel = m_apPanel[m_nCurrentPrinter];
    pPanel->SetSkipList(vSkip);
    pPanel->UpdateUISerialPortList(pPanel->SelectedSerialPort(), 0);
    const bool bBasic = m_nPage != 2;
    pPanel->setVisible(bBasic);
    m_apPanel[nOther]->hide();
    static_cast<CPictureButton*>(Control(IDC_TAB_PRINTER1))
        ->SetPicture(m_nCurrentPrinter == 0 ? picture::SETTING_TAB_PRINTER1_ON
                                            : picture::SETTING_TAB_PRINTER1_OFF);
    static_cast<CPictureButton*>(Control(IDC_TAB_PRINTER2))
        ->SetPicture(m_nCurrentPrinter == 1 ? picture::SETTING_TAB_PRINTER2_ON
                                            : picture::SETTING_TAB_PRINTER2_OFF);
    update();
}

void CDlgPrintSetting::ShowPageControls()
{
    const bool bBasic = m_nPage != 2;
    for (QWidget* pWidget : m_vBasicControls) {
        pWidget->setVisible(bBasic);
    }
    for (QWidget* pWidget : m_vOwnerControls) {
        pWidget->setVisible(!bBasic);
    }
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        m_apPanel[i]->setVisible(bBasic && i == m_nCurrentPrinter);
    }
    static_cast<CPictureButton*>(Control(IDC_PAGE_BASIC))
        ->SetPicture(bBasic ? picture::SETTING_PAGE_BASIC_ON : picture::SETTING_PAGE_BASIC_OFF);
    static_cast<CPictureButton*>(Control(IDC_PAGE_OWNER))
        ->SetPicture(bBasic ? picture::SETTING_PAGE_OWNER_OFF : picture::SETTING_PAGE_OWNER_ON);
}

void CDlgPrintSetting::UpdateDisplayButtons()
{
    const SSizeRow aRows[] = {
        {{IDC_CUSTOMER_SMALL, IDC_CUSTOMER_NORMAL, IDC_CUSTOMER_LARGE},
         &CDlgPrintSetting::m_nReqCustomerSize},
        {{IDC_DRIVER_SMALL, IDC_DRIVER_NORMAL, IDC_DRIVER_LARGE},
         &CDlgPrintSetting::m_nReqDelivererSize},
        {{IDC_MENU_SMALL, IDC_MENU_NORMAL, IDC_MENU_LARGE}, &CDlgPrintSetting::m_nMenuNameSize},
        {{IDC_ORIGIN_SMALL, IDC_ORIGIN_NORMAL, IDC_ORIGIN_LARGE}, &CDlgPrintSetting::m_nOriginSize},
    };
    const int aCodes[3] = {kSmall, kNormal, kLarge};
    const int aOn[3] = {picture::SETTING_SIZE_SMALL_ON, picture::SETTING_SIZE_NORMAL_ON,
                        picture::SETTING_SIZE_LARGE_ON};
    const int aOff[3] = {picture::SETTING_SIZE_SMALL_OFF, picture::SETTING_SIZE_NORMAL_OFF,
                         picture::SETTING_SIZE_LARGE_OFF};
    for (const SSizeRow& row : aRows) {
        const bool bOrigin = row.pMember == &CDlgPrintSetting::m_nOriginSize;
        // The origin's size matters only while the origin is printed.
        const bool bEnabled = !bOrigin || m_nPrintOrigin == 1;
        for (int j = 0; j < 3; ++j) {
            auto* pButton = static_cast<CPictureButton*>(Control(row.aIds[j]));
            pButton->SetPicture(bEnabled && this->*row.pMember == aCodes[j] ? aOn[j] : aOff[j]);
            pButton->setEnabled(bEnabled);
        }
    }
    auto yesNo = [this](int nYes, int nNo, int nValue) {
        static_cast<CPictureButton*>(Control(nYes))
            ->SetPicture(nValue == 1 ? picture::SETTING_PRINT_ON : picture::SETTING_PRINT_OFF);
        static_cast<CPictureButton*>(Control(nNo))
            ->SetPicture(nValue == 1 ? picture::SETTING_NO_PRINT_OFF
                                     : picture::SETTING_NO_PRINT_ON);
    };
    yesNo(IDC_OPTION_PRINT, IDC_OPTION_NO_PRINT, m_nPrintOptionGroup);
    yesNo(IDC_ORIGIN_PRINT, IDC_ORIGIN_NO_PRINT, m_nPrintOrigin);
}

void CDlgPrintSetting::EnableCountControls(int nPaymentUse, int nOrderSheetUse)
{
    for (const SCountRow& row : kCounts) {
        const bool bPayment =
            row.nEdit == IDC_PICKUP_PAYMENT_CNT || row.nEdit == IDC_DELIVERY_PAYMENT_CNT;
        const bool bEnabled = bPayment ? nPaymentUse != 0 : nOrderSheetUse != 0;
        for (int nId : {row.nEdit, row.nMinus, row.nPlus}) {
            Control(nId)->setEnabled(bEnabled);
        }
    }
}

void CDlgPrintSetting::UpdateUIPrintCntSetting()
{
    int nOrderSheetUse = 0;
    int nPaymentUse = 0;
    for (CDlgPrintSettingSub* pPanel : m_apPanel) {
        nOrderSheetUse |= pPanel->OrderSheetUse() == 1;
        nPaymentUse |= pPanel->ReceiptUse() == 1;
    }
    EnableCountControls(nPaymentUse, nOrderSheetUse);
    LogCountUse("CDlgPrintSetting::UpdateUIPrintCntSetting", nPaymentUse, nOrderSheetUse);
}

int CDlgPrintSetting::CountOf(int nEditId) const
{
    return static_cast<CFlatEdit*>(Control(nEditId))->text().toInt();
}

void CDlgPrintSetting::OnCountButton(int nEditId, int nDelta, int nButtonId)
{
    int nCount = CountOf(nEditId) + nDelta;
    nCount = nCount < 0 ? 0 : (nCount > MAX_PRINT_COUNT ? MAX_PRINT_COUNT : nCount);
    static_cast<CFlatEdit*>(Control(nEditId))->setText(QString::number(nCount));
    LogSettingClick(nButtonId, m_nCurrentPrinter + 1, nCount);
}

void CDlgPrintSetting::Click(int nId)
{
    OnButton(nId);
}

void CDlgPrintSetting::OnButton(int nId)
{
    for (const SCountRow& row : kCounts) {
        if (nId == row.nMinus || nId == row.nPlus) {
            OnCountButton(row.nEdit, nId == row.nMinus ? -1 : 1, nId);
            return;
        }
    }
    if (nId != IDC_TEST_PRINT && nId != IDC_SAVE && nId != IDC_CLOSE) {
        LogSettingClick(nId, m_nCurrentPrinter + 1, 0);
    }
    struct SSizeButton
    {
        int nId;
        int CDlgPrintSetting::*pMember;
        int nValue;
    };
    const SSizeButton aValues[] = {
        {IDC_CUSTOMER_SMALL, &CDlgPrintSetting::m_nReqCustomerSize, kSmall},
        {IDC_CUSTOMER_NORMAL, &CDlgPrintSetting::m_nReqCustomerSize, kNormal},
        {IDC_CUSTOMER_LARGE, &CDlgPrintSetting::m_nReqCustomerSize, kLarge},
        {IDC_DRIVER_SMALL, &CDlgPrintSetting::m_nReqDelivererSize, kSmall},
        {IDC_DRIVER_NORMAL, &CDlgPrintSetting::m_nReqDelivererSize, kNormal},
        {IDC_DRIVER_LARGE, &CDlgPrintSetting::m_nReqDelivererSize, kLarge},
        {IDC_MENU_SMALL, &CDlgPrintSetting::m_nMenuNameSize, kSmall},
        {IDC_MENU_NORMAL, &CDlgPrintSetting::m_nMenuNameSize, kNormal},
        {IDC_MENU_LARGE, &CDlgPrintSetting::m_nMenuNameSize, kLarge},
        {IDC_ORIGIN_SMALL, &CDlgPrintSetting::m_nOriginSize, kSmall},
        {IDC_ORIGIN_NORMAL, &CDlgPrintSetting::m_nOriginSize, kNormal},
        {IDC_ORIGIN_LARGE, &CDlgPrintSetting::m_nOriginSize, kLarge},
        {IDC_OPTION_PRINT, &CDlgPrintSetting::m_nPrintOptionGroup, 1},
        {IDC_OPTION_NO_PRINT, &CDlgPrintSetting::m_nPrintOptionGroup, 0},
        {IDC_ORIGIN_PRINT, &CDlgPrintSetting::m_nPrintOrigin, 1},
        {IDC_ORIGIN_NO_PRINT, &CDlgPrintSetting::m_nPrintOrigin, 0},
    };
    for (const SSizeButton& value : aValues) {
        if (value.nId == nId) {
            this->*value.pMember = value.nValue;
            UpdateDisplayButtons();
            return;
        }
    }
    switch (nId) {
    case IDC_TAB_PRINTER1:
    case IDC_TAB_PRINTER2: {
        const int nPrinter = nId == IDC_TAB_PRINTER1 ? 0 : 1;
        if (m_nCurrentPrinter != nPrinter) {
            m_nCurrentPrinter = nPrinter;
            ShowCurrentPrinterInfo();
        }
        break;
    }
    case IDC_PAGE_BASIC:
        if (m_nPage == 2) {
            setUpdatesEnabled(false);
            m_nPage = 1;
            m_nCurrentPrinter = 0;
            ShowPageControls();
            ShowCurrentPrinterInfo();
            setUpdatesEnabled(true);
        }
        break;
    case IDC_PAGE_OWNER:
        if (m_nPage != 2) {
            setUpdatesEnabled(false);
            m_nPage = 2;
            UpdateUIPrintCntSetting();
            ShowPageControls();
            setUpdatesEnabled(true);
        }
        break;
    case IDC_TEST_PRINT:
        OnBnClickedButtonPrintSettingPrinttest();
        break;
    case IDC_SAVE:
        LogSettingClick(IDC_SAVE, 0, 0);
        if (SavePrintSettingData(1) != 0) {
            LogSettingClick(-IDC_SAVE, 0, 0);
        }
        break;
    case IDC_CLOSE:
        OnBnClickedButtonClose();
        break;
    default:
        break;
    }
}

SPrintSettingData CDlgPrintSetting::ScreenData() const
{
    SPrintSettingData data;
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        // Fields the panel does not show (StatusCheck) keep the store's value.
        m_Setting.GetPrintInfoForIndex(i, &data.aPrinter[i]);
        m_apPanel[i]->GetUIPrintInfo(&data.aPrinter[i]);
    }
    data.nPickupOrderSheetCnt = CountOf(IDC_PICKUP_ORDER_CNT);
    data.nPickupPaymentCnt = CountOf(IDC_PICKUP_PAYMENT_CNT);
    data.nDeliveryOrderSheetCnt = CountOf(IDC_DELIVERY_ORDER_CNT);
    data.nDeliveryPaymentCnt = CountOf(IDC_DELIVERY_PAYMENT_CNT);
    data.nPrintOrigin = m_nPrintOrigin;
    data.nPrintOptionGroup = m_nPrintOptionGroup;
    data.nReqCustomerSize = m_nReqCustomerSize;
    data.nReqDelivererSize = m_nReqDelivererSize;
    data.nMenuNameSize = m_nMenuNameSize;
    data.nOriginSize = m_nOriginSize;
    return data;
}

int CDlgPrintSetting::ShowBox(const char* pszTag, int nLogLevel, int nStringId,
                              const std::string& strText, unsigned nType)
{
    return ZelkorMessageBox(pszTag, nLogLevel, nStringId, strText, nType, this);
}

int CDlgPrintSetting::SavePrintSettingData(int bShowMessage)
{
    const char* const pszTag = "CDlgPrintSetting::SavePrintSettingData";
    const SPrintSettingData data = ScreenData();
    int nInvalidPrinter = 0;
    const ESaveResult eResult = ::SavePrintSettingData(m_Setting, data, nInvalidPrinter);
    if (eResult == ESaveResult::InvalidPrinter) {
        ShowBox(pszTag, LOG_ERROR, IDS_PRINTER_SETTING_CHECK,
                FormatStringText(IDS_PRINTER_SETTING_CHECK, nInvalidPrinter), MB_OK | MB_ICONERROR);
        return 11;
    }
    if (eResult == ESaveResult::WriteFailed) {
        // The store went back to the file's values; so does the screen.
        ShowBox(pszTag, LOG_ERROR, 0, SaveWriteFailedText(), MB_OK | MB_ICONERROR);
        LoadPrinterInfo(0);
        return 11;
    }
    for (const SCountRow& row : kCounts) {
        if (CountOf(row.nEdit) < 1) {
            static_cast<CFlatEdit*>(Control(row.nEdit))->setText(QStringLiteral("0"));
        }
    }
    const SPrintSettingData saved = ReadPrintSettingData(m_Setting);
    m_SharedMngr.Write(MakePrintSettingSharedText(saved));
    LOG_PRINT(LOG_INFO, "%s", MakePrintSettingLogText(saved).c_str());
    if (bShowMessage == 1) {
        ShowBox(pszTag, LOG_INFO, IDS_SAVED, LoadStringText(IDS_SAVED), MB_OK | MB_ICONINFORMATION);
    }
    return 0;
}

bool CDlgPrintSetting::IsChangedPrinterData()
{
    return IsChangedPrintSettingData(ScreenData(), ReadPrintSettingData(m_Setting));
}

bool CDlgPrintSetting::SettingPrinttest()
{
    const char* const pszTag = "CDlgPrintSetting::SettingPrinttest";
    const int nPrinter = m_nCurrentPrinter + 1;
    const SPrintSettingData data = ScreenData();
    const PrintInfo& info = data.aPrinter[m_nCurrentPrinter];
    int nStringId = 0;
    if (!IsValidPrinterData(m_nCurrentPrinter, info)) {
        nStringId = IDS_PRINTER_SETTING_CHECK;
    } else if (info.Use != 1 && info.Rcp != 1) {
        nStringId = IDS_PRINTER_PRINTS_NOTHING;
    } else if (!IsValidPrinter(&info, 1)) {
        nStringId = IDS_PRINTER_NOT_CONNECTED;
    }
    if (nStringId != 0) {
        ShowBox(pszTag, LOG_ERROR, nStringId, FormatStringText(nStringId, nPrinter),
                MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

void CDlgPrintSetting::OnBnClickedButtonPrintSettingPrinttest()
{
    if (m_nTestRunning != 0) {
        LogSettingClick(-IDC_TEST_PRINT, 0, 0);
        return;
    }
    LogSettingClick(IDC_TEST_PRINT, 0, 0);
    m_nTestRunning = 1;
    const bool bPrinted = SettingPrinttest();
    if (bPrinted) {
        ShowBox("CDlgPrintSetting::OnBnClickedButtonPrintSettingPrinttest", LOG_INFO,
                IDS_TEST_PRINT_DONE, LoadStringText(IDS_TEST_PRINT_DONE), MB_OK | MB_ICONWARNING);
    }
    m_nTestRunning = 0;
}

void CDlgPrintSetting::OnBnClickedButtonClose()
{
    const char* const pszTag = "CDlgPrintSetting::OnBnClickedButtonClose";
    LogSettingClick(IDC_CLOSE, 0, 0);
    if (IsChangedPrinterData()) {
        const int nAnswer =
            ShowBox(pszTag, LOG_INFO, IDS_SAVE_CHANGES_QUESTION,
                    LoadStringText(IDS_SAVE_CHANGES_QUESTION), MB_YESNO | MB_ICONINFORMATION);
        if (nAnswer == IDYES) {
            LogSettingClick(-IDC_CLOSE, 0, 0);
            if (SavePrintSettingData(0) != 0) {
                LOG_PRINT(LOG_ERROR, "[%s] SavePrintSettingData Fail!", pszTag);
                return;
            }
        } else {
            LogSettingClick(-1044, 0, 0);
        }
    }
    m_nOpen = 0;
    hide();
    LoadPrinterInfo(0);
}
