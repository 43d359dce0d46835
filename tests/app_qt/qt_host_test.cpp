// The Qt host's traps, offscreen: an end asked for before the loop runs,
// the last window closed, the pump of the waits (it sleeps), senders
// released at shutdown, message boxes from other threads, and the endpoint
// served from inside a nested loop.
#include "app/qt/qt_message_box.h"
#include "app/qt/qt_window_host.h"
#include "foundation/message_box.h"
#include "foundation/tesk_event.h"
#include "foundation/wait.h"
#include "platform/text_encoding.h"
#include "platform/window_endpoint.h"
#include "platform/window_endpoint_client.h"
#include "res/string_table.h"
#include "tests/support/runtime_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// The message box open now, or null.
QMessageBox* OpenBox()
{
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (auto* pBox = qobject_cast<QMessageBox*>(pWidget);
            pBox != nullptr && pBox->isVisible()) {
            return pBox;
        }
    }
    return nullptr;
}

TEST(QtHostTest, EndAskedForBeforeTheLoopEndsItAtOnce)
{
    CQtWindowHost host;
    host.EndLoop(2); // as a failed agent start does during the window's start
    bool bRan = false;
    host.PostToMainThread([&bRan] { bRan = true; });
    Clock::time_point start = Clock::now();
    EXPECT_EQ(host.RunLoop(), 2);
    EXPECT_LT(ElapsedMs(start), 1000);
    EXPECT_FALSE(bRan); // the loop never ran
}

TEST(QtHostTest, ClosingTheLastWindowDoesNotEndTheLoop)
{
    CQtWindowHost host;
    CQtWindowHost::PrepareApplication(*QCoreApplication::instance());
    QWidget* pWidget = new QWidget;
    pWidget->setAttribute(Qt::WA_DeleteOnClose);
    pWidget->show();
    QTimer::singleShot(50, pWidget, &QWidget::close);
    QTimer::singleShot(400, [&host] { host.EndLoop(7); });
    EXPECT_EQ(host.RunLoop(), 7); // not ended early by the closed window
}

std::atomic<int> g_nPumps{0};

void CountingPump(int nMaxWaitMs)
{
    ++g_nPumps;
    CQtWindowHost::PumpMessages(nMaxWaitMs);
}

// The pump of a wait on the main thread sleeps until something happens or
// its time is up; it does not spin.
TEST(QtHostTest, PumpSleepsUntilAnEventOrItsTimeOut)
{
    CQtWindowHost host;
    for (int i = 0; i < 10; ++i) {
        CQtWindowHost::PumpMessages(0); // what start-up left pending
    }
    SetMessagePumpHook(&CountingPump);
    // 300 ms in slices of at most 10 ms: about 30 pumps when each one
    // sleeps; a pump that returns at once would be called thousands of times.
    PumpMessagesFor(300);
    EXPECT_LE(g_nPumps.load(), 60);
    SetMessagePumpHook(&CQtWindowHost::PumpMessages);

    std::thread poster([&host] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        host.PostToMainThread([] {});
    });
    Clock::time_point start = Clock::now();
    CQtWindowHost::PumpMessages(5000);
    EXPECT_LT(ElapsedMs(start), 4000); // woken by the posted call
    poster.join();

    // A wait on the main thread dispatches queued calls meanwhile.
    CTeskEvent event(true, false);
    std::thread setter([&host, &event] { host.PostToMainThread([&event] { event.Set(); }); });
    EXPECT_EQ(WaitForEvent(&event, 5000), WAIT_RESULT_SIGNALLED);
    setter.join();
}

