// Shared memory blocks seen from a second opener.
#include "platform/shared_memory_block.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(SharedMemoryBlockTest, CreateWriteReadClose)
{
    std::string strName = "ZelkorTest_" + std::to_string(::getpid()) + ".blk";
    int nError = 0;
    int hBlock = platform::CreateSharedBlock(strName, 10, &nError);
    ASSERT_NE(hBlock, platform::kInvalidSharedBlock) << nError;
    std::string strText = "old";
    EXPECT_TRUE(platform::ReadSharedBlock(strName, strText));
    EXPECT_EQ(strText, ""); // a new block is all NUL

    // The block holds 64 KiB although 10 bytes were asked for.
    std::string strFull(platform::kSharedBlockSize, 'x');
    EXPECT_EQ(platform::WriteSharedBlock(strName, strFull), 0);
    EXPECT_TRUE(platform::ReadSharedBlock(strName, strText));
    EXPECT_EQ(strText, strFull);

    platform::ESharedStep eStep = platform::ESharedStep::None;
    EXPECT_NE(platform::WriteSharedBlock(strName, strFull + "y", &eStep), 0);
    EXPECT_EQ(eStep, platform::ESharedStep::Size);

    platform::CloseSharedBlock(hBlock, strName);
    EXPECT_FALSE(platform::ReadSharedBlock(strName, strText));
    EXPECT_NE(platform::WriteSharedBlock(strName, "x", &eStep), 0);
    EXPECT_EQ(eStep, platform::ESharedStep::Open);
}

} // namespace
