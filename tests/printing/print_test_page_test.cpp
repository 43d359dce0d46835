// The printer-check test page: golden pages at both widths and sizes, the
// menu rows down to the bytes, and the refusals and the failed cut.
#include "printing/documents/print_test_page.h"
#include "tests/printing/document_harness.h"
#include "tests/support/cp949.h"
#include "tests/support/fake_clock.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

using docharness::CHarnessPrinter;
using docharness::Msg;
using testsupport::Utf8FromCp949;

std::string Blanks(int nCount)
{
    return std::string(static_cast<size_t>(nCount), ' ');
}

class PrintTestPageTest : public docharness::CDocumentTest
{
protected:
    void SetUp() override
    {
        CDocumentTest::SetUp();
        m_Setting.SetMenunameSize(1);
        m_Setting.SetReqCustomerSize(1);
        m_Setting.SetPrintOptiongroup(1);
    }

    // Prints the page as the dialog's printer check does; the bytes sent.
    std::string PrintPage(int nLineType, int nWriteResult = 0)
    {
        return docharness::PrintWith([&](CHarnessPrinter& printer) {
            printer.SetWriteResult(nWriteResult);
            CPrintTestPage page;
            page.SetSettingStore(&m_Setting);
            m_nSetResult = page.SetPrintData(&printer, nullptr, nLineType, 0, 3);
            m_nStartResult = page.StartPrintData();
        });
    }

    testsupport::CFakeClock m_Clock{2024, 5, 6, 7, 8, 9};
    int m_nSetResult = -1;
    int m_nStartResult = -1;
};

struct SGoldenCase
{
    const char* pszGolden;
    int nLineType;
    int nMenunameSize;
    int nReqCustomerSize;
    int bOptionGroup;
};

TEST_F(PrintTestPageTest, GoldenPages)
{
    const SGoldenCase cases[] = {
        {"test_page_42", 0, 1, 1, 1},       {"test_page_48", 1, 1, 1, 1},
        {"test_page_42_large", 0, 0, 0, 1}, {"test_page_48_large", 1, 0, 0, 0},
        {"test_page_42_small", 0, 2, 2, 0},
    };
    for (const SGoldenCase& c : cases) {
        SCOPED_TRACE(c.pszGolden);
        m_Setting.SetMenunameSize(c.nMenunameSize);
        m_Setting.SetReqCustomerSize(c.nReqCustomerSize);
        m_Setting.SetPrintOptiongroup(c.bOptionGroup);
        const std::string strBytes = PrintPage(c.nLineType);
        EXPECT_EQ(m_nSetResult, 0);
        EXPECT_EQ(m_nStartResult, 0);
        docharness::ExpectGolden(c.pszGolden, docharness::DecodeText(strBytes));
    }
}

// Large menu names: the menu row in double width and height over halved
// columns (8, 5, 6 of 16, 10, 12), the option rows in double height only
// over the whole widths.
TEST_F(PrintTestPageTest, LargeMenuNameRowsInDoubleSize)
{
    m_Setting.SetMenunameSize(0);
    const std::string strBytes = PrintPage(0);
    ASSERT_EQ(m_nStartResult, 0);
    const std::string strHeading =
        Msg(0x30, 0, "메 뉴 명" + Blanks(1) + "수 량" + Blanks(1) + " 금 액", 1);
    const std::string strMenu = Msg(0x38, 0,
                                    "케이준감" + Blanks(1) + "    5" + Blanks(1) + "15,000\r\n" +
                                        "자튀김" + Blanks(3) + Blanks(6),
                                    1);
    const std::string strOptions =
        Msg(0x10, 0, "- 소스", 1) +
        Msg(0x10, 0, "  : 케찹" + Blanks(9) + Blanks(9) + "5" + Blanks(1) + Blanks(7) + "2,500",
            1) +
        Msg(0x10, 0, "  : 설탕" + Blanks(9) + Blanks(9) + "5" + Blanks(1) + Blanks(7) + "2,500", 1);
    const std::string strRule = Msg(0x00, 0, std::string(42, '-'), 1);
    const std::string strBlock = strHeading + strRule + strMenu + strOptions + strRule;
    EXPECT_NE(strBytes.find(strBlock), std::string::npos)
        << Utf8FromCp949(strBlock) << "\n--- printed:\n"
        << docharness::DecodeText(strBytes);
}

