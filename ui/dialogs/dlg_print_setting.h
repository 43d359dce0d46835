// CDlgPrintSetting: the print settings dialog (650 x 438, borderless,
// moved by dragging its surface). The basic page shows one connection
// panel per printer behind the printer tabs, with the test print; the
// owner page the shop-wide counts, text sizes and print options. Created
// hidden at start; only ShowDialog makes it visible. The decisions are in
// ui/dialogs/logic/print_setting_data.h; this is the window over them.
#pragma once

#include "foundation/shared_memory.h"
#include "ui/dialogs/logic/print_setting_data.h"

#include <QDialog>
#include <QPoint>
#include <map>
#include <string>

class CDlgPrintSettingSub;
class CFlatEdit;
class CPictureButton;
class QLabel;

class CDlgPrintSetting : public QDialog
{
    Q_OBJECT
public:
    enum EControl
    {
        IDC_SAVE = 1003,
        IDC_TEST_PRINT = 1005,
        IDC_PICKUP_ORDER_CNT = 1030,
        IDC_PICKUP_PAYMENT_CNT = 1031,
        IDC_DELIVERY_ORDER_CNT = 1032,
        IDC_DELIVERY_PAYMENT_CNT = 1033,
        IDC_TAB_PRINTER1 = 1034,
        IDC_CLOSE = 1043,
        IDC_PICKUP_ORDER_MINUS = 1044,
        IDC_PICKUP_ORDER_PLUS = 1045,
        IDC_DELIVERY_ORDER_MINUS = 1046,
        IDC_DELIVERY_ORDER_PLUS = 1047,
        IDC_TAB_PRINTER2 = 1048,
        IDC_PICKUP_PAYMENT_MINUS = 1049,
        IDC_PICKUP_PAYMENT_PLUS = 1050,
        IDC_DELIVERY_PAYMENT_MINUS = 1051,
        IDC_DELIVERY_PAYMENT_PLUS = 1052,
        IDC_PAGE_BASIC = 1053,
        IDC_PAGE_OWNER = 1054,
        IDC_CUSTOMER_NORMAL = 1055,
        IDC_CUSTOMER_LARGE = 1056,
        IDC_DRIVER_NORMAL = 1057,
        IDC_DRIVER_LARGE = 1058,
        IDC_CUSTOMER_SMALL = 1059,
        IDC_DRIVER_SMALL = 1060,
        IDC_ORIGIN_NORMAL = 1061,
        IDC_ORIGIN_LARGE = 1062,
        IDC_ORIGIN_SMALL = 1063,
        IDC_OPTION_PRINT = 1064,
        IDC_MENU_SMALL = 1065,
        IDC_MENU_NORMAL = 1066,
        IDC_MENU_LARGE = 1067,
        IDC_OPTION_NO_PRINT = 1068,
        IDC_ORIGIN_PRINT = 1071,
        IDC_ORIGIN_NO_PRINT = 1072,
    };

    // The settings store it edits (the process's one by default).
    explicit CDlgPrintSetting(CPrinterSetting& setting = PrinterSetting(),
                              QWidget* pParent = nullptr);
    ~CDlgPrintSetting() override;

    // Set-up at the main window's start: the store's file, the first load
    // (with the log text), the shared block and its document. False when
    // the shared block cannot be made (logged; the dialog still works).
    bool OnInitDialog(const std::string& strConfigPath);

    // The settings command: the owner page when it was not open, in front,
    // centred, open.
    void ShowDialog();
    bool IsOpen() const { return m_nOpen != 0; }

    // 1 if a printer in use cannot be opened, else 0 (the start-up check).
    static int IsIncludeInValidPrinterToMemory();

    // Reloads the store from the file ([PRINTER] only, unless bWholeFile at
    // set-up) and shows it; bLog 1 also logs the settings text.
    bool LoadPrinterInfo(int bLog, bool bWholeFile = false);
    void ShowCurrentPrinterInfo();
    // 0 saved, 11 not (each failure told by a box when bShowMessage is 1;
    // a failed file write always is).
    int SavePrintSettingData(int bShowMessage);
    bool IsChangedPrinterData();
    void UpdateUIPrintCntSetting();
    bool SettingPrinttest();
    void OnBnClickedButtonPrintSettingPrinttest();
    void OnBnClickedButtonClose();

    // The screen as data (what a save would store).
    SPrintSettingData ScreenData() const;
    int Page() const { return m_nPage; }
    int CurrentPrinter() const { return m_nCurrentPrinter; }
    CDlgPrintSettingSub* Panel(int nIndex) const { return m_apPanel[nIndex]; }
    QWidget* Control(int nId) const;
    // Presses a button as the user would.
    void Click(int nId);
    const std::string& SharedBlockName() const { return m_SharedMngr.GetName(); }

    void setVisible(bool bVisible) override;

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    void BuildControls();
    void OnButton(int nId);
    void OnCountButton(int nEditId, int nDelta, int nButtonId);
    void ShowPageControls();
    void UpdateDisplayButtons();
    void EnableCountControls(int nPaymentUse, int nOrderSheetUse);
    int CountOf(int nEditId) const;
    int ShowBox(const char* pszTag, int nLogLevel, int nStringId, const std::string& strText,
                unsigned nType);

    CPrinterSetting& m_Setting;
    int m_nOpen = 0;
    int m_nCurrentPrinter = 0;
    int m_nPage = 2;
    int m_nPrintOrigin = 1;
    int m_nPrintOptionGroup = 1;
    int m_nReqCustomerSize = 0;
    int m_nReqDelivererSize = 0;
    int m_nMenuNameSize = 1;
    int m_nOriginSize = 2;
    int m_nTestRunning = 0;
    CDlgPrintSettingSub* m_apPanel[MAX_PRINTER_COUNT] = {};
    std::map<int, QWidget*> m_mapControls;
    std::vector<QWidget*> m_vBasicControls;
    std::vector<QWidget*> m_vOwnerControls;
    CSharedMngr m_SharedMngr;
    bool m_bDragging = false;
    QPoint m_DragOffset;
};
