// A minidump of this process, in the format crash reporters write on
// Linux too (Breakpad's), which standard debuggers such as lldb open with
// the program's binaries: the Linux form of MiniDumpWriteDump.
#pragma once

#include "platform/fatal_signals.h"

#include <cstddef>

namespace platform {

// Bytes of the crashing thread's stack kept, from just below its stack
// pointer upwards.
constexpr size_t kDumpStackBytes = 64 * 1024;

// Writes the dump of one crash into hFile (open for writing, empty).
// Streams: system info, misc info (process id), the exception (signal,
// code, address) with the crashing thread's registers, the thread list
// (other threads without registers), the module list with build ids, the
// memory list holding the crashing thread's stack, the Linux maps and the
// process status. Async-signal-safe; it works in static buffers, so one
// call at a time. True only when every write succeeded.
bool WriteMinidump(int hFile, const SCrashSignal& crash);

} // namespace platform
