// The tray icon and the print-failure toast, offscreen (there is no tray
// host there): the icon object kept with a warning, its menu's commands
// queued to the main window, and the whole road
// from a refusing printer through the print worker to the toast, with the
// worker held while the toast is up and a second request dropped.
#include "app/qt/qt_shell_parts.h"
#include "app/qt/qt_window_host.h"
#include "app/qt/toast_window.h"
#include "app/qt/tray_icon.h"
#include "app/watchdog_flag.h"
#include "app/window_messages.h"
#include "app/zelkor_dlg.h"
#include "foundation/message_box.h"
#include "foundation/window_sink.h"
#include "pipeline/ctrl_processes.h"
#include "pipeline/event_ctrl_process.h"
#include "pipeline/print_ctrl_process.h"
#include "pipeline/toast_ctrl_process.h"
#include "res/string_table.h"
#include "tests/support/agent_journal.h"
#include "tests/support/child_process.h"
#include "tests/support/cp949.h"
#include "tests/support/printer_config.h"
#include "tests/support/program_folder.h"
#include "tests/support/runtime_dir.h"
#include "tests/support/tcp_listener.h"
#include "tests/support/test_data.h"
#include "tests/support/text_lines.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

using testsupport::Count;
using testsupport::WaitUntil;

QWidget* OpenToast()
{
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (pWidget->windowTitle() == QLatin1String(TOAST_WINDOW_TITLE) && pWidget->isVisible()) {
            return pWidget;
        }
    }
    return nullptr;
}

class TrayToastTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        SetMessageBoxPresenter(MakeJournalMessageBoxPresenter(m_Folder.File("boxes.jsonl"), {}));
    }
    void TearDown() override
    {
        SetMessageBoxPresenter(nullptr);
        while (QWidget* pToast = OpenToast()) {
            pToast->close();
        }
    }
    std::string Log() const { return m_Folder.ReadCurrentLog(); }

    testsupport::CTempProgramFolder m_Folder;
};

// Offscreen there is no tray host: a warning, and the object is kept, so
// the toasts are not refused. The menu is menu 131; its commands reach the
// main window as queued messages.
TEST_F(TrayToastTest, IconWithoutTrayHostIsKeptAndItsMenuPostsCommands)
{
    std::vector<std::pair<unsigned, uintptr_t>> vPosts;
    InstallMainWindowSink(
        [&](unsigned nMsg, uintptr_t wParam, intptr_t) {
            vPosts.emplace_back(nMsg, wParam);
            return true;
        },
        [](unsigned, uintptr_t, intptr_t) -> intptr_t { return 0; });
    CQtToastWindow toast;
    std::string strLong = "Zelkor(VER." + std::string(200, '9') + ")";
    CTrayIcon tray(strLong, QIcon(), toast);
    EXPECT_NE(Log().find("[WARN ] [CTrayIcon::CTrayIcon] No tray host: the icon [Zelkor(VER.99"),
              std::string::npos);
    EXPECT_EQ(tray.SystemTrayIcon().toolTip().size(), 127);
    EXPECT_EQ(tray.SystemTrayIcon().contextMenu(), &tray.Menu());

    QList<QAction*> vActions = tray.Menu().actions();
    ASSERT_EQ(vActions.size(), 2);
    EXPECT_EQ(vActions[0]->text(), QString::fromUtf16(u"환경설정(&Y)"));
    EXPECT_EQ(vActions[1]->text(), QString::fromUtf16(u"종료(&Z)"));
    vActions[1]->trigger();
    vActions[0]->trigger();
    RemoveMainWindowSink();
    ASSERT_EQ(vPosts.size(), 2u);
    EXPECT_EQ(vPosts[0], std::make_pair(WM_COMMAND, uintptr_t{ID_TRAY_CLOSE}));
    EXPECT_EQ(vPosts[1], std::make_pair(WM_COMMAND, uintptr_t{ID_TRAY_PRINTSETTING}));
}

