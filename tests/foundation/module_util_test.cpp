// Program files: version stamp, text files and MD5 digests of real files.
#include "foundation/module_util.h"
#include "platform/program_folder.h"
#include "tests/support/program_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(ModuleUtilTest, Md5OfFiles)
{
    struct SCase
    {
        std::string strContent;
        const char* pszDigest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {std::string(1024, 'a'), "c9a34cfc85d982698c6ac89f76071abd"}, // one whole block
        {std::string(1025, 'a'), "ae187e1febee2a150b64849c32d566ca"}, // and one byte more
    };
    testsupport::CTempProgramFolder folder;
    for (const SCase& c : cases) {
        folder.WriteFile("f.bin", c.strContent);
        std::string strText;
        EXPECT_TRUE(GetMD5(folder.File("f.bin").c_str(), strText));
        EXPECT_EQ(strText, c.pszDigest) << c.strContent.size();
    }
}

TEST(ModuleUtilTest, Md5FailureGivesTheSystemText)
{
    testsupport::CTempProgramFolder folder;
    std::string strText = "old";
    EXPECT_FALSE(GetMD5(folder.File("missing.exe").c_str(), strText));
    EXPECT_EQ(strText, "No such file or directory");
    std::filesystem::create_directory(folder.File("dir"));
    EXPECT_FALSE(GetMD5(folder.File("dir").c_str(), strText));
    EXPECT_EQ(strText, "Is a directory");
}

TEST(ModuleUtilTest, FileVersionOfStampedAndPlainFiles)
{
    std::string strExe = platform::GetExecutablePath();
    std::string strDir = strExe.substr(0, strExe.rfind('/'));
    std::string strName = strExe.substr(strExe.rfind('/') + 1);

    testsupport::CTempProgramFolder folder;
    folder.WriteFile("plain.txt", "no version here");
    EXPECT_EQ(GetFileVersion(strExe.c_str()), "1.0.0.0");
    EXPECT_EQ(GetFileVersion("plain.txt"), "");
    EXPECT_EQ(GetFileVersion("missing.exe"), "");
    EXPECT_EQ(GetFileVersion(nullptr), "");
    EXPECT_EQ(GetFileVersion("/bin/true"), "");

    // A name is looked up in the program folder; "x.exe" names the local "x".
    setenv("ZELKOR_HOME", strDir.c_str(), 1);
    EXPECT_EQ(GetModulePath(), strDir);
    EXPECT_EQ(GetFileVersion(strName.c_str()), "1.0.0.0");
    EXPECT_EQ(GetFileVersion((strName + ".exe").c_str()), "1.0.0.0");
    setenv("ZELKOR_HOME", folder.Path().c_str(), 1);
}

TEST(ModuleUtilTest, ReadTextFileDropsEmptyLines)
{
    testsupport::CTempProgramFolder folder;
    folder.WriteFile("Config.ini", "[PRINTER]\r\n\r\nPrinter1Use=1\n\nName=젤코르\r\nlast");
    EXPECT_EQ(ReadTextFile(folder.File("Config.ini").c_str()),
              "[PRINTER]\r\nPrinter1Use=1\r\nName=젤코르\r\nlast\r\n");
    EXPECT_EQ(ReadTextFile(folder.File("missing.ini").c_str()), "");
    EXPECT_EQ(ReadTextFile(nullptr), "");
}

} // namespace
