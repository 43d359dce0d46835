// Golden draw lists of the print-failure toast's texts (title, order body,
// sales body, as the toast worker sends them) over the fixed-advance
// metric, at the widths of the toast's title and body statics.
// ZELKOR_WRITE_GOLDENS=1 writes the files instead (the tests then skip).
#include "tests/support/program_folder.h"
#include "ui/html/fixed_advance_metrics.h"
#include "ui/html/html_draw_list.h"
#include "ui/samples/toast_samples.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace {

std::string GoldenPath(const std::string& strName)
{
    return std::string(ZELKOR_TEST_DATA_DIR) + "/golden/html/" + strName;
}

void CompareWithGolden(const std::string& strName, const std::string& strMarkup, int nWidth)
{
    ASSERT_FALSE(strMarkup.empty()) << strName;
    CFixedAdvanceMetrics metrics;
    CHtmlDrawList list;
    DrawToastSample(metrics, list, strMarkup, nWidth);
    const std::string strActual = list.ToText();
    const char* pszWrite = std::getenv("ZELKOR_WRITE_GOLDENS");
    if (pszWrite != nullptr && std::string(pszWrite) == "1") {
        std::ofstream(GoldenPath(strName), std::ios::binary) << strActual;
        GTEST_SKIP() << "wrote " << GoldenPath(strName);
    }
    EXPECT_EQ(strActual, testsupport::ReadWholeFile(GoldenPath(strName))) << strName;
}

class ToastGoldenTest : public ::testing::Test
{
protected:
    testsupport::CTempProgramFolder m_Folder;
    SToastSamples m_Samples = PrintFailToastSamples();
};

TEST_F(ToastGoldenTest, Title)
{
    CompareWithGolden("toast_title.txt", m_Samples.strTitle, 260);
}

TEST_F(ToastGoldenTest, OrderBody)
{
    CompareWithGolden("toast_body_order.txt", m_Samples.strOrderBody, 270);
}

TEST_F(ToastGoldenTest, SalesBody)
{
    CompareWithGolden("toast_body_sales.txt", m_Samples.strSalesBody, 270);
}

} // namespace
