// Thread priority through setpriority on the thread's own id (on Linux a
// nice value belongs to one thread, not to the process).
#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kBackgroundNice = 10;

} // namespace

bool LowerCurrentThreadPriority()
{
    const id_t nThread = static_cast<id_t>(::syscall(SYS_gettid));
    return ::setpriority(PRIO_PROCESS, nThread, kBackgroundNice) == 0;
}

} // namespace platform
