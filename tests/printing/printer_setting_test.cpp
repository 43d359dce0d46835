// Printer settings store: defaults, flags, fallbacks, the day roll-over of
// the wait number, and Config.ini round trips.
#include "foundation/ini_file.h"
#include "printing/printer_setting.h"
#include "tests/support/cp949.h"
#include "tests/support/fake_clock.h"
#include "tests/support/program_folder.h"

#include <atomic>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace {

class PrinterSettingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        m_strIni = m_Folder.File("Config.ini");
        m_Setting.SetConfigFilePath(m_strIni.c_str());
    }

    void WriteIni(const std::string& strText) { m_Folder.WriteFile("Config.ini", strText); }
    std::string Ini(const char* pszSection, const char* pszKey)
    {
        return IniGetString(pszSection, pszKey, "<absent>", m_strIni.c_str());
    }
    PrintInfo Record(int nIndex)
    {
        PrintInfo info;
        EXPECT_EQ(m_Setting.GetPrintInfoForIndex(nIndex, &info), 1);
        return info;
    }

    testsupport::CTempProgramFolder m_Folder;
    testsupport::CFakeClock m_Clock{2023, 12, 8, 9, 33, 8};
    std::string m_strIni;
    CPrinterSetting m_Setting;
};

TEST_F(PrinterSettingTest, ValuesBeforeFirstRead)
{
    CPrinterSetting setting;
    EXPECT_EQ(setting.GetPrintLineType(), 0);
    EXPECT_EQ(setting.GetPrintCnt(), 1);
    EXPECT_EQ(setting.GetDeliveryPrintCnt(), 1);
    EXPECT_EQ(setting.GetPickupPaymentPrintCnt(), 1);
    EXPECT_EQ(setting.GetDeliveryPaymentPrintCnt(), 1);
    EXPECT_EQ(setting.GetPrintOrigin(), 1);
    EXPECT_EQ(setting.GetPrintOptiongroup(), 1);
    EXPECT_EQ(setting.GetReqCustomerSize(), 0);
    EXPECT_EQ(setting.GetReqDelivererSize(), 0);
    EXPECT_EQ(setting.GetMenunameSize(), 1);
    EXPECT_EQ(setting.GetOriginSize(), 2);
    EXPECT_EQ(setting.GetOrderStartWaitNo(), 1);
    EXPECT_EQ(setting.GetOrderCurrentWaitNo(), 1);
    EXPECT_EQ(setting.GetOrderLastDate(), "");
    EXPECT_EQ(setting.GetConfigFilePath(), "");
}

