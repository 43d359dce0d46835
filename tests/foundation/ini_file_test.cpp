// INI module: reads, integer parsing, edits that keep the rest of the file,
// missing files, failures and concurrent writers.
#include "foundation/ini_file.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const char* const kSample = "; shop settings\r\n"
                            "[PRINTER]\r\n"
                            "Printer1Use = 1 \r\n"
                            "printer1port=COM3\r\n"
                            "PRINTER1PORT=COM9\r\n"
                            "Quoted=\"  spaced  \"\r\n"
                            "Single='x'\r\n"
                            "Half=\"open\r\n"
                            "Empty=\r\n"
                            "no equals sign here\r\n"
                            ";Hidden=1\r\n"
                            "\r\n"
                            "[STORE]\r\n"
                            "Name=젤코르 본점\r\n"
                            "Long=ABCDEFGHIJ\r\n"
                            "Hangul=가나다라\r\n"
                            "[printer]\r\n"
                            "Late=2\r\n"
                            "Printer1Use=9\r\n"
                            "[Sec]tion]\r\n"
                            "Key=bracket\r\n";

struct SReadCase
{
    const char* pszSection;
    const char* pszKey;
    const char* pszDefault;
    size_t nBufferSize;
    std::string strExpected;
};

class IniReadTest : public ::testing::TestWithParam<SReadCase>
{
};

TEST_P(IniReadTest, ReadsLikeThePrivateProfileCall)
{
    testsupport::CTempProgramFolder folder;
    folder.WriteFile("Config.ini", kSample);
    const SReadCase& c = GetParam();
    EXPECT_EQ(IniGetString(c.pszSection, c.pszKey, c.pszDefault, folder.File("Config.ini").c_str(),
                           c.nBufferSize),
              c.strExpected)
        << c.pszSection << "/" << (c.pszKey ? c.pszKey : "(null)");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    ::testing::Values(
        SReadCase{"PRINTER", "Printer1Use", "d", 260, "1"},     // value trimmed
        SReadCase{"printer", "PRINTER1USE", "d", 260, "1"},     // names ignore case
        SReadCase{"PRINTER", "Printer1Port", "d", 260, "COM3"}, // first match wins
        SReadCase{"PRINTER", "Late", "d", 260, "2"},            // duplicate section searched
        SReadCase{"PRINTER", "Quoted", "d", 260, "  spaced  "}, // quotes stripped
        SReadCase{"PRINTER", "Single", "d", 260, "x"},          // single quotes too
        SReadCase{"PRINTER", "Half", "d", 260, "\"open"},       // unmatched quote kept
        SReadCase{"PRINTER", "Empty", "d", 260, ""},            // present but empty
        SReadCase{"PRINTER", ";Hidden", "d", 260, "d"},         // comment is no key
        SReadCase{"PRINTER", "Missing", "dflt  ", 260, "dflt"}, // default, trailing blanks
        SReadCase{"PRINTER", "Missing", nullptr, 260, ""},      // null default
        SReadCase{"NOPE", "Printer1Use", "d", 260, "d"},        // missing section
        SReadCase{"STORE", "Name", "", 260, "젤코르 본점"},     // CP949 bytes as stored
        SReadCase{"STORE", "Long", "", 5, "ABCD"},              // nBufferSize - 1 bytes
        SReadCase{"STORE", "Hangul", "", 6, "가나"},            // no half character
        SReadCase{"STORE", "Long", "", 0, ""},                  // no room at all
        SReadCase{"STORE", "Missing", "0123456789", 4, "012"},  // default truncated too
        SReadCase{"Sec]tion", "Key", "d", 260, "d"},            // name ends at first ']'
        SReadCase{"Sec", "Key", "d", 260, "bracket"},
        SReadCase{"PRINTER", nullptr, "d", 260, "d"}));

TEST(IniReadEdgeTest, TrailByteThatLooksLikeALetterIsNotFolded)
{
    // 0xB0 0x41 and 0xB0 0x61 are two different characters; folding the
    // trail byte as ASCII would make them one name.
    testsupport::CTempProgramFolder folder;
    folder.WriteFile("a.ini", "[S]\r\n\xB0\x41=upper\r\n");
    EXPECT_EQ(IniGetString("S", "\xB0\x61", "none", folder.File("a.ini").c_str()), "none");
    EXPECT_EQ(IniGetString("s", "\xB0\x41", "none", folder.File("a.ini").c_str()), "upper");
}

