// Thread ids from gettid.
#include "platform/thread_id.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

uint32_t GetCurrentThreadId()
{
    // Cached per thread: the id never changes and the call is a system call.
    thread_local const uint32_t s_nId = static_cast<uint32_t>(::syscall(SYS_gettid));
    return s_nId;
}

} // namespace platform
