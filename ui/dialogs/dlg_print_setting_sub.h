// CDlgPrintSettingSub: the connection panel of one printer (561 x 209),
// a child of the print settings dialog: what it prints, how it is
// connected (serial/parallel port, spooler printer or network socket)
// and the line feeds before the cut. Nothing here is stored: the dialog
// reads the panel with GetUIPrintInfo.
#pragma once

#include "printing/printer_setting.h"

#include <QWidget>
#include <map>
#include <string>
#include <vector>

class CFlatEdit;
class CPictureButton;
class CTeskComboBox;
class QLabel;

class CDlgPrintSettingSub : public QWidget
{
    Q_OBJECT
public:
    enum EControl
    {
        IDC_ORDER_USE = 1034,
        IDC_ORDER_NOT_USED = 1043,
        IDC_RECEIPT_USE = 1035,
        IDC_RECEIPT_NOT_USED = 1044,
        IDC_TYPE_SERIAL = 1030,
        IDC_TYPE_USB = 1032,
        IDC_TYPE_NETWORK = 1033,
        IDC_PORT_LIST = 1037,
        IDC_SERIAL_SEARCH = 1036,
        IDC_BAUD_LIST = 1038,
        IDC_IP_EDIT = 1039,
        IDC_NET_PORT_EDIT = 1040,
        IDC_SPOOLER_LIST = 1041,
        IDC_USB_SEARCH = 1042,
        IDC_LINE_FEED_LIST = 1045,
    };

    explicit CDlgPrintSettingSub(QWidget* pParent = nullptr);

    // Shows a record (lists rebuilt, skip mode 0). 0, or 5 for null.
    int SettingPrintInfo(const PrintInfo* pInfo);
    // Reads the screen into a record. 0, or 5 for null.
    int GetUIPrintInfo(PrintInfo* pInfo) const;

    // The selected port text; without a selection the stored port the list
    // does not hold (kept until the user searches or selects), else "".
    std::string SelectedSerialPort() const;
    int PortType() const { return m_nPortType; }
    int OrderSheetUse() const { return m_nUse; }
    int ReceiptUse() const { return m_nRcp; }
    void SetSkipList(std::vector<std::string> vSkip) { m_vSkip = std::move(vSkip); }

    bool UpdateUISerialPortList(const std::string& strSelect, int bSkipMode);
    bool UpdateUIUSBPrintList(const std::string& strSelect);

    // The control of an id (tests, screenshots).
    QWidget* Control(int nId) const;
    // Presses a button as the user would.
    void Click(int nId);

private:
    void OnButton(int nId);
    void ShowPortTypeControls();
    void UpdatePictures();
    void FillBaudList(int nBaudRate);
    void SelectLineFeed(int nLineFeed);

    std::string m_strName;
    int m_nUse = 0;
    int m_nRcp = 0;
    int m_nPortType = 0;
    std::vector<std::string> m_vSkip;
    // A stored port or spooler printer this PC does not offer right now
    // (unplugged, offline): kept as stored instead of read as "none", so
    // a save of other settings does not lose it and closing does not see
    // a change the user did not make.
    std::string m_strKeptPort;
    std::string m_strKeptSpooler;
    std::map<int, QWidget*> m_mapControls;
    std::vector<QLabel*> m_vSerialLabels;
    std::vector<QLabel*> m_vNetworkLabels;
    std::vector<QLabel*> m_vSpoolerLabels;
};
