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
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bench/base_generator.h"
#include "engine/engine.h"
#include "engine/phrase.h"

namespace {

using tumbo::bench::BaseShape;

constexpr std::array<int, 3> kSizes = {1'000, 10'000, 100'000};
constexpr double kMinSeconds = 2.0;

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

class SilentWindow : public tumbo::EngineWindow {
public:
    std::string input;
    long progressCalls = 0;
    long chatLines = 0;
    long teachPanels = 0;

    void AppendChatLine(const std::string&) override { ++chatLines; }
    std::string InputText() const override { return input; }
    void SetInputText(const std::string&) override {}
    void SetProgressPosition(int) override { ++progressCalls; }
    void Pause(int) override {}
    void RequestClose() override {}
    void ApplyOptions(const tumbo::TOptions&) override {}
    tumbo::TOptions SettingsFromControls() const override { return {}; }
    std::string TeachField(int) const override { return {}; }
    void SetTeachField(int, const std::string&) override {}
    void ShowTeachPanel() override { ++teachPanels; }
    void HideTeachPanel() override {}
};

class StillClock : public tumbo::Clock {
public:
    std::uint64_t Counter() override { return 0; }
    void Sleep(int) override {}
};

// Write-back of fresh files would otherwise run during the timed searches.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

// Only one base is kept on disk: 100,000 small files take some 400 MB of blocks.
class Bases {
public:
    struct Base {
        int size = 0;
        std::string prefix;
        std::string missPhrase;
        std::string lastPhrase;
    };

    const Base& For(int size) {
        if (base_.size != size) {
            Clear();
            folder_ = std::make_unique<tumbo::bench::TempFolder>();
            const BaseShape shape{size, 1};
            tumbo::bench::WriteBase(folder_->Path(), shape);
            SyncFolder(folder_->Path());
            base_ = {size, folder_->Prefix(), tumbo::bench::UnmatchedPhrase(),
                     tumbo::bench::LastOpener(shape)};
        }
        return base_;
    }
    void Clear() {
        folder_.reset();
        base_ = {};
    }

private:
    std::unique_ptr<tumbo::bench::TempFolder> folder_;
    Base base_;
};

Bases bases;

struct Memory {
    long rssKb = 0;
    long peakKb = 0;
};

Memory ReadMemory() {
    Memory memory;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            memory.rssKb = std::stol(line.substr(6));
        } else if (line.rfind("VmHWM:", 0) == 0) {
            memory.peakKb = std::stol(line.substr(6));
        }
    }
    return memory;
}

bool ResetPeak() {
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool done = ::write(fd, "5", 1) == 1;
    ::close(fd);
    return done;
}

bool peakResettable = true;

// Reads lines ending in LF (a CR before it dropped) through a fixed buffer. A line is
// valid until the next call.
class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}

    bool Next(std::string_view& line) {
        bool carrying = false;
        carry_.clear();
        for (;;) {
            if (pos_ == end_) {
                if (!Fill()) {
                    if (!carrying) {
                        return false;
                    }
                    line = carry_;
                    break;
                }
            }
            const char* start = buffer_.data() + pos_;
            const std::size_t left = end_ - pos_;
            const auto* newline = static_cast<const char*>(std::memchr(start, '\n', left));
            if (newline == nullptr) {
                carry_.append(start, left);
                carrying = true;
                pos_ = end_;
                continue;
            }
            const auto length = static_cast<std::size_t>(newline - start);
            pos_ += length + 1;
            if (carrying) {
                carry_.append(start, length);
                line = carry_;
            } else {
                line = std::string_view(start, length);
            }
            break;
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return true;
    }

private:
    bool Fill() {
        ssize_t got = 0;
        do {
            got = ::read(fd_, buffer_.data(), buffer_.size());
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            throw std::system_error(errno, std::generic_category(), "read");
        }
        pos_ = 0;
        end_ = static_cast<std::size_t>(got);
        return got > 0;
    }

    int fd_;
    std::array<char, 8192> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::string carry_;
};

int OpenOrThrow(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), path);
    }
    return fd;
}

struct PlainResult {
    long files = 0;
    bool found = false;
    std::string reply;
};

// The same reads as the engine's search out of context, written directly.
PlainResult PlainSearch(const std::string& prefix, std::string_view typed) {
    const std::string phrase = tumbo::NormalizePhrase(typed);
    PlainResult result;
    const int listFd = OpenOrThrow(prefix + "path.tmb", O_RDONLY);
    LineReader list(listFd);
    std::string path = prefix;
    std::string_view entry;
    while (!result.found && list.Next(entry)) {
        ++result.files;
        path.resize(prefix.size());
        path.append(entry);
        std::replace(path.begin() + static_cast<std::ptrdiff_t>(prefix.size()), path.end(), '\\',
                     '/');
        const int fd = OpenOrThrow(path, O_RDONLY);
        LineReader dialogue(fd);
        std::string_view line;
        while (dialogue.Next(line) && !line.starts_with('#')) {
            if (line.starts_with('$') && line.substr(1) == phrase) {
                result.found = true;
                while (dialogue.Next(line) && line.starts_with('$')) {
                }
                result.reply = line;
                break;
            }
        }
        ::close(fd);
    }
    ::close(listFd);
    if (!result.found) {
        ::close(OpenOrThrow(prefix + "temp.dlg", O_WRONLY | O_CREAT | O_TRUNC));
    }
    return result;
}

