// The settings dialog's decisions without a window: which connection values
// pass, what counts as a change, the log and shared texts, and the save's
// all-or-nothing rule over a real Config.ini.
#include "foundation/ini_file.h"
#include "tests/support/fake_clock.h"
#include "tests/support/program_folder.h"
#include "tests/support/small_tmpfs.h"
#include "ui/dialogs/logic/print_setting_data.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

PrintInfo NetworkPrinter(const char* pszIp, int nPort)
{
    PrintInfo info;
    info.Use = 1;
    info.Rcp = 1;
    info.PortType = 1;
    SetPrintInfoText(info.Name, std::string("프린터1"));
    SetPrintInfoText(info.Portname, std::string("COM1"));
    SetPrintInfoText(info.LanPrintIP, std::string(pszIp));
    info.LanPrintPort = nPort;
    info.BaudRate = 9600;
    info.LineFeed = 4;
    return info;
}

PrintInfo SerialPrinter(int nPort, int nBaudRate)
{
    PrintInfo info;
    info.Use = 0;
    info.Rcp = 1;
    info.PortType = 0;
    SetPrintInfoText(info.Name, std::string("프린터2"));
    info.Port = nPort;
    SetPrintInfoText(info.Portname, "COM" + std::to_string(nPort));
    info.BaudRate = nBaudRate;
    info.LineFeed = 3;
    return info;
}

TEST(PrintSettingValidationTest, ConnectionValues)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    PrintInfo spooler = NetworkPrinter("", 0);
    spooler.PortType = 2;
    PrintInfo unused = NetworkPrinter("", 70000);
    unused.Use = unused.Rcp = 0;
    struct Case
    {
        const char* pszName;
        PrintInfo info;
        bool bValid;
    };
    const Case cases[] = {
        {"network port 1", NetworkPrinter("10.0.0.5", 1), true},
        {"network port 65535", NetworkPrinter("10.0.0.5", 65535), true},
        {"network port 0", NetworkPrinter("10.0.0.5", 0), false},
        {"network port 65536", NetworkPrinter("10.0.0.5", 65536), false},
        {"network port 70000", NetworkPrinter("10.0.0.5", 70000), false},
        {"network without address", NetworkPrinter("", 9100), false},
        {"serial COM3 19200", SerialPrinter(3, 19200), true},
        {"serial without port", SerialPrinter(0, 9600), false},
        {"serial 14400 (no line speed)", SerialPrinter(3, 14400), false},
        {"serial 256000 (no line speed)", SerialPrinter(3, 256000), false},
        {"spooler without a printer", spooler, false},
        {"printer that prints nothing", unused, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidPrinterData(0, c.info), c.bValid) << c.pszName;
    }
    const std::string strLog = folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("네트워크 포트 에러 [70000]"), std::string::npos);
    EXPECT_NE(strLog.find("시리얼포트 속도 에러 [14400]"), std::string::npos);
}

SPrintSettingData SampleData()
{
    SPrintSettingData data;
    data.aPrinter[0] = NetworkPrinter("192.168.0.30", 9100);
    data.aPrinter[1] = SerialPrinter(3, 19200);
    data.nPickupOrderSheetCnt = 2;
    data.nPickupPaymentCnt = 0;
    data.nDeliveryOrderSheetCnt = 3;
    data.nDeliveryPaymentCnt = 1;
    data.nPrintOrigin = 1;
    data.nPrintOptionGroup = 0;
    data.nReqCustomerSize = 0;
    data.nReqDelivererSize = 2;
    data.nMenuNameSize = 1;
    data.nOriginSize = 2;
    return data;
}

