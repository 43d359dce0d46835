// The kernel's id of the calling thread, as the log prints it.
#pragma once

#include <cstdint>

namespace platform {

// The calling thread's id (Linux: gettid), unique among live threads.
uint32_t GetCurrentThreadId();

} // namespace platform
