// A settable local clock for tests: install it, set a time, advance it.
// Every read of the time in the program sees it while it is installed.
#pragma once

#include "platform/local_clock.h"

#include <cstdint>

namespace testsupport {

class CFakeClock
{
public:
    // Installs itself as the local time source, at the given time.
    CFakeClock(int nYear, int nMonth, int nDay, int nHour = 12, int nMinute = 0, int nSecond = 0);
    ~CFakeClock(); // restores the system clock
    CFakeClock(const CFakeClock&) = delete;
    CFakeClock& operator=(const CFakeClock&) = delete;

    void Set(int nYear, int nMonth, int nDay, int nHour = 12, int nMinute = 0, int nSecond = 0);
    void AdvanceMs(int64_t nMs);
    // When nStepUs > 0, every read of the clock moves it on by that many
    // microseconds (a clock that runs while threads log).
    void SetAutoStepUs(int64_t nStepUs);
};

} // namespace testsupport