TEST_F(PrintTestPageTest, NormalMenuRowsAndUngroupedOptions)
{
    m_Setting.SetPrintOptiongroup(0);
    const std::string strBytes = PrintPage(0);
    ASSERT_EQ(m_nStartResult, 0);
    // 24 + 1 + 6 + 1 + 10 columns; options keep the menu mode's table.
    const std::string strMenu =
        Msg(0x18, 0, "케이준감자튀김" + Blanks(24 - 14 + 1) + "     5 " + "    15,000", 1);
    const std::string strOption =
        Msg(0x00, 0, "- 케찹" + Blanks(24 - 6 + 1) + "     5 " + "     2,500", 1);
    EXPECT_NE(strBytes.find(strMenu + strOption), std::string::npos)
        << docharness::DecodeText(strBytes);
    EXPECT_EQ(strBytes.find(Msg(0x00, 0, "- 소스", 1)), std::string::npos);
}

TEST_F(PrintTestPageTest, LargeMemoSizeIsDoubleWidthAndHeight)
{
    m_Setting.SetReqCustomerSize(0);
    const std::string strBytes = PrintPage(0);
    EXPECT_NE(strBytes.find(Msg(0x38, 0, "[사장님께]", 1) + Msg(0x38, 0, "테스트 출력입니다", 2)),
              std::string::npos)
        << docharness::DecodeText(strBytes);
}

TEST_F(PrintTestPageTest, RefusalsPrintNothing)
{
    CHarnessPrinter printer;
    CPrinterCommunicate closed;
    CPrintTestPage page;
    page.SetSettingStore(&m_Setting);
    EXPECT_EQ(page.StartPrintData(), 1);
    EXPECT_EQ(page.SetPrintData(&closed, nullptr, 0, 0, 4), 3);
    EXPECT_EQ(page.SetPrintData(nullptr, nullptr, 0, 0, 4), 3);
    EXPECT_EQ(page.SetPrintData(&printer, nullptr, 2, 0, 4), 1);
    EXPECT_EQ(page.IsReady(), 0);
    EXPECT_EQ(page.StartPrintData(), 1);
    EXPECT_EQ(printer.Bytes(), "");
    const std::string strLog = Log();
    for (const char* pszLine :
         {"[CPrintTestPage::StartPrintData] Init Data Fail... Check Log",
          "[CPrintTestPage::SetPrintData] IsSuccessOpenPrinter Fail",
          "[CPrintTestPage::SetPrintLineCharacterInfo] Not Supported Length Type [2]",
          "[CPrintTestPage::SetPrintData] SetPrintLineCharacterInfo Fail... Length Type [2]"}) {
        EXPECT_NE(strLog.find(pszLine), std::string::npos) << pszLine;
    }

    EXPECT_EQ(page.SetPrintData(&printer, nullptr, 1, 0, 4), 0);
    EXPECT_EQ(page.GetLineCharacter(), 48);
    EXPECT_EQ(page.GetPrintFlag(), 0);
    EXPECT_NE(Log().find("[CPrintTestPage::SetPrintData] Success... Set Line Length [48]"),
              std::string::npos);
}

TEST_F(PrintTestPageTest, FailedWriteAtTheCutFailsThePage)
{
    const std::string strBytes = PrintPage(0, 4);
    EXPECT_EQ(m_nSetResult, 0);
    EXPECT_EQ(m_nStartResult, 1);
    EXPECT_NE(Log().find("[CPrintTestPage::StartPrintData] Printer_Send_CutPaper Fail... "
                         "ErrorCode [4]"),
              std::string::npos);
}

// The dialog's printer check against a network printer: the page goes over
// a real socket to the virtual printer, and the paper it cuts is the golden
// page.
TEST_F(PrintTestPageTest, NetworkPrinterCutsTheGoldenPage)
{
    const std::string strExe = docharness::VirtualPrinterPath();
    if (access(strExe.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "zelkor-vprinter is not built (" << strExe << ")";
    }
    const std::string strOut = m_Folder.File("vprinter");
    docharness::PrintToVirtualPrinter(strOut, [this](CPrinterCommunicate& printer) {
        CPrintTestPage page;
        page.SetSettingStore(&m_Setting);
        ASSERT_EQ(page.SetPrintData(&printer, nullptr, 0, 0, 3), 0);
        EXPECT_EQ(page.StartPrintData(), 0);
    });

    const std::string strReceipt = testsupport::ReadWholeFile(strOut + "/receipt-001.txt");
    ASSERT_FALSE(strReceipt.empty()) << "no receipt in " << strOut;
    docharness::ExpectGolden("test_page_42", strReceipt);
}

} // namespace
