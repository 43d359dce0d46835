// CToastDialog offscreen: the slide's steps and where the window ends up,
// closing after the auto-close time with its log lines, the clicks before
// and after "shown" in both layouts, a close that arrives while the main
// thread is held up during the slide-in, and a window that never takes the
// focus.
#include "pipeline/toast_ctrl_process.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"
#include "ui/controls/picture_button.h"
#include "ui/html/html_text.h"
#include "ui/html/qt/html_static.h"
#include "ui/toast/qt/toast_dialog.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

using testsupport::Cp949FromUtf8;

bool ProcessUntil(const std::function<bool()>& fnDone, int nTimeoutMs)
{
    for (int i = 0; i < nTimeoutMs / 5 && !fnDone(); ++i) {
        QTest::qWait(5);
    }
    return fnDone();
}

size_t Find(const std::string& strLog, const std::u8string& strUtf8, size_t nFrom = 0)
{
    return strLog.find(Cp949FromUtf8(strUtf8), nFrom);
}

const std::string kTitle =
    "<b><font face=\"verdana\" size=\"10\" weight=\"900\" color=\"#2F76DE\">Title</font></b>";
const std::string kBody = "<font face=\"verdana\" size=\"7\">body text<br>second line</font>";

class ToastDialogTest : public ::testing::Test
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

    // A toast whose slide the test steps; returns once the slide-in runs.
    CToastDialog* Make(const std::string& strTitle, int32_t nAutoCloseSec = 0)
    {
        auto* pToast = new CToastDialog(strTitle, kBody);
        pToast->SetTimedSteps(false);
        pToast->SetAutoCloseSeconds(nAutoCloseSec);
        pToast->Create();
        EXPECT_TRUE(ProcessUntil([&] { return pToast->IsSliding(); }, 3000));
        return pToast;
    }
    static void StepIn(CToastDialog* pToast, int nSteps)
    {
        for (int i = 0; i < nSteps; ++i) {
            ASSERT_TRUE(pToast->SlideStep());
        }
    }

    testsupport::CTempProgramFolder m_Folder;
};

