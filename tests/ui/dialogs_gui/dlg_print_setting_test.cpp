// The print settings dialog offscreen, over a temporary program folder:
// saves into Config.ini and the shared block, test prints to a virtual
// printer, the all-or-nothing save, the close question, the serial skip
// list between the printers and the wait numbers the event worker owns.
#include "foundation/ini_file.h"
#include "platform/shared_memory_block.h"
#include "tests/support/cp949.h"
#include "tests/support/fake_clock.h"
#include "tests/support/program_folder.h"
#include "tests/support/pty_pair.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/vprinter_process.h"
#include "tests/ui/dialogs_gui/dialog_test_support.h"
#include "ui/controls/flat_edit.h"
#include "ui/controls/tesk_combo_box.h"
#include "ui/dialogs/dlg_print_setting.h"
#include "ui/dialogs/dlg_print_setting_sub.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Sub = CDlgPrintSettingSub;
using Dlg = CDlgPrintSetting;
using testsupport::Cp949FromUtf8;

// A loopback port nothing listens on: connections to it are refused.
int RefusingPort()
{
    int hSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(hSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t nLength = sizeof(address);
    getsockname(hSocket, reinterpret_cast<sockaddr*>(&address), &nLength);
    close(hSocket);
    return ntohs(address.sin_port);
}

class PrintSettingDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        m_Folder.WriteFile("Config.ini",
                           "[POS]\r\nNobizer=1234567890\r\nStoreId=ST1\r\n[PRINTER]\r\nLINE=42\r\n"
                           "[ORDER]\r\nStartNo=1\r\nLastDate=20231208\r\nLastNo=17\r\n");
        m_Com5.LinkAs(m_Folder.Path(), "com5");
        m_Com6.LinkAs(m_Folder.Path(), "com6");
        m_pDlg = std::make_unique<Dlg>(m_Setting);
        m_pDlg->OnInitDialog(m_Folder.File("Config.ini"));
        m_pDlg->ShowDialog();
    }
    void TearDown() override { m_pDlg.reset(); }

    Sub& Panel(int nIndex) { return *m_pDlg->Panel(nIndex); }
    template <typename T>
    T* PanelControl(int nIndex, int nId)
    {
        return static_cast<T*>(Panel(nIndex).Control(nId));
    }
    // Printer nIndex as a network printer of both papers.
    void SetNetwork(int nIndex, const char* pszIp, int nPort)
    {
        m_pDlg->Click(nIndex == 0 ? Dlg::IDC_TAB_PRINTER1 : Dlg::IDC_TAB_PRINTER2);
        Panel(nIndex).Click(Sub::IDC_ORDER_USE);
        Panel(nIndex).Click(Sub::IDC_RECEIPT_USE);
        Panel(nIndex).Click(Sub::IDC_TYPE_NETWORK);
        PanelControl<CFlatEdit>(nIndex, Sub::IDC_IP_EDIT)->setText(QString::fromLatin1(pszIp));
        PanelControl<CFlatEdit>(nIndex, Sub::IDC_NET_PORT_EDIT)->setText(QString::number(nPort));
    }
    QStringList PortList(int nIndex)
    {
        QStringList list;
        auto* pCombo = PanelControl<CTeskComboBox>(nIndex, Sub::IDC_PORT_LIST);
        for (int i = 0; i < pCombo->count(); ++i) {
            list << pCombo->itemText(i);
        }
        return list;
    }
    std::string Ini(const char* pszSection, const char* pszKey)
    {
        return IniGetString(pszSection, pszKey, "<absent>", m_Folder.File("Config.ini").c_str());
    }

    testsupport::CTempProgramFolder m_Folder;
    testsupport::CFakeClock m_Clock{2023, 12, 8, 10, 0, 0};
    testsupport::CPtyPair m_Com5;
    testsupport::CPtyPair m_Com6;
    dialogtest::CBoxJournal m_Boxes{m_Folder.File("boxes.jsonl")};
    CPrinterSetting m_Setting;
    std::unique_ptr<Dlg> m_pDlg;
};

