// The settings dialog's save on the real disk: the whole [PRINTER] section
// in one atomic replace, beside the same keys replaced one by one as the
// store once wrote them. The files go to ZELKOR_BENCH_DIR, else the
// current folder (not /tmp, which may be in memory).
#include "foundation/ini_file.h"
#include "printing/printer_setting.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string BenchFile(const char* pszName)
{
    const char* pszDir = std::getenv("ZELKOR_BENCH_DIR");
    const std::filesystem::path dir = std::filesystem::path(pszDir != nullptr ? pszDir : ".") /
                                      ("zelkor-bench-settings-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return (dir / pszName).string();
}

// A store with both printers set, its Config.ini written once.
void PrepareStore(CPrinterSetting& setting, const std::string& strPath)
{
    IniWriteString("POS", "Nobizer", "2208162517", strPath.c_str());
    IniWriteString("ORDER", "LastNo", "17", strPath.c_str());
    setting.SetConfigFilePath(strPath.c_str());
    setting.ReadFilePrinterSection();
    for (int i = 0; i < MAX_PRINTER_COUNT; ++i) {
        PrintInfo info;
        setting.GetPrintInfoForIndex(i, &info);
        info.Use = 1;
        info.Rcp = 1;
        info.PortType = i;
        SetPrintInfoText(info.LanPrintIP, std::string("192.168.0.30"));
        info.LanPrintPort = 9100;
        setting.SetPrintInfoForIndex(i, &info);
    }
    setting.WriteFilePrinterSection();
}

void BM_SettingsSaveOneReplace(benchmark::State& state)
{
    const std::string strPath = BenchFile("one.ini");
    CPrinterSetting setting;
    PrepareStore(setting, strPath);
    int nCount = 0;
    for (auto _ : state) {
        setting.SetPrintCnt(++nCount % 10);
        if (setting.WriteFilePrinterSection() != 1) {
            state.SkipWithError("save failed");
            break;
        }
    }
    std::filesystem::remove_all(std::filesystem::path(strPath).parent_path());
}
BENCHMARK(BM_SettingsSaveOneReplace)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same [PRINTER] keys, one synced replace each.
void BM_SettingsSavePerKey(benchmark::State& state)
{
    const std::string strPath = BenchFile("per-key.ini");
    CPrinterSetting setting;
    PrepareStore(setting, strPath);
    std::vector<std::pair<std::string, std::string>> vKeys;
    for (const char* pszName :
         {"Name", "Use", "Rcp", "SerialUse", "LanPrintUse", "UsbUse", "Port", "Portname",
          "BaudRate", "LanPrintIP", "LanPrintPort", "UsbName", "LineFeed", "StatusCheck"}) {
        for (int nPrinter = 1; nPrinter <= MAX_PRINTER_COUNT; ++nPrinter) {
            const std::string strKey = "Printer" + std::to_string(nPrinter) + pszName;
            vKeys.emplace_back(strKey,
                               IniGetString("PRINTER", strKey.c_str(), "", strPath.c_str()));
        }
    }
    for (const char* pszKey :
         {"PrintCnt", "DeliveryPrintCnt", "PickupPaymentPrintCnt", "DeliveryPaymentPrintCnt",
          "PrintOrigin", "PrintOptiongroup", "ReqCustomerSize", "ReqDelivererSize", "MenunameSize",
          "OriginSize"}) {
        vKeys.emplace_back(pszKey, IniGetString("PRINTER", pszKey, "", strPath.c_str()));
    }
    for (auto _ : state) {
        for (const auto& key : vKeys) {
            IniWriteString("PRINTER", key.first.c_str(), key.second.c_str(), strPath.c_str());
        }
    }
    state.counters["keys"] = static_cast<double>(vKeys.size());
    std::filesystem::remove_all(std::filesystem::path(strPath).parent_path());
}
BENCHMARK(BM_SettingsSavePerKey)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
