// Times the reply search over generated bases against a plain POSIX loop doing the same
// reads, and shows what memory it needs as the base grows.
//
// Cases: Miss sends a phrase of three clauses that no tier answers, whole or in parts, so
// every tolerant tier runs for the whole phrase and each clause after the walk. Last sends
// the last dialogue's opener, which the exact comparison finds after reading every file.
//
// Steady state: the engine is kept over a benchmark's runs as the window keeps its own,
// and the warm-up sends the phrase once before any timed search, so what the tolerant
// tiers derive from the openers is already kept. That first phrase, which derives it all,
// is timed once and printed apart ("first ms"); the base's files are in the page cache
// by then, so it is the engine's own cold cost and not the disk's. Before each timed Last
// search two misses, untimed, take the engine out of context (one miss still keeps the
// dialogue that answered), so that the search walks the whole base.
//
// Time: load from elsewhere drifts over seconds, enough to move two benchmarks run one
// after the other by 20% on the same work. So each engine iteration runs one engine
// search and one plain search, in alternating order, and the ratio is that of their
// medians. The time reported is the engine's alone; the CPU column counts both searches.
//
// Memory: "kept kB" is what the engine reports keeping of the base between phrases, and
// "first RSS+" how much the RSS grew over making the engine and its first phrase.
// Before each benchmark's timed runs the peak RSS is reset to the current RSS (5 into
// /proc/self/clear_refs), so VmHWM afterwards is the peak of those runs alone, and a peak
// close to the RSS at the start means a search needs little beyond what is kept. Where
// the reset is refused the peak is the one since the start.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/base_generator.h"
#include "bench/bench_support.h"
#include "bench/paired_runs.h"
#include "bench/plain_search.h"

