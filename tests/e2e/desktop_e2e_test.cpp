// The tray icon on a real X desktop: an Xvfb display of the test's own with
// trayer as the tray host, the mouse and keys played by xdotool, the
// window tree read with xwininfo. The icon docks, comes back when the host
// is killed and started again, ignores left clicks, and its right-click
// menu leads to the exit question (answered through the box journal).
// Skipped, with the reason, when Xvfb cannot start.
//
// With ZELKOR_SCREENSHOT_DIR set, the open menu is saved there as
// tray-menu.png (scripts/screenshots).
#include "tests/e2e/zelkor_session.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using e2e::Count;
using e2e::CZelkorSession;
using testsupport::CChildProcess;
using testsupport::RunProgram;
using testsupport::WaitUntil;

constexpr int kWaitMs = 20000;

// The program's path through PATH; "" when it is not installed.
std::string FindProgram(const std::string& strName)
{
    const char* pszPath = std::getenv("PATH");
    std::istringstream dirs(pszPath != nullptr ? pszPath : "/usr/bin:/bin");
    for (std::string strDir; std::getline(dirs, strDir, ':');) {
        std::string strFile = strDir + "/" + strName;
        if (access(strFile.c_str(), X_OK) == 0) {
            return strFile;
        }
    }
    return "";
}

struct SGeometry
{
    long long nId = 0;
    int nX = 0;
    int nY = 0;
    int nWidth = 0;
    int nHeight = 0;
};

// An Xvfb display with a tray host that can be killed and started again.
class CDesktop
{
public:
    // Empty when the desktop is up; otherwise why not.
    std::string Start(const std::string& strFolder)
    {
        m_strFolder = strFolder;
        for (const char* pszTool : {"Xvfb", "trayer", "xdotool", "xwininfo"}) {
            if (FindProgram(pszTool).empty()) {
                return std::string(pszTool) + " is not installed (scripts/install-deps)";
            }
        }
        // A display number nobody holds: Xvfb refuses one in use (and takes
        // over the lock of one whose server died), then the next is tried.
        for (int nDisplay = 60 + getpid() % 30; nDisplay < 200; nDisplay += 7) {
            const std::string strDisplay = ":" + std::to_string(nDisplay);
            std::string strHolder =
                testsupport::ReadWholeFile("/tmp/.X" + std::to_string(nDisplay) + "-lock");
            if (!strHolder.empty() && kill(std::atoi(strHolder.c_str()), 0) == 0) {
                continue; // a live server's display
            }
            m_pServer = std::make_unique<CChildProcess>(
                std::vector<std::string>{FindProgram("Xvfb"), strDisplay, "-screen", "0",
                                         "800x600x24", "-nolisten", "tcp", "-wr", "-noreset"},
                std::vector<std::string>{}, m_strFolder + "/xvfb.out");
            m_strDisplay = strDisplay;
            // Up once a client gets the root window's attributes.
            if (WaitUntil(
                    [&] { return !m_pServer->IsRunning() || Run("xwininfo", {"-root"}) == 0; },
                    10000) &&
                m_pServer->IsRunning()) {
                return "";
            }
            m_pServer.reset();
            m_strDisplay.clear();
        }
        return "Xvfb could not start: " + testsupport::ReadWholeFile(m_strFolder + "/xvfb.out");
    }

    // The tray host and the server end by SIGTERM: the server removes its
    // lock file and its socket then.
    ~CDesktop()
    {
        for (CChildProcess* pProcess : {m_pTray.get(), m_pServer.get()}) {
            if (pProcess != nullptr && pProcess->IsRunning()) {
                pProcess->Signal(SIGTERM);
                pProcess->Wait(10000);
            }
        }
    }
    CDesktop() = default;
    CDesktop(const CDesktop&) = delete;
    CDesktop& operator=(const CDesktop&) = delete;

    const std::string& Display() const { return m_strDisplay; }

    void StartTrayHost()
    {
        m_pTray = std::make_unique<CChildProcess>(
            std::vector<std::string>{FindProgram("trayer"), "--edge", "bottom", "--align", "right",
                                     "--widthtype", "request", "--height", "32", "--SetDockType",
                                     "true", "--transparent", "false"},
            std::vector<std::string>{"DISPLAY=" + m_strDisplay}, m_strFolder + "/trayer.out");
    }
    void KillTrayHost()
    {
        if (m_pTray) {
            m_pTray->Signal(SIGKILL);
            m_pTray->Wait(10000);
            m_pTray.reset();
        }
    }