// Printer 1 on the network, printer 2 on a pty through dosdevices/com5;
// counts and sizes; save: [PRINTER], the shared document and the log.
TEST_F(PrintSettingDialogTest, SaveWritesConfigSharedTextAndLog)
{
    m_pDlg->Click(Dlg::IDC_PAGE_BASIC);
    SetNetwork(0, "127.0.0.1", 9100);
    m_pDlg->Click(Dlg::IDC_TAB_PRINTER2);
    Panel(1).Click(Sub::IDC_RECEIPT_USE);
    Panel(1).Click(Sub::IDC_TYPE_SERIAL);
    auto* pPorts = PanelControl<CTeskComboBox>(1, Sub::IDC_PORT_LIST);
    ASSERT_GE(pPorts->findText(QStringLiteral("COM5")), 0) << PortList(1).join(u',').toStdString();
    pPorts->setCurrentIndex(pPorts->findText(QStringLiteral("COM5")));
    auto* pBaud = PanelControl<CTeskComboBox>(1, Sub::IDC_BAUD_LIST);
    pBaud->setCurrentIndex(pBaud->findText(QStringLiteral("19200")));
    PanelControl<CTeskComboBox>(1, Sub::IDC_LINE_FEED_LIST)->setCurrentIndex(2);

    m_pDlg->Click(Dlg::IDC_PAGE_OWNER);
    m_pDlg->Click(Dlg::IDC_PICKUP_ORDER_PLUS);      // 1 -> 2
    m_pDlg->Click(Dlg::IDC_DELIVERY_PAYMENT_MINUS); // 1 -> 0
    m_pDlg->Click(Dlg::IDC_DELIVERY_PAYMENT_MINUS); // stays 0
    m_pDlg->Click(Dlg::IDC_DRIVER_SMALL);
    m_pDlg->Click(Dlg::IDC_MENU_LARGE);
    m_pDlg->Click(Dlg::IDC_OPTION_NO_PRINT);
    m_pDlg->Click(Dlg::IDC_SAVE);
    EXPECT_EQ(m_Boxes.Ids(), std::vector<int>{114});

    struct Key
    {
        const char* pszKey;
        std::string strValue;
    };
    const Key keys[] = {
        {"Printer1Name", Cp949FromUtf8(u8"프린터1")},
        {"Printer1Use", "1"},
        {"Printer1Rcp", "1"},
        {"Printer1SerialUse", "0"},
        {"Printer1LanPrintUse", "1"},
        {"Printer1UsbUse", "0"},
        {"Printer1LanPrintIP", "127.0.0.1"},
        {"Printer1LanPrintPort", "9100"},
        {"Printer1LineFeed", "4"},
        {"Printer2Use", "0"},
        {"Printer2Rcp", "1"},
        {"Printer2SerialUse", "1"},
        {"Printer2LanPrintUse", "0"},
        {"Printer2Port", "5"},
        {"Printer2Portname", "COM5"},
        {"Printer2BaudRate", "19200"},
        {"Printer2LineFeed", "3"},
        {"PrintCnt", "2"},
        {"DeliveryPrintCnt", "1"},
        {"PickupPaymentPrintCnt", "0"},
        {"DeliveryPaymentPrintCnt", "0"},
        {"PrintOrigin", "1"},
        {"PrintOptiongroup", "0"},
        {"ReqCustomerSize", "0"},
        {"ReqDelivererSize", "2"},
        {"MenunameSize", "0"},
        {"OriginSize", "2"},
    };
    for (const Key& key : keys) {
        EXPECT_EQ(Ini("PRINTER", key.pszKey), key.strValue) << key.pszKey;
    }
    EXPECT_EQ(Ini("ORDER", "LastNo"), "17");

    std::string strShared;
    ASSERT_TRUE(platform::ReadSharedBlock(m_pDlg->SharedBlockName(), strShared));
    EXPECT_EQ(m_pDlg->SharedBlockName(), "Zelkor_Config.ini");
    Json::Value shared;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> pReader(builder.newCharReader());
    ASSERT_TRUE(
        pReader->parse(strShared.data(), strShared.data() + strShared.size(), &shared, nullptr));
    EXPECT_EQ(shared["PrinterInfo"][0]["LanIP"].asString(), "127.0.0.1");
    EXPECT_EQ(shared["PrinterInfo"][0]["LanPort"].asInt(), 9100);
    EXPECT_EQ(shared["PrinterInfo"][1]["Index"].asInt(), 2);
    EXPECT_EQ(shared["PrinterInfo"][1]["SerialPort"].asString(), "COM5");
    EXPECT_EQ(shared["PrinterInfo"][1]["SerialBaudRate"].asInt(), 19200);
    EXPECT_EQ(shared["PickupOrderSheetPrintCnt"].asInt(), 2);
    EXPECT_EQ(shared["DeliveryPaymentPrintCnt"].asInt(), 0);
    EXPECT_EQ(shared["MenuNameSize"].asString(), Cp949FromUtf8(u8"크게"));
    EXPECT_EQ(shared["ReqDelivererSize"].asString(), Cp949FromUtf8(u8"작게"));
    EXPECT_EQ(shared["PrintOptionGroup"].asInt(), 0);

    const std::string strLog = m_Folder.ReadCurrentLog();
    for (const char8_t* pszLine : {
             u8"프린트 Type : NETWORK (IP : 127.0.0.1 / PORT : 9100) \r\n",
             u8"프린트 Type : SERIAL (COM5 / BaudRate : 19200)\r\n",
             u8"하단줄바꿈 : [3칸]\r\n",
             u8"픽업 주문서 인쇄 매수 : 2\r\n",
             u8"배달 영수증 인쇄 매수 : 0\r\n",
             u8"메뉴명 사이즈 : 크게\r\n",
             u8"옵션 분류명 출력 여부 : 출력안함\r\n",
             u8"[USER_CLICK] 프린터 설정 저장",
         }) {
        EXPECT_NE(strLog.find(Cp949FromUtf8(pszLine)), std::string::npos)
            << reinterpret_cast<const char*>(pszLine);
    }
}

