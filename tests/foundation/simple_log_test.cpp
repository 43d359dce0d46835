// Smoke test of the daily log (the full set lives beside it).
#include "foundation/simple_log.h"
#include "tests/support/fake_clock.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

TEST(SimpleLogTest, StartWritesBannerIntoDatedFile)
{
    testsupport::CTempProgramFolder folder;
    testsupport::CFakeClock clock(2023, 12, 8, 9, 33, 8);
    ASSERT_TRUE(folder.StartLog());
    LOG_PRINT(LOG_INFO, "[%s] EventInfo [%d]", "CEventCtrlProcess::EventProcess", 36001);
    std::string strLog =
        testsupport::ReadWholeFile(folder.LogRoot() + "/20231208/ZELKOR_EXE_20231208.log");
    EXPECT_EQ(strLog,
              "[09:33:08.000][TRACE] ========== CSimpleLog Start ===========\r\n"
              "[09:33:08.000][INFO ] [CEventCtrlProcess::EventProcess] EventInfo [36001]\r\n");
}
