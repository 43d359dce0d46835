// Put+get pair of the bounded queue, uncontended.
#include "foundation/queue.h"

#include <benchmark/benchmark.h>

static void BM_QueuePutGet(benchmark::State& state)
{
    CQueue<int*> queue;
    queue.Init(100);
    int nItem = 0;
    int* pOut = nullptr;
    for (auto _ : state) {
        queue.Put(&nItem);
        queue.Get(pOut);
        benchmark::DoNotOptimize(pOut);
    }
}
BENCHMARK(BM_QueuePutGet);
