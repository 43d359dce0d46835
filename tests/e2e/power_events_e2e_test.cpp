// Suspend and resume as logind announces them, on a private D-Bus bus: the
// agent check timer is killed at the suspend and fires 10 s after the
// resume.
#include "tests/e2e/zelkor_session.h"
#include "tests/support/child_process.h"
#include "tests/support/program_folder.h"
#include "tests/support/runtime_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using e2e::StampAt;
using testsupport::CChildProcess;
using testsupport::RunProgram;
using testsupport::WaitUntil;

// A dbus-daemon of the test's own, on a socket in its runtime directory.
class CPrivateBus
{
public:
    explicit CPrivateBus(const std::string& strDir)
        : m_strAddress("unix:path=" + strDir + "/bus"),
          m_Daemon({"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile",
                    "--address=" + m_strAddress},
                   {}, strDir + "/dbus.out"),
          m_strSocket(strDir + "/bus")
    {
    }
    bool WaitUp() const
    {
        return WaitUntil([this] { return std::filesystem::exists(m_strSocket); }, 10000);
    }
    const std::string& Address() const { return m_strAddress; }

private:
    std::string m_strAddress;
    CChildProcess m_Daemon;
    std::string m_strSocket;
};

TEST(PowerEventsE2ETest, SuspendKillsTheTimerAndItFiresTenSecondsAfterResume)
{
    testsupport::CTempProgramFolder folder;
    testsupport::CTempRuntimeDir runtime;
    CPrivateBus bus(runtime.Path());
    ASSERT_TRUE(bus.WaitUp());
    folder.WriteFile("Config.ini", "[POS]\r\nStoreId=ST1\r\n");
    std::filesystem::create_symlink(ZELKOR_STUB_AGENT_LIB, folder.File("libNUBEQ_IF.so"));
    CChildProcess zelkor({ZELKOR_EXE},
                         {"QT_QPA_PLATFORM=offscreen", "DISPLAY",
                          "ZELKOR_MESSAGEBOX_JOURNAL=" + folder.File("boxes.jsonl"),
                          "ZELKOR_POWER_DBUS_ADDRESS=" + bus.Address()},
                         folder.File("zelkor.out"));
    auto fnLog = [&folder] {
        std::string strLog;
        std::error_code ec;
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(folder.File("Log"), ec)) {
            strLog += testsupport::ReadWholeFile(entry.path().string());
        }
        return strLog;
    };
    auto fnHas = [&fnLog](const std::string& strText, size_t nCount = 1) {
        std::string strLog = fnLog();
        size_t nFound = 0;
        for (size_t nPos = strLog.find(strText); nPos != std::string::npos;
             nPos = strLog.find(strText, nPos + 1)) {
            ++nFound;
        }
        return nFound >= nCount;
    };
    auto fnSleep = [&bus](bool bSleeping) {
        std::string strOut;
        return RunProgram({ZELKOR_LOGIN1_EXE, bus.Address(), bSleeping ? "true" : "false"}, {},
                          &strOut) == 0;
    };
    ASSERT_TRUE(WaitUntil([&] { return fnHas("FenwaAgentStartProcess Success"); }, 20000))
        << folder.ReadFile("zelkor.out");
    const char* const kTimerFired = "[CZelkorDlg::OnTimer] TIMER_NUBEQ_RUN";

    // Resume, then suspend again before the 10 s are up: the timer is gone.
    ASSERT_TRUE(fnSleep(true));
    ASSERT_TRUE(WaitUntil([&] { return fnHas("KillTimer TIMER_NUBEQ_RUN"); }, 10000));
    EXPECT_TRUE(fnHas("[SetProcessWatchDogThreadRun] SetFlag [0]"));
    ASSERT_TRUE(fnSleep(false));
    ASSERT_TRUE(WaitUntil([&] { return fnHas("SetTimer TIMER_NUBEQ_RUN 10 second"); }, 10000));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_TRUE(fnSleep(true));
    ASSERT_TRUE(WaitUntil([&] { return fnHas("KillTimer TIMER_NUBEQ_RUN", 2); }, 10000));
    std::this_thread::sleep_for(std::chrono::seconds(10));
    EXPECT_FALSE(fnHas(kTimerFired));

    // Resume: the timer fires once, about 10 s later, and the watchdog may
    // test again.
    ASSERT_TRUE(fnSleep(false));
    ASSERT_TRUE(WaitUntil([&] { return fnHas(kTimerFired); }, 20000));
    std::string strLog = fnLog();
    double dSet = StampAt(strLog, strLog.rfind("SetTimer TIMER_NUBEQ_RUN 10 second"));
    double dFired = StampAt(strLog, strLog.find(kTimerFired));
    EXPECT_GE(dFired - dSet, 9.9);
    EXPECT_LE(dFired - dSet, 15.0);
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::string strNow = fnLog();
            return strNow.rfind("SetFlag [1]") > strNow.find(kTimerFired);
        },
        10000));
    zelkor.Signal(SIGKILL);
}

} // namespace
