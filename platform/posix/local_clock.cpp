// Local time from clock_gettime + localtime_r; monotonic ticks from CLOCK_MONOTONIC.
#include "platform/local_clock.h"

#include <atomic>
#include <ctime>

namespace platform {
namespace {
std::atomic<LocalTimeSource> g_pfnSource{nullptr};
} // namespace

LocalTime GetSystemLocalTime()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    // The conversion costs more than the rest of a log line, and lines come
    // many to a second: each thread keeps the broken-down time of the last
    // second it converted. localtime_r reads the zone rules once per
    // process, and zone offsets change only at whole seconds, so the kept
    // parts are what a new conversion would give.
    thread_local time_t t_nSecond = -1;
    thread_local tm t_Parts{};
    if (ts.tv_sec != t_nSecond) {
        localtime_r(&ts.tv_sec, &t_Parts);
        t_nSecond = ts.tv_sec;
    }
    const tm& parts = t_Parts;
    LocalTime now;
    now.nYear = parts.tm_year + 1900;
    now.nMonth = parts.tm_mon + 1;
    now.nDay = parts.tm_mday;
    now.nHour = parts.tm_hour;
    now.nMinute = parts.tm_min;
    now.nSecond = parts.tm_sec;
    now.nMilli = static_cast<int>(ts.tv_nsec / 1000000);
    now.nWeekDay = parts.tm_wday;
    return now;
}

LocalTime GetLocalTime()
{
    LocalTimeSource pfn = g_pfnSource.load(std::memory_order_acquire);
    return pfn ? pfn() : GetSystemLocalTime();
}

void SetLocalTimeSource(LocalTimeSource pfnSource)
{
    g_pfnSource.store(pfnSource, std::memory_order_release);
}

uint64_t GetMonotonicMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

} // namespace platform