// The program's road: an order for a printer that refuses connections
// fails its first pass; the toast comes up and the print worker waits in
// its request until the toast has closed (5 s), only then the next pass
// starts. A second request while the toast is up raises it and is dropped.
TEST_F(TrayToastTest, RefusingPrinterToastHoldsThePrintWorkerAndStaysAlone)
{
    testsupport::CTempRuntimeDir runtime;
    RegisterStringTable();
    // A copy, not a link: the stand-in starts no agent process from here.
    std::filesystem::copy_file(ZELKOR_STUB_AGENT_LIB, m_Folder.File("libNUBEQ_IF.so"));
    m_Folder.WriteFile("Config.ini", "[POS]\r\nNobizer=1234567890\r\nStoreId=ST1\r\n[ORDER]\r\n"
                                     "StartNo=1\r\nLastNo=1\r\nLastDate=" +
                                         testsupport::TodayDate() + "\r\n");
    ASSERT_TRUE(testsupport::WritePrinterConfig(
        m_Folder.File("Config.ini"), {.nUse = 1, .nLanPort = testsupport::CTcpListener::FreePort()},
        {}));

    CQtWindowHost host;
    CQtShellParts parts;
    std::atomic<bool> bSecondBack{false};
    std::atomic<int> nShownAtSecondBack{-1};
    std::thread driver([&] {
        if (!WaitUntil([] { return HasMainWindowSink() && PrintCtrlProcess().IsRunning(); },
                       20000)) {
            PostMainWindowMessage(WM_CLOSE, 0, 0);
            return;
        }
        EventCtrlProcess().PushQueueCtrlData(36001, testsupport::UnnumberedPickupOrders(1));
        const std::string strShown = "[CQtToastWindow::ShowToast] Toast shown AutoClose [5]";
        if (WaitUntil([&] { return Log().find(strShown) != std::string::npos; }, 20000)) {
            // Another failure while the toast is up (as from a second sender).
            ToastCtrlProcess().ShowPrintFailToast("", 0x100);
            nShownAtSecondBack = static_cast<int>(Count(Log(), strShown));
            bSecondBack = true;
            // The second pass's toast, after the first closed.
            WaitUntil([&] { return Count(Log(), strShown) >= 2; }, 20000);
        }
        PostMainWindowMessage(WM_CLOSE, 0, 0);
    });
    {
        CZelkorDlg dlg(host, parts);
        dlg.DoModal();
    }
    driver.join();
    host.Shutdown();

    EXPECT_TRUE(bSecondBack);
    EXPECT_EQ(nShownAtSecondBack, 1); // the second request made no toast
    std::string strLog = Log();
    EXPECT_NE(strLog.find("[WARN ] [CTrayIcon::CTrayIcon] No tray host"), std::string::npos);
    EXPECT_NE(strLog.find("[CTrayIcon::ShowToastNotify] A toast is open: raised, this one dropped"),
              std::string::npos);
    const std::string strShown = "Toast shown AutoClose [5]";
    const std::string strClosed = "[CTrayIcon::ShowToastNotify] Toast closed";
    const std::string strPassFailed = "[CPrintCtrlProcess::PrintOrderData] Print Open Fail";
    size_t nShown1 = testsupport::NthPos(strLog, strShown, 0);
    size_t nClosed1 = testsupport::NthPos(strLog, strClosed, 0);
    size_t nPass1 = testsupport::NthPos(strLog, strPassFailed, 0);
    size_t nPass2 = testsupport::NthPos(strLog, strPassFailed, 1);
    size_t nShown2 = testsupport::NthPos(strLog, strShown, 1);
    ASSERT_NE(nShown2, std::string::npos) << strLog;
    EXPECT_LT(nPass1, nShown1);
    EXPECT_LT(nShown1, nClosed1);
    EXPECT_LT(nClosed1, nPass2); // the next pass only after the toast closed
    EXPECT_LT(nPass2, nShown2);
}

} // namespace