// The test print uses the screen: a virtual printer gets the test page
// (104), a refusing one gives 103, a printer that prints nothing 118.
TEST_F(PrintSettingDialogTest, TestPrintBoxes)
{
    testsupport::CVirtualPrinter printer(ZELKOR_VPRINTER_EXE, m_Folder.File("vprinter"));
    ASSERT_NE(printer.Port(), 0);
    m_pDlg->Click(Dlg::IDC_PAGE_BASIC);
    SetNetwork(0, "127.0.0.1", printer.Port());
    m_pDlg->Click(Dlg::IDC_TEST_PRINT);
    EXPECT_EQ(m_Boxes.Ids(), std::vector<int>{104});
    EXPECT_EQ(printer.WaitForReceipts(1, 10000).size(), 1u);

    SetNetwork(0, "127.0.0.1", RefusingPort());
    m_pDlg->Click(Dlg::IDC_TEST_PRINT);
    Panel(0).Click(Sub::IDC_ORDER_NOT_USED);
    Panel(0).Click(Sub::IDC_RECEIPT_NOT_USED);
    m_pDlg->Click(Dlg::IDC_TEST_PRINT);
    SetNetwork(0, "127.0.0.1", 70000);
    m_pDlg->Click(Dlg::IDC_TEST_PRINT);
    const std::vector<Json::Value> vBoxes = m_Boxes.Boxes();
    ASSERT_EQ(m_Boxes.Ids(), (std::vector<int>{104, 103, 118, 102}));
    EXPECT_EQ(vBoxes[1]["text"].asString(),
              Cp949FromUtf8(u8"프린터1 연결이 되지 않습니다.\r\n정상적으로 연결되어있는지 "
                            u8"확인해주시기 바랍니다."));
    // Nothing of the screen was stored.
    EXPECT_EQ(Ini("PRINTER", "Printer1LanPrintPort"), "<absent>");
}

// Printer 2 invalid (prints, no address): 102 naming it, Config.ini byte
// for byte as it was, and printer 1's new record not in the live store.
TEST_F(PrintSettingDialogTest, InvalidPrinterTwoLeavesFileAndStoreAsTheyWere)
{
    const std::string strBefore = m_Folder.ReadFile("Config.ini");
    PrintInfo before;
    ASSERT_EQ(m_Setting.GetPrintInfoForIndex(0, &before), 1);
    m_pDlg->Click(Dlg::IDC_PAGE_BASIC);
    SetNetwork(0, "127.0.0.1", 9100);
    SetNetwork(1, "", 9100);
    m_pDlg->Click(Dlg::IDC_SAVE);
    const std::vector<Json::Value> vBoxes = m_Boxes.Boxes();
    ASSERT_EQ(m_Boxes.Ids(), std::vector<int>{102});
    EXPECT_NE(vBoxes[0]["text"].asString().find(Cp949FromUtf8(u8"프린터2 설정을")),
              std::string::npos);
    EXPECT_EQ(m_Folder.ReadFile("Config.ini"), strBefore);
    PrintInfo after;
    ASSERT_EQ(m_Setting.GetPrintInfoForIndex(0, &after), 1);
    EXPECT_EQ(after.PortType, before.PortType);
    EXPECT_STREQ(after.LanPrintIP, before.LanPrintIP);
}

