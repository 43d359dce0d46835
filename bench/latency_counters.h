// The latency figures the benchmarks report: p50, p99 and the maximum of
// the samples, as user counters named with their unit ("p99_us").
#pragma once

#include <algorithm>
#include <benchmark/benchmark.h>
#include <string>
#include <vector>

inline void ReportLatencies(benchmark::State& state, std::vector<double> vecSamples,
                            const std::string& strUnit)
{
    std::sort(vecSamples.begin(), vecSamples.end());
    auto percentile = [&](double p) {
        return vecSamples.empty() ? 0.0
                                  : vecSamples[static_cast<size_t>(p * (vecSamples.size() - 1))];
    };
    state.counters["p50_" + strUnit] = percentile(0.50);
    state.counters["p99_" + strUnit] = percentile(0.99);
    state.counters["max_" + strUnit] = vecSamples.empty() ? 0.0 : vecSamples.back();
}
