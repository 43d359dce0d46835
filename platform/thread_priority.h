// Scheduling priority of background threads.
#pragma once

namespace platform {

// Lowers the calling thread's scheduling priority (nice 10) and only the
// calling thread's, so that background work such as the disk syncs of the
// shop files gives way to the threads that print. False when the system
// refused; the thread then runs as before.
bool LowerCurrentThreadPriority();

} // namespace platform
