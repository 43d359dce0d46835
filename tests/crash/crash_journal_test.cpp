// The crash journal: the section text, and that the INI module reads every
// crash's keys back from the appended sections.
#include "crash/crash_journal.h"
#include "foundation/ini_file.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(CrashJournal, SectionNameOfTheDumpTime)
{
    platform::LocalTime time;
    time.nYear = 2023;
    time.nMonth = 12;
    time.nDay = 8;
    time.nHour = 9;
    time.nMinute = 3;
    time.nSecond = 8;
    time.nMilli = 7;
    char szName[32];
    FormatCrashSectionName(time, szName, sizeof(szName));
    EXPECT_STREQ(szName, "20231208_090308007");
    FormatCrashSectionName(time, szName, 9);
    EXPECT_STREQ(szName, "20231208");
}

TEST(CrashJournal, EachCrashAppendsASectionTheIniModuleReads)
{
    testsupport::CTempProgramFolder folder;
    SCrashJournalEntry first;
    first.pszPrefix = "Zelkor";
    first.pszDumpPath = "/opt/zelkor/Log/NubeqLog/20231208/Zelkor_20231208090308.dmp";
    first.nProcessId = 4321;
    first.pszModulePath = "/opt/zelkor/Zelkor";
    first.bDumpWritten = true;
    ASSERT_TRUE(AppendCrashJournal(folder.Path().c_str(), "20231208_090308007", first));
    SCrashJournalEntry second = first;
    second.pszDumpPath = "";
    second.bDumpWritten = false;
    ASSERT_TRUE(AppendCrashJournal(folder.Path().c_str(), "20231208_090309100", second));

    EXPECT_EQ(folder.ReadFile("CrashDmp.log"),
              "[20231208_090308007]\r\nPrefix=Zelkor\r\n"
              "DumpPath=/opt/zelkor/Log/NubeqLog/20231208/Zelkor_20231208090308.dmp\r\n"
              "ProcessId=4321\r\nCrashModulePath=/opt/zelkor/Zelkor\r\nSuccessWriteDump=yes\r\n"
              "[20231208_090309100]\r\nPrefix=Zelkor\r\nDumpPath=\r\nProcessId=4321\r\n"
              "CrashModulePath=/opt/zelkor/Zelkor\r\nSuccessWriteDump=no\r\n");
    const std::string strPath = folder.File("CrashDmp.log");
    EXPECT_EQ(IniGetString("20231208_090308007", "SuccessWriteDump", "", strPath.c_str()), "yes");
    EXPECT_EQ(IniGetInt("20231208_090308007", "ProcessId", 0, strPath.c_str()), 4321);
    EXPECT_EQ(IniGetString("20231208_090309100", "SuccessWriteDump", "", strPath.c_str()), "no");
    EXPECT_EQ(IniGetString("20231208_090309100", "DumpPath", "?", strPath.c_str()), "");
}

TEST(CrashJournal, AMissingFolderIsAFailure)
{
    SCrashJournalEntry entry;
    EXPECT_FALSE(AppendCrashJournal("/nonexistent/zelkor", "00000000_000000000", entry));
}

} // namespace