TEST(IniReadEdgeTest, SectionNameWithBracketTrailByte)
{
    // "\x81\x5D" is one CP949 character whose trail byte is ']'.
    testsupport::CTempProgramFolder folder;
    folder.WriteFile("a.ini", "[A\x81\x5D]\r\nK=v\r\n");
    EXPECT_EQ(IniGetString("A\x81\x5D", "K", "none", folder.File("a.ini").c_str()), "v");
}

TEST(IniReadEdgeTest, MissingFileGivesDefaults)
{
    testsupport::CTempProgramFolder folder;
    std::string strPath = folder.File("none.ini");
    EXPECT_EQ(IniGetString("A", "B", "def", strPath.c_str()), "def");
    EXPECT_EQ(IniGetInt("A", "B", 42, strPath.c_str()), 42);
    EXPECT_FALSE(std::filesystem::exists(strPath));
}

TEST(IniIntTest, LeadingDigitsWithSign)
{
    struct SCase
    {
        const char* pszLine;
        int nExpected;
    } cases[] = {
        {"V=12", 12},
        {"V=12abc", 12},
        {"V=abc", 0},
        {"V=-7", -7},
        {"V=+8", 8},
        {"V= 33 ", 33},
        {"V=", 99},
        {"V=\"15\"", 15},
        {"V=0x1F", 0},
        {"V=1.9", 1},
        {"V=-", 0},
        {"V=4294967295", -1},
        {"V=2147483648", static_cast<int>(0x80000000u)},
        {"Other=5", 99},
    };
    testsupport::CTempProgramFolder folder;
    for (const SCase& c : cases) {
        folder.WriteFile("n.ini", std::string("[N]\r\n") + c.pszLine + "\r\n");
        EXPECT_EQ(IniGetInt("n", "v", 99, folder.File("n.ini").c_str()), c.nExpected) << c.pszLine;
    }
}

struct SWriteCase
{
    const char* pszName;
    std::string strBefore;
    const char* pszSection;
    const char* pszKey;
    const char* pszValue;
    std::string strAfter;
};

class IniWriteTest : public ::testing::TestWithParam<SWriteCase>
{
};

