// Intake latency of the main window: from a copy-data frame written to the
// window's endpoint (as the agent sends it) to the end of the event
// worker's handler for that event. The window runs on the poll host on a
// thread of its own, with the process-wide workers and the stand-in agent
// library in a program folder under ZELKOR_BENCH_DIR (default /tmp). The
// event is 36004, which the event worker only logs: the figure is the way
// in, not the work done on an order.
#include "app/poll_window_host.h"
#include "app/shell_parts.h"
#include "app/zelkor_dlg.h"
#include "bench/latency_counters.h"
#include "foundation/simple_log.h"
#include "pipeline/ctrl_processes.h"
#include "pipeline/event_ctrl_process.h"
#include "platform/window_endpoint_client.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
// <chrono> does not compile with the CP949 narrow charset; <thread> brings the clocks.
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string MakeTempDir(const char* pszBase, const char* pszName)
{
    std::string strDir = std::string(pszBase) + "/" + pszName + "-XXXXXX";
    return mkdtemp(strDir.data()) != nullptr ? strDir : std::string();
}

void BM_CopyDataFrameToEventHandler(benchmark::State& state)
{
    const char* pszBase = std::getenv("ZELKOR_BENCH_DIR");
    const std::string strFolder =
        MakeTempDir(pszBase != nullptr ? pszBase : "/tmp", "zelkor-intake");
    const std::string strRuntime = MakeTempDir("/tmp", "zelkor-run");
    if (strFolder.empty() || strRuntime.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    setenv("ZELKOR_HOME", strFolder.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", strRuntime.c_str(), 1);
    std::filesystem::copy_file(ZELKOR_STUB_AGENT_LIB, strFolder + "/libNUBEQ_IF.so");
    std::ofstream(strFolder + "/Config.ini") << "[POS]\r\nStoreId=ST1\r\n";
    std::filesystem::create_directories(strFolder + "/Log/NubeqLog");
    SimpleLog().Start((strFolder + "/Log/NubeqLog").c_str());

    std::atomic<int64_t> nHandledAt{0};
    std::atomic<int> nHandled{0};
    EventCtrlProcess().SetEventObserver([&](int, int, bool) {
        nHandledAt.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
        nHandled.fetch_add(1, std::memory_order_release);
    });
    std::thread window([] {
        CPollWindowHost host;
        CShellParts parts;
        CZelkorDlg dlg(host, parts);
        dlg.DoModal();
    });
    intptr_t hWnd = 0;
    for (int i = 0; i < 5000 && hWnd == 0; ++i) {
        hWnd = platform::FindRegisteredWindow(ZELKOR_WINDOW_CLASS, ZELKOR_WINDOW_TITLE);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    platform::CWindowEndpointClient client;
    std::string strError;
    if (hWnd == 0 || !client.Connect(hWnd, strError)) {
        state.SkipWithError("the window did not come up");
        window.detach();
        return;
    }
    platform::SWindowFrame frame;
    frame.nMessage = WM_COPYDATA;
    frame.lParam = 36004;
    frame.strPayload = std::string(2048, ' ') + "[]" + std::string(1, '\0');

    std::vector<double> vecMicros;
    int nSent = 0;
    for (auto _ : state) {
        Clock::time_point sent = Clock::now();
        platform::SWindowReply reply;
        client.Send(frame, reply, 10000, strError);
        ++nSent;
        while (nHandled.load(std::memory_order_acquire) < nSent) {
            std::this_thread::yield();
        }
        vecMicros.push_back(std::chrono::duration<double, std::micro>(
                                Clock::duration(nHandledAt.load(std::memory_order_relaxed)) -
                                sent.time_since_epoch())
                                .count());
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::microseconds(500)); // the worker back asleep
        state.ResumeTiming();
    }
    frame = platform::SWindowFrame{};
    frame.nMessage = WM_CLOSE;
    platform::SWindowReply reply;
    client.Send(frame, reply, 10000, strError);
    window.join();
    SimpleLog().Stop();
    std::filesystem::remove_all(strFolder);
    std::filesystem::remove_all(strRuntime);

    ReportLatencies(state, std::move(vecMicros), "us");
}
BENCHMARK(BM_CopyDataFrameToEventHandler)->Iterations(2000)->Unit(benchmark::kMicrosecond);

} // namespace