// An empty Config.ini and a missing one give the same printer defaults;
// only the empty file gets a wait number written (the ORDER readers keep
// their values when the file does not exist).
TEST_F(PrinterSettingTest, DefaultsOfEmptyOrMissingFile)
{
    for (bool bFileExists : {true, false}) {
        SCOPED_TRACE(bFileExists ? "empty Config.ini" : "missing Config.ini");
        std::string strIni = m_Folder.File(bFileExists ? "Empty/Config.ini" : "Absent/Config.ini");
        if (bFileExists) {
            m_Folder.WriteFile("Empty/Config.ini", "");
        }
        CPrinterSetting setting;
        setting.SetConfigFilePath(strIni.c_str());
        ASSERT_EQ(setting.ReadFilePrintInfo(0), 1);

        PrintInfo info[MAX_PRINTER_COUNT];
        ASSERT_EQ(setting.GetPrintInfoForAll(info), 1);
        const char* pszNames[] = {"프린터1", "프린터2"};
        for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(info[i].Use, 0);
            EXPECT_EQ(info[i].Rcp, 0);
            EXPECT_EQ(info[i].PortType, 0);
            EXPECT_STREQ(info[i].Name, pszNames[i]);
            EXPECT_EQ(info[i].Port, 0);
            EXPECT_EQ(info[i].BaudRate, 9600);
            EXPECT_STREQ(info[i].Portname, "COM0");
            EXPECT_STREQ(info[i].LanPrintIP, "");
            EXPECT_EQ(info[i].LanPrintPort, 0);
            EXPECT_STREQ(info[i].UsbName, "");
            EXPECT_EQ(info[i].LineFeed, 4);
            EXPECT_EQ(info[i].StatusCheck, 1);
        }

        struct
        {
            const char* pszName;
            int nActual;
            int nExpected;
        } const values[] = {
            {"line type", setting.GetPrintLineType(), 0},
            {"PrintCnt", setting.GetPrintCnt(), 1},
            {"DeliveryPrintCnt", setting.GetDeliveryPrintCnt(), 1},
            {"PickupPaymentPrintCnt", setting.GetPickupPaymentPrintCnt(), 0},
            {"DeliveryPaymentPrintCnt", setting.GetDeliveryPaymentPrintCnt(), 1},
            {"PrintOrigin", setting.GetPrintOrigin(), 1},
            {"PrintOptiongroup", setting.GetPrintOptiongroup(), 1},
            {"ReqCustomerSize", setting.GetReqCustomerSize(), 0},
            {"ReqDelivererSize", setting.GetReqDelivererSize(), 0},
            {"MenunameSize", setting.GetMenunameSize(), 1},
            {"OriginSize", setting.GetOriginSize(), 2},
            {"StartNo", setting.GetOrderStartWaitNo(), 1},
            {"current number", setting.GetOrderCurrentWaitNo(), 1},
        };
        for (const auto& value : values) {
            EXPECT_EQ(value.nActual, value.nExpected) << value.pszName;
        }
        if (bFileExists) {
            // A first day: the number starts over and today is recorded.
            EXPECT_EQ(setting.GetOrderLastDate(), "20231208");
            EXPECT_EQ(IniGetString("ORDER", "LastDate", "", strIni.c_str()), "20231208");
            EXPECT_EQ(IniGetString("ORDER", "LastNo", "", strIni.c_str()), "1");
        } else {
            EXPECT_EQ(setting.GetOrderLastDate(), "");
            std::string strLog = m_Folder.ReadCurrentLog();
            EXPECT_NE(
                strLog.find("[CPrinterSetting::ReadFileOrderLastDate] ConfigFilePath Not Exist"),
                std::string::npos);
            EXPECT_NE(strLog.find(
                          "[CPrinterSetting::ReadFileOrderCurrentWaitNo] ConfigFilePath Not Exist"),
                      std::string::npos);
        }
    }
}

