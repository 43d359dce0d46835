// The handler's clock against the C library's local time, in zones with
// whole and half-hour offsets on both sides of UTC; and the directory
// listing with full 64-bit sizes.
#include "platform/signal_safe.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <unistd.h>

namespace {

class CTimeZone
{
public:
    explicit CTimeZone(const char* pszZone)
    {
        if (const char* pszOld = std::getenv("TZ")) {
            m_bHad = true;
            m_strOld = pszOld;
        }
        setenv("TZ", pszZone, 1);
        tzset();
    }
    ~CTimeZone()
    {
        if (m_bHad) {
            setenv("TZ", m_strOld.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
        platform::CacheUtcOffset();
    }

private:
    bool m_bHad = false;
    std::string m_strOld;
};

TEST(SignalSafe, LocalTimeMatchesTheCLibrary)
{
    for (const char* pszZone : {"UTC", "Asia/Seoul", "America/St_Johns", "Pacific/Kiritimati"}) {
        CTimeZone zone(pszZone);
        platform::CacheUtcOffset();
        for (int nTry = 0; nTry < 3; ++nTry) {
            time_t nBefore = time(nullptr);
            platform::LocalTime safe = platform::SafeLocalTime();
            if (time(nullptr) != nBefore) {
                continue; // a second boundary in between: read again
            }
            tm parts{};
            localtime_r(&nBefore, &parts);
            EXPECT_EQ(safe.nYear, parts.tm_year + 1900) << pszZone;
            EXPECT_EQ(safe.nMonth, parts.tm_mon + 1) << pszZone;
            EXPECT_EQ(safe.nDay, parts.tm_mday) << pszZone;
            EXPECT_EQ(safe.nHour, parts.tm_hour) << pszZone;
            EXPECT_EQ(safe.nMinute, parts.tm_min) << pszZone;
            EXPECT_EQ(safe.nSecond, parts.tm_sec) << pszZone;
            EXPECT_EQ(safe.nWeekDay, parts.tm_wday) << pszZone;
            break;
        }
    }
}

bool Collect(const char* pszName, uint64_t nSize, void* pContext)
{
    (*static_cast<std::map<std::string, uint64_t>*>(pContext))[pszName] = nSize;
    return true;
}

TEST(SignalSafe, DirectoryListingGivesRegularFilesWithFullSizes)
{
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zelkor-listing-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "sub");
    std::ofstream(folder / "small").put('x');
    std::ofstream(folder / "huge").close();
    std::filesystem::resize_file(folder / "huge", (uint64_t{5} << 32) + 3);
    std::filesystem::create_symlink(folder / "small", folder / "link");
    std::map<std::string, uint64_t> files;
    ASSERT_TRUE(platform::SafeListDirectory(folder.c_str(), Collect, &files));
    std::filesystem::remove_all(folder);
    EXPECT_EQ(files,
              (std::map<std::string, uint64_t>{{"huge", (uint64_t{5} << 32) + 3}, {"small", 1}}));
    EXPECT_FALSE(platform::SafeListDirectory(folder.c_str(), Collect, &files));
}

} // namespace
