// Message-pumping waits over CTeskEvent and the monotonic tick.
#include "foundation/wait.h"

#include "foundation/simple_log.h"
#include "foundation/tesk_event.h"
#include "platform/local_clock.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// One pump hook for the process, tied to the thread that installed it.
std::atomic<MessagePumpHook> g_pfnHook{nullptr};
std::atomic<std::thread::id> g_HookThread{};

MessagePumpHook HookForThisThread()
{
    MessagePumpHook pfn = g_pfnHook.load(std::memory_order_acquire);
    if (pfn == nullptr ||
        g_HookThread.load(std::memory_order_acquire) != std::this_thread::get_id()) {
        return nullptr;
    }
    return pfn;
}

// Slice of a pumping wait: short enough that the window keeps painting.
constexpr uint32_t kPumpSliceMs = 10;

} // namespace

void SetMessagePumpHook(MessagePumpHook pfnHook)
{
    g_HookThread.store(std::this_thread::get_id(), std::memory_order_release);
    g_pfnHook.store(pfnHook, std::memory_order_release);
}

uint64_t GetTickCount64Safe()
{
    return platform::GetMonotonicMs();
}

int WaitForEvent(CTeskEvent* pEvent, uint32_t nTimeoutMs)
{
    if (pEvent == nullptr) {
        LOG_PRINT(LOG_ERROR, "[%s] Input handle NULL", "WaitForEvent");
        return WAIT_RESULT_FAILED;
    }
    MessagePumpHook pfnHook = HookForThisThread();
    uint64_t nStart = GetTickCount64Safe();
    for (;;) {
        uint64_t nElapsed = GetTickCount64Safe() - nStart;
        if (nElapsed >= nTimeoutMs) {
            return pEvent->Wait(0) ? WAIT_RESULT_SIGNALLED : WAIT_RESULT_TIMEOUT;
        }
        uint32_t nLeft = static_cast<uint32_t>(nTimeoutMs - nElapsed);
        uint32_t nSlice = pfnHook ? std::min(nLeft, kPumpSliceMs) : nLeft;
        if (pEvent->Wait(static_cast<long>(nSlice))) {
            return WAIT_RESULT_SIGNALLED;
        }
        if (pfnHook) {
            pfnHook(0);
        }
    }
}

void PumpMessagesFor(uint32_t nMilliseconds)
{
    MessagePumpHook pfnHook = HookForThisThread();
    uint64_t nStart = GetTickCount64Safe();
    do {
        uint64_t nElapsed = GetTickCount64Safe() - nStart;
        uint32_t nLeft =
            nElapsed >= nMilliseconds ? 0 : static_cast<uint32_t>(nMilliseconds - nElapsed);
        if (pfnHook) {
            pfnHook(static_cast<int>(std::min(nLeft, kPumpSliceMs)));
        } else if (nLeft > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(nLeft));
        }
    } while (GetTickCount64Safe() - nStart < nMilliseconds);
}
