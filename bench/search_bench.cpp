// Times the reply search over generated bases against a plain POSIX loop doing the same
// reads, and shows whether the memory it needs grows with the base.
//
// Time: load from elsewhere drifts over seconds, enough to move two benchmarks run one
// after the other by 20% on the same work. So each engine iteration runs one engine
// search and one plain search, in alternating order, and the ratio is that of their
// medians. The time reported is the engine's alone; the CPU column counts both searches.
// Each engine search uses a fresh engine, so every one starts out of context and walks
// the base.
//
// Memory: before each benchmark's timed runs the peak RSS is reset to the current RSS
// (5 into /proc/self/clear_refs), so VmHWM afterwards is the peak of those runs alone.
// Nothing else in the process grows with the base (files are written one at a time and
// only one base exists at once), so a peak that stays flat from 1,000 to 100,000
// dialogues means the search needs no memory in proportion to the base. Where the reset
// is refused the peak is the one since the start, which still rises if a size needs more.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bench/base_generator.h"
#include "bench/bench_support.h"
#include "bench/paired_runs.h"
#include "bench/plain_search.h"
#include "engine/base_format.h"
#include "engine/phrase.h"

namespace {

namespace bench = tumbo::bench;

using bench::kMinSeconds;
using bench::kSizes;

enum class Case { kMiss, kLast };
enum class Impl { kEngine, kPlain };

const char* CaseName(Case c) {
    return c == Case::kMiss ? "Miss" : "Last";
}

struct Key {
    Impl impl = Impl::kEngine;
    Case c = Case::kMiss;
    int size = 0;
    auto operator<=>(const Key&) const = default;
};

std::string BenchmarkName(const Key& key) {
    return std::string(key.impl == Impl::kEngine ? "Engine/" : "Plain/") + CaseName(key.c) + "/" +
           std::to_string(key.size);
}

bench::BaseCache bases;

bench::PeakMeter peakMeter;

// What the last run of an engine benchmark measured: the engine's times against the plain.
std::map<Key, bench::Outcome> outcomes;

void RunSearch(benchmark::State& state, Key key) {
    bench::EngineResult engineCheck;
    bench::PlainResult plainCheck;
    std::string prefix;
    std::string phrase;
    try {
        bases.Use(key.size);
        prefix = bases.Prefix();
        phrase = key.c == Case::kMiss ? bench::UnmatchedPhrase() : bench::LastOpener(bases.Shape());
        // Untimed searches check that both walk the whole base, and warm the caches.
        engineCheck = bench::EngineSearch(prefix, phrase);
        plainCheck = bench::PlainSearch(prefix, phrase);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    const bool shouldFind = key.c == Case::kLast;
    if (engineCheck.found != shouldFind || engineCheck.files != key.size ||
        engineCheck.teachPanels != (shouldFind ? 0 : 1) || plainCheck.found != shouldFind ||
        plainCheck.files != key.size) {
        state.SkipWithError("a search did not walk the base as expected");
        return;
    }
    const auto engineSearch = [&] {
        bench::EngineResult result = bench::EngineSearch(prefix, phrase);
        benchmark::DoNotOptimize(result);
    };
    const auto plainSearch = [&] {
        bench::PlainResult result = bench::PlainSearch(prefix, phrase);
        benchmark::DoNotOptimize(result);
    };

    const bench::Memory start = peakMeter.Start();
    if (key.impl == Impl::kPlain) {
        for (auto _ : state) {
            plainSearch();
        }
    } else {
        const bench::PairedMedians medians = bench::RunPaired(state, engineSearch, plainSearch);
        outcomes[key].medians = medians;
        state.counters["plain_ms"] = medians.otherMs;
        bench::SetRatioCounters(state, medians);
    }
    const bench::Memory end = bench::ReadMemory();
    bench::SetMemoryCounters(state, start, end);
    if (key.impl == Impl::kEngine) {
        outcomes[key].start = start;
        outcomes[key].end = end;
    }
}

void RegisterAll() {
    for (const int size : kSizes) {
        for (const Case c : {Case::kMiss, Case::kLast}) {
            for (const Impl impl : {Impl::kPlain, Impl::kEngine}) {
                const Key key{impl, c, size};
                auto* benchmark = benchmark::RegisterBenchmark(
                    BenchmarkName(key).c_str(),
                    [key](benchmark::State& state) { RunSearch(state, key); });
                benchmark->Unit(benchmark::kMillisecond)->MinTime(kMinSeconds);
                if (impl == Impl::kEngine) {
                    benchmark->UseManualTime();
                } else {
                    benchmark->UseRealTime();
                }
            }
        }
    }
}

void PrintSummary() {
    if (outcomes.empty()) {
        return;
    }
    std::printf(
        "\nReply search: median ms per search, engine and plain interleaved; RSS in kB, the "
        "peak %s\n",
        peakMeter.Since());
    std::printf("%-5s %8s %10s %9s %7s %9s %8s %8s\n", "case", "size", "engine ms", "plain ms",
                "ratio", "cpu ratio", "RSS", "peak");
    for (const Case c : {Case::kMiss, Case::kLast}) {
        for (const int size : kSizes) {
            const auto found = outcomes.find({Impl::kEngine, c, size});
            if (found == outcomes.end()) {
                continue;
            }
            const bench::PairedMedians& o = found->second.medians;
            const bench::Outcome& m = found->second;
            std::printf("%-5s %8d %10.2f %9.2f %7.3f %9.3f %8ld %8ld\n", CaseName(c), size,
                        o.measuredMs, o.otherMs, o.measuredMs / o.otherMs, o.cpuRatio,
                        m.start.rssKb, m.end.peakKb);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    if (!bench::RunRegistered(argc, argv)) {
        return 1;
    }
    bases.Clear();
    PrintSummary();
    return 0;
}
