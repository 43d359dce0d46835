// Fake local clock: microseconds since the epoch in local (naive) time.
#include "tests/support/fake_clock.h"

#include <atomic>
#include <ctime>

namespace testsupport {
namespace {

std::atomic<int64_t> g_nMicros{0};
std::atomic<int64_t> g_nStepUs{0};

int64_t ToMicros(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond)
{
    tm parts{};
    parts.tm_year = nYear - 1900;
    parts.tm_mon = nMonth - 1;
    parts.tm_mday = nDay;
    parts.tm_hour = nHour;
    parts.tm_min = nMinute;
    parts.tm_sec = nSecond;
    return static_cast<int64_t>(timegm(&parts)) * 1000000;
}

platform::LocalTime ReadFake()
{
    int64_t nMicros = g_nMicros.fetch_add(g_nStepUs.load(std::memory_order_relaxed));
    time_t nSeconds = static_cast<time_t>(nMicros / 1000000);
    tm parts{};
    gmtime_r(&nSeconds, &parts);
    platform::LocalTime now;
    now.nYear = parts.tm_year + 1900;
    now.nMonth = parts.tm_mon + 1;
    now.nDay = parts.tm_mday;
    now.nHour = parts.tm_hour;
    now.nMinute = parts.tm_min;
    now.nSecond = parts.tm_sec;
    now.nMilli = static_cast<int>((nMicros / 1000) % 1000);
    now.nWeekDay = parts.tm_wday;
    return now;
}

} // namespace

CFakeClock::CFakeClock(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond)
{
    Set(nYear, nMonth, nDay, nHour, nMinute, nSecond);
    g_nStepUs = 0;
    platform::SetLocalTimeSource(&ReadFake);
}

CFakeClock::~CFakeClock()
{
    platform::SetLocalTimeSource(nullptr);
    g_nStepUs = 0;
}

void CFakeClock::Set(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond)
{
    g_nMicros = ToMicros(nYear, nMonth, nDay, nHour, nMinute, nSecond);
}

void CFakeClock::AdvanceMs(int64_t nMs)
{
    g_nMicros += nMs * 1000;
}

void CFakeClock::SetAutoStepUs(int64_t nStepUs)
{
    g_nStepUs = nStepUs;
}

} // namespace testsupport