TEST_F(PrinterSettingTest, LineTypeIsOneOnlyFor48Columns)
{
    struct
    {
        const char* pszFile;
        int nLineType;
    } const cases[] = {
        {"[PRINTER]\nLINE=48\n", 1}, {"[PRINTER]\nLINE=42\n", 0},    {"[PRINTER]\nLINE=40\n", 0},
        {"[PRINTER]\n", 0},          {"[PRINTER]\nLINE=48abc\n", 1}, {"[printer]\nline=48\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszFile);
        WriteIni(c.pszFile);
        ASSERT_EQ(m_Setting.ReadFilePrintInfo(0), 1);
        EXPECT_EQ(m_Setting.GetPrintLineType(), c.nLineType);
    }
    // The line type is never written back.
    WriteIni("[PRINTER]\n");
    ASSERT_EQ(m_Setting.WriteFilePrintInfo(), 1);
    EXPECT_EQ(Ini("PRINTER", "LINE"), "<absent>");
}

TEST_F(PrinterSettingTest, PortTypeFromThreeFlags)
{
    struct
    {
        int nSerial, nLan, nUsb;
        int nPortType;
    } const cases[] = {
        {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 1}, {0, 0, 1, 2},
        {0, 1, 1, 1}, {1, 1, 1, 1}, {1, 0, 1, 2}, {0, 2, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nSerial << c.nLan << c.nUsb);
        char szFile[256];
        snprintf(szFile, sizeof(szFile),
                 "[PRINTER]\nPrinter1SerialUse=%d\nPrinter1LanPrintUse=%d\nPrinter1UsbUse=%d\n",
                 c.nSerial, c.nLan, c.nUsb);
        WriteIni(szFile);
        ASSERT_EQ(m_Setting.ReadFilePrintInfo(0), 1);
        EXPECT_EQ(Record(0).PortType, c.nPortType);
        EXPECT_EQ(Record(1).PortType, 0);
    }
}

TEST_F(PrinterSettingTest, PortTypeWrittenAsExactlyOneFlag)
{
    struct
    {
        int nPortType;
        const char* pszSerial;
        const char* pszLan;
        const char* pszUsb;
    } const cases[] = {
        {0, "1", "0", "0"},
        {1, "0", "1", "0"},
        {2, "0", "0", "1"},
        {7, "0", "0", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nPortType);
        PrintInfo info = Record(1);
        info.PortType = c.nPortType;
        ASSERT_EQ(m_Setting.SetPrintInfoForIndex(1, &info), 1);
        ASSERT_EQ(m_Setting.WriteFilePrintInfo(), 1);
        EXPECT_EQ(Ini("PRINTER", "Printer2SerialUse"), c.pszSerial);
        EXPECT_EQ(Ini("PRINTER", "Printer2LanPrintUse"), c.pszLan);
        EXPECT_EQ(Ini("PRINTER", "Printer2UsbUse"), c.pszUsb);
    }
}

TEST_F(PrinterSettingTest, WriteThenReadRoundTrip)
{
    PrintInfo first;
    first.Use = 1;
    first.Rcp = 0;
    first.PortType = 0;
    SetPrintInfoText(first.Name, std::string("주방 프린터"));
    first.Port = 3;
    first.BaudRate = 115200;
    SetPrintInfoText(first.Portname, std::string("COM3"));
    first.LineFeed = 6;
    PrintInfo second;
    second.Use = 0;
    second.Rcp = 1;
    second.PortType = 1;
    SetPrintInfoText(second.Name, std::string("카운터"));
    SetPrintInfoText(second.Portname, std::string("LPT1"));
    SetPrintInfoText(second.LanPrintIP, std::string("192.168.0.50"));
    second.LanPrintPort = 9100;
    SetPrintInfoText(second.UsbName, std::string("영수증 프린터 (USB)"));
    second.LineFeed = 2;
    second.StatusCheck = 0;
    ASSERT_EQ(m_Setting.SetPrintInfoForIndex(0, &first), 1);
    ASSERT_EQ(m_Setting.SetPrintInfoForIndex(1, &second), 1);
    m_Setting.SetPrintCnt(2);
    m_Setting.SetDeliveryPrintCnt(3);
    m_Setting.SetPickupPaymentPrintCnt(0);
    m_Setting.SetDeliveryPaymentPrintCnt(2);
    m_Setting.SetPrintOrigin(0);
    m_Setting.SetPrintOptiongroup(0);
    m_Setting.SetReqCustomerSize(2);
    m_Setting.SetReqDelivererSize(1);
    m_Setting.SetMenunameSize(0);
    m_Setting.SetOriginSize(1);
    m_Setting.SetOrderStartWaitNo(100);
    ASSERT_EQ(m_Setting.SetOrderCurrentWaitNo(123, 0), 1);
    ASSERT_EQ(m_Setting.WriteFilePrintInfo(), 1);

    EXPECT_EQ(Ini("PRINTER", "Printer1Name"), "주방 프린터");
    EXPECT_EQ(Ini("PRINTER", "Printer2LanPrintPort"), "9100");
    EXPECT_EQ(Ini("PRINTER", "Printer1StatusCheck"), "1");
    EXPECT_EQ(Ini("PRINTER", "Printer2StatusCheck"), "0");
    EXPECT_EQ(Ini("ORDER", "StartNo"), "100");
    EXPECT_EQ(Ini("ORDER", "LastNo"), "100"); // first use today: the start number
    EXPECT_EQ(Ini("ORDER", "LastDate"), "20231208");

    CPrinterSetting reread;
    reread.SetConfigFilePath(m_strIni.c_str());
    ASSERT_EQ(reread.ReadFilePrintInfo(0), 1);
    PrintInfo back[MAX_PRINTER_COUNT];
    ASSERT_EQ(reread.GetPrintInfoForAll(back), 1);
    const PrintInfo* pExpected[] = {&first, &second};
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        SCOPED_TRACE(i);
        const PrintInfo& want = *pExpected[i];
        EXPECT_EQ(back[i].Use, want.Use);
        EXPECT_EQ(back[i].Rcp, want.Rcp);
        EXPECT_EQ(back[i].PortType, want.PortType);
        EXPECT_STREQ(back[i].Name, want.Name);
        EXPECT_EQ(back[i].Port, want.Port);
        EXPECT_EQ(back[i].BaudRate, want.BaudRate);
        EXPECT_STREQ(back[i].Portname, want.Portname);
        EXPECT_STREQ(back[i].LanPrintIP, want.LanPrintIP);
        EXPECT_EQ(back[i].LanPrintPort, want.LanPrintPort);
        EXPECT_STREQ(back[i].UsbName, want.UsbName);
        EXPECT_EQ(back[i].LineFeed, want.LineFeed);
        EXPECT_EQ(back[i].StatusCheck, want.StatusCheck);
    }
    EXPECT_EQ(reread.GetPrintCnt(), 2);
    EXPECT_EQ(reread.GetDeliveryPrintCnt(), 3);
    EXPECT_EQ(reread.GetPickupPaymentPrintCnt(), 0);
    EXPECT_EQ(reread.GetDeliveryPaymentPrintCnt(), 2);
    EXPECT_EQ(reread.GetPrintOrigin(), 0);
    EXPECT_EQ(reread.GetPrintOptiongroup(), 0);
    EXPECT_EQ(reread.GetReqCustomerSize(), 2);
    EXPECT_EQ(reread.GetReqDelivererSize(), 1);
    EXPECT_EQ(reread.GetMenunameSize(), 0);
    EXPECT_EQ(reread.GetOriginSize(), 1);
    EXPECT_EQ(reread.GetOrderStartWaitNo(), 100);
    EXPECT_EQ(reread.GetOrderCurrentWaitNo(), 100);
    EXPECT_EQ(reread.GetOrderLastDate(), "20231208");
}

TEST_F(PrinterSettingTest, RequestSizesFallBackToOlderKeys)
{
    struct
    {
        const char* pszFile;
        int nCustomer;
        int nDeliverer;
    } const cases[] = {
        {"[PRINTER]\nReqCustomerSizeNormal=2\nReqDelivererSizeNormal=1\n", 2, 1},
        {"[PRINTER]\nReqCustomerSize=1\nReqCustomerSizeNormal=2\n", 1, 0},
        {"[PRINTER]\nReqDelivererSize=0\nReqDelivererSizeNormal=2\n", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszFile);
        WriteIni(c.pszFile);
        ASSERT_EQ(m_Setting.ReadFilePrintInfo(0), 1);
        EXPECT_EQ(m_Setting.GetReqCustomerSize(), c.nCustomer);
        EXPECT_EQ(m_Setting.GetReqDelivererSize(), c.nDeliverer);
    }

    WriteIni("[PRINTER]\nReqCustomerSizeNormal=2\n");
    ASSERT_EQ(m_Setting.ReadFilePrintInfo(0), 1);
    ASSERT_EQ(m_Setting.WriteFilePrintInfo(), 1);
    EXPECT_EQ(Ini("PRINTER", "ReqCustomerSize"), "2");
    EXPECT_EQ(Ini("PRINTER", "ReqCustomerSizeNormal"), "2"); // older key left alone
}

TEST_F(PrinterSettingTest, SaveDeletesObsoleteKeyAndKeepsOtherSections)
{
    WriteIni("[POS]\nStoreId=ST0001\n[PRINTER]\nPaymentPrintCnt=3\nPrintCnt=2\n"
             "[STORE]\nName=젤코르 분식\n");
    ASSERT_EQ(m_Setting.ReadFilePrintInfo(0), 1);
    ASSERT_EQ(m_Setting.WriteFilePrintInfo(), 1);
    EXPECT_EQ(Ini("PRINTER", "PaymentPrintCnt"), "<absent>");
    EXPECT_EQ(Ini("PRINTER", "PrintCnt"), "2");
    EXPECT_EQ(Ini("POS", "StoreId"), "ST0001");
    EXPECT_EQ(Ini("STORE", "Name"), "젤코르 분식");
}

TEST_F(PrinterSettingTest, WaitNumberDayRollOver)
{
    struct
    {
        const char* pszName;
        const char* pszLastDate; // in the file
        int nLastNo;
        int nStartNo;
        int bKeepDate;
        int nExpectedNo;
        const char* pszExpectedDate;
    } const cases[] = {
        {"same day keeps the number", "20231208", 57, 1, 0, 57, "20231208"},
        {"next day starts over", "20231207", 57, 1, 0, 1, "20231208"},
        {"no date yet starts over", "", 57, 1, 0, 1, "20231208"},
        {"same day, below start", "20231208", 0, 100, 0, 100, "20231208"},
        {"same day, above start", "20231208", 150, 100, 0, 150, "20231208"},
        {"next day, start 100", "20231207", 57, 100, 0, 100, "20231208"},
        {"next day, date kept", "20231207", 57, 1, 1, 1, "20231207"},
        {"a later date counts as another day", "20240101", 57, 1, 0, 1, "20231208"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        char szFile[256];
        snprintf(szFile, sizeof(szFile), "[ORDER]\nLastDate=%s\nLastNo=%d\nStartNo=%d\n",
                 c.pszLastDate, c.nLastNo, c.nStartNo);
        WriteIni(szFile);
        CPrinterSetting setting;
        setting.SetConfigFilePath(m_strIni.c_str());
        ASSERT_EQ(setting.ReadFilePrintInfo(c.bKeepDate), 1);
        EXPECT_EQ(setting.GetOrderCurrentWaitNo(), c.nExpectedNo);
        EXPECT_EQ(setting.GetOrderLastDate(), c.pszExpectedDate);
        EXPECT_EQ(Ini("ORDER", "LastNo"), std::to_string(c.nExpectedNo));
        EXPECT_EQ(Ini("ORDER", "LastDate"), c.pszExpectedDate);
    }
}

TEST_F(PrinterSettingTest, WaitNumberAcrossMidnight)
{
    WriteIni("[ORDER]\nStartNo=100\n");
    ASSERT_EQ(m_Setting.ReadFilePrintInfo(0), 1);
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), 100);

    // The event worker's pattern: read the number, hand it out, store the next.
    ASSERT_EQ(m_Setting.SetOrderCurrentWaitNo(0, 0), 1); // below start
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), 100);
    ASSERT_EQ(m_Setting.SetOrderCurrentWaitNo(m_Setting.GetOrderCurrentWaitNo() + 1, 0), 1);
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), 101);

    m_Clock.Set(2023, 12, 8, 23, 59, 59);
    ASSERT_EQ(m_Setting.SetOrderCurrentWaitNo(102, 0), 1);
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), 102);
    m_Clock.AdvanceMs(2000);
    ASSERT_EQ(m_Setting.SetOrderCurrentWaitNo(103, 0), 1);
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), 100);
    EXPECT_EQ(m_Setting.GetOrderLastDate(), "20231209");
    EXPECT_EQ(Ini("ORDER", "LastDate"), "20231209");
    EXPECT_EQ(Ini("ORDER", "LastNo"), "100");

    // The roll-over alone, as each accepted order applies it: nothing is
    // written on the same day, the start number on the next.
    ASSERT_TRUE(IniWriteString("ORDER", "LastNo", "999", m_strIni.c_str()));
    EXPECT_EQ(m_Setting.RollOverOrderDay(), 0);
    EXPECT_EQ(Ini("ORDER", "LastNo"), "999");
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), 100);
    m_Clock.AdvanceMs(24LL * 3600 * 1000);
    EXPECT_EQ(m_Setting.RollOverOrderDay(), 1);
    EXPECT_EQ(Ini("ORDER", "LastNo"), "100");
    EXPECT_EQ(Ini("ORDER", "LastDate"), "20231210");
}

// A cut that ends in blanks drops them: Config.ini trims a value's end, so
// keeping them would change the text once on the next save and re-read.
TEST_F(PrinterSettingTest, CutTextEndingInBlanksSurvivesSaveAndReread)
{
    WriteIni("[PRINTER]\nPrinter1Portname=" + std::string(16, 'P') + "   QQQ\n");
    ASSERT_EQ(m_Setting.ReadFilePrintInfo(0), 1);
    EXPECT_EQ(std::string(Record(0).Portname), std::string(16, 'P'));
    ASSERT_EQ(m_Setting.WriteFilePrintInfo(), 1);
    ASSERT_EQ(m_Setting.ReadFilePrintInfo(0), 1);
    EXPECT_EQ(std::string(Record(0).Portname), std::string(16, 'P'));
}

