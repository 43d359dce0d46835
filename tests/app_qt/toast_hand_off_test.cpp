// The 10025 hand-off with the program's toast window, offscreen: a sender
// on another thread (as the print worker's synchronous send) is held until
// its toast is destroyed, a second request meanwhile raises the open toast
// and is dropped, a close that comes while the main thread is held up
// during the slide-in still closes the toast and frees the sender, and a
// toast that does not go holds the sender no longer than its auto-close
// time and 5 seconds.
#include "app/qt/toast_window.h"
#include "pipeline/toast_ctrl_process.h"
#include "tests/support/program_folder.h"
#include "ui/toast/qt/toast_dialog.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

bool ProcessUntil(const std::function<bool()>& fnDone, int nTimeoutMs)
{
    for (int i = 0; i < nTimeoutMs / 5 && !fnDone(); ++i) {
        QTest::qWait(5);
    }
    return fnDone();
}

ToastRequestInfo Request(const char* pszTitle, int32_t nAutoCloseSec)
{
    ToastRequestInfo info{};
    std::snprintf(info.szTitle, sizeof(info.szTitle), "%s", pszTitle);
    std::snprintf(info.szBody, sizeof(info.szBody), "%s", "<b>body</b> text");
    info.nAutoCloseSec = nAutoCloseSec;
    return info;
}

int ToastCount()
{
    int nCount = 0;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        auto* pToast = qobject_cast<CToastDialog*>(pWidget);
        nCount += pToast != nullptr && !pToast->IsFinished() ? 1 : 0;
    }
    return nCount;
}

// A sender thread: the hand-off runs on the main thread while it waits,
// as the print worker waits in its send of 10025.
class CSender
{
public:
    CSender(IToastWindow& window, const ToastRequestInfo& info)
        : m_Info(info), m_Thread([this, &window] {
              QMetaObject::invokeMethod(
                  qApp, [this, &window] { ShowToastNotify(window, &m_Info); },
                  Qt::BlockingQueuedConnection);
              m_bBack = true;
          })
    {
    }
    ~CSender() { m_Thread.join(); }
    bool IsBack() const { return m_bBack; }

private:
    ToastRequestInfo m_Info;
    std::atomic<bool> m_bBack{false};
    std::thread m_Thread;
};

class ToastHandOffTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_Folder.StartLog()); }
    void TearDown() override
    {
        for (QWidget* pWidget : QApplication::topLevelWidgets()) {
            if (qobject_cast<CToastDialog*>(pWidget) != nullptr) {
                delete pWidget;
            }
        }
    }
    std::string Log() const { return m_Folder.ReadCurrentLog(); }

    testsupport::CTempProgramFolder m_Folder;
    CQtToastWindow m_Window;
};

// The first sender's hand-off runs a nested loop on the main thread until
// its toast is destroyed, so the checks while it is up run from a timer
// inside that loop.
TEST_F(ToastHandOffTest, SenderWaitsForTheToastAndASecondRequestIsDropped)
{
    std::atomic<bool> bDestroyed{false};
    std::unique_ptr<CSender> pSecond;
    bool bChecked = false;
    bool bSecondBackWhileUp = false;
    bool bFirstHeldThen = false;
    int nToastsThen = 0;
    std::unique_ptr<CSender> pFirst;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!pSecond && m_Window.IsToastOpen()) {
            QObject::connect(CQtToastWindow::OpenToast(), &QObject::destroyed,
                             [&] { bDestroyed = true; });
            pSecond = std::make_unique<CSender>(m_Window, Request("<b>other</b>", 1));
        } else if (pSecond && pSecond->IsBack() && !bChecked) {
            bChecked = true;
            bSecondBackWhileUp = !bDestroyed;
            bFirstHeldThen = !pFirst->IsBack();
            nToastsThen = ToastCount();
        }
    });
    watch.start(5);
    pFirst = std::make_unique<CSender>(m_Window, Request("<b>title</b>", 1));
    EXPECT_TRUE(ProcessUntil([&] { return pFirst->IsBack(); }, 8000));
    watch.stop();
    EXPECT_TRUE(bChecked);
    EXPECT_TRUE(bSecondBackWhileUp); // dropped at once while the first toast is up
    EXPECT_TRUE(bFirstHeldThen);
    EXPECT_EQ(nToastsThen, 1);
    EXPECT_TRUE(bDestroyed); // the first sender came back only after the destruction
    EXPECT_FALSE(m_Window.IsToastOpen());
    pFirst.reset();
    pSecond.reset();
    const std::string strLog = Log();
    EXPECT_NE(strLog.find("[CTrayIcon::ShowToastNotify] A toast is open: raised, this one dropped"),
              std::string::npos);
    EXPECT_NE(strLog.find("[CTrayIcon::ShowToastNotify] Toast closed"), std::string::npos);
    EXPECT_EQ(strLog.find("Toast shown AutoClose", strLog.find("Toast shown AutoClose") + 1),
              std::string::npos);
}

// Auto-close 1, the main thread held up for 1.5 s before the slide-in
// ends: the close is kept until "shown", the toast goes and the sender is
// back, well before the safety time-out.
TEST_F(ToastHandOffTest, CloseDuringABlockedSlideInStillFreesTheSender)
{
    std::atomic<bool> bBlocked{false};
    QTimer stall;
    QObject::connect(&stall, &QTimer::timeout, [&] {
        CToastDialog* pToast = CQtToastWindow::OpenToast();
        if (!bBlocked && pToast != nullptr && pToast->isVisible() && !pToast->State().IsShown()) {
            bBlocked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        }
    });
    stall.start(1);
    {
        CSender sender(m_Window, Request("", 1));
        EXPECT_TRUE(ProcessUntil([&] { return sender.IsBack(); }, 10000));
    }
    stall.stop();
    EXPECT_TRUE(bBlocked);
    EXPECT_FALSE(m_Window.IsToastOpen());
    const std::string strLog = Log();
    EXPECT_NE(strLog.find("Not Initialize.... the close waits until shown"), std::string::npos)
        << strLog;
    EXPECT_NE(strLog.find("[CTrayIcon::ShowToastNotify] Toast closed"), std::string::npos);
    EXPECT_EQ(strLog.find("Toast still open"), std::string::npos);
}

// A toast that stays (it was shown without its auto-close time) holds the
// sender for auto-close + 5 s at most; auto-close 0 does not hold it.
TEST_F(ToastHandOffTest, SenderIsNeverHeldLongerThanTheSafetyTimeOut)
{
    class CStayingToast : public CQtToastWindow
    {
    public:
        void ShowToast(const std::string& strTitle, const std::string& strBody, int32_t) override
        {
            CQtToastWindow::ShowToast(strTitle, strBody, 0);
        }
    } staying;
    {
        CSender sender(staying, Request("", 1));
        EXPECT_TRUE(ProcessUntil([&] { return sender.IsBack(); }, 15000));
    }
    EXPECT_TRUE(staying.IsToastOpen());
    EXPECT_NE(Log().find("[WARN ] [CTrayIcon::ShowToastNotify] Toast still open after 6000 ms: "
                         "the sender goes on"),
              std::string::npos)
        << Log();
    delete CQtToastWindow::OpenToast();

    {
        CSender sender(m_Window, Request("", 0));
        EXPECT_TRUE(ProcessUntil([&] { return sender.IsBack(); }, 3000));
    }
    EXPECT_TRUE(m_Window.IsToastOpen());
}

} // namespace
