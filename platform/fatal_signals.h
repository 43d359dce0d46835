// The fatal signals (SEGV, BUS, ILL, FPE, ABRT, TRAP, SYS) taken on an
// alternate signal stack, handed to one crash filter, then left to the
// system's default action: the Linux form of the unhandled-exception
// filter.
#pragma once

#include <cstdint>

namespace platform {

// One crash as the filter sees it.
struct SCrashSignal
{
    int nSignal = 0;
    int nCode = 0;         // si_code: how it was raised (a fault, kill, tgkill...)
    uint64_t nAddress = 0; // the faulting address, for faults
    int nSenderPid = 0;    // for signals sent by a process (kill -SEGV)
    uint32_t nThreadId = 0;
    const void* pContext = nullptr; // the thread's saved machine state (ucontext_t)
};

// Runs on the crashing thread, in the signal handler: async-signal-safe
// work only. Other threads keep running meanwhile.
using CrashFilter = void (*)(const SCrashSignal& crash);

// Takes the fatal signals for pfnFilter and gives the calling thread its
// alternate stack. While one runs, the handler blocks every fatal signal
// on its thread; when the filter returns it restores the default action
// and raises the signal again, so the exit status and the system's core
// handling stay as without the handler. False when a signal could not
// be taken.
bool InstallFatalSignalFilter(CrashFilter pfnFilter);

// Gives the calling thread an alternate signal stack of its own, freed
// when the thread ends (a second call on the thread does nothing). The
// thread-start hook of a process whose fatal signals are taken, so that a
// stack overflow on any thread still reaches the filter.
void PrepareThreadSignalStack();

// True in a build whose sanitizer owns the fatal signals (ASan, TSan):
// the crash handler leaves them alone there.
bool FatalSignalsOwnedBySanitizer();

} // namespace platform
