// CPrintData::SetJsonData on a realistic ~2 KB delivery order, with the
// shop's Config.ini and origin notice in the program folder, as the print
// worker runs it once per order and printer.
#include "foundation/json_ctrl.h"
#include "foundation/simple_log.h"
#include "printing/print_data.h"
#include "printing/printer_setting.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadFixture(const std::string& strName)
{
    const std::filesystem::path dataDir =
        std::filesystem::path(ZELKOR_SOURCE_DIR) / "tests" / "data";
    std::ifstream in(dataDir / strName, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A program folder holding the shop files, ZELKOR_HOME pointing at it.
class CBenchFolder
{
public:
    explicit CBenchFolder(bool bLog)
    {
        m_Path = std::filesystem::temp_directory_path() /
                 ("zelkor-bench-" + std::to_string(std::rand()));
        std::filesystem::create_directories(m_Path / "Log" / "NubeqLog");
        for (const char* pszName : {"Config.ini", "Store_Orgin.dat"}) {
            std::ofstream(m_Path / pszName, std::ios::binary)
                << ReadFixture(std::string("store/") + pszName);
        }
        setenv("ZELKOR_HOME", m_Path.c_str(), 1);
        PrinterSetting().SetPrintOrigin(1);
        if (bLog) {
            SimpleLog().Start((m_Path / "Log" / "NubeqLog").c_str());
        }
    }
    ~CBenchFolder()
    {
        SimpleLog().Stop();
        unsetenv("ZELKOR_HOME");
        std::error_code ec;
        std::filesystem::remove_all(m_Path, ec);
    }

private:
    std::filesystem::path m_Path;
};

void RunSetJsonData(benchmark::State& state, bool bLog)
{
    CBenchFolder folder(bLog);
    const std::string strOrder = ReadFixture("orders/delivery_order.json");
    for (auto _ : state) {
        CPrintData data;
        int nResult = data.SetJsonData(strOrder);
        benchmark::DoNotOptimize(nResult);
        if (nResult != 0) {
            state.SkipWithError("SetJsonData failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(strOrder.size()));
}

} // namespace

// Log closed: the data path alone.
static void BM_PrintDataSetJsonData(benchmark::State& state)
{
    RunSetJsonData(state, false);
}
BENCHMARK(BM_PrintDataSetJsonData);

// Log open: every order also writes its DEBUG copy and the notice line.
static void BM_PrintDataSetJsonDataWithLog(benchmark::State& state)
{
    RunSetJsonData(state, true);
}
BENCHMARK(BM_PrintDataSetJsonDataWithLog);

// Reference points for the figures above: the parse alone, and the parse
// with the styled copy that SetJsonData asks for the log.
static void BM_OrderJsonParse(benchmark::State& state)
{
    const std::string strOrder = ReadFixture("orders/delivery_order.json");
    const int nLogFlag = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CjsonCtrl json;
        bool bOk = json.SetRecvDataLocal(strOrder, nLogFlag, 1);
        benchmark::DoNotOptimize(bOk);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OrderJsonParse)->Arg(0)->Arg(1);