TEST(PrintSettingChangeTest, WhatCountsAsAChange)
{
    const SPrintSettingData store = SampleData();
    struct Case
    {
        const char* pszName;
        void (*pfnChange)(SPrintSettingData&);
        bool bChanged;
    };
    const Case cases[] = {
        {"nothing", [](SPrintSettingData&) {}, false},
        {"a printer's name only",
         [](SPrintSettingData& d) { SetPrintInfoText(d.aPrinter[0].Name, std::string("주방")); },
         false},
        {"port name in other letter case",
         [](SPrintSettingData& d) {
             SetPrintInfoText(d.aPrinter[1].Portname, std::string("com3"));
         },
         false},
        {"a size button", [](SPrintSettingData& d) { d.nReqDelivererSize = 1; }, true},
        {"a count", [](SPrintSettingData& d) { d.nDeliveryPaymentCnt = 2; }, true},
        {"printer 2 line feeds", [](SPrintSettingData& d) { d.aPrinter[1].LineFeed = 5; }, true},
        {"network port", [](SPrintSettingData& d) { d.aPrinter[0].LanPrintPort = 9101; }, true},
    };
    for (const Case& c : cases) {
        SPrintSettingData screen = store;
        c.pfnChange(screen);
        EXPECT_EQ(IsChangedPrintSettingData(screen, store), c.bChanged) << c.pszName;
    }
}

TEST(PrintSettingTextTest, LogAndSharedTexts)
{
    const SPrintSettingData data = SampleData();
    EXPECT_EQ(MakePrintSettingLogText(data),
              "프린터 설정 정보\r\n"
              "[프린터1]\r\n"
              "주방주문서 사용여부 : [출력]\r\n"
              "영수증프린트 사용여부 : [출력]\r\n"
              "프린트 Type : NETWORK (IP : 192.168.0.30 / PORT : 9100) \r\n"
              "하단줄바꿈 : [4칸]\r\n"
              "[프린터2]\r\n"
              "주방주문서 사용여부 : [출력안함]\r\n"
              "영수증프린트 사용여부 : [출력]\r\n"
              "프린트 Type : SERIAL (COM3 / BaudRate : 19200)\r\n"
              "하단줄바꿈 : [3칸]\r\n"
              "[사장님설정]\r\n"
              "배달 주문서 인쇄 매수 : 3\r\n"
              "배달 영수증 인쇄 매수 : 1\r\n"
              "픽업 주문서 인쇄 매수 : 2\r\n"
              "픽업 영수증 인쇄 매수 : 0\r\n"
              "메뉴명 사이즈 : 기본\r\n"
              "고객요청사항 사이즈 : 크게\r\n"
              "기사님 전달사항 사이즈 : 작게\r\n"
              "옵션 분류명 출력 여부 : 출력안함\r\n"
              "원산지 정보 출력 여부 : 출력\r\n"
              "원산지 정보 사이즈 : 작게\r\n");
    // Sizes as texts, use flags and counts as numbers; the keys in the order
    // the styled writer gives them.
    EXPECT_EQ(MakePrintSettingSharedText(data), R"({
   "DeliveryOrderSheetPrintCnt" : 3,
   "DeliveryPaymentPrintCnt" : 1,
   "MenuNameSize" : "기본",
   "OriginSize" : "작게",
   "PickupOrderSheetPrintCnt" : 2,
   "PickupPaymentPrintCnt" : 0,
   "PrintOptionGroup" : 0,
   "PrintOrigin" : 1,
   "PrinterInfo" : [
      {
         "Index" : 1,
         "LanIP" : "192.168.0.30",
         "LanPort" : 9100,
         "LineFeed" : 4,
         "Name" : "프린터1",
         "OrderSheetUse" : 1,
         "PaymentUse" : 1,
         "PortType" : 1,
         "SerialBaudRate" : 9600,
         "SerialPort" : "COM1",
         "USBPrintName" : ""
      },
      {
         "Index" : 2,
         "LanIP" : "",
         "LanPort" : 0,
         "LineFeed" : 3,
         "Name" : "프린터2",
         "OrderSheetUse" : 0,
         "PaymentUse" : 1,
         "PortType" : 0,
         "SerialBaudRate" : 19200,
         "SerialPort" : "COM3",
         "USBPrintName" : ""
      }
   ],
   "ReqCustomerSize" : "크게",
   "ReqDelivererSize" : "작게"
}
)");
}

class PrintSettingSaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        m_Folder.WriteFile("Config.ini", "; shop\r\n[POS]\r\nNobizer=1234567890\r\n[PRINTER]\r\n"
                                         "Printer1Use=0\r\n[ORDER]\r\nLastDate=20231208\r\n"
                                         "LastNo=17\r\n");
        m_Setting.SetConfigFilePath(m_Folder.File("Config.ini").c_str());
        ASSERT_EQ(m_Setting.ReadFilePrintInfo(1), 1);
    }
    std::string Ini(const char* pszKey)
    {
        return IniGetString("PRINTER", pszKey, "<absent>", m_Folder.File("Config.ini").c_str());
    }
    testsupport::CTempProgramFolder m_Folder;
    testsupport::CFakeClock m_Clock{2023, 12, 8, 9, 33, 8};
    CPrinterSetting m_Setting;
};

TEST_F(PrintSettingSaveTest, InvalidPrinterTwoChangesNothing)
{
    const std::string strBefore = m_Folder.ReadFile("Config.ini");
    const SPrintSettingData before = ReadPrintSettingData(m_Setting);
    SPrintSettingData data = SampleData();
    data.aPrinter[1] = NetworkPrinter("", 9100); // prints, but has no address
    int nInvalid = 0;
    EXPECT_EQ(SavePrintSettingData(m_Setting, data, nInvalid), ESaveResult::InvalidPrinter);
    EXPECT_EQ(nInvalid, 2);
    EXPECT_EQ(m_Folder.ReadFile("Config.ini"), strBefore);
    EXPECT_FALSE(IsChangedPrintSettingData(ReadPrintSettingData(m_Setting), before));
    const SPrintSettingData after = ReadPrintSettingData(m_Setting);
    EXPECT_EQ(std::memcmp(&before.aPrinter[0], &after.aPrinter[0], sizeof(PrintInfo)), 0);
}

TEST_F(PrintSettingSaveTest, SaveWritesPrinterSectionOnlyAndClampsCounts)
{
    SPrintSettingData data = SampleData();
    data.nPickupPaymentCnt = -4;
    data.nDeliveryPaymentCnt = 5000;
    // The event worker has handed out 18 meanwhile.
    ASSERT_EQ(m_Setting.SetOrderCurrentWaitNo(18, 1), 1);
    int nInvalid = 0;
    ASSERT_EQ(SavePrintSettingData(m_Setting, data, nInvalid), ESaveResult::Saved);
    EXPECT_EQ(Ini("Printer1LanPrintUse"), "1");
    EXPECT_EQ(Ini("Printer1LanPrintIP"), "192.168.0.30");
    EXPECT_EQ(Ini("Printer2Portname"), "COM3");
    EXPECT_EQ(Ini("Printer2BaudRate"), "19200");
    EXPECT_EQ(Ini("PickupPaymentPrintCnt"), "0");
    EXPECT_EQ(Ini("DeliveryPaymentPrintCnt"), "999");
    EXPECT_EQ(Ini("ReqDelivererSize"), "2");
    EXPECT_EQ(IniGetString("ORDER", "LastNo", "", m_Folder.File("Config.ini").c_str()), "18");
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), 18);
    EXPECT_EQ(IniGetString("POS", "Nobizer", "", m_Folder.File("Config.ini").c_str()),
              "1234567890");
}

TEST(PrintSettingSaveFailureTest, FailedWriteReloadsTheStoreFromTheFile)
{
    testsupport::CSmallTmpfs disk(64);
    if (!disk.Mounted()) {
        GTEST_SKIP() << disk.Why();
    }
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    const std::string strIni = disk.File("Config.ini");
    ASSERT_TRUE(IniWriteString("PRINTER", "Printer1Use", "0", strIni.c_str()));
    CPrinterSetting setting;
    setting.SetConfigFilePath(strIni.c_str());
    ASSERT_EQ(setting.ReadFilePrintInfo(1), 1);
    const std::string strBefore = testsupport::ReadWholeFile(strIni);
    ASSERT_TRUE(disk.Fill());
    int nInvalid = 0;
    EXPECT_EQ(SavePrintSettingData(setting, SampleData(), nInvalid), ESaveResult::WriteFailed);
    EXPECT_EQ(testsupport::ReadWholeFile(strIni), strBefore);
    PrintInfo info;
    ASSERT_EQ(setting.GetPrintInfoForIndex(0, &info), 1);
    EXPECT_EQ(info.Use, 0);
    EXPECT_EQ(info.PortType, 0);
    EXPECT_EQ(setting.GetDeliveryPrintCnt(), 1);
}

} // namespace