TEST_P(IniWriteTest, ChangesOnlyWhatIsWritten)
{
    testsupport::CTempProgramFolder folder;
    const SWriteCase& c = GetParam();
    folder.WriteFile("w.ini", c.strBefore);
    ASSERT_TRUE(IniWriteString(c.pszSection, c.pszKey, c.pszValue, folder.File("w.ini").c_str()));
    EXPECT_EQ(folder.ReadFile("w.ini"), c.strAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWriteTest,
    ::testing::Values(
        SWriteCase{"ReplaceKeepsNameSpellingAndComments",
                   "; c\r\n[ORDER]\r\n  waitno = 5\r\n# x\r\n", "order", "WaitNo", "6",
                   "; c\r\n[ORDER]\r\nwaitno=6\r\n# x\r\n"},
        SWriteCase{"ReplaceFirstOfDuplicates", "[A]\r\nK=1\r\nk=2\r\n", "A", "K", "3",
                   "[A]\r\nK=3\r\nk=2\r\n"},
        SWriteCase{"NewKeyAfterLastLineOfSection", "[A]\r\nK=1\r\n\r\n[B]\r\nX=1\r\n", "a", "N",
                   "v", "[A]\r\nK=1\r\nN=v\r\n\r\n[B]\r\nX=1\r\n"},
        SWriteCase{"NewKeyInFirstOfDuplicateSections", "[A]\r\n[B]\r\n[A]\r\nK=1\r\n", "A", "N",
                   "v", "[A]\r\nN=v\r\n[B]\r\n[A]\r\nK=1\r\n"},
        SWriteCase{"NewSectionAppended", "[A]\r\nK=1", "B", "N", "v",
                   "[A]\r\nK=1\r\n[B]\r\nN=v\r\n"},
        SWriteCase{"UnixLineEndsKept", "[A]\nK=1\n", "A", "N", "v", "[A]\nK=1\nN=v\n"},
        SWriteCase{"Cp949Untouched", "[STORE]\r\nName=가나\r\n", "STORE", "Addr", "서울 강남",
                   "[STORE]\r\nName=가나\r\nAddr=서울 강남\r\n"},
        SWriteCase{"LineBreakInValueCannotAddKeys", "[A]\r\n", "A", "K", "1\r\nInjected=1",
                   "[A]\r\nK=1\r\n"},
        SWriteCase{"DeleteKeyRemovesEveryCopy", "[A]\r\nK=1\r\nX=2\r\n[a]\r\nk=3\r\n", "A", "K",
                   nullptr, "[A]\r\nX=2\r\n[a]\r\n"},
        SWriteCase{"DeleteMissingKeyChangesNothing", "[A]\r\nX=2", "A", "K", nullptr, "[A]\r\nX=2"},
        SWriteCase{"DeleteSectionWithItsComments",
                   "[A]\r\nK=1\r\n; note\r\n[B]\r\nX=1\r\n[a]\r\nY=1\r\n", "A", nullptr, nullptr,
                   "[B]\r\nX=1\r\n"},
        SWriteCase{"EmptyValueWritten", "[A]\r\nK=1\r\n", "A", "K", "", "[A]\r\nK=\r\n"}),
    [](const ::testing::TestParamInfo<SWriteCase>& info) { return info.param.pszName; });

TEST(IniWriteFileTest, WriteCreatesTheFileAndReadsBack)
{
    testsupport::CTempProgramFolder folder;
    std::string strPath = folder.File("Config.ini");
    ASSERT_TRUE(IniWriteString("PRINTER", "Printer1Use", "1", strPath.c_str()));
    EXPECT_EQ(folder.ReadFile("Config.ini"), "[PRINTER]\r\nPrinter1Use=1\r\n");
    EXPECT_EQ(IniGetInt("printer", "printer1use", 0, strPath.c_str()), 1);
    // Deleting from a missing file does not create it.
    EXPECT_TRUE(IniDeleteKey("A", "B", folder.File("other.ini").c_str()));
    EXPECT_TRUE(IniDeleteSection("A", folder.File("other.ini").c_str()));
    EXPECT_FALSE(std::filesystem::exists(folder.File("other.ini")));
}

TEST(IniWriteFileTest, RefusedWritesChangeNothing)
{
    testsupport::CTempProgramFolder folder;
    folder.WriteFile("w.ini", "[A]\r\nK=1\r\n");
    std::string strPath = folder.File("w.ini");
    EXPECT_FALSE(IniWriteString(nullptr, "K", "2", strPath.c_str()));
    EXPECT_FALSE(IniWriteString("A", "K=X", "2", strPath.c_str()));
    EXPECT_FALSE(IniWriteString("A]", "K", "2", strPath.c_str()));
    EXPECT_FALSE(IniWriteString("A", "", "2", strPath.c_str()));
    EXPECT_FALSE(IniWriteString("A", "K", "2", folder.File("no/such/dir.ini").c_str()));
    std::filesystem::create_directory(folder.File("adir.ini"));
    EXPECT_FALSE(IniWriteString("A", "K", "2", folder.File("adir.ini").c_str()));
    EXPECT_EQ(folder.ReadFile("w.ini"), "[A]\r\nK=1\r\n");
}

TEST(IniWriteFileTest, ReplacesThroughSymlinkAndLeavesNoTemporaryFiles)
{
    testsupport::CTempProgramFolder folder;
    folder.WriteFile("real.ini", "[A]\r\nK=1\r\n");
    std::filesystem::create_symlink(folder.File("real.ini"), folder.File("link.ini"));
    ASSERT_TRUE(IniWriteString("A", "K", "2", folder.File("link.ini").c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.ini")));
    EXPECT_EQ(folder.ReadFile("real.ini"), "[A]\r\nK=2\r\n");
    int nEntries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        (void)entry;
        ++nEntries;
    }
    EXPECT_EQ(nEntries, 2);
}

TEST(IniConcurrencyTest, WritersOnDifferentKeysLoseNoUpdate)
{
    testsupport::CTempProgramFolder folder;
    std::string strPath = folder.File("Config.ini");
    constexpr int kThreads = 4;
    constexpr int kWrites = 50;
    std::vector<std::thread> vThreads;
    for (int t = 0; t < kThreads; ++t) {
        vThreads.emplace_back([&, t] {
            for (int i = 1; i <= kWrites; ++i) {
                std::string strKey = "Key" + std::to_string(t);
                std::string strValue = std::to_string(i);
                ASSERT_TRUE(
                    IniWriteString("ORDER", strKey.c_str(), strValue.c_str(), strPath.c_str()));
                // A reader between writes always sees a whole file.
                ASSERT_EQ(IniGetInt("ORDER", strKey.c_str(), -1, strPath.c_str()), i);
            }
        });
    }
    for (std::thread& thread : vThreads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(IniGetInt("ORDER", ("Key" + std::to_string(t)).c_str(), -1, strPath.c_str()),
                  kWrites);
    }
}

TEST(IniConcurrencyTest, WriterProcessesLoseNoUpdate)
{
    // A second process shares no mutex with this one; only the folder lock
    // keeps its read-modify-write apart from ours.
    testsupport::CTempProgramFolder folder;
    std::string strPath = folder.File("Config.ini");
    constexpr int kWrites = 100;
    auto writeKeys = [&](const char* pszPrefix) {
        for (int i = 0; i < kWrites; ++i) {
            std::string strKey = pszPrefix + std::to_string(i);
            if (!IniWriteString("ORDER", strKey.c_str(), "1", strPath.c_str())) {
                return false;
            }
        }
        return true;
    };
    pid_t nChild = fork();
    ASSERT_GE(nChild, 0);
    if (nChild == 0) {
        _exit(writeKeys("Child") ? 0 : 1);
    }
    bool bParentOk = writeKeys("Parent");
    int nStatus = 0;
    ASSERT_EQ(waitpid(nChild, &nStatus, 0), nChild);
    ASSERT_TRUE(bParentOk);
    ASSERT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);
    int nMissing = 0;
    for (int i = 0; i < kWrites; ++i) {
        nMissing +=
            IniGetInt("ORDER", ("Child" + std::to_string(i)).c_str(), 0, strPath.c_str()) != 1;
        nMissing +=
            IniGetInt("ORDER", ("Parent" + std::to_string(i)).c_str(), 0, strPath.c_str()) != 1;
    }
    EXPECT_EQ(nMissing, 0);
}

} // namespace

