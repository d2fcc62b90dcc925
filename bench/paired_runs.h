#pragma once

// How search_bench and window_bench time one way of searching against another.

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "bench/bench_support.h"

namespace tumbo::bench {

// The base sizes each comparison runs at, and the least time each benchmark runs.
inline constexpr std::array<int, 3> kSizes = {1'000, 10'000, 100'000};
inline constexpr double kMinSeconds = 2.0;

// The medians of a paired run: wall time of each side and the ratio of their CPU times.
struct PairedMedians {
    double measuredMs = 0;
    double otherMs = 0;
    double cpuRatio = 0;
};

// What the last run of a benchmark measured, for the summary printed after all of them.
struct Outcome {
    PairedMedians medians;
    Memory start;
    Memory end;
    // What the engine kept of the base between phrases, as it counts it.
    std::size_t keptBytes = 0;
};

// Times `measured` and `other` once each per iteration in alternating order: load from
// elsewhere drifts over seconds, so only interleaved runs meet it alike, and alternating
// keeps either from always finding the caches warmer. The iteration's time is that of
// `measured`. `untimed`, unless null, runs before each pair with the clock stopped.
template <typename Measured, typename Other, typename Untimed = std::nullptr_t>
PairedMedians RunPaired(benchmark::State& state, Measured&& measured, Other&& other,
                        Untimed&& untimed = nullptr) {
    std::vector<Sample> first;
    std::vector<Sample> second;
    first.reserve(static_cast<std::size_t>(state.max_iterations));
    second.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        if constexpr (!std::is_null_pointer_v<std::remove_cvref_t<Untimed>>) {
            state.PauseTiming();
            untimed();
            state.ResumeTiming();
        }
        if (first.size() % 2 == 0) {
            first.push_back(Timed(measured));
            second.push_back(Timed(other));
        } else {
            second.push_back(Timed(other));
            first.push_back(Timed(measured));
        }
        state.SetIterationTime(first.back().wallMs / 1e3);
    }
    return {MedianOf(first, &Sample::wallMs), MedianOf(second, &Sample::wallMs),
            MedianOf(first, &Sample::cpuMs) / MedianOf(second, &Sample::cpuMs)};
}

// The counters both benchmarks report: the ratios of a paired run, and the memory.
inline void SetRatioCounters(benchmark::State& state, const PairedMedians& medians) {
    state.counters["ratio"] = medians.measuredMs / medians.otherMs;
    state.counters["cpu_ratio"] = medians.cpuRatio;
}
inline void SetMemoryCounters(benchmark::State& state, const Memory& start, const Memory& end) {
    state.counters["rss_kB"] = static_cast<double>(start.rssKb);
    state.counters["peak_rss_kB"] = static_cast<double>(end.peakKb);
}

// Runs the registered benchmarks the command line selects; false on an unknown argument.
inline bool RunRegistered(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return false;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return true;
}

}  // namespace tumbo::bench
