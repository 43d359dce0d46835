// The registration behind the main-window messages.
#include "foundation/window_sink.h"

#include "foundation/simple_log.h"

#include <memory>
#include <mutex>

namespace {

struct SSink
{
    WindowPostHandler pfnPost;
    WindowSendHandler pfnSend;
};

std::mutex& SinkLock()
{
    static std::mutex lock;
    return lock;
}

// Each call takes a reference to the handlers and runs them outside the
// lock, so a handler may post, send or replace the sink itself.
std::shared_ptr<const SSink>& CurrentSink()
{
    static std::shared_ptr<const SSink> pSink;
    return pSink;
}

std::shared_ptr<const SSink> Sink()
{
    std::lock_guard lock(SinkLock());
    return CurrentSink();
}

} // namespace

void InstallMainWindowSink(WindowPostHandler pfnPost, WindowSendHandler pfnSend)
{
    auto pSink = std::make_shared<const SSink>(SSink{std::move(pfnPost), std::move(pfnSend)});
    std::lock_guard lock(SinkLock());
    CurrentSink() = std::move(pSink);
}

void RemoveMainWindowSink()
{
    std::shared_ptr<const SSink> pOld;
    std::lock_guard lock(SinkLock());
    pOld.swap(CurrentSink()); // released after the lock
}

bool HasMainWindowSink()
{
    return Sink() != nullptr;
}

bool PostMainWindowMessage(unsigned nMsg, uintptr_t wParam, intptr_t lParam)
{
    std::shared_ptr<const SSink> pSink = Sink();
    if (!pSink || !pSink->pfnPost) {
        LOG_PRINT(LOG_ERROR, "[%s] No main window. Message [%u] not posted", "PostMessage", nMsg);
        return false;
    }
    return pSink->pfnPost(nMsg, wParam, lParam);
}

bool SendMainWindowMessage(unsigned nMsg, uintptr_t wParam, intptr_t lParam, intptr_t* pResult)
{
    std::shared_ptr<const SSink> pSink = Sink();
    if (!pSink || !pSink->pfnSend) {
        LOG_PRINT(LOG_ERROR, "[%s] No main window. Message [%u] not sent", "SendMessage", nMsg);
        return false;
    }
    intptr_t nResult = pSink->pfnSend(nMsg, wParam, lParam);
    if (pResult != nullptr) {
        *pResult = nResult;
    }
    return true;
}
