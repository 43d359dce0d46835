// sigaction on an alternate stack for the fatal signals; the stacks are
// mmap'ed with a guard page below them.
#include "platform/fatal_signals.h"

#include "platform/signal_safe.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS};

// The handler formats, lists directories and writes the dump on this
// stack; large buffers live elsewhere, so 64 KiB leaves a wide margin.
constexpr size_t kMinStackSize = 64 * 1024;

std::atomic<CrashFilter> g_pfnFilter{nullptr};

struct SSignalStack
{
    void* pMapping = nullptr;
    size_t nMappingSize = 0;
};

// A thread's own stack, released when the thread ends. The installing
// thread's stack is never released: it is the main thread, which still
// runs the static destructors after its thread-local objects are gone.
struct SThreadSignalStack
{
    SSignalStack stack;
    ~SThreadSignalStack()
    {
        if (stack.pMapping == nullptr) {
            return;
        }
        stack_t disable{};
        disable.ss_flags = SS_DISABLE;
        ::sigaltstack(&disable, nullptr);
        ::munmap(stack.pMapping, stack.nMappingSize);
    }
};

thread_local SThreadSignalStack t_Stack;

bool HasSignalStack()
{
    stack_t current{};
    return ::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0;
}

SSignalStack MapSignalStack()
{
    const size_t nPage = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    size_t nSize = kMinStackSize;
    long nSystemMin = ::sysconf(_SC_SIGSTKSZ);
    if (nSystemMin > 0 && static_cast<size_t>(nSystemMin) * 4 > nSize) {
        nSize = static_cast<size_t>(nSystemMin) * 4;
    }
    nSize = (nSize + nPage - 1) / nPage * nPage;
    SSignalStack result;
    void* pMapping = ::mmap(nullptr, nSize + nPage, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (pMapping == MAP_FAILED) {
        return result;
    }
    // An overflow of the signal stack itself hits the guard page and ends
    // the process (the fatal signals are blocked in the handler).
    ::mprotect(pMapping, nPage, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(pMapping) + nPage;
    stack.ss_size = nSize;
    if (::sigaltstack(&stack, nullptr) != 0) {
        ::munmap(pMapping, nSize + nPage);
        return result;
    }
    result.pMapping = pMapping;
    result.nMappingSize = nSize + nPage;
    return result;
}

void OnFatalSignal(int nSignal, siginfo_t* pInfo, void* pContext)
{
    const int nSavedErrno = errno;
    SCrashSignal crash;
    crash.nSignal = nSignal;
    crash.pContext = pContext;
    crash.nThreadId = SafeGetThreadId();
    if (pInfo != nullptr) {
        crash.nCode = pInfo->si_code;
        if (pInfo->si_code > 0) { // raised by the kernel: a fault with an address
            crash.nAddress = reinterpret_cast<uintptr_t>(pInfo->si_addr);
        } else {
            crash.nSenderPid = pInfo->si_pid;
        }
    }
    CrashFilter pfnFilter = g_pfnFilter.load();
    if (pfnFilter != nullptr) {
        pfnFilter(crash);
    }
    // The default action, raised again: pending until the handler returns
    // and the signal is unblocked; a fault would also recur at once.
    struct sigaction action
    {
    };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(nSignal, &action, nullptr);
    ::syscall(SYS_tgkill, ::getpid(), crash.nThreadId, nSignal);
    errno = nSavedErrno;
}

} // namespace

bool InstallFatalSignalFilter(CrashFilter pfnFilter)
{
    g_pfnFilter.store(pfnFilter);
    if (!HasSignalStack()) {
        MapSignalStack(); // kept for the life of the process
    }
    struct sigaction action
    {
    };
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int nSignal : kFatalSignals) {
        sigaddset(&action.sa_mask, nSignal);
    }
    bool bOk = true;
    for (int nSignal : kFatalSignals) {
        bOk = ::sigaction(nSignal, &action, nullptr) == 0 && bOk;
    }
    return bOk;
}

void PrepareThreadSignalStack()
{
    if (HasSignalStack()) {
        return;
    }
    t_Stack.stack = MapSignalStack();
}

bool FatalSignalsOwnedBySanitizer()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

} // namespace platform
