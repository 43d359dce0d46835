// The recursive lock and its scoped guard.
#include "foundation/tesk_critical_section.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

TEST(CriticalSectionTest, NestedGuardsOnOneThreadDoNotDeadlock)
{
    CTeskCriticalSection section;
    int nDepth = 0;
    {
        CTeskCriticalAutoRelease outer(&section);
        ++nDepth;
        {
            CTeskCriticalAutoRelease inner(section);
            ++nDepth;
            section.Lock(); // a plain re-entry as well
            ++nDepth;
            section.Unlock();
        }
    }
    EXPECT_EQ(nDepth, 3);
    // Every entry was left: another thread gets the section at once.
    std::thread other([&] {
        CTeskCriticalAutoRelease guard(&section);
        ++nDepth;
    });
    other.join();
    EXPECT_EQ(nDepth, 4);
}

TEST(CriticalSectionTest, NullSectionGuardDoesNothing)
{
    CTeskCriticalAutoRelease guard(static_cast<CTeskCriticalSection*>(nullptr));
    SUCCEED();
}

TEST(CriticalSectionTest, GuardExcludesOtherThreads)
{
    CTeskCriticalSection section;
    long nCounter = 0; // plain on purpose: only the section protects it
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                CTeskCriticalAutoRelease guard(&section);
                CTeskCriticalAutoRelease nested(&section);
                nCounter = nCounter + 1;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(nCounter, 80000);
}

} // namespace