namespace {

namespace bench = tumbo::bench;

using bench::kMinSeconds;
using bench::kSizes;
// A search of 100,000 dialogues takes most of a second, and the machine's load moves single
// ones by a fifth: a median needs more pairs than kMinSeconds gives.
constexpr double kPairedMinSeconds = 8.0;

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

// The first phrase an engine was sent, which fills what it keeps.
struct FirstPhrase {
    double ms = 0;
    long rssGrowthKb = 0;
};
std::map<Key, FirstPhrase> firstPhrases;

// The engine of the benchmark running. Google Benchmark calls a benchmark's function
// again and again while it settles on a number of iterations; the engine outlives them.
struct Steady {
    Key key;
    std::unique_ptr<bench::KeptEngine> engine;
};
Steady steady;

std::string PhraseOf(Case c) {
    return c == Case::kMiss ? bench::UnmatchedPhrase() : bench::LastOpener(bases.Shape());
}

// Two phrases in a row that nothing answers let go of every dialogue.
void LeaveContext(bench::KeptEngine& engine) {
    engine.Search(bench::UnmatchedPhrase());
    engine.Search(bench::UnmatchedPhrase());
}

bench::KeptEngine& SteadyEngine(const Key& key) {
    if (steady.engine != nullptr && steady.key == key) {
        return *steady.engine;
    }
    steady.engine.reset();
    const bench::Memory before = bench::ReadMemory();
    steady.engine = std::make_unique<bench::KeptEngine>(bases.Prefix());
    steady.key = key;
    const std::string phrase = PhraseOf(key.c);
    const bench::Sample first = bench::Timed([&] { steady.engine->Search(phrase); });
    firstPhrases[key] = {first.wallMs, bench::ReadMemory().rssKb - before.rssKb};
    return *steady.engine;
}

bool PlainWalkedAsExpected(const Key& key, const bench::PlainResult& plain) {
    const bool shouldFind = key.c == Case::kLast;
    return plain.found == shouldFind && plain.files == key.size;
}

bool EngineWalkedAsExpected(const Key& key, const bench::EngineResult& engine) {
    const bool shouldFind = key.c == Case::kLast;
    return engine.found == shouldFind && engine.exact == shouldFind && engine.files == key.size &&
           engine.teachPanels == (shouldFind ? 0 : 1);
}

void RunPlain(benchmark::State& state, const std::string& prefix, const std::string& phrase) {
    const bench::Memory start = peakMeter.Start();
    for (auto _ : state) {
        bench::PlainResult result = bench::PlainSearch(prefix, phrase);
        benchmark::DoNotOptimize(result);
    }
    bench::SetMemoryCounters(state, start, bench::ReadMemory());
}

void RunEngine(benchmark::State& state, const Key& key, bench::KeptEngine& engine,
               const std::string& prefix, const std::string& phrase) {
    const auto engineSearch = [&] {
        bench::EngineResult result = engine.Search(phrase);
        benchmark::DoNotOptimize(result);
    };
    const auto plainSearch = [&] {
        bench::PlainResult result = bench::PlainSearch(prefix, phrase);
        benchmark::DoNotOptimize(result);
    };
    bench::Outcome& outcome = outcomes[key];
    outcome.start = peakMeter.Start();
    if (key.c == Case::kLast) {
        outcome.medians =
            bench::RunPaired(state, engineSearch, plainSearch, [&] { LeaveContext(engine); });
    } else {
        outcome.medians = bench::RunPaired(state, engineSearch, plainSearch);
    }
    outcome.end = bench::ReadMemory();
    outcome.keptBytes = engine.SearchMemoryBytes();
    state.counters["plain_ms"] = outcome.medians.otherMs;
    state.counters["kept_kB"] = static_cast<double>(outcome.keptBytes) / 1024;
    bench::SetRatioCounters(state, outcome.medians);
    bench::SetMemoryCounters(state, outcome.start, outcome.end);
}

void RunSearch(benchmark::State& state, Key key) {
    bench::KeptEngine* engine = nullptr;
    std::string phrase;
    bool expected = false;
    try {
        bases.Use(key.size);
        phrase = PhraseOf(key.c);
        // Untimed searches check that each walks the whole base, and warm the caches.
        expected = PlainWalkedAsExpected(key, bench::PlainSearch(bases.Prefix(), phrase));
        if (key.impl == Impl::kEngine) {
            engine = &SteadyEngine(key);
            if (!engine->OutOfContext()) {
                LeaveContext(*engine);
            }
            expected = expected && engine->OutOfContext() &&
                       EngineWalkedAsExpected(key, engine->Search(phrase));
        }
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    if (!expected) {
        state.SkipWithError("a search did not walk the base as expected");
        return;
    }
    if (engine == nullptr) {
        RunPlain(state, bases.Prefix(), phrase);
    } else {
        RunEngine(state, key, *engine, bases.Prefix(), phrase);
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
                benchmark->Unit(benchmark::kMillisecond);
                if (impl == Impl::kEngine) {
                    benchmark->MinTime(kPairedMinSeconds)->UseManualTime();
                } else {
                    benchmark->MinTime(kMinSeconds)->UseRealTime();
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
        "\nReply search: median ms per search, engine and plain interleaved; the engine's "
        "first phrase once; kept kB as the engine counts it; RSS in kB, the peak %s\n",
        peakMeter.Since());
    std::printf("%-5s %8s %10s %9s %7s %9s %9s %9s %10s %8s %8s\n", "case", "size", "engine ms",
                "plain ms", "ratio", "cpu ratio", "first ms", "kept kB", "first RSS+", "RSS",
                "peak");
    for (const Case c : {Case::kMiss, Case::kLast}) {
        for (const int size : kSizes) {
            const Key key{Impl::kEngine, c, size};
            const auto found = outcomes.find(key);
            if (found == outcomes.end()) {
                continue;
            }
            const bench::Outcome& m = found->second;
            const bench::PairedMedians& o = m.medians;
            const FirstPhrase& first = firstPhrases[key];
            std::printf("%-5s %8d %10.2f %9.2f %7.3f %9.3f %9.2f %9zu %10ld %8ld %8ld\n",
                        CaseName(c), size, o.measuredMs, o.otherMs, o.measuredMs / o.otherMs,
                        o.cpuRatio, first.ms, m.keptBytes / 1024, first.rssGrowthKb, m.start.rssKb,
                        m.end.peakKb);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    if (!bench::RunRegistered(argc, argv)) {
        return 1;
    }
    steady.engine.reset();
    bases.Clear();
    PrintSummary();
    return 0;
}