// A multi-key write gives the file that the same writes one by one give,
// and refuses all of it when one entry cannot be written.
TEST(IniWriteStringsTest, SameFileAsSingleWritesAndAllOrNothing)
{
    testsupport::CTempProgramFolder folder;
    const std::string strStart = "; kept\r\n[PRINTER]\r\nPrinter1Use=0\r\nOld=1\r\n\r\n"
                                 "[ORDER]\r\nLastNo=41\r\n";
    folder.WriteFile("one.ini", strStart);
    folder.WriteFile("many.ini", strStart);
    const std::vector<SIniEntry> vEntries = {
        {"PRINTER", "Printer1Use", std::string("1")},
        {"PRINTER", "Printer1Name", std::string("프린터1")},
        {"PRINTER", "Old", std::nullopt},
        {"NEW", "Key", std::string("v\r\nInjected=1")},
    };
    const std::string strOne = folder.File("one.ini");
    for (const SIniEntry& entry : vEntries) {
        ASSERT_TRUE(IniWriteString(entry.strSection.c_str(), entry.strKey.c_str(),
                                   entry.value ? entry.value->c_str() : nullptr, strOne.c_str()));
    }
    ASSERT_TRUE(IniWriteStrings(vEntries, folder.File("many.ini").c_str()));
    EXPECT_EQ(folder.ReadFile("many.ini"), folder.ReadFile("one.ini"));
    EXPECT_NE(folder.ReadFile("many.ini").find("LastNo=41\r\n"), std::string::npos);

    const std::string strBefore = folder.ReadFile("many.ini");
    EXPECT_FALSE(IniWriteStrings(
        {{"PRINTER", "Printer1Use", std::string("7")}, {"PRINTER", "Bad=Key", std::string("1")}},
        folder.File("many.ini").c_str()));
    EXPECT_FALSE(IniWriteStrings({{"A]", "K", std::string("1")}}, folder.File("many.ini").c_str()));
    EXPECT_FALSE(
        IniWriteStrings({{"A", "K", std::string("1")}}, folder.File("no/such/dir.ini").c_str()));
    EXPECT_EQ(folder.ReadFile("many.ini"), strBefore);
}
