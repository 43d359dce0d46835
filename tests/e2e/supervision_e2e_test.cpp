// Agent supervision end to end: Zelkor with a short watchdog period beside
// the stand-in agent process, which the tests kill. The restarts after
// each loss and the give-up at the fourth, the exit question pausing the
// watchdog, many second starts at once, and the shop re-registration
// (36600) with an agent that ignores the end request or obeys it.
#include "tests/e2e/zelkor_session.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using e2e::Count;
using e2e::CZelkorSession;
using e2e::NthPos;
using e2e::StampAt;
using testsupport::CChildProcess;
using testsupport::WaitUntil;

constexpr int kPeriodMs = 1000;
const std::string kPeriodEnv = "ZELKOR_WATCHDOG_CHECK_MS=" + std::to_string(kPeriodMs);
constexpr int kWaitMs = 20000;

const char* const kSawRunning =
    "[CZelkorDlg::ThreadProcessWatchDog] Process RunningValue Change [1]";
const char* const kRestartPosted =
    "[CZelkorDlg::ThreadProcessWatchDog] Message [6024] Send Success";

// Plain, plain, daily (LastDate deleted from the file first), then the
// give-up: the box, OK, 3026 and the program's teardown, exit 0. Each
// restart request comes at the first test after the kill, within one
// period (and 100 ms) of it.
TEST(SupervisionE2ETest, FourLossesRestartPlainPlainDailyThenGiveUp)
{
    CZelkorSession session;
    CChildProcess& zelkor = session.Start({kPeriodEnv});
    ASSERT_TRUE(session.WaitLog(kSawRunning)) << session.Folder().ReadFile("zelkor.out");
    ASSERT_EQ(session.Calls("ProcessRun").size(), 1u);

    const char* const aExpected[] = {"ProcessRun", "ProcessRun", "DailyRun"};
    size_t nRuns = 1;
    for (int nLoss = 1; nLoss <= 3; ++nLoss) {
        SCOPED_TRACE("loss " + std::to_string(nLoss));
        // Killed a little after the test that saw the agent, so the next
        // test is most of a period away.
        std::this_thread::sleep_for(std::chrono::milliseconds(kPeriodMs / 5));
        const double dKill = e2e::NowSecondsOfDay();
        ASSERT_TRUE(session.KillAgent());
        ASSERT_TRUE(WaitUntil(
            [&] {
                return session.Calls("ProcessRun").size() + session.Calls("DailyRun").size() >
                       nRuns;
            },
            kWaitMs));
        ++nRuns;
        std::vector<Json::Value> vRuns = session.Calls(aExpected[nLoss - 1]);
        ASSERT_FALSE(vRuns.empty());
        EXPECT_EQ(vRuns.back()["agent"].asString(), "started");
        EXPECT_EQ(session.Calls("ProcessRun").size() + session.Calls("DailyRun").size(), nRuns);
        // The watchdog sees the new agent before the next kill.
        ASSERT_TRUE(session.WaitLog(kSawRunning, nLoss + 1));

        std::string strLog = session.Log();
        size_t nPost = NthPos(strLog, kRestartPosted, nLoss - 1);
        ASSERT_NE(nPost, std::string::npos);
        EXPECT_EQ(Count(strLog, kRestartPosted), static_cast<size_t>(nLoss));
        double dAfterKill = StampAt(strLog, nPost) - dKill;
        std::printf("loss %d: restart request %.3f s after the kill (period %.3f s)\n", nLoss,
                    dAfterKill, kPeriodMs / 1000.0);
        EXPECT_GE(dAfterKill, -0.01);
        EXPECT_LE(dAfterKill, (kPeriodMs + 100) / 1000.0);
        EXPECT_NE(strLog.find("NUBEQ.exe execute count : " + std::to_string(nLoss) +
                              " (100 is defined exit code)."),
                  std::string::npos);
    }
    std::string strLog = session.Log();
    size_t nDaily = strLog.find("[CZelkorDlg::ThreadProcessWatchDog] Try to run NUBEQ.exe with "
                                "dailyrun.");
    ASSERT_NE(nDaily, std::string::npos);
    EXPECT_LT(nDaily, NthPos(strLog, kRestartPosted, 2));
    EXPECT_LT(NthPos(strLog, kRestartPosted, 2), strLog.find("[CNubeqDllMngr::Call_DailyRun]"));
    // The daily run found no LastDate in the file; the date the store
    // holds went back into it.
    EXPECT_NE(session.Folder().ReadFile("Config.ini").find("LastDate=" + e2e::Today()),
              std::string::npos);

    // The fourth loss: no restart, the box, then the end.
    ASSERT_TRUE(session.KillAgent());
    EXPECT_EQ(zelkor.Wait(kWaitMs), 0);
    EXPECT_EQ(session.Calls("ProcessRun").size() + session.Calls("DailyRun").size(), 3u + 1u);
    std::vector<Json::Value> vBoxes = session.Boxes();
    ASSERT_EQ(vBoxes.size(), 1u);
    EXPECT_EQ(vBoxes[0]["text"].asString(),
              "미르벨 실행에 문제가 발생했습니다.\r\n프로그램 종료 후 고객센터(1599-0000)로 "
              "연락주세요.");
    EXPECT_EQ(vBoxes[0]["answer"].asInt(), 1);
    strLog = session.Log();
    EXPECT_EQ(Count(strLog, kRestartPosted), 3u);
    size_t nCount = strLog.find("NUBEQ.exe execute count : 100 (100 is defined exit code).");
    size_t nGiveUp = strLog.find("Some problem occured with execute NUBEQ.exe.");
    size_t nConfirmed =
        strLog.find("[CZelkorDlg::ThreadProcessWatchDog] 미르벨 종료메세지 창 확인.");
    size_t nEnd = strLog.find("[CZelkorDlg::Msg_ZelkorEnd] Call");
    size_t nProcessEnd = strLog.find("[CNubeqDllMngr::Call_ProcessEnd]", nEnd);
    size_t nWorkers = strLog.rfind("Destructor Thread Exit End");
    size_t nStop = strLog.rfind("CSimpleLog STOP");
    ASSERT_NE(nCount, std::string::npos);
    EXPECT_LT(nCount, nGiveUp);
    EXPECT_LT(nGiveUp, nConfirmed);
    EXPECT_LT(nConfirmed, nEnd);
    EXPECT_LT(nEnd, nProcessEnd);
    EXPECT_LT(nProcessEnd, nWorkers);
    EXPECT_LT(nWorkers, nStop);
    EXPECT_NE(nStop, std::string::npos);
    EXPECT_EQ(session.Calls("ProcessEnd").size(), 1u);
}

