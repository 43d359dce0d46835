// Local wall-clock time and the monotonic tick, with a seam that tests use
// to move the wall clock (for example across midnight).
#pragma once

#include <cstdint>

namespace platform {

// Broken-down local time, as the log, the wait-number roll-over and the
// printed documents use it.
struct LocalTime
{
    int nYear = 0;    // four digits
    int nMonth = 0;   // 1..12
    int nDay = 0;     // 1..31
    int nHour = 0;    // 0..23
    int nMinute = 0;  // 0..59
    int nSecond = 0;  // 0..60
    int nMilli = 0;   // 0..999
    int nWeekDay = 0; // 0 Sunday .. 6 Saturday
};

using LocalTimeSource = LocalTime (*)();

// The current local time: the system clock, or the installed source.
LocalTime GetLocalTime();

// Installs a replacement clock (nullptr restores the system clock).
// Safe to call while other threads read the time.
void SetLocalTimeSource(LocalTimeSource pfnSource);

// The system's local time, ignoring any installed source.
LocalTime GetSystemLocalTime();

// Milliseconds since an arbitrary fixed point (CLOCK_MONOTONIC).
uint64_t GetMonotonicMs();

} // namespace platform
