// Spooler over a private CUPS server: printer states and the usable list.
#include "platform/spooler.h"
#include "tests/support/cups_server.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using testsupport::CCupsServer;

TEST(SpoolerTest, PrinterStatesAndUsableList)
{
    std::string strError;
    ASSERT_NE(CCupsServer::Shared(strError), nullptr) << strError;
    struct Case
    {
        const char* pszName;
        bool bExists;
        bool bOffline;
    };
    const Case cases[] = {
        {CCupsServer::RAW_QUEUE, true, false},
        {CCupsServer::STOPPED_QUEUE, true, true},
        {CCupsServer::REJECTING_QUEUE, true, true},
        {"Zelkor_Missing", false, false},
    };
    std::vector<std::string> usable = platform::ListUsableSpoolerPrinters();
    for (const Case& c : cases) {
        platform::SpoolerPrinterState state;
        EXPECT_EQ(platform::GetSpoolerPrinterState(c.pszName, state), c.bExists) << c.pszName;
        if (c.bExists) {
            EXPECT_EQ(state.Offline(), c.bOffline) << c.pszName;
        }
        bool bListed = std::find(usable.begin(), usable.end(), c.pszName) != usable.end();
        EXPECT_EQ(bListed, c.bExists && !c.bOffline) << c.pszName;
    }
}

TEST(SpoolerTest, JobOnAStoppedQueueStillQueuesAndOnARejectingOneFails)
{
    std::string strError;
    ASSERT_NE(CCupsServer::Shared(strError), nullptr) << strError;
    platform::CSpoolerJob rejected;
    EXPECT_NE(rejected.Start(CCupsServer::REJECTING_QUEUE, "Zelkor_Print"), 0);
    EXPECT_FALSE(rejected.IsStarted());
    platform::CSpoolerJob missing;
    EXPECT_NE(missing.Start("Zelkor_Missing", "Zelkor_Print"), 0);
    EXPECT_NE(missing.Write("x", 1), 0);
}

} // namespace
