// The main-window sink: failure and log line without a window, results of
// the installed handlers, and handlers that use the sink themselves.
#include "foundation/window_sink.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(WindowSink, WithoutWindowPostAndSendFail)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    RemoveMainWindowSink();
    EXPECT_FALSE(HasMainWindowSink());
    EXPECT_FALSE(PostMainWindowMessage(3024, 1, 2));
    intptr_t nResult = 77;
    EXPECT_FALSE(SendMainWindowMessage(10025, 0, 0, &nResult));
    EXPECT_EQ(nResult, 77);
    std::string strLog = folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("[ERROR] [PostMessage] No main window. Message [3024] not posted"),
              std::string::npos);
    EXPECT_NE(strLog.find("[ERROR] [SendMessage] No main window. Message [10025] not sent"),
              std::string::npos);
}

TEST(WindowSink, HandlersSeeTheMessageAndGiveTheResult)
{
    std::vector<std::string> vecSeen;
    InstallMainWindowSink(
        [&](unsigned nMsg, uintptr_t wParam, intptr_t lParam) {
            vecSeen.push_back("post " + std::to_string(nMsg) + " " + std::to_string(wParam) + " " +
                              std::to_string(lParam));
            return nMsg != 9;
        },
        [&](unsigned nMsg, uintptr_t wParam, intptr_t lParam) -> intptr_t {
            vecSeen.push_back("send " + std::to_string(nMsg));
            // A handler may post to the window itself and replace the sink.
            PostMainWindowMessage(nMsg + 1, wParam, lParam);
            if (nMsg == 20) {
                RemoveMainWindowSink();
            }
            return static_cast<intptr_t>(wParam) + lParam;
        });
    EXPECT_TRUE(HasMainWindowSink());
    EXPECT_TRUE(PostMainWindowMessage(3025, 4, -5));
    EXPECT_FALSE(PostMainWindowMessage(9, 0, 0));
    intptr_t nResult = 0;
    EXPECT_TRUE(SendMainWindowMessage(10, 2, 3, &nResult));
    EXPECT_EQ(nResult, 5);
    EXPECT_TRUE(SendMainWindowMessage(20, 1, 1, &nResult));
    EXPECT_EQ(nResult, 2);
    EXPECT_FALSE(HasMainWindowSink());
    EXPECT_FALSE(SendMainWindowMessage(30, 0, 0));
    EXPECT_EQ(vecSeen, (std::vector<std::string>{"post 3025 4 -5", "post 9 0 0", "send 10",
                                                 "post 11 2 3", "send 20", "post 21 1 1"}));
}

} // namespace
