// Dump retention on a real folder: which files a crash deletes before its
// dump is written. Sizes are made with sparse files, so a dump of more
// than 4 GiB costs nothing.
#include "crash/dump_retention.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct SFile
{
    std::string strName;
    uint64_t nSize;
};

struct SRetentionCase
{
    const char* pszName;
    std::vector<SFile> vFiles;
    const char* pszKeep;
    std::vector<std::string> vLeft; // every file left, sorted
};

constexpr uint64_t kKiB = 1024;
constexpr uint64_t kMiB = 1024 * 1024;

std::vector<std::string> FilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> vNames;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        vNames.push_back(entry.path().filename().string());
    }
    std::sort(vNames.begin(), vNames.end());
    return vNames;
}

std::vector<SFile> ManyDumps(int nCount, uint64_t nSize)
{
    std::vector<SFile> vFiles;
    for (int i = 0; i < nCount; ++i) {
        vFiles.push_back({"Zelkor_202001010000" + std::to_string(10 + i) + ".dmp", nSize});
    }
    return vFiles;
}

std::vector<std::string> LastNames(const std::vector<SFile>& vFiles, size_t nCount)
{
    std::vector<std::string> vNames;
    for (size_t i = vFiles.size() - nCount; i < vFiles.size(); ++i) {
        vNames.push_back(vFiles[i].strName);
    }
    return vNames;
}

TEST(DumpRetention, DeletesTheOldestOfThePrefixUntilUnderOneMiB)
{
    const std::vector<SFile> vMany = ManyDumps(40, kMiB);
    const SRetentionCase cases[] = {
        {"three halves and another prefix",
         {{"Zelkor_20200101000001.dmp", 512 * kKiB},
          {"Zelkor_20200101000002.dmp", 512 * kKiB},
          {"Zelkor_20200101000003.dmp", 512 * kKiB},
          {"Other_20200101000000.dmp", 512 * kKiB},
          {"Zelkor_20200101000009.dmp", 0}},
         "Zelkor_20200101000009.dmp",
         {"Other_20200101000000.dmp", "Zelkor_20200101000003.dmp", "Zelkor_20200101000009.dmp"}},
        {"just under the limit",
         {{"Zelkor_20200101000001.dmp", kMiB - 1}},
         "",
         {"Zelkor_20200101000001.dmp"}},
        {"exactly the limit",
         {{"Zelkor_20200101000001.dmp", 512 * kKiB}, {"Zelkor_20200101000002.dmp", 512 * kKiB}},
         "",
         {"Zelkor_20200101000002.dmp"}},
        // Only the low 32 bits of this size are 16 bytes.
        {"a dump beyond 4 GiB",
         {{"Zelkor_20200101000001.dmp", 4 * 1024 * kMiB + 16}, {"Zelkor_20200101000002.dmp", 16}},
         "",
         {"Zelkor_20200101000002.dmp"}},
        {"the dump being written stays",
         {{"Zelkor_20200101000000.dmp", 2 * kMiB}, {"Zelkor_20200101000005.dmp", kMiB}},
         "Zelkor_20200101000000.dmp",
         {"Zelkor_20200101000000.dmp"}},
        {"other names do not count",
         {{"Zelkor.dmp", 2 * kMiB},
          {"Zelkor_1.txt", 2 * kMiB},
          {"ZelkorX_1.dmp", 2 * kMiB},
          {"Zelkor_20200101000001.dmp", 512 * kKiB}},
         "",
         {"Zelkor.dmp", "ZelkorX_1.dmp", "Zelkor_1.txt", "Zelkor_20200101000001.dmp"}},
        {"at most 32 per crash", vMany, "", LastNames(vMany, 8)},
    };
    for (const SRetentionCase& c : cases) {
        std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("zelkor-retention-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        for (const SFile& file : c.vFiles) {
            std::ofstream(folder / file.strName).close();
            std::filesystem::resize_file(folder / file.strName, file.nSize);
        }
        int nDeleted = ApplyDumpRetention(folder.c_str(), "Zelkor", c.pszKeep);
        EXPECT_EQ(FilesIn(folder), c.vLeft) << c.pszName;
        EXPECT_EQ(static_cast<size_t>(nDeleted), c.vFiles.size() - c.vLeft.size()) << c.pszName;
        std::filesystem::remove_all(folder);
    }
}

TEST(DumpRetention, AMissingFolderDeletesNothing)
{
    EXPECT_EQ(ApplyDumpRetention("/nonexistent/zelkor/dumps", "Zelkor", ""), 0);
}

} // namespace