struct EngineResult {
    long files = 0;
    bool found = false;
    long teachPanels = 0;
};

EngineResult EngineSearch(SilentWindow& window, const std::string& prefix) {
    StillClock clock;
    // A fresh engine is out of context, as a search of the whole base needs.
    tumbo::Engine engine(window, clock);
    engine.SetProgramDir(prefix);
    engine.BindFiles();
    const long before = window.progressCalls;
    const long teachBefore = window.teachPanels;
    engine.SendPhrase();
    return {window.progressCalls - before, engine.AnswerFound(), window.teachPanels - teachBefore};
}

struct Sample {
    double wallMs = 0;
    double cpuMs = 0;
};

double NowMs(clockid_t clock) {
    timespec now{};
    ::clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

template <typename Search>
Sample Timed(Search&& search) {
    const double wall = NowMs(CLOCK_MONOTONIC);
    const double cpu = NowMs(CLOCK_PROCESS_CPUTIME_ID);
    search();
    return {NowMs(CLOCK_MONOTONIC) - wall, NowMs(CLOCK_PROCESS_CPUTIME_ID) - cpu};
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// What the last run of an engine benchmark measured, for the summary.
struct Outcome {
    double engineMs = 0;
    double plainMs = 0;
    double cpuRatio = 0;
    Memory start;
    Memory end;
};

std::map<Key, Outcome> outcomes;

void RunSearch(benchmark::State& state, Key key) {
    const Bases::Base* base = nullptr;
    EngineResult engineCheck;
    PlainResult plainCheck;
    std::string phrase;
    SilentWindow window;
    try {
        base = &bases.For(key.size);
        phrase = key.c == Case::kMiss ? base->missPhrase : base->lastPhrase;
        window.input = phrase;
        // Untimed searches check that both walk the whole base, and warm the caches.
        engineCheck = EngineSearch(window, base->prefix);
        plainCheck = PlainSearch(base->prefix, phrase);
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
        EngineResult result = EngineSearch(window, base->prefix);
        benchmark::DoNotOptimize(result);
    };
    const auto plainSearch = [&] {
        PlainResult result = PlainSearch(base->prefix, phrase);
        benchmark::DoNotOptimize(result);
    };

    std::vector<Sample> engine;
    std::vector<Sample> plain;
    engine.reserve(static_cast<std::size_t>(state.max_iterations));
    plain.reserve(static_cast<std::size_t>(state.max_iterations));

    peakResettable = ResetPeak() && peakResettable;
    const Memory start = ReadMemory();
    if (key.impl == Impl::kPlain) {
        for (auto _ : state) {
            plainSearch();
        }
    } else {
        for (auto _ : state) {
            // Alternating the order keeps either from always finding the caches warmer.
            if (engine.size() % 2 == 0) {
                engine.push_back(Timed(engineSearch));
                plain.push_back(Timed(plainSearch));
            } else {
                plain.push_back(Timed(plainSearch));
                engine.push_back(Timed(engineSearch));
            }
            state.SetIterationTime(engine.back().wallMs / 1e3);
        }
        const auto medianOf = [](const std::vector<Sample>& samples, double Sample::*field) {
            std::vector<double> values;
            values.reserve(samples.size());
            for (const Sample& sample : samples) {
                values.push_back(sample.*field);
            }
            return Median(std::move(values));
        };
        Outcome& outcome = outcomes[key];
        outcome.engineMs = medianOf(engine, &Sample::wallMs);
        outcome.plainMs = medianOf(plain, &Sample::wallMs);
        outcome.cpuRatio = medianOf(engine, &Sample::cpuMs) / medianOf(plain, &Sample::cpuMs);
        state.counters["plain_ms"] = outcome.plainMs;
        state.counters["ratio"] = outcome.engineMs / outcome.plainMs;
        state.counters["cpu_ratio"] = outcome.cpuRatio;
    }
    const Memory end = ReadMemory();
    benchmark::DoNotOptimize(window.progressCalls);
    state.counters["rss_kB"] = static_cast<double>(start.rssKb);
    state.counters["peak_rss_kB"] = static_cast<double>(end.peakKb);
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
        peakResettable ? "reset before each run" : "since the process started");
    std::printf("%-5s %8s %10s %9s %7s %9s %8s %8s\n", "case", "size", "engine ms", "plain ms",
                "ratio", "cpu ratio", "RSS", "peak");
    for (const Case c : {Case::kMiss, Case::kLast}) {
        for (const int size : kSizes) {
            const auto found = outcomes.find({Impl::kEngine, c, size});
            if (found == outcomes.end()) {
                continue;
            }
            const Outcome& o = found->second;
            std::printf("%-5s %8d %10.2f %9.2f %7.3f %9.3f %8ld %8ld\n", CaseName(c), size,
                        o.engineMs, o.plainMs, o.engineMs / o.plainMs, o.cpuRatio, o.start.rssKb,
                        o.end.peakKb);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bases.Clear();
    PrintSummary();
    return 0;
}