// The store checks no ranges: odd values are kept as the INI integer
// reading gives them, and text longer than its field is cut, never spilled.
TEST_F(PrinterSettingTest, AbsurdValuesAreKeptAndLongTextIsCut)
{
    const std::string strLongAscii(300, 'N');
    std::string strLongKorean;
    for (int i = 0; i < 40; ++i) {
        strLongKorean += "가";
    }
    WriteIni("[PRINTER]\nPrinter1Name=" + strLongAscii + "\nPrinter2Name=" + strLongKorean +
             "\nPrinter1Use=7\nPrinter1BaudRate=fast\nPrinter1Port=-4\nPrinter1LineFeed=99999"
             "\nPrinter1Portname=" +
             std::string(40, 'P') + "\nPrinter1LanPrintIP=" + std::string(100, '1') +
             "\nPrinter1UsbName=" + std::string(1000, 'U') +
             "\nPrintCnt=-5\nMenunameSize=9\nOriginSize=12abc\n"
             "[ORDER]\nStartNo=-3\nLastNo=zzz\nLastDate=" +
             std::string(400, '9') + "\n");
    ASSERT_EQ(m_Setting.ReadFilePrintInfo(0), 1);

    PrintInfo first = Record(0);
    EXPECT_EQ(std::string(first.Name), strLongAscii.substr(0, 63));
    EXPECT_EQ(std::string(first.Portname), std::string(19, 'P'));
    EXPECT_EQ(std::string(first.LanPrintIP), std::string(63, '1'));
    EXPECT_EQ(std::string(first.UsbName), std::string(259, 'U'));
    EXPECT_EQ(first.Use, 7);
    EXPECT_EQ(first.BaudRate, 0);
    EXPECT_EQ(first.Port, -4);
    EXPECT_EQ(first.LineFeed, 99999);
    // 63 bytes would split the 32nd syllable: the cut falls before it.
    EXPECT_EQ(std::string(Record(1).Name), strLongKorean.substr(0, 62));
    EXPECT_EQ(m_Setting.GetPrintCnt(), -5);
    EXPECT_EQ(m_Setting.GetMenunameSize(), 9);
    EXPECT_EQ(m_Setting.GetOriginSize(), 12);
    EXPECT_EQ(m_Setting.GetOrderStartWaitNo(), -3);
    // The 259-byte date is not today: a new day at the start number.
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), -3);
    EXPECT_EQ(m_Setting.GetOrderLastDate(), "20231208");

    // A record filled by hand without terminators is stored terminated.
    PrintInfo raw;
    memset(static_cast<void*>(&raw), 'X', sizeof(raw));
    ASSERT_EQ(m_Setting.SetPrintInfoForIndex(0, &raw), 1);
    EXPECT_EQ(strlen(Record(0).Name), 63u);
    EXPECT_EQ(strlen(Record(0).UsbName), 259u);
}

TEST(PrintInfoTextTest, CutsAtWholeCharacters)
{
    struct
    {
        const char* pszText;
        size_t nFieldSize;
        const char* pszExpected;
    } const cases[] = {
        {"COM3", 20, "COM3"},  {"abcdef", 4, "abc"}, {"가나다", 7, "가나다"},
        {"가나다", 6, "가나"}, {"a가", 3, "a"},      {"", 4, ""},
        {"x", 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << testsupport::Utf8FromCp949(c.pszText) << " in " << c.nFieldSize);
        char szField[32];
        memset(szField, '#', sizeof(szField));
        SetPrintInfoText(szField, c.nFieldSize, c.pszText);
        EXPECT_STREQ(szField, c.pszExpected);
        EXPECT_EQ(szField[c.nFieldSize], '#'); // nothing written past the field
    }
}

TEST_F(PrinterSettingTest, RecordOperationsRefuseBadIndexAndNullBuffer)
{
    PrintInfo info;
    PrintInfo all[MAX_PRINTER_COUNT];
    EXPECT_EQ(m_Setting.GetPrintInfoForIndex(2, &info), 0);
    EXPECT_EQ(m_Setting.GetPrintInfoForIndex(-1, &info), 0);
    EXPECT_EQ(m_Setting.SetPrintInfoForIndex(2, &info), 0);
    EXPECT_EQ(m_Setting.GetPrintInfoForIndex(0, nullptr), 0);
    EXPECT_EQ(m_Setting.SetPrintInfoForIndex(0, nullptr), 0);
    EXPECT_EQ(m_Setting.GetPrintInfoForAll(nullptr), 0);
    EXPECT_EQ(m_Setting.GetPrintInfoForAll(all), 1);
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(
        strLog.find("[ERROR] [CPrinterSetting::GetPrintInfoForIndex] Print Count Error... [2]"),
        std::string::npos);
    EXPECT_NE(strLog.find("[CPrinterSetting::SetPrintInfoForIndex] Print Count Error... [2]"),
              std::string::npos);
    EXPECT_NE(strLog.find("[CPrinterSetting::GetPrintInfoForIndex] Input Param NULL"),
              std::string::npos);
    EXPECT_NE(strLog.find("[CPrinterSetting::GetPrintInfoForAll] Input Param NULL"),
              std::string::npos);
}