// While the exit question is open the watchdog does not test the agent at
// all, however long: two periods with the agent killed give only "Not
// Check" lines. "No" lets it test again, and the restart follows.
TEST(SupervisionE2ETest, OpenExitQuestionPausesTheWatchDog)
{
    CZelkorSession session;
    CChildProcess& zelkor =
        session.Start({kPeriodEnv, "ZELKOR_MESSAGEBOX_ANSWERS=7@" + std::to_string(kPeriodMs * 3)});
    ASSERT_TRUE(session.WaitLog(kSawRunning)) << session.Folder().ReadFile("zelkor.out");
    std::string strOut;
    ASSERT_EQ(session.Send({"--post", "--message", "273", "--wparam", "32773"}, &strOut), 0)
        << strOut;
    ASSERT_TRUE(session.WaitLog("[CZelkorDlg::OnTrayMenuClose] Process Close Start"));
    ASSERT_TRUE(session.KillAgent());
    ASSERT_TRUE(session.WaitLog("[CZelkorDlg::OnTrayMenuClose] Process Close Cancel"));
    ASSERT_TRUE(WaitUntil([&] { return session.Calls("ProcessRun").size() == 2; }, kWaitMs));
    EXPECT_TRUE(zelkor.IsRunning());

    std::string strLog = session.Log();
    size_t nOpen = strLog.find("[CZelkorDlg::OnTrayMenuClose] Process Close Start");
    size_t nAnswered = strLog.find("[CZelkorDlg::OnTrayMenuClose] Process Close Check Value [7]");
    ASSERT_NE(nAnswered, std::string::npos);
    const std::string strOpen = strLog.substr(nOpen, nAnswered - nOpen);
    EXPECT_GE(Count(strOpen, "[CZelkorDlg::ThreadProcessWatchDog] GetProcessWatchDogThreadRun "
                             "FALSE... Not Check WatchDogThread"),
              2u)
        << strOpen;
    EXPECT_EQ(Count(strOpen, "[CZelkorDlg::ThreadProcessWatchDog] Process RunningValue"), 0u);
    EXPECT_EQ(Count(strOpen, "Not Running Process"), 0u);
    EXPECT_EQ(Count(strOpen, "Message [6024]"), 0u);
    EXPECT_EQ(Count(strOpen, "Call_ProcessRun"), 0u);
    // After "No": one loss, one restart.
    EXPECT_NE(strLog.find("NUBEQ.exe execute count : 1 ", nAnswered), std::string::npos);
    std::vector<Json::Value> vBoxes = session.Boxes();
    ASSERT_FALSE(vBoxes.empty());
    EXPECT_EQ(vBoxes.back()["id"].asInt(), 109);
    EXPECT_EQ(vBoxes.back()["answer"].asInt(), 7);
}

