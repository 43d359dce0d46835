// Tick count and the message-pumping waits. On the thread that installed
// a pump hook (the UI's main thread) the waits keep dispatching its
// messages; on every other thread they only wait.
#pragma once

#include <cstdint>

class CTeskEvent;

constexpr int WAIT_RESULT_SIGNALLED = 0;
constexpr int WAIT_RESULT_TIMEOUT = 258;
constexpr int WAIT_RESULT_FAILED = -1;

// Dispatches pending messages of the calling thread, waiting at most
// nMaxWaitMs for one to arrive.
using MessagePumpHook = void (*)(int nMaxWaitMs);

// Installs the hook for the calling thread (nullptr removes it).
void SetMessagePumpHook(MessagePumpHook pfnHook);

// Milliseconds since system start.
uint64_t GetTickCount64Safe();

// 0 signalled, 258 timed out, -1 null event (logged).
int WaitForEvent(CTeskEvent* pEvent, uint32_t nTimeoutMs);

// Dispatches messages (or just waits) until nMilliseconds have passed.
void PumpMessagesFor(uint32_t nMilliseconds);
