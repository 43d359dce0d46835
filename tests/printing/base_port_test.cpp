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

TEST(BasePortTest, FailedWriteIsReportedAndEmptiesTheBuffer)
{
    CRecordingPort port;
    port.m_nWriteResult = 4;
    ASSERT_EQ(port.SendData("AB", 2, 0), 0);
    EXPECT_EQ(port.SendData("CD", 2, 1), 4);
    EXPECT_EQ(port.BufferedLength(), 0);

    // When the buffer is full the failed write also drops the new data.
    std::string strBig(4000, 'z');
    ASSERT_EQ(port.SendData(strBig.data(), 4000, 0), 0);
    EXPECT_EQ(port.SendData(strBig.data(), 200, 0), 4);
    EXPECT_EQ(port.BufferedLength(), 0);
}

} // namespace