// Six steps of 50 pixels in at the corner of the available desktop area,
// 40 pixels above its bottom; "shown" after the sixth; six steps out; then
// the window is gone. Hidden while it has no width, never active.
TEST_F(ToastDialogTest, SlideStepsInToTheCornerAndOutAgain)
{
    CToastDialog* pToast = Make(kTitle);
    QPointer<CToastDialog> guard(pToast);
    const ToastRect desk = CToastDialog::DesktopArea();
    EXPECT_FALSE(pToast->isVisible());
    EXPECT_EQ(pToast->SlideRect().Width(), 0);
    const int nBottom = desk.nBottom - 40;
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(pToast->SlideStep());
        const ToastRect expected{desk.nRight - 50 * i, nBottom - 241, desk.nRight, nBottom};
        EXPECT_EQ(pToast->SlideRect(), expected) << "step in " << i;
        EXPECT_EQ(pToast->geometry(), QRect(expected.nLeft, expected.nTop, 50 * i, 241));
        EXPECT_EQ(pToast->State().IsShown(), i == 6);
    }
    EXPECT_FALSE(pToast->IsSliding());
    EXPECT_EQ(pToast->geometry(), QRect(desk.nRight - 300, nBottom - 241, 300, 241));
    EXPECT_TRUE(pToast->isVisible());
    EXPECT_EQ(pToast->windowTitle(), QStringLiteral("CToastDialogZelkor"));
    EXPECT_TRUE(pToast->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(pToast->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(pToast->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(pToast->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_NE(QApplication::activeWindow(), pToast);

    pToast->PostClose();
    ASSERT_TRUE(ProcessUntil([&] { return pToast->IsSliding(); }, 1000));
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(pToast->SlideStep());
        EXPECT_EQ(pToast->SlideRect().Width(), 300 - 50 * i) << "step out " << i;
        EXPECT_EQ(pToast->SlideRect().nRight, desk.nRight);
        EXPECT_EQ(pToast->isVisible(), i < 6);
    }
    EXPECT_TRUE(ProcessUntil([&] { return guard.isNull(); }, 1000));
}

// Auto-close 5, on the window's own 10 ms steps: the option, the timer and
// the destruction are logged in that order, and the window is gone.
TEST_F(ToastDialogTest, AutoCloseFiveLogsAndIsGone)
{
    auto* pToast = new CToastDialog(kTitle, kBody);
    QPointer<CToastDialog> guard(pToast);
    pToast->SetAutoCloseSeconds(5);
    pToast->Create();
    EXPECT_TRUE(ProcessUntil([&] { return guard.isNull(); }, 7000));
    const std::string strLog = Log();
    const size_t nOption = Find(
        strLog, u8"[TRACE] [CToastDialog::OnInitComplete] 토스트창 자동 소멸 옵션 적용 : 5 sec.");
    const size_t nTimer = Find(strLog, u8"[CToastDialog::OnTimer] 토스트창 자동 소멸.");
    const size_t nGone = Find(strLog, u8"[CToastDialog::OnCloseToast] 토스트창 소멸.");
    ASSERT_NE(nOption, std::string::npos) << strLog;
    ASSERT_NE(nTimer, std::string::npos) << strLog;
    ASSERT_NE(nGone, std::string::npos) << strLog;
    EXPECT_LT(nOption, nTimer);
    EXPECT_LT(nTimer, nGone);
}

// Clicks, through the window (Qt's own hit test picks the control under
// the point): before "shown" nothing but the log line; with a title only
// the action image closes (the body passes the press to the window, which
// ignores it); without a title the window is 80 high and any click closes.
TEST_F(ToastDialogTest, ClicksBeforeShownOnTheBodyAndOnTheActionImage)
{
    const struct
    {
        const char* pszName;
        bool bTitle;
        int nStepsBefore; // steps made before the click (6: shown)
        QPoint at;
        bool bCloses;
    } cases[] = {
        {"before shown", true, 1, QPoint(30, 100), false},
        {"title, body", true, 6, QPoint(150, 100), false},
        {"title, frame", true, 6, QPoint(5, 5), false},
        {"title, action image", true, 6, QPoint(150, 206), true},
        {"no title, body", false, 6, QPoint(150, 40), true},
        {"no title, frame", false, 6, QPoint(3, 77), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CToastDialog* pToast = Make(c.bTitle ? kTitle : "");
        QPointer<CToastDialog> guard(pToast);
        EXPECT_EQ(pToast->SlideRect().Height(), c.bTitle ? 241 : 80);
        EXPECT_EQ(pToast->ActionButton() != nullptr, c.bTitle);
        EXPECT_EQ(pToast->TitleStatic() != nullptr, c.bTitle);
        if (c.bTitle) {
            EXPECT_FALSE(pToast->ActionButton()->isEnabled());
            EXPECT_EQ(pToast->ActionButton()->PictureId(), 306);
            EXPECT_EQ(pToast->ActionButton()->geometry(), QRect(110, 191, 80, 30));
            EXPECT_EQ(pToast->BodyStatic()->geometry(), QRect(20, 46, 270, 140));
            EXPECT_EQ(pToast->TitleStatic()->geometry(), QRect(20, 20, 260, 25));
        } else {
            EXPECT_EQ(pToast->BodyStatic()->geometry(), QRect(15, 15, 270, 50));
        }
        StepIn(pToast, c.nStepsBefore);
        const size_t nLogBefore = Log().size();
        QTest::mouseClick(pToast->windowHandle(), Qt::LeftButton, Qt::NoModifier, c.at);
        QApplication::processEvents();
        const std::string strNew = Log().substr(nLogBefore);
        const bool bNotInitialized =
            strNew.find("[CToastDialog::OnLButtonDown] Not Initialize....") != std::string::npos;
        EXPECT_EQ(bNotInitialized, c.nStepsBefore < 6);
        if (c.nStepsBefore < 6) {
            EXPECT_FALSE(pToast->State().IsClosing());
            StepIn(pToast, 6 - c.nStepsBefore);
            EXPECT_TRUE(pToast->State().IsShown());
        }
        EXPECT_EQ(pToast->IsSliding(), c.bCloses);
        EXPECT_EQ(pToast->State().IsClosing(), c.bCloses);
        if (c.bCloses) {
            for (int i = 0; i < 6; ++i) {
                pToast->SlideStep();
            }
            EXPECT_TRUE(ProcessUntil([&] { return guard.isNull(); }, 1000));
            EXPECT_NE(Find(Log(), u8"[CToastDialog::OnLButtonDown] 토스트창 소멸.", nLogBefore),
                      std::string::npos);
        } else {
            delete pToast;
        }
    }
}

// Auto-close 1 with the main thread held up for 1.5 s while the toast
// slides in: the close request comes before "shown", waits, and the toast
// slides out as soon as the slide-in has ended.
TEST_F(ToastDialogTest, CloseDuringABlockedSlideInIsNotLost)
{
    auto* pToast = new CToastDialog("", kBody);
    QPointer<CToastDialog> guard(pToast);
    bool bBlocked = false;
    QTimer stall;
    QObject::connect(&stall, &QTimer::timeout, [&] {
        if (!bBlocked && guard && guard->isVisible() && !guard->State().IsShown()) {
            bBlocked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        }
    });
    stall.start(1);
    pToast->SetAutoCloseSeconds(1);
    pToast->Create();
    EXPECT_TRUE(ProcessUntil([&] { return guard.isNull(); }, 6000));
    stall.stop();
    EXPECT_TRUE(bBlocked);
    const std::string strLog = Log();
    const size_t nWaits =
        strLog.find("[CToastDialog::OnCloseToast] Not Initialize.... the close waits until shown");
    ASSERT_NE(nWaits, std::string::npos) << strLog;
    EXPECT_NE(Find(strLog, u8"[CToastDialog::OnCloseToast] 토스트창 소멸.", nWaits),
              std::string::npos);
}

// Auto-close 0: the window stays until it is clicked.
TEST_F(ToastDialogTest, NoAutoCloseStaysUntilClicked)
{
    auto* pToast = new CToastDialog("", kBody);
    QPointer<CToastDialog> guard(pToast);
    pToast->Create();
    ASSERT_TRUE(ProcessUntil([&] { return pToast->State().IsShown(); }, 3000));
    QTest::qWait(1200);
    ASSERT_FALSE(guard.isNull());
    EXPECT_FALSE(pToast->State().IsClosing());
    QTest::mouseClick(pToast->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 40));
    EXPECT_TRUE(ProcessUntil([&] { return guard.isNull(); }, 3000));
    EXPECT_EQ(Log().find("OnInitComplete"), std::string::npos);
}

// An order's menu text with markup in it, through the toast worker's text
// and the toast's body: shown as the customer wrote it, no link made.
TEST_F(ToastDialogTest, MarkupInTheOrderTextIsShownAsText)
{
    const struct
    {
        const char* pszDesc; // JSON string content
        const char* pszShown;
    } cases[] = {
        {"<b>&lt;</b>", "<b>&lt;</b>"},
        {"<a href=x>y", "<a href=x>y"},
        {"<a href=\\\"file:///etc/passwd\\\">x</a>", "<a href=..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszShown);
        ToastRequestInfo info{};
        CToastCtrlProcess::MakePrintFailToast(
            std::string("{\"serviceType\":\"PICKUP\",\"hms\":\"143005\",\"desc\":\"") + c.pszDesc +
                "\"}",
            0x1, info);
        CToastDialog toast(info.szTitle, info.szBody);
        toast.Create();
        toast.BodyStatic()->grab();
        const CHtmlDrawer& drawer = toast.BodyStatic()->Drawer();
        std::string strShown;
        for (const HtmlLine& line : drawer.Lines()) {
            for (const HtmlLineItem& item : line.vecItems) {
                strShown += HtmlToUtf8(item.strText);
            }
            strShown += "|";
        }
        EXPECT_NE(strShown.find(std::string(c.pszShown) + "|"), std::string::npos) << strShown;
        EXPECT_TRUE(drawer.LinkAreas().empty());
    }
}

} // namespace
