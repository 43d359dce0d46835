// The common send-buffer rule: argument checks, flush on request, flush
// when full, failed writes reported and the buffer emptied.
#include "tests/printing/recording_port.h"

#include <gtest/gtest.h>

namespace {

TEST(BasePortTest, ArgumentChecksComeBeforeBuffering)
{
    struct Case
    {
        const char* pszName;
        bool bOpen;
        const char* pData;
        int nSize;
        int bFlush;
        int nExpected;
    };
    const Case cases[] = {
        {"closed port", false, "AB", 2, 1, 3},
        {"no data", true, nullptr, 2, 1, 5},
        {"zero size with flush", true, "AB", 0, 1, 7},
    };
    for (const Case& c : cases) {
        CRecordingPort port;
        port.m_bOpen = c.bOpen;
        EXPECT_EQ(port.SendData(c.pData, c.nSize, c.bFlush), c.nExpected) << c.pszName;
        EXPECT_TRUE(port.m_Writes.empty()) << c.pszName;
        EXPECT_EQ(port.BufferedLength(), 0) << c.pszName;
    }
}

TEST(BasePortTest, TwoSendsOf3000FlushTheFirstAndHoldTheSecond)
{
    CRecordingPort port;
    std::string strFirst(3000, 'a');
    std::string strSecond(3000, 'b');
    ASSERT_EQ(port.SendData(strFirst.data(), 3000, 0), 0);
    EXPECT_TRUE(port.m_Writes.empty());
    ASSERT_EQ(port.SendData(strSecond.data(), 3000, 0), 0);
    ASSERT_EQ(port.m_Writes.size(), 1u);
    EXPECT_EQ(port.m_Writes[0], strFirst);
    EXPECT_EQ(port.Buffered(), strSecond);
}

TEST(BasePortTest, BufferHoldsExactly4095Bytes)
{
    CRecordingPort port;
    std::string strData(4095, 'x');
    ASSERT_EQ(port.SendData(strData.data(), 4095, 0), 0);
    EXPECT_TRUE(port.m_Writes.empty());
    ASSERT_EQ(port.SendData("y", 1, 0), 0);
    ASSERT_EQ(port.m_Writes.size(), 1u);
    EXPECT_EQ(port.m_Writes[0].size(), 4095u);
    EXPECT_EQ(port.Buffered(), "y");
}

TEST(BasePortTest, FailedWriteFailsTheRestOfTheJobUntilClose)
{
    // A failed write loses the bytes it carried. Whatever the job sends
    // after it, buffered or flushed, is refused with the write's code, so
    // the document fails at its cut instead of printing with a hole.
    struct Case
    {
        const char* pszName;
        int nFirstSize; // buffered before the failing call
        int nFailSize;  // the call whose write fails
        int bFailFlush;
    };
    const Case cases[] = {
        {"flush", 2, 2, 1},
        {"buffer full", 4000, 200, 0},
    };
    for (const Case& c : cases) {
        CRecordingPort port;
        port.m_nWriteResult = 4;
        const std::string strFirst(static_cast<size_t>(c.nFirstSize), 'a');
        const std::string strFail(static_cast<size_t>(c.nFailSize), 'b');
        ASSERT_EQ(port.SendData(strFirst.data(), c.nFirstSize, 0), 0) << c.pszName;
        EXPECT_EQ(port.SendData(strFail.data(), c.nFailSize, c.bFailFlush), 4) << c.pszName;
        EXPECT_EQ(port.BufferedLength(), 0) << c.pszName;
        EXPECT_EQ(port.SendFailed(), 4) << c.pszName;

        // The device works again; the job still does not go on.
        port.m_nWriteResult = 0;
        const size_t nWrites = port.m_Writes.size();
        EXPECT_EQ(port.SendData("rest", 4, 0), 4) << c.pszName;
        EXPECT_EQ(port.SendData("cut", 3, 1), 4) << c.pszName;
        EXPECT_EQ(port.BufferedLength(), 0) << c.pszName;
        EXPECT_EQ(port.m_Writes.size(), nWrites) << c.pszName;

        // The next job starts clean.
        port.ClosePort();
        EXPECT_EQ(port.SendFailed(), 0) << c.pszName;
        EXPECT_EQ(port.SendData("next", 4, 1), 0) << c.pszName;
        ASSERT_FALSE(port.m_Writes.empty()) << c.pszName;
        EXPECT_EQ(port.m_Writes.back(), "next") << c.pszName;
    }
}

} // namespace
