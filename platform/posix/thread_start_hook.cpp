// The thread-start hook: one atomic function pointer.
#include "platform/thread_start_hook.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<ThreadStartHook> g_pfnHook{nullptr};
} // namespace

void SetThreadStartHook(ThreadStartHook pfnHook)
{
    g_pfnHook.store(pfnHook, std::memory_order_release);
}

void RunThreadStartHook()
{
    ThreadStartHook pfnHook = g_pfnHook.load(std::memory_order_acquire);
    if (pfnHook != nullptr) {
        pfnHook();
    }
}

} // namespace platform
