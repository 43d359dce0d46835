// The version stamp read from ELF files, including damaged ones.
#include "platform/file_version.h"
#include "platform/program_folder.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(FileVersionTest, StampOfThisBinaryAndOfFilesWithoutOne)
{
    EXPECT_EQ(platform::ReadVersionStamp(platform::GetExecutablePath()), "1.0.0.0");
    testsupport::CTempProgramFolder folder;
    folder.WriteFile("text.txt", "ZELKOR_VERSION 9.9.9.9");
    EXPECT_EQ(platform::ReadVersionStamp(folder.File("text.txt")), "");
    EXPECT_EQ(platform::ReadVersionStamp(folder.File("missing")), "");
    EXPECT_EQ(platform::ReadVersionStamp("/bin/true"), "");
}

TEST(FileVersionTest, DamagedFilesGiveNoStamp)
{
    // Copies of this binary cut short or with the section table pointed
    // outside the file: every read is bounded, nothing is found.
    std::string strImage = testsupport::ReadWholeFile(platform::GetExecutablePath());
    ASSERT_GT(strImage.size(), 64u);
    testsupport::CTempProgramFolder folder;

    std::string strBadOffset = strImage;
    for (int i = 0; i < 8; ++i) {
        strBadOffset[0x28 + i] = '\xFF'; // e_shoff of a 64-bit header
    }
    struct SCase
    {
        const char* pszName;
        std::string strContent;
    } cases[] = {
        {"header-only", strImage.substr(0, 64)},
        {"half", strImage.substr(0, strImage.size() / 2)},
        {"bad-offset", strBadOffset},
        {"magic-only", std::string("\x7F"
                                   "ELF")},
    };
    for (const SCase& c : cases) {
        folder.WriteFile(c.pszName, c.strContent);
        EXPECT_EQ(platform::ReadVersionStamp(folder.File(c.pszName)), "") << c.pszName;
    }
}

} // namespace