TEST_F(PrinterSettingTest, FileOperationsWithoutPathOrWritableFile)
{
    CPrinterSetting setting;
    setting.SetConfigFilePath(nullptr);
    struct
    {
        const char* pszMethod;
        int nResult;
    } const results[] = {
        {"ReadFilePrintInfo", setting.ReadFilePrintInfo(0)},
        {"WriteFilePrintInfo", setting.WriteFilePrintInfo()},
        {"ReadFileOrderStartWaitNo", setting.ReadFileOrderStartWaitNo()},
        {"WriteFileOrderStartWaitNo", setting.WriteFileOrderStartWaitNo()},
        {"ReadFileOrderCurrentWaitNo", setting.ReadFileOrderCurrentWaitNo(0)},
        {"WriteFileOrderCurrentWaitNo", setting.WriteFileOrderCurrentWaitNo()},
        {"ReadFileOrderLastDate", setting.ReadFileOrderLastDate()},
        {"WriteFileOrderLastDate", setting.WriteFileOrderLastDate()},
    };
    std::string strLog = m_Folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("[CPrinterSetting::SetConfigFilePath] InputParam NULL"),
              std::string::npos);
    for (const auto& r : results) {
        EXPECT_EQ(r.nResult, 0) << r.pszMethod;
        std::string strLine =
            std::string("[CPrinterSetting::") + r.pszMethod + "] ConfigFilePath Not Setting";
        EXPECT_NE(strLog.find(strLine), std::string::npos) << strLine;
    }
    // In memory the store still works, and the roll-over still happens.
    EXPECT_EQ(setting.SetOrderCurrentWaitNo(5, 0), 1);
    EXPECT_EQ(setting.GetOrderCurrentWaitNo(), 1);
    EXPECT_EQ(setting.GetOrderLastDate(), "20231208");

    // A file that cannot be written is a failed save, not a silent one.
    setting.SetConfigFilePath((m_Folder.Path() + "/missing-dir/Config.ini").c_str());
    EXPECT_EQ(setting.WriteFilePrintInfo(), 0);
    EXPECT_NE(m_Folder.ReadCurrentLog().find(
                  "[CPrinterSetting::WriteFilePrintInfo] IniWriteStrings Fail"),
              std::string::npos);
}

// Renames into the folder while fnWrite runs: each is one replace of a file.
template <typename F>
int RenamesInto(const std::string& strFolder, F fnWrite)
{
    int hNotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(hNotify, 0);
    EXPECT_GE(inotify_add_watch(hNotify, strFolder.c_str(), IN_MOVED_TO), 0);
    fnWrite();
    int nRenames = 0;
    alignas(inotify_event) char buffer[4096];
    ssize_t nRead;
    while ((nRead = read(hNotify, buffer, sizeof(buffer))) > 0) {
        for (char* p = buffer; p < buffer + nRead;) {
            auto* pEvent = reinterpret_cast<inotify_event*>(p);
            nRenames += (pEvent->mask & IN_MOVED_TO) != 0;
            p += sizeof(inotify_event) + pEvent->len;
        }
    }
    close(hNotify);
    return nRenames;
}

// A save is one replace of Config.ini; the dialog's [PRINTER]-only save
// and reload leave [ORDER] (the event worker's wait numbers) alone, in the
// file and in memory.
TEST_F(PrinterSettingTest, SaveIsOneReplaceAndPrinterSectionLeavesOrderAlone)
{
    WriteIni("[PRINTER]\r\nPrinter1Use=1\r\n[ORDER]\r\nLastDate=20231208\r\nLastNo=5\r\n");
    ASSERT_EQ(m_Setting.ReadFilePrintInfo(0), 1);
    PrintInfo info = Record(0);
    info.Rcp = 1;
    ASSERT_EQ(m_Setting.SetPrintInfoForIndex(0, &info), 1);
    EXPECT_EQ(RenamesInto(m_Folder.Path(), [&] { EXPECT_EQ(m_Setting.WriteFilePrintInfo(), 1); }),
              1);
    EXPECT_EQ(Ini("PRINTER", "Printer1Rcp"), "1");
    EXPECT_EQ(Ini("ORDER", "LastNo"), "5");

    // The event worker hands out 6 and 7 (memory and file) meanwhile.
    ASSERT_EQ(m_Setting.SetOrderCurrentWaitNo(7, 0), 1);
    IniWriteString("ORDER", "LastNo", "7", m_strIni.c_str());
    info.LineFeed = 2;
    ASSERT_EQ(m_Setting.SetPrintInfoForIndex(0, &info), 1);
    const std::string strOrderBefore = Ini("ORDER", "LastNo");
    EXPECT_EQ(
        RenamesInto(m_Folder.Path(), [&] { EXPECT_EQ(m_Setting.WriteFilePrinterSection(), 1); }),
        1);
    EXPECT_EQ(Ini("PRINTER", "Printer1LineFeed"), "2");
    EXPECT_EQ(Ini("ORDER", "LastNo"), strOrderBefore);
    // A stale number in the file does not come back into memory either.
    IniWriteString("ORDER", "LastNo", "3", m_strIni.c_str());
    ASSERT_EQ(m_Setting.ReadFilePrinterSection(), 1);
    EXPECT_EQ(m_Setting.GetOrderCurrentWaitNo(), 7);
    EXPECT_EQ(Record(0).LineFeed, 2);
}

