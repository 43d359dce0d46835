// Quick (unsynced) replaces: the new content is there for every reader at
// once, the replaced file stays open until the next sync (at most 16 of
// them), a synced replace keeps nothing open, and the file mode is kept.
#include "platform/atomic_file.h"
#include "tests/support/program_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Descriptors of this process that name a deleted file of strPath.
int OpenDeletedCopies(const std::string& strPath)
{
    int nCount = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string strTarget = std::filesystem::read_symlink(entry.path(), error).string();
        if (!error && strTarget == strPath + " (deleted)") {
            ++nCount;
        }
    }
    return nCount;
}

bool Replace(const std::string& strPath, const std::string& strContent, bool bSync)
{
    return platform::EditFileAtomically(
        strPath,
        [&](std::string& strOld, bool) {
            strOld = strContent;
            return true;
        },
        nullptr, bSync);
}

TEST(AtomicFileTest, QuickReplaceKeepsTheOldFileOpenUntilTheSync)
{
    testsupport::CTempProgramFolder folder;
    const std::string strPath = std::filesystem::canonical(folder.Path()).string() + "/Config.ini";
    folder.WriteFile("Config.ini", "LastNo=1\n");
    ASSERT_EQ(0, ::chmod(strPath.c_str(), 0640));
    platform::SyncFile(strPath); // nothing kept from earlier tests

    ASSERT_TRUE(Replace(strPath, "LastNo=2\n", false));
    EXPECT_EQ("LastNo=2\n", testsupport::ReadWholeFile(strPath));
    EXPECT_EQ(1, OpenDeletedCopies(strPath));
    EXPECT_EQ(1, platform::KeptOpenReplacedFiles());
    struct stat st
    {
    };
    ASSERT_EQ(0, ::stat(strPath.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);

    ASSERT_TRUE(platform::SyncFile(strPath));
    EXPECT_EQ(0, OpenDeletedCopies(strPath));
    EXPECT_EQ(0, platform::KeptOpenReplacedFiles());

    // A synced replace closes the old file at once.
    ASSERT_TRUE(Replace(strPath, "LastNo=3\n", true));
    EXPECT_EQ(0, OpenDeletedCopies(strPath));
    EXPECT_EQ("LastNo=3\n", testsupport::ReadWholeFile(strPath));
}

TEST(AtomicFileTest, QuickReplacesWithoutASyncKeepAtMostSixteenOpen)
{
    testsupport::CTempProgramFolder folder;
    const std::string strPath = std::filesystem::canonical(folder.Path()).string() + "/Config.ini";
    folder.WriteFile("Config.ini", "LastNo=0\n");
    platform::SyncFile(strPath);
    for (int i = 1; i <= 20; ++i) {
        ASSERT_TRUE(Replace(strPath, "LastNo=" + std::to_string(i) + "\n", false));
    }
    EXPECT_EQ("LastNo=20\n", testsupport::ReadWholeFile(strPath));
    EXPECT_EQ(16, OpenDeletedCopies(strPath));
    // A sync that fails (the file is gone) still lets them go.
    std::filesystem::remove(strPath);
    EXPECT_FALSE(platform::SyncFile(strPath));
    EXPECT_EQ(0, platform::KeptOpenReplacedFiles());
    EXPECT_EQ(0, OpenDeletedCopies(strPath));
}

} // namespace