    // A tool of the display: its exit status, its output in *pstrOut.
    int Run(const std::string& strTool, const std::vector<std::string>& vArgs,
            std::string* pstrOut = nullptr) const
    {
        std::vector<std::string> vCommand = {FindProgram(strTool)};
        vCommand.insert(vCommand.end(), vArgs.begin(), vArgs.end());
        std::string strOut;
        int nExit = RunProgram(vCommand, {"DISPLAY=" + m_strDisplay}, &strOut, 10000);
        if (pstrOut != nullptr) {
            *pstrOut = strOut;
        }
        return nExit;
    }

    // The program's icon docked in the tray host: a window of class
    // "Zelkor" below another window (the host's socket), not a top-level
    // one. nId 0 when it is not docked.
    SGeometry DockedIcon() const
    {
        std::string strTree;
        Run("xwininfo", {"-root", "-tree"}, &strTree);
        std::istringstream lines(strTree);
        for (std::string strLine; std::getline(lines, strLine);) {
            size_t nIndent = strLine.find_first_not_of(' ');
            // Top-level windows are the root's children, indented by 5.
            if (nIndent == std::string::npos || nIndent <= 5 ||
                strLine.find("(\"Zelkor\" \"Zelkor\")") == std::string::npos) {
                continue;
            }
            SGeometry icon;
            size_t nSize = strLine.find(")  ", strLine.find("(\"Zelkor\"")) + 3;
            size_t nAbsolute = strLine.find("  +", nSize) + 3;
            int nX = 0;
            int nY = 0;
            if (std::sscanf(strLine.c_str() + nIndent, "%llx", &icon.nId) == 1 &&
                std::sscanf(strLine.c_str() + nSize, "%dx%d", &icon.nWidth, &icon.nHeight) == 2 &&
                std::sscanf(strLine.c_str() + nAbsolute, "%d+%d", &nX, &nY) == 2) {
                icon.nX = nX;
                icon.nY = nY;
                return icon;
            }
        }
        return {};
    }

    // The program's visible windows other than nExcept (the open menu).
    std::vector<SGeometry> VisibleWindows(long long nExcept) const
    {
        std::string strIds;
        Run("xdotool", {"search", "--onlyvisible", "--classname", "Zelkor"}, &strIds);
        std::vector<SGeometry> vWindows;
        std::istringstream ids(strIds);
        for (long long nId = 0; ids >> nId;) {
            if (nId == nExcept) {
                continue;
            }
            std::string strShell;
            Run("xdotool", {"getwindowgeometry", "--shell", std::to_string(nId)}, &strShell);
            SGeometry window;
            window.nId = nId;
            std::istringstream values(strShell);
            for (std::string strValue; std::getline(values, strValue);) {
                int* pnField = strValue.rfind("X=", 0) == 0        ? &window.nX
                               : strValue.rfind("Y=", 0) == 0      ? &window.nY
                               : strValue.rfind("WIDTH=", 0) == 0  ? &window.nWidth
                               : strValue.rfind("HEIGHT=", 0) == 0 ? &window.nHeight
                                                                   : nullptr;
                if (pnField != nullptr) {
                    *pnField = std::atoi(strValue.c_str() + strValue.find('=') + 1);
                }
            }
            vWindows.push_back(window);
        }
        return vWindows;
    }

    // nButton pressed nTimes on the middle of the icon.
    void Click(const SGeometry& icon, int nButton, int nTimes = 1) const
    {
        Run("xdotool", {"mousemove", std::to_string(icon.nX + icon.nWidth / 2),
                        std::to_string(icon.nY + icon.nHeight / 2), "click", "--repeat",
                        std::to_string(nTimes), std::to_string(nButton)});
    }

private:
    std::string m_strFolder;
    std::string m_strDisplay;
    std::unique_ptr<CChildProcess> m_pServer;
    std::unique_ptr<CChildProcess> m_pTray;
};