TEST(PrinterSettingTextTest, UseAndSizeWords)
{
    struct
    {
        std::string strActual;
        const char* pszExpected;
    } const cases[] = {
        {CPrinterSetting::GetPrintUseText(1), "출력"},
        {CPrinterSetting::GetPrintUseText(0), "출력안함"},
        {CPrinterSetting::GetPrintUseText(2), "출력안함"},
        {CPrinterSetting::GetPrintSizeText(0), "크게"},
        {CPrinterSetting::GetPrintSizeText(1), "기본"},
        {CPrinterSetting::GetPrintSizeText(2), "작게"},
        {CPrinterSetting::GetPrintSizeText(-1), "크게"},
        {CPrinterSetting::GetPrintSizeText(3), "크게"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.strActual, c.pszExpected) << testsupport::Utf8FromCp949(c.pszExpected);
    }
}

// A reader on another thread sees either the old or the new record, never
// a mix, while the dialog's thread stores records one after the other.
TEST(PrinterSettingThreadTest, RecordsAreCopiedWhole)
{
    CPrinterSetting setting;
    PrintInfo records[2];
    for (int i = 0; i < 2; ++i) {
        records[i].Port = i + 1;
        records[i].LanPrintPort = 9100 + i;
        memset(records[i].UsbName, 'a' + i, sizeof(records[i].UsbName) - 1);
    }
    std::atomic<bool> bStop{false};
    std::atomic<int> nTorn{0};
    std::thread reader([&] {
        while (!bStop.load()) {
            PrintInfo info;
            setting.GetPrintInfoForIndex(0, &info);
            if (info.Port == 0) {
                continue;
            }
            const PrintInfo& want = records[info.Port - 1];
            if (info.LanPrintPort != want.LanPrintPort ||
                memcmp(info.UsbName, want.UsbName, 260) != 0) {
                ++nTorn;
            }
        }
    });
    for (int n = 0; n < 20000; ++n) {
        setting.SetPrintInfoForIndex(0, &records[n % 2]);
    }
    bStop = true;
    reader.join();
    EXPECT_EQ(nTorn.load(), 0);
}

// A writer killed between its temporary file and the rename leaves the
// temporary file behind; the next load removes it, and only it.
TEST_F(PrinterSettingTest, LoadingRemovesTemporaryFilesAKilledWriterLeft)
{
    WriteIni("[ORDER]\nLastNo=7\n");
    const char* const pszStale[] = {".Config.ini.tmpAb12Cd", ".Config.ini.tmpZZZZZZ"};
    const char* const pszKept[] = {".Config.ini.tmp1", ".Other.ini.tmpAb12Cd", "Config.ini.bak"};
    for (const char* pszName : pszStale) {
        m_Folder.WriteFile(pszName, "[ORDER]\nLastNo=");
    }
    for (const char* pszName : pszKept) {
        m_Folder.WriteFile(pszName, "x");
    }
    ASSERT_EQ(m_Setting.ReadFilePrintInfo(1), 1);
    for (const char* pszName : pszStale) {
        EXPECT_FALSE(std::filesystem::exists(m_Folder.File(pszName))) << pszName;
    }
    for (const char* pszName : pszKept) {
        EXPECT_TRUE(std::filesystem::exists(m_Folder.File(pszName))) << pszName;
    }
    EXPECT_NE(m_Folder.ReadCurrentLog().find("Removed [2] Stale Temporary File(s) Of"),
              std::string::npos);
}

} // namespace
