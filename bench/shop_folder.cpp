// The benchmarks' shop folder and fixture reading.
#include "bench/shop_folder.h"

#include "foundation/simple_log.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace bench {

std::string ReadFixture(const std::string& strName)
{
    const std::filesystem::path dataDir =
        std::filesystem::path(ZELKOR_SOURCE_DIR) / "tests" / "data";
    std::ifstream in(dataDir / strName, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CShopFolder::CShopFolder(bool bLog)
{
    // One folder at a time per process; the pid keeps parallel runs apart.
    m_Path =
        std::filesystem::temp_directory_path() / ("zelkor-bench-shop-" + std::to_string(getpid()));
    std::filesystem::create_directories(m_Path / "Log" / "NubeqLog");
    for (const char* pszName : {"Config.ini", "Store_Orgin.dat"}) {
        std::ofstream(m_Path / pszName, std::ios::binary)
            << ReadFixture(std::string("store/") + pszName);
    }
    setenv("ZELKOR_HOME", m_Path.c_str(), 1);
    m_nOldPrintOrigin = PrinterSetting().GetPrintOrigin();
    PrinterSetting().SetPrintOrigin(1);
    m_Setting.SetConfigFilePath((m_Path / "Config.ini").c_str());
    m_Setting.ReadFilePrintInfo(1);
    if (bLog) {
        SimpleLog().Start((m_Path / "Log" / "NubeqLog").c_str());
    }
}

CShopFolder::~CShopFolder()
{
    SimpleLog().Stop();
    PrinterSetting().SetPrintOrigin(m_nOldPrintOrigin);
    unsetenv("ZELKOR_HOME");
    std::error_code ec;
    std::filesystem::remove_all(m_Path, ec);
}

} // namespace bench