// Ten second starts at once while the agent is gone: each hands its run
// request (6024) to the first copy, or finds the agent already started
// again; the first copy runs the agent exactly once.
TEST(SupervisionE2ETest, TenSecondStartsAtOnceGiveOneRun)
{
    CZelkorSession session;
    CChildProcess& first = session.Start();
    ASSERT_TRUE(CZelkorSession::WaitReady()) << session.Folder().ReadFile("zelkor.out");
    ASSERT_TRUE(session.WaitLog("FenwaAgentStartProcess Success"));
    ASSERT_TRUE(session.KillAgent());
    ASSERT_EQ(session.Calls("ProcessRun").size(), 1u);

    std::vector<std::unique_ptr<CChildProcess>> vSeconds;
    for (int i = 0; i < 10; ++i) {
        vSeconds.push_back(std::make_unique<CChildProcess>(
            std::vector<std::string>{ZELKOR_EXE},
            std::vector<std::string>{"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}));
    }
    for (auto& pSecond : vSeconds) {
        EXPECT_EQ(pSecond->Wait(kWaitMs), 0);
    }
    // Every second start has handed over: a run request, or the widget
    // request of an agent that runs again.
    const char* const kRequest = "[CZelkorDlg::Msg_NubeqRun] Call";
    ASSERT_TRUE(WaitUntil(
        [&] { return Count(session.Log(), kRequest) + session.Calls("RequestJob").size() == 10; },
        kWaitMs));
    // The last request's timer has fired and its check is over (the
    // watchdog is let go after it).
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::string strLog = session.Log();
            size_t nTick = strLog.rfind("[CZelkorDlg::OnTimer] TIMER_NUBEQ_RUN");
            return nTick != std::string::npos && nTick > strLog.rfind(kRequest) &&
                   strLog.find("[SetProcessWatchDogThreadRun] SetFlag [1]", nTick) !=
                       std::string::npos;
        },
        kWaitMs));
    EXPECT_GE(Count(session.Log(), kRequest), 1u);
    std::vector<Json::Value> vRuns = session.Calls("ProcessRun");
    ASSERT_EQ(vRuns.size(), 2u);
    EXPECT_EQ(vRuns[1]["agent"].asString(), "started");
    EXPECT_EQ(vRuns[1]["pid"].asInt(), first.Pid());
    EXPECT_TRUE(session.Calls("DailyRun").empty());
    EXPECT_EQ(session.Calls("NUBEQ.Start").size(), 2u);
    EXPECT_TRUE(first.IsRunning());
}

// 36600 while the agent runs and ignores the end request: the program
// waits about 5 s for it, calls ProcessEnd once, clears the shop's
// identity and checks at once, without waiting for the agent to go.
TEST(SupervisionE2ETest, NewShopWithAnAgentThatIgnoresTheEnd)
{
    CZelkorSession session;
    session.Folder().WriteFile("agent_stub.ini", "[NUBEQ]\r\nMode=ignore-end\r\nEndWaitMs=300\r\n");
    CChildProcess& zelkor = session.Start();
    ASSERT_TRUE(CZelkorSession::WaitReady()) << session.Folder().ReadFile("zelkor.out");
    ASSERT_TRUE(session.WaitLog("FenwaAgentStartProcess Success"));
    session.Folder().WriteFile("event.json", "{}");
    ASSERT_EQ(session.Send({"36600", session.Folder().File("event.json")}), 0);
    const char* const kChecked =
        "[CZelkorDlg::NUBEQRunningCheckAndStart] [NUBEQ.exe] ProcessRunning";
    ASSERT_TRUE(session.WaitLog(kChecked));

    std::vector<Json::Value> vEnds = session.Calls("ProcessEnd");
    ASSERT_EQ(vEnds.size(), 1u);
    EXPECT_EQ(vEnds[0]["agent"].asString(), "running");
    EXPECT_NE(session.AgentPid(), 0);
    EXPECT_EQ(session.Calls("NUBEQ.EndIgnored").size(), 1u);
    std::string strConfig = session.Folder().ReadFile("Config.ini");
    EXPECT_EQ(strConfig.find("Nobizer"), std::string::npos) << strConfig;
    EXPECT_EQ(strConfig.find("StoreId"), std::string::npos) << strConfig;

    std::string strLog = session.Log();
    size_t nCall = strLog.find("[CZelkorDlg::Msg_NubeqNewShop] Call");
    size_t nEnd = strLog.find("[CNubeqDllMngr::Call_ProcessEnd]", nCall);
    size_t nCheck = strLog.find(kChecked, nEnd);
    ASSERT_NE(nCall, std::string::npos);
    ASSERT_NE(nEnd, std::string::npos);
    ASSERT_NE(nCheck, std::string::npos);
    // Ten tests half a second apart before the end request.
    double dWaited = StampAt(strLog, nEnd) - StampAt(strLog, nCall);
    std::printf("ProcessEnd %.3f s after 3024, the check %.3f s after ProcessEnd\n", dWaited,
                StampAt(strLog, nCheck) - StampAt(strLog, nEnd));
    EXPECT_GE(dWaited, 4.9);
    EXPECT_LE(dWaited, 8.0);
    EXPECT_EQ(session.Calls("ProcessRun").size(), 1u);
    EXPECT_TRUE(session.Calls("RegisterShopEx").empty());
    EXPECT_TRUE(zelkor.IsRunning());
}

// Kept as it is: 36600 with an agent that obeys the end request ends it,
// the shop registers again (the scripted registration), and the
// watchdog counts the agent's absence as a loss: the restart after it
// spends one of the watchdog's lives.
TEST(SupervisionE2ETest, NewShopThatEndsTheAgentSpendsAWatchDogLife)
{
    CZelkorSession session;
    CChildProcess& zelkor = session.Start({kPeriodEnv, "ZELKOR_SHOP_REGISTRATION=1234567890/ST9"});
    ASSERT_TRUE(session.WaitLog(kSawRunning)) << session.Folder().ReadFile("zelkor.out");
    session.Folder().WriteFile("event.json", "{}");
    ASSERT_EQ(session.Send({"36600", session.Folder().File("event.json")}), 0);
    ASSERT_TRUE(session.WaitLog("NUBEQ.exe execute count : 1 "));
    ASSERT_TRUE(WaitUntil([&] { return session.Calls("ProcessRun").size() == 2; }, kWaitMs));

    EXPECT_EQ(session.Calls("ProcessEnd").size(), 1u);
    EXPECT_EQ(session.Calls("ProcessEnd")[0]["agent"].asString(), "ended");
    EXPECT_EQ(session.Calls("RegisterShopEx").size(), 1u);
    EXPECT_NE(session.Folder().ReadFile("Config.ini").find("StoreId=ST9"), std::string::npos);
    std::string strLog = session.Log();
    size_t nRegistered =
        strLog.find("[CZelkorDlg::RunFenwaAgentStartProcess] FenwaAgentStartProcess "
                    "Success !!!",
                    strLog.find("[CZelkorDlg::Msg_NubeqNewShop] Call"));
    ASSERT_NE(nRegistered, std::string::npos);
    EXPECT_LT(nRegistered, strLog.find("NUBEQ.exe execute count : 1 "));
    EXPECT_EQ(session.Calls("ProcessRun").back()["agent"].asString(), "started");
    EXPECT_TRUE(zelkor.IsRunning());
}

} // namespace
