// Times tumbo-merge bringing a release's new dialogues into a large user's base.
//
// Adding: 500 bundled dialogues, none of whose openers the user has, into a user's base
// of 10,000. Each one is committed as a taught dialogue is, so the time is mostly the
// disk's: per dialogue, the new file and its folder, the path list and the option file
// with its folder are synced. Each iteration merges into a freshly written user's base,
// written and synced while the clock is stopped.
// NothingNew: the second run on the same bases, which reads the user's openers and the
// bundled dialogues and writes nothing.

#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include "bench/base_generator.h"
#include "bench/bench_support.h"
#include "tools/merge.h"

namespace {

namespace bench = tumbo::bench;

constexpr int kUserDialogues = 10'000;
constexpr int kBundledDialogues = 500;

struct Merged {
    int status = -1;
    int added = 0;
};

Merged Merge(const tumbo::test::TempDir& bundled, const tumbo::test::TempDir& user) {
    const std::string from = bundled.path().string();
    const std::string to = user.path().string();
    const char* argv[] = {"tumbo-merge", from.c_str(), to.c_str()};
    std::ostringstream out;
    std::ostringstream err;
    Merged merged;
    merged.status = tumbo::tools::RunMerge(3, argv, out, err);
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        merged.added += line.starts_with("added ") ? 1 : 0;
    }
    return merged;
}

std::unique_ptr<tumbo::test::TempDir> NewBase(int dialogues, std::uint64_t seed) {
    auto folder = std::make_unique<tumbo::test::TempDir>();
    bench::WriteBase(folder->path(), {dialogues, seed, {}});
    bench::SyncFolder(folder->path());
    return folder;
}

void Adding(benchmark::State& state) {
    // Another seed: the bundled openers are not the user's.
    const auto bundled = NewBase(kBundledDialogues, 2);
    for (auto _ : state) {
        state.PauseTiming();
        auto user = NewBase(kUserDialogues, 1);
        state.ResumeTiming();
        const Merged merged = Merge(*bundled, *user);
        state.PauseTiming();
        if (merged.status != 0 || merged.added != kBundledDialogues) {
            state.SkipWithError("the merge did not add every bundled dialogue");
        }
        user.reset();
        state.ResumeTiming();
    }
}

void NothingNew(benchmark::State& state) {
    const auto bundled = NewBase(kBundledDialogues, 2);
    const auto user = NewBase(kUserDialogues, 1);
    if (Merge(*bundled, *user).added != kBundledDialogues) {
        state.SkipWithError("the first merge did not add every bundled dialogue");
    }
    for (auto _ : state) {
        const Merged merged = Merge(*bundled, *user);
        if (merged.status != 0 || merged.added != 0) {
            state.SkipWithError("a second merge added something");
        }
    }
}

BENCHMARK(Adding)
    ->Name("Merge/Adding/500into10000")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();
BENCHMARK(NothingNew)
    ->Name("Merge/NothingNew/500into10500")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