// Close with a change asks 117: No leaves the file and closes; Yes with
// invalid data shows 102 and the dialog stays open.
TEST_F(PrintSettingDialogTest, CloseQuestion)
{
    const std::string strBefore = m_Folder.ReadFile("Config.ini");
    m_pDlg->Click(Dlg::IDC_CLOSE);
    EXPECT_TRUE(m_Boxes.Ids().empty());
    EXPECT_FALSE(m_pDlg->IsOpen());

    m_pDlg->ShowDialog();
    m_pDlg->Click(Dlg::IDC_CUSTOMER_SMALL);
    {
        dialogtest::CBoxJournal boxes(m_Folder.File("no.jsonl"), {IDNO});
        m_pDlg->Click(Dlg::IDC_CLOSE);
        EXPECT_EQ(boxes.Ids(), std::vector<int>{117});
    }
    EXPECT_FALSE(m_pDlg->IsOpen());
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_Folder.ReadFile("Config.ini"), strBefore);
    EXPECT_FALSE(m_pDlg->IsChangedPrinterData()); // the screen went back to the store

    m_pDlg->ShowDialog();
    m_pDlg->Click(Dlg::IDC_PAGE_BASIC);
    SetNetwork(1, "", 9100);
    {
        dialogtest::CBoxJournal boxes(m_Folder.File("yes.jsonl"), {IDYES});
        m_pDlg->Click(Dlg::IDC_CLOSE);
        EXPECT_EQ(boxes.Ids(), (std::vector<int>{117, 102}));
    }
    EXPECT_TRUE(m_pDlg->IsOpen());
    EXPECT_EQ(m_Folder.ReadFile("Config.ini"), strBefore);
    // A name alone is no change; the dialog cannot be shown by others.
    m_pDlg->Click(Dlg::IDC_CLOSE);
    m_pDlg->show();
    EXPECT_FALSE(m_pDlg->isVisible());
}

// A port printer 1 uses is left out of printer 2's list when the user
// looks for ports; a stored configuration that uses it twice shows as
// stored.
TEST_F(PrintSettingDialogTest, SkipListBetweenThePrinters)
{
    m_pDlg->Click(Dlg::IDC_PAGE_BASIC);
    Panel(0).Click(Sub::IDC_RECEIPT_USE);
    Panel(0).Click(Sub::IDC_TYPE_NETWORK);
    Panel(0).Click(Sub::IDC_TYPE_SERIAL);
    auto* pPorts = PanelControl<CTeskComboBox>(0, Sub::IDC_PORT_LIST);
    pPorts->setCurrentIndex(pPorts->findText(QStringLiteral("COM5")));
    m_pDlg->Click(Dlg::IDC_TAB_PRINTER2);
    EXPECT_FALSE(PortList(1).contains(QStringLiteral("COM5")))
        << PortList(1).join(u',').toStdString();
    EXPECT_TRUE(PortList(1).contains(QStringLiteral("COM6")));

    // Stored twice: both panels show COM5 after a load.
    IniWriteStrings({{"PRINTER", "Printer1Portname", std::string("COM5")},
                     {"PRINTER", "Printer1Port", std::string("5")},
                     {"PRINTER", "Printer2Portname", std::string("COM5")},
                     {"PRINTER", "Printer2Port", std::string("5")}},
                    m_Folder.File("Config.ini").c_str());
    m_pDlg->LoadPrinterInfo(0);
    EXPECT_EQ(Panel(0).SelectedSerialPort(), "COM5");
    EXPECT_EQ(Panel(1).SelectedSerialPort(), "COM5");
    // Searching again on printer 2 drops it there: its port reads as 0.
    Panel(1).Click(Sub::IDC_SERIAL_SEARCH);
    EXPECT_EQ(Panel(1).SelectedSerialPort(), "");
    PrintInfo info;
    Panel(1).GetUIPrintInfo(&info);
    EXPECT_EQ(info.Port, 0);
}

