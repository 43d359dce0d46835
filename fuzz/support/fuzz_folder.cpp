// Temporary program folder and file helpers of the fuzz targets.
#include "fuzz/support/fuzz_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fuzzsupport {

namespace {

struct SFolder
{
    SFolder()
    {
        // In memory where the machine has it: the INI writes sync every
        // file they replace, which on a disk would bound the run rate.
        std::error_code ec;
        const std::string strBase =
            std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : "/tmp";
        std::string strTemplate = strBase + "/zelkor-fuzz-XXXXXX";
        if (mkdtemp(strTemplate.data()) == nullptr) {
            Fail("cannot create the program folder");
        }
        strPath = strTemplate;
        setenv("ZELKOR_HOME", strPath.c_str(), 1);
    }
    ~SFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(strPath, ec);
    }
    std::string strPath;
};

} // namespace

const std::string& ProgramFolder()
{
    static const SFolder folder;
    return folder.strPath;
}

std::string FolderFile(const std::string& strName)
{
    return ProgramFolder() + "/" + strName;
}

void WriteWholeFile(const std::string& strPath, const std::string& strContent)
{
    std::ofstream file(strPath, std::ios::binary | std::ios::trunc);
    file << strContent;
    if (!file.flush()) {
        Fail("cannot write " + strPath);
    }
}

std::string ReadWholeFile(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void CopyDataFile(const std::string& strRelative, const std::string& strName)
{
    const std::string strText =
        ReadWholeFile(std::string(ZELKOR_FUZZ_DATA_DIR) + "/" + strRelative);
    if (strText.empty()) {
        Fail("missing test data " + strRelative);
    }
    WriteWholeFile(FolderFile(strName), strText);
}

void Fail(const std::string& strMessage)
{
    std::fprintf(stderr, "fuzz invariant broken: %s\n", strMessage.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzzsupport
