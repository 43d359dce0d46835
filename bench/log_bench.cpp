// Cost of one log line: format, stamp and one write call, from one thread
// and from four threads at once.
#include "foundation/simple_log.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

std::string g_strBenchRoot;

void RemoveBenchRoot()
{
    SimpleLog().Stop();
    std::error_code ec;
    std::filesystem::remove_all(g_strBenchRoot, ec);
}

// Starts the process-wide log in a fresh temporary root, once.
bool StartBenchLog()
{
    std::random_device random;
    g_strBenchRoot =
        (std::filesystem::temp_directory_path() / ("zelkor-log-bench-" + std::to_string(random())))
            .string();
    std::filesystem::create_directories(g_strBenchRoot);
    std::atexit(&RemoveBenchRoot);
    return SimpleLog().Start(g_strBenchRoot.c_str());
}

void BM_LogPrint(benchmark::State& state)
{
    static const bool s_bStarted = StartBenchLog();
    if (!s_bStarted) {
        state.SkipWithError("log could not be started");
        return;
    }
    int nEvent = 36001;
    for (auto _ : state) {
        LOG_PRINT(LOG_INFO, "[%s] EventInfo [%d], CurrentWaitNo [%d]",
                  "CEventCtrlProcess::EventProcess", nEvent, 12);
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_LogPrint);
BENCHMARK(BM_LogPrint)->Threads(4);
