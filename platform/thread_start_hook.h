// A process-wide hook that every thread this program starts runs first:
// the crash handler gives each thread its alternate signal stack there.
#pragma once

namespace platform {

using ThreadStartHook = void (*)();

// Installs the hook (nullptr removes it); threads started afterwards run it.
void SetThreadStartHook(ThreadStartHook pfnHook);

// Runs the installed hook on the calling thread. The first statement of
// every thread entry of the program; does nothing while no hook is set.
void RunThreadStartHook();

} // namespace platform