// Wait numbers handed out by the event worker but not yet in the file
// survive the dialog's close; the next order gets the next number.
TEST_F(PrintSettingDialogTest, ClosingKeepsTheWaitNumbersHandedOut)
{
    ASSERT_EQ(m_Setting.GetOrderCurrentWaitNo(), 17);
    // The worker hands out 18 to 20; the file still says 17.
    ASSERT_EQ(m_Setting.SetOrderCurrentWaitNo(20, 1, 0), 1);
    m_pDlg->Click(Dlg::IDC_CUSTOMER_NORMAL);
    {
        dialogtest::CBoxJournal boxes(m_Folder.File("yes.jsonl"), {IDYES});
        m_pDlg->Click(Dlg::IDC_CLOSE);
        EXPECT_EQ(boxes.Ids(), std::vector<int>{117});
    }
    EXPECT_FALSE(m_pDlg->IsOpen());
    EXPECT_EQ(Ini("PRINTER", "ReqCustomerSize"), "1");
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), 20);
    EXPECT_EQ(Ini("ORDER", "LastNo"), "17");
    // The next order's number, as the event worker takes it.
    m_Setting.SetOrderCurrentWaitNo(m_Setting.GetOrderCurrentWaitNo() + 1, 0);
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), 21);
    EXPECT_EQ(Ini("ORDER", "LastNo"), "21");
}

// The borderless dialog moves with a drag on its surface.
TEST_F(PrintSettingDialogTest, DragOnTheSurfaceMovesTheWindow)
{
    m_pDlg->move(100, 100);
    const QPoint start = m_pDlg->pos();
    const QPointF local(320, 360); // empty surface below the owner page's rows
    const QPointF global = m_pDlg->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(m_pDlg.get(), &press);
    QMouseEvent move(QEvent::MouseMove, local + QPointF(40, 25), global + QPointF(40, 25),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_pDlg.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local + QPointF(40, 25),
                        global + QPointF(40, 25), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_pDlg.get(), &release);
    EXPECT_EQ(m_pDlg->pos(), start + QPoint(40, 25));
}

// The counts clamp at 0 and 999; an empty edit counts as 0 and saves as 0.
TEST_F(PrintSettingDialogTest, CountsClamp)
{
    auto* pEdit = static_cast<CFlatEdit*>(m_pDlg->Control(Dlg::IDC_PICKUP_ORDER_CNT));
    pEdit->setText(QStringLiteral("999"));
    m_pDlg->Click(Dlg::IDC_PICKUP_ORDER_PLUS);
    EXPECT_EQ(pEdit->text(), QStringLiteral("999"));
    pEdit->setText(QString());
    m_pDlg->Click(Dlg::IDC_PICKUP_ORDER_MINUS);
    EXPECT_EQ(pEdit->text(), QStringLiteral("0"));
    pEdit->setText(QString());
    m_pDlg->Click(Dlg::IDC_SAVE);
    EXPECT_EQ(pEdit->text(), QStringLiteral("0"));
    EXPECT_EQ(Ini("PRINTER", "PrintCnt"), "0");
}

// A save whose file write fails (full disk) tells the user with an error
// box, and the store and the screen go back to what the file holds.
TEST(PrintSettingDialogDiskTest, FailedWriteShowsAnErrorAndReloads)
{
    testsupport::CSmallTmpfs disk(64);
    if (!disk.Mounted()) {
        GTEST_SKIP() << disk.Why();
    }
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    dialogtest::CBoxJournal boxes(folder.File("boxes.jsonl"));
    const std::string strIni = disk.File("Config.ini");
    ASSERT_TRUE(IniWriteString("PRINTER", "PrintCnt", "1", strIni.c_str()));
    CPrinterSetting setting;
    Dlg dlg(setting);
    dlg.OnInitDialog(strIni);
    dlg.ShowDialog();
    const std::string strBefore = testsupport::ReadWholeFile(strIni);
    ASSERT_TRUE(disk.Fill());
    dlg.Click(Dlg::IDC_PICKUP_ORDER_PLUS);
    dlg.Click(Dlg::IDC_SAVE);
    const std::vector<Json::Value> vBoxes = boxes.Boxes();
    ASSERT_EQ(vBoxes.size(), 1u);
    EXPECT_EQ(vBoxes[0]["icon"].asString(), "error");
    EXPECT_EQ(testsupport::ReadWholeFile(strIni), strBefore);
    EXPECT_EQ(setting.GetPrintCnt(), 1);
    EXPECT_EQ(static_cast<CFlatEdit*>(dlg.Control(Dlg::IDC_PICKUP_ORDER_CNT))->text(),
              QStringLiteral("1"));
    EXPECT_FALSE(dlg.IsChangedPrinterData());
}

} // namespace
