// CPrintData::SetJsonData on a realistic ~2 KB delivery order, with the
// shop's Config.ini and origin notice in the program folder, as the print
// worker runs it once per order and printer.
#include "bench/shop_folder.h"
#include "foundation/json_ctrl.h"
#include "printing/print_data.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using bench::CShopFolder;
using bench::ReadFixture;

void RunSetJsonData(benchmark::State& state, bool bLog)
{
    CShopFolder folder(bLog);
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
