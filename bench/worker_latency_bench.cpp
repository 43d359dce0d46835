// Push-to-handler latency of a worker: the producer pushes one item at a
// time and waits until the handler has run; p50 and p99 are reported.
#include "bench/latency_counters.h"
#include "pipeline/base_ctrl_process.h"

#include <atomic>
#include <benchmark/benchmark.h>
// <chrono> does not compile with the CP949 narrow charset; <thread> brings the clocks.
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class CLatencyWorker : public CBaseCtrlProcess
{
public:
    ~CLatencyWorker() override { StopWorker(); }
    int StartCtrlProcess() override
    {
        return StartWorkerThread("CLatencyWorker::StartCtrlProcess");
    }

    // Handler entry time of the last item, in steady-clock ticks.
    std::atomic<int64_t> m_nHandledAt{0};
    std::atomic<int> m_nHandled{0};

protected:
    void WorkerThreadMain() override
    {
        RunWorkerLoop("CLatencyWorker::WorkerThread", EWorkerQueue::Data);
    }
    void HandleQueueData(int /*nEventType*/, const std::string& /*strData*/) override
    {
        m_nHandledAt.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
        m_nHandled.fetch_add(1, std::memory_order_release);
    }
};

// Each iteration: push, spin until handled (the producer yields), record.
// The pause between items lets the worker go back to its wait, which is
// the case a polling worker makes slow.
void BM_WorkerPushToHandlerLatency(benchmark::State& state)
{
    CLatencyWorker worker;
    worker.StartCtrlProcess();
    const std::string strOrder(2048, 'x');
    std::vector<double> vecMicros;
    vecMicros.reserve(4096);
    int nSent = 0;
    for (auto _ : state) {
        Clock::time_point pushed = Clock::now();
        worker.PushQueueCtrlData(36001, strOrder);
        ++nSent;
        while (worker.m_nHandled.load(std::memory_order_acquire) < nSent) {
            std::this_thread::yield();
        }
        int64_t nAt = worker.m_nHandledAt.load(std::memory_order_relaxed);
        vecMicros.push_back(std::chrono::duration<double, std::micro>(Clock::duration(nAt) -
                                                                      pushed.time_since_epoch())
                                .count());
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.ResumeTiming();
    }
    ReportLatencies(state, std::move(vecMicros), "us");
}
BENCHMARK(BM_WorkerPushToHandlerLatency)->Iterations(2000)->Unit(benchmark::kMicrosecond);

} // namespace