class DesktopE2ETest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string strWhyNot = m_Desktop.Start(m_Session.Folder().Path());
        if (!strWhyNot.empty()) {
            GTEST_SKIP() << "no X desktop for the tray tests: " << strWhyNot;
        }
        m_Desktop.StartTrayHost();
    }

    // Zelkor on the desktop; no session bus, so the icon is an X11 tray
    // icon in trayer.
    CChildProcess& StartZelkor(const std::string& strAnswers = "")
    {
        return m_Session.Start(
            {"DISPLAY=" + m_Desktop.Display(), "QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY",
             "DBUS_SESSION_BUS_ADDRESS=unix:path=" + m_Session.Runtime().Path() + "/no-bus",
             "ZELKOR_MESSAGEBOX_ANSWERS=" + strAnswers});
    }

    // The docked icon once it is shown and has stopped moving (the host
    // lays its panel out again after each icon it takes); nId 0 when it
    // does not dock.
    SGeometry WaitDocked() const
    {
        SGeometry icon;
        SGeometry previous;
        WaitUntil(
            [&] {
                previous = icon;
                icon = m_Desktop.DockedIcon();
                if (icon.nId == 0 || icon.nId != previous.nId || icon.nX != previous.nX ||
                    icon.nY != previous.nY || icon.nWidth != previous.nWidth) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    return false;
                }
                for (const SGeometry& shown : m_Desktop.VisibleWindows(0)) {
                    if (shown.nId == icon.nId) {
                        return true;
                    }
                }
                return false;
            },
            kWaitMs);
        return icon.nId == previous.nId ? icon : SGeometry{};
    }

    // Clicks on the icon where it is now until strLogged is in the log
    // nTimes: a click that comes while the host is still embedding the icon
    // reaches the host, and the next one the icon. icon: the icon clicked.
    bool ClickUntil(SGeometry& icon, int nButton, int nClicks, const std::string& strLogged,
                    size_t nTimes = 1) const
    {
        for (int nTry = 0; nTry < 5; ++nTry) {
            icon = WaitDocked();
            m_Desktop.Click(icon, nButton, nClicks);
            if (m_Session.WaitLog(strLogged, nTimes, 3000)) {
                return true;
            }
        }
        return false;
    }

    // Right-click on the icon: the menu is open (its log line and its window).
    SGeometry OpenMenu(SGeometry& icon, size_t nTimes) const
    {
        EXPECT_TRUE(ClickUntil(icon, 3, 1, kMenuOpen, nTimes)) << m_Session.Log();
        SGeometry menu;
        EXPECT_TRUE(WaitUntil(
            [&] {
                std::vector<SGeometry> vWindows = m_Desktop.VisibleWindows(icon.nId);
                menu = vWindows.empty() ? SGeometry{} : vWindows[0];
                return !vWindows.empty();
            },
            kWaitMs));
        return menu;
    }

    // The open menu and the tray beside it, when screenshots are asked for.
    void Screenshot(const SGeometry& icon, const SGeometry& menu) const
    {
        const char* pszDir = std::getenv("ZELKOR_SCREENSHOT_DIR");
        if (pszDir == nullptr || *pszDir == '\0') {
            return;
        }
        std::filesystem::create_directories(pszDir);
        int nLeft = std::max(0, std::min(icon.nX, menu.nX) - 200);
        int nTop = std::max(0, std::min(icon.nY, menu.nY) - 80);
        int nRight = std::min(800, std::max(icon.nX + icon.nWidth, menu.nX + menu.nWidth) + 40);
        int nBottom = 600;
        std::string strOut;
        EXPECT_EQ(RunProgram({ZELKOR_SCREEN_GRAB_EXE, std::string(pszDir) + "/tray-menu.png",
                              std::to_string(nLeft), std::to_string(nTop),
                              std::to_string(nRight - nLeft), std::to_string(nBottom - nTop)},
                             {"DISPLAY=" + m_Desktop.Display()}, &strOut),
                  0)
            << strOut;
    }

    static constexpr const char* kMenuOpen =
        "[CTrayIcon::Menu] Open [2] 환경설정(&Y) [32777], 종료(&Z) [32773]";

    CZelkorSession m_Session;
    CDesktop m_Desktop;
};

// The icon docks with its tooltip; killed and started again, the host gets
// it back through the one icon creation; left and double clicks open
// nothing.
TEST_F(DesktopE2ETest, IconDocksAndComesBackWithItsHost)
{
    CChildProcess& zelkor = StartZelkor();
    SGeometry icon = WaitDocked();
    ASSERT_NE(icon.nId, 0) << m_Session.Folder().ReadFile("zelkor.out");
    EXPECT_GT(icon.nWidth, 0);
    std::string strLog = m_Session.Log();
    EXPECT_NE(strLog.find("[DEBUG] [CTrayIcon::CTrayIcon] Tray icon added [Zelkor(VER."),
              std::string::npos);
    EXPECT_EQ(strLog.find("No tray host"), std::string::npos);

    m_Desktop.KillTrayHost();
    ASSERT_TRUE(m_Session.WaitLog("[CTrayHostWatcher::OnTrayHostChanged] Tray host gone"));
    EXPECT_EQ(m_Desktop.DockedIcon().nId, 0);
    m_Desktop.StartTrayHost();
    ASSERT_TRUE(m_Session.WaitLog("[CTrayHostWatcher::OnTrayHostChanged] Tray host appeared: "
                                  "TaskbarCreated"));
    SGeometry back = WaitDocked();
    ASSERT_NE(back.nId, 0);
    EXPECT_NE(back.nId, icon.nId); // a new icon, made by the one creation
    ASSERT_TRUE(m_Session.WaitLog("Tray icon added [Zelkor(VER.", 2));

    // A left click (trigger, 3) and a double click (2): nothing opens.
    ASSERT_TRUE(ClickUntil(back, 1, 1, "[CTrayIcon::OnActivated] Activated [3]"));
    ASSERT_TRUE(ClickUntil(back, 1, 2, "[CTrayIcon::OnActivated] Activated [2]"));
    EXPECT_TRUE(m_Desktop.VisibleWindows(back.nId).empty());
    EXPECT_EQ(Count(m_Session.Log(), "[CTrayIcon::Menu] Open"), 0u);

    EXPECT_EQ(m_Session.Send({"--message", "16"}), 3); // WM_CLOSE
    EXPECT_EQ(zelkor.Wait(kWaitMs), 0);
}