// A thread waiting in a send when the host shuts down is released (the
// send fails); later sends fail at once.
TEST(QtHostTest, ShutdownReleasesSendersAndRefusesNewOnes)
{
    CQtWindowHost host;
    std::atomic<int> nResult{-1};
    std::thread sender([&host, &nResult] { nResult = host.SendToMainThread([] {}) ? 1 : 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the call waits in the queue
    host.Shutdown();
    sender.join();
    EXPECT_EQ(nResult, 0);
    EXPECT_FALSE(host.PostToMainThread([] {}));
    std::thread late([&host, &nResult] { nResult = host.SendToMainThread([] {}) ? 1 : 0; });
    late.join();
    EXPECT_EQ(nResult, 0);
}

// A box asked for on another thread opens on the main thread, which keeps
// running; the thread gets the answer. On the main thread the box is modal.
TEST(QtHostTest, BoxesFromOtherThreadsOpenOnTheMainThreadWithoutBlockingIt)
{
    CQtWindowHost host;
    auto pPresenter = std::make_shared<CQtMessageBoxPresenter>();
    SMessageBox box;
    box.nStringId = IDS_EXIT_QUESTION;
    box.strText = "Zelkor" + std::string(LoadStringText(IDS_EXIT_QUESTION)).substr(2) + "\r\n2";
    box.strCaption = "Zelkor";
    box.nType = MB_YESNO | MB_ICONINFORMATION | MB_TOPMOST;

    std::atomic<int> nAnswer{-1};
    std::thread asker([&] { nAnswer = pPresenter->Present(box); });
    int nTicks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++nTicks;
        QMessageBox* pBox = OpenBox();
        if (pBox != nullptr && nTicks >= 5) { // the main thread kept ticking with the box open
            EXPECT_EQ(
                pBox->text().toStdString(),
                platform::Cp949ToUtf8(std::string("Zelkor") +
                                      std::string(LoadStringText(IDS_EXIT_QUESTION)).substr(2)) +
                    "\n2");
            EXPECT_EQ(pBox->windowTitle(), QString("Zelkor"));
            EXPECT_EQ(pBox->icon(), QMessageBox::Information);
            EXPECT_TRUE(pBox->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            pBox->button(QMessageBox::No)->click();
        }
        if (nAnswer != -1) {
            host.EndLoop(0);
        }
    });
    ticker.start(20);
    host.RunLoop();
    ticker.stop();
    asker.join();
    EXPECT_EQ(nAnswer, IDNO);
    EXPECT_GE(nTicks, 5);

    // On the main thread: modal, the answer returned.
    QTimer::singleShot(100, [] {
        if (QMessageBox* pBox = OpenBox()) {
            pBox->button(QMessageBox::Yes)->click();
        }
    });
    EXPECT_EQ(pPresenter->Present(box), IDYES);
    pPresenter->Shutdown();
    EXPECT_EQ(pPresenter->Present(box), 0); // after the shutdown, no box
}

// A handler that opens a modal box (the exit question) keeps the endpoint
// serving other peers from the box's own loop.
TEST(QtHostTest, EndpointIsServedFromANestedLoop)
{
    testsupport::CTempRuntimeDir runtime;
    CQtWindowHost host;
    platform::CWindowEndpoint endpoint;
    std::atomic<bool> bSecondServed{false};
    std::string strError;
    ASSERT_TRUE(endpoint.Open(
        platform::AllocateWindowId(),
        [&](const platform::SWindowRequest& request) {
            if (request.frame.lParam == 1) {
                QEventLoop nested; // as QMessageBox::exec runs one
                QTimer poll;
                QObject::connect(&poll, &QTimer::timeout, [&] {
                    if (bSecondServed) {
                        nested.quit();
                    }
                });
                poll.start(10);
                QTimer::singleShot(5000, &nested, &QEventLoop::quit);
                nested.exec();
            } else {
                bSecondServed = true;
            }
            return platform::SWindowReply{platform::WINDOW_REPLY_HANDLED, request.frame.lParam};
        },
        nullptr, strError))
        << strError;
    host.WatchReadable(endpoint.PollFd(), [&endpoint] { endpoint.Dispatch(); });

    std::atomic<int64_t> nFirst{0};
    std::atomic<int64_t> nSecond{0};
    std::thread peers([&] {
        platform::CWindowEndpointClient first;
        std::string strPeerError;
        platform::SWindowFrame frame;
        frame.nMessage = 0x004A;
        frame.lParam = 1;
        first.Connect(endpoint.WindowId(), strPeerError);
        first.SendRaw(platform::EncodeWindowFrame(frame), strPeerError);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        frame.lParam = 2;
        platform::SWindowReply reply;
        platform::SendWindowMessage(endpoint.WindowId(), frame, reply, 3000, strPeerError);
        nSecond = reply.nResult;
        first.ReadReply(reply, 5000, strPeerError);
        nFirst = reply.nResult;
        host.PostToMainThread([&host] { host.EndLoop(0); });
    });
    host.RunLoop();
    peers.join();
    EXPECT_EQ(nSecond, 2); // answered while the first handler's loop ran
    EXPECT_EQ(nFirst, 1);
    host.UnwatchReadable(endpoint.PollFd());
}

} // namespace
