// Times what the window adds to the reply search: a phrase that matches nothing, sent
// through TForm1 as the user's Enter sends it, against the engine alone with a window
// that does nothing, both walking the same generated base.
//
// Time: as in search_bench, each window iteration runs one window send and one engine
// search in alternating order, so drifting load hits both alike, and the ratio is that
// of their medians. The time reported is the window's; the CPU column counts both.
// The window's timed part is BitBtn1Click() and then processEvents(): the progress bar
// repaints inside setValue, but the chat log, the phrase field and the teaching panel
// are painted from the event loop once the handler returns, and that is the window's
// cost too. Untimed, before each send, the teaching panel is left by its button (it
// covers the field, so a user leaves it before the next phrase), the phrase is put in
// the field and the events that caused are processed. A miss leaves the engine out of
// context, so every send walks the whole base. The chat log gains three lines per send
// and is cleared every kSendsPerLog sends, as a real one grows far slower.
//
// Memory: the peak RSS is reset before each benchmark's timed runs, as in search_bench.
// One window and one base exist at once, made before the size's first benchmark.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/tform1.h"
#include "bench/base_generator.h"
#include "engine/engine.h"
#include "platform/qt/message_box.h"
#include "ui/tframe2.h"

namespace {

using tumbo::bench::BaseShape;

constexpr std::array<int, 3> kSizes = {1'000, 10'000, 100'000};
constexpr double kMinSeconds = 2.0;
constexpr long kSendsPerLog = 50;

enum class Impl { kWindow, kEngine };

struct Key {
    Impl impl = Impl::kWindow;
    int size = 0;
    auto operator<=>(const Key&) const = default;
};

std::string BenchmarkName(const Key& key) {
    return std::string(key.impl == Impl::kWindow ? "Window" : "Engine") + "/Miss/" +
           std::to_string(key.size);
}

class SilentWindow : public tumbo::EngineWindow {
public:
    std::string input;
    long progressCalls = 0;
    long teachPanels = 0;

    void AppendChatLine(const std::string&) override {}
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

void WriteRegistryFile(const std::filesystem::path& file, const std::string& programDir) {
    std::ofstream out(file, std::ios::binary);
    out << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3]\r\n\"programdir\"=\""
        << programDir << "\"\r\n";
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

std::vector<tumbo::MessageBoxRequest> boxes;
// The program's own clock: the window may pace what it shows by it.
tumbo::SystemClock windowClock;

// Only one base is kept on disk (100,000 dialogues take some 400 MB of blocks), with the
// one window that reads it.
class Setup {
public:
    const std::string& Prefix() const { return prefix_; }
    TForm1& Form() { return *form_; }

    void For(int size) {
        if (size_ == size) {
            return;
        }
        Clear();
        folder_ = std::make_unique<tumbo::bench::TempFolder>();
        tumbo::bench::WriteBase(folder_->Path(), BaseShape{size, 1});
        const std::filesystem::path registry = folder_->Path() / "tumbo3.reg";
        WriteRegistryFile(registry, folder_->Prefix());
        SyncFolder(folder_->Path());
        form_ = std::make_unique<TForm1>(registry.string(), windowClock);
        form_->show();
        form_->StartLoading();
        QCoreApplication::processEvents();
        size_ = size;
        prefix_ = folder_->Prefix();
    }
    void Clear() {
        form_.reset();
        folder_.reset();
        size_ = 0;
        prefix_.clear();
    }

private:
    std::unique_ptr<tumbo::bench::TempFolder> folder_;
    std::unique_ptr<TForm1> form_;
    int size_ = 0;
    std::string prefix_;
};

Setup setup;

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

// What a user does between two phrases; never timed.
void PrepareSend(TForm1& form, const QString& phrase, long& sends) {
    if (sends++ % kSendsPerLog == 0) {
        form.Memo1->clear();
    }
    form.Frame21BitBtn2Click();
    form.Edit1->setText(phrase);
    QCoreApplication::processEvents();
}

void WindowSend(TForm1& form) {
    form.BitBtn1Click();
    QCoreApplication::processEvents();
}

// Sends once and checks that the window walked the whole base and missed: only the end
// of the path list opens the teaching panel.
bool WindowMissesAll(TForm1& form, const QString& phrase, long& sends, int size) {
    PrepareSend(form, phrase, sends);
    const std::size_t boxesBefore = boxes.size();
    WindowSend(form);
    return form.ProgressBar1->maximum() == size && form.ProgressBar1->value() == size &&
           !form.engine().AnswerFound() && form.Frame21->isVisible() &&
           form.Memo1->document()->lastBlock().text() ==
               QString::fromUtf8("Tumbo:не знаю ответа") &&
           boxes.size() == boxesBefore;
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

double MedianOf(const std::vector<Sample>& samples, double Sample::*field) {
    std::vector<double> values;
    values.reserve(samples.size());
    for (const Sample& sample : samples) {
        values.push_back(sample.*field);
    }
    return Median(std::move(values));
}

// What the last run of a benchmark measured, for the summary.
struct Outcome {
    double windowMs = 0;
    double engineMs = 0;
    double cpuRatio = 0;
    Memory start;
    Memory end;
};

std::map<Key, Outcome> outcomes;

void RunSearch(benchmark::State& state, Key key) {
    SilentWindow silent;
    const QString phrase = QString::fromStdString(tumbo::bench::UnmatchedPhrase());
    silent.input = tumbo::bench::UnmatchedPhrase();
    long sends = 0;
    EngineResult engineCheck;
    bool windowChecked = false;
    try {
        setup.For(key.size);
        // Untimed searches check that both walk the whole base, and warm the caches.
        engineCheck = EngineSearch(silent, setup.Prefix());
        windowChecked = WindowMissesAll(setup.Form(), phrase, sends, key.size);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    if (engineCheck.found || engineCheck.files != key.size || engineCheck.teachPanels != 1 ||
        !windowChecked) {
        state.SkipWithError("a search did not walk the base as expected");
        return;
    }
    TForm1& form = setup.Form();
    const auto engineSearch = [&] {
        EngineResult result = EngineSearch(silent, setup.Prefix());
        benchmark::DoNotOptimize(result);
    };
    const auto windowSend = [&] { WindowSend(form); };

    std::vector<Sample> window;
    std::vector<Sample> engine;
    window.reserve(static_cast<std::size_t>(state.max_iterations));
    engine.reserve(static_cast<std::size_t>(state.max_iterations));

    peakResettable = ResetPeak() && peakResettable;
    const Memory start = ReadMemory();
    if (key.impl == Impl::kEngine) {
        for (auto _ : state) {
            engine.push_back(Timed(engineSearch));
            state.SetIterationTime(engine.back().wallMs / 1e3);
        }
    } else {
        for (auto _ : state) {
            state.PauseTiming();
            PrepareSend(form, phrase, sends);
            state.ResumeTiming();
            // Alternating the order keeps either from always finding the caches warmer.
            if (window.size() % 2 == 0) {
                window.push_back(Timed(windowSend));
                engine.push_back(Timed(engineSearch));
            } else {
                engine.push_back(Timed(engineSearch));
                window.push_back(Timed(windowSend));
            }
            state.SetIterationTime(window.back().wallMs / 1e3);
        }
    }
    const Memory end = ReadMemory();
    Outcome& outcome = outcomes[key];
    outcome.engineMs = MedianOf(engine, &Sample::wallMs);
    outcome.start = start;
    outcome.end = end;
    state.counters["engine_ms"] = outcome.engineMs;
    if (key.impl == Impl::kWindow) {
        outcome.windowMs = MedianOf(window, &Sample::wallMs);
        outcome.cpuRatio = MedianOf(window, &Sample::cpuMs) / MedianOf(engine, &Sample::cpuMs);
        state.counters["window_ms"] = outcome.windowMs;
        state.counters["ratio"] = outcome.windowMs / outcome.engineMs;
        state.counters["cpu_ratio"] = outcome.cpuRatio;
    }
    state.counters["rss_kB"] = static_cast<double>(start.rssKb);
    state.counters["peak_rss_kB"] = static_cast<double>(end.peakKb);
    if (!boxes.empty()) {
        state.SkipWithError("the window showed an error box");
    }
}

void RegisterAll() {
    for (const int size : kSizes) {
        for (const Impl impl : {Impl::kEngine, Impl::kWindow}) {
            const Key key{impl, size};
            benchmark::RegisterBenchmark(BenchmarkName(key).c_str(),
                                         [key](benchmark::State& state) { RunSearch(state, key); })
                ->Unit(benchmark::kMillisecond)
                ->MinTime(kMinSeconds)
                ->UseManualTime();
        }
    }
}

void PrintSummary() {
    if (outcomes.empty()) {
        return;
    }
    std::printf(
        "\nA phrase that matches nothing: median ms per send, window and engine interleaved; "
        "RSS in kB, the peak %s\n",
        peakResettable ? "reset before each run" : "since the process started");
    std::printf("%8s %10s %10s %7s %9s %10s %8s %8s %8s\n", "size", "window ms", "engine ms",
                "ratio", "cpu ratio", "alone ms", "RSS", "peak", "alone pk");
    for (const int size : kSizes) {
        const auto window = outcomes.find({Impl::kWindow, size});
        if (window == outcomes.end()) {
            continue;
        }
        const Outcome& w = window->second;
        const auto alone = outcomes.find({Impl::kEngine, size});
        const Outcome e = alone == outcomes.end() ? Outcome{} : alone->second;
        std::printf("%8d %10.2f %10.2f %7.3f %9.3f %10.2f %8ld %8ld %8ld\n", size, w.windowMs,
                    w.engineMs, w.windowMs / w.engineMs, w.cpuRatio, e.engineMs, w.start.rssKb,
                    w.end.peakKb, e.end.peakKb);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The window is timed painting into memory, the same on any machine.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    // A modal box would stop the run; a recorded one fails the benchmark instead.
    tumbo::SetMessageBoxHandler(
        [](QWidget*, const tumbo::MessageBoxRequest& request) { boxes.push_back(request); });
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    setup.Clear();
    PrintSummary();
    for (const tumbo::MessageBoxRequest& box : boxes) {
        std::fprintf(stderr, "box: %s\n", box.text.toStdString().c_str());
    }
    return 0;
}
