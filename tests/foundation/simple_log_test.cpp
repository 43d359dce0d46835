// The daily log: line format, level tags, runs of a day, the change of
// date, and many threads writing across midnight.
#include "foundation/simple_log.h"
#include "platform/file_system.h"
#include "tests/support/fake_clock.h"
#include "tests/support/program_folder.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <new>
#include <string>
#include <thread>
#include <vector>

// Allocations above a size fail on a thread that asks for it: the way to
// make the log run out of memory while it expands a message.
namespace {
thread_local size_t t_nFailAllocationsFrom = 0;

void* Allocate(std::size_t nSize)
{
    if (t_nFailAllocationsFrom != 0 && nSize >= t_nFailAllocationsFrom) {
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(nSize == 0 ? 1 : nSize)) {
        return p;
    }
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t nSize)
{
    return Allocate(nSize);
}
void* operator new[](std::size_t nSize)
{
    return Allocate(nSize);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

const char kStartBanner[] = "[TRACE] ========== CSimpleLog Start ===========\r\n";
const char kStopBanner[] = "[TRACE] ========== CSimpleLog STOP ===========\r\n";

std::string DayFile(const testsupport::CTempProgramFolder& folder, const std::string& strDay)
{
    return folder.LogRoot() + "/20" + strDay + "/ZELKOR_EXE_20" + strDay + ".log";
}

std::vector<std::string> SplitLines(const std::string& strText)
{
    std::vector<std::string> lines;
    size_t nPos = 0;
    while (nPos < strText.size()) {
        size_t nEnd = strText.find("\r\n", nPos);
        if (nEnd == std::string::npos) {
            lines.push_back(strText.substr(nPos)); // an unterminated tail
            break;
        }
        lines.push_back(strText.substr(nPos, nEnd - nPos));
        nPos = nEnd + 2;
    }
    return lines;
}

class SimpleLogTest : public ::testing::Test
{
protected:
    void SetUp() override { SimpleLog().Stop(); }
    void TearDown() override { SimpleLog().Stop(); }

    testsupport::CTempProgramFolder m_Folder;
};

TEST_F(SimpleLogTest, StartWritesBannerIntoDatedFile)
{
    testsupport::CFakeClock clock(2023, 12, 8, 9, 33, 8);
    ASSERT_TRUE(m_Folder.StartLog());
    clock.AdvanceMs(120);
    LOG_PRINT(LOG_INFO, "[%s] EventInfo [%d], CurrentWaitNo [%d]",
              "CEventCtrlProcess::EventProcess", 36001, 12);
    EXPECT_EQ(SimpleLog().GetCurrentFilePath(), DayFile(m_Folder, "231208"));
    EXPECT_EQ(testsupport::ReadWholeFile(DayFile(m_Folder, "231208")),
              "[09:33:08.000][TRACE] ========== CSimpleLog Start ===========\r\n"
              "[09:33:08.120][INFO ] [CEventCtrlProcess::EventProcess] EventInfo [36001], "
              "CurrentWaitNo [12]\r\n");
}

TEST_F(SimpleLogTest, EachLevelWritesItsTag)
{
    struct SCase
    {
        int nLevel;
        const char* pszExpected; // after the time stamp; nullptr: nothing written
    };
    const SCase cases[] = {
        {LOG_ERROR, "[ERROR] msg 주문서\r\n"},
        {LOG_WARN, "[WARN ] msg 주문서\r\n"},
        {LOG_INFO, "[INFO ] msg 주문서\r\n"},
        {LOG_DEBUG, "[DEBUG] msg 주문서\r\n"},
        {LOG_TRACE, "[TRACE] msg 주문서\r\n"},
        {7, "msg 주문서\r\n"},
        {-1, "msg 주문서\r\n"},
        {LOG_DEVEL, nullptr},
    };
    testsupport::CFakeClock clock(2024, 1, 2, 23, 4, 5);
    clock.AdvanceMs(6);
    ASSERT_TRUE(m_Folder.StartLog());
    for (const SCase& c : cases) {
        std::string strBefore = m_Folder.ReadCurrentLog();
        SimpleLog().Print(c.nLevel, "msg %s", "주문서");
        std::string strAdded = m_Folder.ReadCurrentLog().substr(strBefore.size());
        if (c.pszExpected == nullptr) {
            EXPECT_EQ(strAdded, "") << "level " << c.nLevel;
        } else {
            EXPECT_EQ(strAdded, std::string("[23:04:05.006]") + c.pszExpected)
                << "level " << c.nLevel;
        }
    }
}

TEST_F(SimpleLogTest, MessagesKeepTheirBytesAndLength)
{
    testsupport::CFakeClock clock(2024, 1, 2);
    ASSERT_TRUE(m_Folder.StartLog());
    std::string strLong(5000, 'x');
    strLong += "\r\nsecond part";
    LOG_PRINT(LOG_INFO, "%s", strLong.c_str());
    LOG_PRINT(LOG_INFO, "%s|%d", std::string(1024 - 14 - 8 - 3, 'y').c_str(), 9);
    LOG_PRINT(LOG_INFO, "100%%");
    std::string strExpected = std::string("[12:00:00.000]") + kStartBanner +
                              "[12:00:00.000][INFO ] " + strLong + "\r\n" +
                              "[12:00:00.000][INFO ] " + std::string(1024 - 14 - 8 - 3, 'y') +
                              "|9\r\n" + "[12:00:00.000][INFO ] 100%\r\n";
    EXPECT_EQ(m_Folder.ReadCurrentLog(), strExpected);
}

// The line carries exactly what snprintf makes of the same format and
// arguments (after the stamp and tag).
#define EXPECT_MESSAGE_AS_PRINTF(...)                                                              \
    do {                                                                                           \
        char szExpected[512];                                                                      \
        const int nExpected = std::snprintf(szExpected, sizeof(szExpected), __VA_ARGS__);          \
        const std::string strBefore = m_Folder.ReadCurrentLog();                                   \
        LOG_PRINT(LOG_INFO, __VA_ARGS__);                                                          \
        EXPECT_EQ(m_Folder.ReadCurrentLog().substr(strBefore.size()),                              \
                  "[12:00:00.000][INFO ] " +                                                       \
                      std::string(szExpected, static_cast<size_t>(nExpected)) + "\r\n")            \
            << #__VA_ARGS__;                                                                       \
    } while (0)

TEST_F(SimpleLogTest, MessagesAreFormattedAsPrintfFormatsThem)
{
    testsupport::CFakeClock clock(2024, 1, 2);
    ASSERT_TRUE(m_Folder.StartLog());
    const char* pszUnset = std::getenv("ZELKOR_TEST_VARIABLE_NEVER_SET");
    // Texts, precisions and characters.
    EXPECT_MESSAGE_AS_PRINTF("[%s] 주문서 출력 매수 [%d]", "CPrintOrderSheet::GetPrintCopies", 1);
    EXPECT_MESSAGE_AS_PRINTF("%.*s|%.3s|%.s|%.*s|%.0s|%.9s", 2, "abcdef", "xyz123", "q", -1,
                             "negative precision", "none", "short");
    EXPECT_MESSAGE_AS_PRINTF("%c%c%c|%s|%%|100%%", 'a', 0xB1, ' ', "");
    EXPECT_MESSAGE_AS_PRINTF("null [%s] [%.3s] [%.8s]", pszUnset, pszUnset, pszUnset);
    // Whole numbers at their limits and with every length.
    EXPECT_MESSAGE_AS_PRINTF("%d %i %d %u %u", INT_MIN, INT_MAX, 0, 0u, UINT_MAX);
    EXPECT_MESSAGE_AS_PRINTF("%ld %lld %lu %llu %zu %zd %jd %td", LONG_MIN, LLONG_MIN, ULONG_MAX,
                             ULLONG_MAX, SIZE_MAX, static_cast<ssize_t>(-1), INTMAX_MIN,
                             static_cast<ptrdiff_t>(-7));
    EXPECT_MESSAGE_AS_PRINTF("%hd %hhd %hu %hhu %hx", 70000, 300, 70000, 300, 0x12345);
    EXPECT_MESSAGE_AS_PRINTF("%08x %02x %X %x %lx %llX", 0x1Fu, 0xABCu, 0xBEEFu, 0u, ULONG_MAX,
                             0xFEDCBA9876543210ULL);
    // Widths, zero padding and the sign.
    EXPECT_MESSAGE_AS_PRINTF("[%5d][%05d][%0d][%3d][%02d][%010lld][%1u]", -42, -42, -3, 12345, 7,
                             LLONG_MIN, 99u);
    // Conversions and flags beyond the common ones.
    EXPECT_MESSAGE_AS_PRINTF("[%-5d][%+d][% d][%#x][%.3d][%*d][%-4s][%6s]", 7, 7, 7, 255, 5, 4, 9,
                             "ab", "cd");
    EXPECT_MESSAGE_AS_PRINTF("%f %.2f %g %e %p %o %5c", 1.5, 2.345, 0.1, 2.5e10,
                             static_cast<void*>(&clock), 8u, 'z');
}

// A message of exactly the room of the per-thread line buffer, and of one
// byte more, whether the last piece is text or a number.
TEST_F(SimpleLogTest, MessagesAtTheThreadBufferEdgeKeepTheirBytes)
{
    testsupport::CFakeClock clock(2024, 1, 2);
    ASSERT_TRUE(m_Folder.StartLog());
    std::string strExpected = std::string("[12:00:00.000]") + kStartBanner;
    const size_t nRoom = 4096 - 14 - 8 - 2; // buffer minus stamp, tag and CR LF
    for (size_t nSize : {nRoom - 2, nRoom - 1, nRoom, nRoom + 1}) {
        const std::string strText(nSize - 5, 'b');
        LOG_PRINT(LOG_INFO, "%s%s", strText.c_str(), "12345");
        LOG_PRINT(LOG_INFO, "%s%d", strText.c_str(), 12345);
        LOG_PRINT(LOG_INFO, "%s%05u", strText.c_str(), 45u);
        for (const char* pszTail : {"12345", "12345", "00045"}) {
            strExpected += "[12:00:00.000][INFO ] " + strText + pszTail + "\r\n";
        }
    }
    EXPECT_EQ(m_Folder.ReadCurrentLog(), strExpected);
}

TEST_F(SimpleLogTest, PrintBeforeStartWritesNothing)
{
    testsupport::CFakeClock clock(2024, 1, 2);
    LOG_PRINT(LOG_ERROR, "lost %d", 1);
    EXPECT_EQ(SimpleLog().GetCurrentFilePath(), "");
    ASSERT_TRUE(m_Folder.StartLog());
    EXPECT_EQ(m_Folder.ReadCurrentLog(), std::string("[12:00:00.000]") + kStartBanner);
}

TEST_F(SimpleLogTest, SecondRunOfTheDayAppendsAfterStopBanner)
{
    testsupport::CFakeClock clock(2024, 3, 4, 8, 0, 0);
    ASSERT_TRUE(m_Folder.StartLog());
    LOG_PRINT(LOG_INFO, "first run");
    SimpleLog().Stop();
    LOG_PRINT(LOG_INFO, "between runs");
    clock.AdvanceMs(1000);
    ASSERT_TRUE(m_Folder.StartLog());
    LOG_PRINT(LOG_INFO, "second run");
    EXPECT_EQ(testsupport::ReadWholeFile(DayFile(m_Folder, "240304")),
              std::string("[08:00:00.000]") + kStartBanner + "[08:00:00.000][INFO ] first run\r\n" +
                  "[08:00:00.000]" + kStopBanner + "[08:00:01.000]" + kStartBanner +
                  "[08:00:01.000][INFO ] second run\r\n");
}

TEST_F(SimpleLogTest, ProcessExitWritesStopBanner)
{
    testsupport::CFakeClock clock(2024, 3, 5, 10, 0, 0);
    std::string strRoot = m_Folder.LogRoot();
    std::filesystem::create_directories(strRoot);
    EXPECT_EXIT(
        {
            SimpleLog().Start(strRoot.c_str());
            LOG_PRINT(LOG_INFO, "last words");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(testsupport::ReadWholeFile(DayFile(m_Folder, "240305")),
              std::string("[10:00:00.000]") + kStartBanner +
                  "[10:00:00.000][INFO ] last words\r\n" + "[10:00:00.000]" + kStopBanner);
}

TEST_F(SimpleLogTest, MissingRootMeansNoLog)
{
    testsupport::CFakeClock clock(2024, 3, 4);
    std::string strRoot = m_Folder.Path() + "/no/such/root";
    EXPECT_FALSE(SimpleLog().Start(strRoot.c_str()));
    EXPECT_FALSE(SimpleLog().Start(nullptr));
    LOG_PRINT(LOG_ERROR, "dropped");
    EXPECT_EQ(SimpleLog().GetCurrentFilePath(), "");
    EXPECT_FALSE(std::filesystem::exists(strRoot));
}

TEST_F(SimpleLogTest, FirstPrintOfNewDayOpensNewDatedFile)
{
    testsupport::CFakeClock clock(2023, 12, 31, 23, 59, 59);
    ASSERT_TRUE(m_Folder.StartLog());
    clock.AdvanceMs(999);
    LOG_PRINT(LOG_INFO, "old day");
    clock.AdvanceMs(1);
    EXPECT_FALSE(platform::DirectoryExists(m_Folder.LogRoot() + "/20240101"));
    LOG_PRINT(LOG_INFO, "new day");
    LOG_PRINT(LOG_INFO, "new day again");
    EXPECT_EQ(SimpleLog().GetCurrentFilePath(), DayFile(m_Folder, "240101"));
    EXPECT_EQ(testsupport::ReadWholeFile(DayFile(m_Folder, "231231")),
              std::string("[23:59:59.000]") + kStartBanner + "[23:59:59.999][INFO ] old day\r\n");
    EXPECT_EQ(testsupport::ReadWholeFile(DayFile(m_Folder, "240101")),
              "[00:00:00.000][INFO ] new day\r\n[00:00:00.000][INFO ] new day again\r\n");
}

TEST_F(SimpleLogTest, FailedReopenAtNewDayStopsLogging)
{
    testsupport::CFakeClock clock(2024, 2, 28, 23, 0, 0);
    ASSERT_TRUE(m_Folder.StartLog());
    // A plain file where the next day's folder would go.
    m_Folder.WriteFile("Log/NubeqLog/20240229", "in the way");
    clock.AdvanceMs(3600 * 1000);
    LOG_PRINT(LOG_INFO, "lost at the change of date");
    clock.AdvanceMs(24 * 3600 * 1000);
    LOG_PRINT(LOG_INFO, "lost for the rest of the run");
    EXPECT_EQ(SimpleLog().GetCurrentFilePath(), "");
    EXPECT_EQ(testsupport::ReadWholeFile(DayFile(m_Folder, "240228")),
              std::string("[23:00:00.000]") + kStartBanner);
    EXPECT_FALSE(platform::FileExists(DayFile(m_Folder, "240301")));
}

TEST_F(SimpleLogTest, OutOfMemoryWhileFormattingWritesFixedErrorLine)
{
    testsupport::CFakeClock clock(2024, 5, 6, 7, 8, 9);
    ASSERT_TRUE(m_Folder.StartLog());
    std::string strLong(8000, 'z');
    t_nFailAllocationsFrom = 4096;
    LOG_PRINT(LOG_INFO, "%s", strLong.c_str());
    LOG_PRINT(LOG_WARN, "short lines need no heap");
    t_nFailAllocationsFrom = 0;
    LOG_PRINT(LOG_INFO, "and the caller goes on");
    EXPECT_EQ(m_Folder.ReadCurrentLog(),
              std::string("[07:08:09.000]") + kStartBanner +
                  "[07:08:09.000][ERROR] [CSimpleLog::Print] try~catch error!!\r\n"
                  "[07:08:09.000][WARN ] short lines need no heap\r\n"
                  "[07:08:09.000][INFO ] and the caller goes on\r\n");
}

// Eight writers across a midnight: the clock runs on with every read, so
// the change of date falls in the middle of the run while all threads
// write. Every line must land exactly once, whole, in the file of the day
// of its stamp.
TEST_F(SimpleLogTest, ConcurrentWritersAcrossMidnight)
{
    constexpr int kThreads = 8;
    constexpr int kLines = 20000;
    // 160,000 reads at 10 us each span 1.6 s: midnight comes about halfway.
    testsupport::CFakeClock clock(2024, 6, 30, 23, 59, 59);
    clock.AdvanceMs(200);
    ASSERT_TRUE(m_Folder.StartLog());
    clock.SetAutoStepUs(10);

    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            std::string strPad(1500, static_cast<char>('a' + t));
            for (int n = 0; n < kLines; ++n) {
                // Every 500th line is longer than the on-stack buffer.
                LOG_PRINT(LOG_INFO, "T%d N%d %s", t, n, n % 500 == 0 ? strPad.c_str() : "end");
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    clock.SetAutoStepUs(0);
    SimpleLog().Stop();

    std::vector<std::vector<int>> seen(kThreads, std::vector<int>(kLines, 0));
    struct SDay
    {
        std::string strDay;
        const char* pszHour;
    };
    const SDay days[] = {{"240630", "23"}, {"240701", "00"}};
    for (const SDay& day : days) {
        std::string strText = testsupport::ReadWholeFile(DayFile(m_Folder, day.strDay));
        ASSERT_EQ(strText.substr(strText.size() - 2), "\r\n") << day.strDay;
        int nLines = 0;
        for (const std::string& strLine : SplitLines(strText)) {
            // [HH:MM:SS.mmm][INFO ] T<t> N<n> <tail>
            ASSERT_GE(strLine.size(), 14u) << strLine.substr(0, 80);
            ASSERT_EQ(strLine.substr(1, 2), day.pszHour) << day.strDay << ": " << strLine;
            if (strLine.find("CSimpleLog") != std::string::npos) {
                continue; // the banners
            }
            int t = -1;
            int n = -1;
            char szTail[8] = {};
            ASSERT_EQ(std::sscanf(strLine.c_str() + 14, "[INFO ] T%d N%d %4s", &t, &n, szTail), 3)
                << strLine.substr(0, 80);
            ASSERT_TRUE(t >= 0 && t < kThreads && n >= 0 && n < kLines) << strLine;
            std::string strTail =
                n % 500 == 0 ? std::string(1500, static_cast<char>('a' + t)) : "end";
            std::string strExpected =
                "[INFO ] T" + std::to_string(t) + " N" + std::to_string(n) + " " + strTail;
            ASSERT_EQ(strLine.substr(14), strExpected);
            ++seen[static_cast<size_t>(t)][static_cast<size_t>(n)];
            ++nLines;
        }
        EXPECT_GT(nLines, 0) << "no line in the file of " << day.strDay;
    }
    for (int t = 0; t < kThreads; ++t) {
        for (int n = 0; n < kLines; ++n) {
            ASSERT_EQ(seen[static_cast<size_t>(t)][static_cast<size_t>(n)], 1)
                << "thread " << t << " line " << n;
        }
    }
}

} // namespace
