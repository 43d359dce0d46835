// The print-failure toast end to end: Zelkor (offscreen) with the stand-in
// agent, an order for a virtual printer that refuses every connection and
// toasts of 1 second. Every failed pass brings a toast up; the print
// worker's next pass waits until that toast has gone, so no second toast
// is ever up beside the first.
#include "platform/local_clock.h"
#include "platform/window_endpoint_client.h"
#include "tests/e2e/zelkor_session.h"
#include "tests/support/child_process.h"
#include "tests/support/cp949.h"
#include "tests/support/printer_config.h"
#include "tests/support/program_folder.h"
#include "tests/support/runtime_dir.h"
#include "tests/support/test_data.h"
#include "tests/support/vprinter_process.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::CChildProcess;
using testsupport::CVirtualPrinter;
using testsupport::WaitUntil;

constexpr int kWaitMs = 30000;
constexpr unsigned WM_CLOSE = 0x0010;

std::string Today()
{
    platform::LocalTime now = platform::GetLocalTime();
    char szDate[16];
    std::snprintf(szDate, sizeof(szDate), "%04d%02d%02d", now.nYear, now.nMonth, now.nDay);
    return szDate;
}

// Where each occurrence of strPart is in strText.
std::vector<size_t> Places(const std::string& strText, const std::string& strPart)
{
    std::vector<size_t> vecPlaces;
    for (size_t nAt = strText.find(strPart); nAt != std::string::npos;
         nAt = strText.find(strPart, nAt + 1)) {
        vecPlaces.push_back(nAt);
    }
    return vecPlaces;
}

class ToastE2ETest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        m_pZelkor.reset();
        std::string strPid = m_Folder.ReadFile("NUBEQ.pid");
        if (!strPid.empty()) {
            kill(std::stoi(strPid), SIGKILL);
        }
    }

    std::string Log() const { return e2e::ProgramLog(m_Folder); }

    testsupport::CTempProgramFolder m_Folder;
    testsupport::CTempRuntimeDir m_Runtime;
    std::unique_ptr<CChildProcess> m_pZelkor;
};

TEST_F(ToastE2ETest, RefusingPrinterToastsHoldThePrintWorkerOneAtATime)
{
    namespace fs = std::filesystem;
    CVirtualPrinter refusing(ZELKOR_VPRINTER_EXE, m_Folder.File("kitchen"), {"refuse"});
    ASSERT_NE(refusing.Port(), 0);
    m_Folder.WriteFile("Store_Orgin.dat", testsupport::TestDataFile("store/Store_Orgin.dat"));
    m_Folder.WriteFile("Config.ini", testsupport::TestDataFile("store/Config.ini") +
                                         "[ORDER]\r\nStartNo=1\r\nLastNo=1\r\nLastDate=" + Today() +
                                         "\r\n");
    ASSERT_TRUE(testsupport::WritePrinterConfig(m_Folder.File("Config.ini"),
                                                {.nUse = 1, .nLanPort = refusing.Port()}, {}));
    for (const auto& [pszBuilt, pszName] : {std::pair{ZELKOR_STUB_AGENT_LIB, "libNUBEQ_IF.so"},
                                            {ZELKOR_NUBEQ_EXE, "NUBEQ"},
                                            {ZELKOR_NUBEQ_LOG_EXE, "NUBEQ_LOG"},
                                            {ZELKOR_EXE, "Zelkor"}}) {
        fs::create_symlink(pszBuilt, m_Folder.File(pszName));
    }
    m_pZelkor = std::make_unique<CChildProcess>(
        std::vector<std::string>{ZELKOR_EXE},
        std::vector<std::string>{"QT_QPA_PLATFORM=offscreen", "DISPLAY", "WAYLAND_DISPLAY",
                                 "ZELKOR_MESSAGEBOX_JOURNAL=" + m_Folder.File("boxes.jsonl"),
                                 "ZELKOR_TOAST_SECONDS=1"},
        m_Folder.File("zelkor.out"));
    ASSERT_TRUE(
        WaitUntil([] { return platform::FindRegisteredWindow("Zelkor", "젤코르") != 0; }, kWaitMs))
        << m_Folder.ReadFile("zelkor.out");

    m_Folder.WriteFile("orders.json", testsupport::UnnumberedPickupOrders(1));
    ASSERT_EQ(testsupport::RunProgram(
                  {ZELKOR_NUBEQ_SEND_EXE, "36001", m_Folder.File("orders.json")}, {}, nullptr),
              0);

    const std::string strShown = "[CQtToastWindow::ShowToast] Toast shown AutoClose [1]";
    const std::string strGone =
        testsupport::Cp949FromUtf8(u8"[CToastDialog::OnCloseToast] 토스트창 소멸.");
    const std::string strClosed = "[CTrayIcon::ShowToastNotify] Toast closed";
    const std::string strPassFailed = "[CPrintCtrlProcess::PrintOrderData] Print Open Fail";
    // Two toasts, each one closed, and the pass after the second.
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::string strLog = Log();
            return Places(strLog, strClosed).size() >= 2 &&
                   Places(strLog, strPassFailed).size() >= 3;
        },
        kWaitMs))
        << Log();
    const std::string strLog = Log();
    std::vector<size_t> vecShown = Places(strLog, strShown);
    std::vector<size_t> vecGone = Places(strLog, strGone);
    std::vector<size_t> vecClosed = Places(strLog, strClosed);
    std::vector<size_t> vecPass = Places(strLog, strPassFailed);
    ASSERT_GE(vecShown.size(), 2u) << strLog;
    ASSERT_GE(vecGone.size(), 2u) << strLog;
    ASSERT_GE(vecClosed.size(), 2u) << strLog;
    ASSERT_GE(vecPass.size(), 3u) << strLog;
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        // pass i fails -> toast i up -> toast i destroyed -> the worker is
        // let go -> pass i + 1; the next toast only after this one closed.
        EXPECT_LT(vecPass[i], vecShown[i]);
        EXPECT_LT(vecShown[i], vecGone[i]);
        EXPECT_LT(vecGone[i], vecClosed[i]);
        EXPECT_LT(vecClosed[i], vecPass[i + 1]);
        if (i + 1 < vecShown.size()) {
            EXPECT_LT(vecClosed[i], vecShown[i + 1]);
        }
    }
    EXPECT_EQ(strLog.find("A toast is open: raised"), std::string::npos);
    EXPECT_EQ(strLog.find("Toast still open"), std::string::npos);

    EXPECT_EQ(testsupport::RunProgram(
                  {ZELKOR_NUBEQ_SEND_EXE, "--message", std::to_string(WM_CLOSE)}, {}, nullptr),
              3); // handled
    EXPECT_EQ(m_pZelkor->Wait(kWaitMs), 0);
}

} // namespace
