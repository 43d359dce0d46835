// The shared settings block: create, reuse, replace and write.
#include "foundation/shared_memory.h"
#include "platform/program_folder.h"
#include "platform/shared_memory_block.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// The block name SetSharedMemory uses: this test binary's name and a
// suffix unique to this run.
class SharedMemoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string strExe = platform::GetExecutablePath();
        m_strExeName = strExe.substr(strExe.rfind('/') + 1);
        m_strSuffix = "Config" + std::to_string(::getpid()) + ".ini";
        m_strName = m_strExeName + "_" + m_strSuffix;
    }

    std::string Read() const
    {
        std::string strText;
        return platform::ReadSharedBlock(m_strName, strText) ? strText : "<none>";
    }

    std::string m_strExeName;
    std::string m_strSuffix;
    std::string m_strName;
};

TEST_F(SharedMemoryTest, WriteReadsBackAndShorterTextLeavesNoTail)
{
    CSharedMngr manager;
    ASSERT_EQ(manager.Create(m_strExeName.c_str(), m_strSuffix.c_str(), 100), 1);
    EXPECT_EQ(manager.GetName(), m_strName);
    EXPECT_TRUE(CSharedMemory::SetSharedMemory(m_strSuffix.c_str(), "{\"PRINTER\":\"젤코르\"}"));
    EXPECT_EQ(Read(), "{\"PRINTER\":\"젤코르\"}");
    EXPECT_TRUE(CSharedMemory::SetSharedMemory(m_strSuffix.c_str(), "{}"));
    EXPECT_EQ(Read(), "{}");
    manager.Close();
    EXPECT_EQ(manager.GetName(), "");
    EXPECT_EQ(Read(), "<none>");
}

TEST_F(SharedMemoryTest, SameNameAndSizeKeepsOtherSizeReplaces)
{
    CSharedMngr manager;
    ASSERT_EQ(manager.Create(m_strExeName.c_str(), m_strSuffix.c_str(), 10), 1);
    ASSERT_TRUE(CSharedMemory::SetSharedMemory(m_strSuffix.c_str(), "kept"));
    ASSERT_EQ(manager.Create(m_strExeName.c_str(), m_strSuffix.c_str(), 10), 1);
    EXPECT_EQ(Read(), "kept");
    ASSERT_EQ(manager.Create(m_strExeName.c_str(), m_strSuffix.c_str(), 20), 1);
    EXPECT_EQ(manager.GetSize(), 20u);
    EXPECT_EQ(Read(), "");
}

TEST_F(SharedMemoryTest, WindowsProgramNameGivesTheLocalBlockName)
{
    CSharedMngr manager;
    ASSERT_EQ(manager.Create((m_strExeName + ".exe").c_str(), m_strSuffix.c_str(), 10), 1);
    EXPECT_EQ(manager.GetName(), m_strName);
}

TEST_F(SharedMemoryTest, FailuresAreReportedAndLogged)
{
    testsupport::CTempProgramFolder folder;
    ASSERT_TRUE(folder.StartLog());
    EXPECT_FALSE(CSharedMemory::SetSharedMemory(m_strSuffix.c_str(), "x"));
    {
        CSharedMngr manager;
        ASSERT_EQ(manager.Create(m_strExeName.c_str(), m_strSuffix.c_str(), 10), 1);
        // Larger than the block: refused instead of written past its end.
        std::string strHuge(platform::kSharedBlockSize + 1, 'x');
        EXPECT_FALSE(CSharedMemory::SetSharedMemory(m_strSuffix.c_str(), strHuge));
        EXPECT_EQ(manager.Create(m_strExeName.c_str(), "bad/name", 10), 0);
    }
    std::string strLog = folder.ReadCurrentLog();
    EXPECT_NE(strLog.find("[CSharedMemory::SetSharedMemory] OpenFileMapping [" + m_strName +
                          "] Fail... [0x00000002]"),
              std::string::npos)
        << strLog;
    EXPECT_NE(strLog.find("[CSharedMemory::SetSharedMemory] Data Size [65537] Over Mapping"),
              std::string::npos);
    EXPECT_NE(strLog.find("[CSharedMngr::Create] CreateFileMapping [" + m_strExeName +
                          "_bad/name] Fail..."),
              std::string::npos);
}

} // namespace