// Right-click opens the two-item menu; "종료" (its mnemonic Z) asks
// question 109. "No": "Process Close Cancel" and the program runs on;
// "Yes": the program ends with its teardown, exit 0.
TEST_F(DesktopE2ETest, MenuExitAsksFirstNoKeepsRunningYesEnds)
{
    CChildProcess& zelkor = StartZelkor("7,6");
    SGeometry icon = WaitDocked();
    ASSERT_NE(icon.nId, 0) << m_Session.Folder().ReadFile("zelkor.out");

    SGeometry menu = OpenMenu(icon, 1);
    ASSERT_NE(menu.nId, 0);
    EXPECT_GT(menu.nHeight, 0);
    Screenshot(icon, menu);
    m_Desktop.Run("xdotool", {"key", "z"});
    ASSERT_TRUE(m_Session.WaitLog("[CZelkorDlg::OnTrayMenuClose] Process Close Cancel"));
    std::vector<Json::Value> vBoxes = m_Session.Boxes();
    ASSERT_EQ(vBoxes.size(), 1u);
    EXPECT_EQ(vBoxes[0]["id"].asInt(), 109);
    EXPECT_EQ(vBoxes[0]["text"].asString(), "Zelkor 프로그램을 종료하시겠습니까?");
    EXPECT_EQ(vBoxes[0]["buttons"].asString(), "YESNO");
    EXPECT_EQ(vBoxes[0]["answer"].asInt(), 7);
    EXPECT_TRUE(WaitUntil([&] { return m_Desktop.VisibleWindows(icon.nId).empty(); }, kWaitMs));
    EXPECT_TRUE(zelkor.IsRunning());
    EXPECT_NE(m_Session.AgentPid(), 0);

    OpenMenu(icon, 2);
    m_Desktop.Run("xdotool", {"key", "z"});
    EXPECT_EQ(zelkor.Wait(kWaitMs), 0);
    vBoxes = m_Session.Boxes();
    ASSERT_EQ(vBoxes.size(), 2u);
    EXPECT_EQ(vBoxes[1]["id"].asInt(), 109);
    EXPECT_EQ(vBoxes[1]["answer"].asInt(), 6);

    std::string strLog = m_Session.Log();
    size_t nCommand = strLog.rfind("[CTrayIcon::Menu] Command [32773]");
    size_t nClose = strLog.find("[CZelkorDlg::OnTrayMenuClose] Process Close End");
    size_t nEnd = strLog.find("[CNubeqDllMngr::Call_ProcessEnd]", nClose);
    size_t nDestroy = strLog.find("[CZelkorDlg::OnDestroy] Destroy Process.", nEnd);
    size_t nWorkers = strLog.rfind("Destructor Thread Exit End");
    size_t nStop = strLog.rfind("CSimpleLog STOP");
    ASSERT_NE(nCommand, std::string::npos);
    EXPECT_LT(nCommand, nClose);
    EXPECT_LT(nClose, nEnd);
    EXPECT_LT(nEnd, nDestroy);
    EXPECT_LT(nDestroy, nWorkers);
    EXPECT_LT(nWorkers, nStop);
    ASSERT_NE(nStop, std::string::npos);
    EXPECT_EQ(strLog.find("[", nStop), std::string::npos) << "the STOP banner is the last line";
    std::vector<Json::Value> vEnds = m_Session.Calls("ProcessEnd");
    ASSERT_EQ(vEnds.size(), 1u);
    EXPECT_EQ(vEnds[0]["agent"].asString(), "ended");
}

} // namespace
