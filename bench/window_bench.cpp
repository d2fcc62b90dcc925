// Times a phrase that matches nothing, sent through TForm1 as the user's Enter sends it,
// against a plain POSIX loop that opens, reads and closes the same files (and truncates
// the scratch dialogue, as the teaching panel's opening does), both walking the same
// generated base in this one process. The engine alone, with no window, is paired with
// the same loop, so the two ratios show what the window adds. The phrase is search_bench's
// three clauses that no tier answers. The window keeps its engine, and so does the engine
// alone; each is sent the phrase before the timed sends, so both are timed in the steady
// state, with what the search keeps of the base already kept.
//
// Time: as in search_bench, each iteration runs one send and one plain search in
// alternating order, so drifting load hits both alike, and the ratio is that of their
// medians. The time reported is the send's; the CPU column counts both.
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

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTreeView>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/tform1.h"
#include "bench/base_generator.h"
#include "bench/bench_support.h"
#include "bench/paired_runs.h"
#include "bench/plain_search.h"
#include "engine/engine.h"
#include "engine/session.h"
#include "platform/qt/codepage.h"
#include "platform/qt/message_box.h"
#include "ui/knowledge_window.h"
#include "ui/tframe2.h"
#include "ui/tframe6.h"

namespace {

namespace bench = tumbo::bench;
using tumbo::Opened;
using tumbo::OpenSettings;
using tumbo::Session;
using tumbo::TForm1;

using bench::kMinSeconds;
using bench::kSizes;
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

std::vector<tumbo::MessageBoxRequest> boxes;
// The program's own clock: the window may pace what it shows by it.
tumbo::SystemClock windowClock;

// The one window and the one engine alone, reading the one base kept.
class Setup {
public:
    const std::string& Prefix() const { return base_.Prefix(); }
    TForm1& Form() { return *form_; }
    bench::KeptEngine& EngineAlone() { return *engine_; }

    void For(int size) {
        if (form_ != nullptr && base_.Shape().dialogueCount == size) {
            return;
        }
        form_.reset();
        engine_.reset();
        opened_ = {};
        base_.Use(size);
        engine_ = std::make_unique<bench::KeptEngine>(base_.Prefix());
        OpenSettings settings;
        settings.clock = &windowClock;
        opened_ =
            Session::Open(std::filesystem::path(base_.Prefix()).parent_path().string(), settings);
        form_ = std::make_unique<TForm1>(*opened_.session, windowClock);
        form_->show();
        form_->StartLoading();
        while (!form_->Frame61->isHidden()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        QCoreApplication::processEvents();
    }
    // Drops the base, which a benchmark changed.
    void Forget() { Clear(); }
    void Clear() {
        form_.reset();
        engine_.reset();
        opened_ = {};
        base_.Clear();
    }

private:
    bench::BaseCache base_;
    Opened opened_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<bench::KeptEngine> engine_;
};

Setup setup;

bench::PeakMeter peakMeter;

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
           form.Frame21->isVisible() &&
           form.Memo1->document()->lastBlock().text() ==
               QString::fromUtf8("Tumbo:не знаю ответа") &&
           boxes.size() == boxesBefore;
}

// What the last run of a benchmark measured: the window's times, where it ran, against the
// engine's.
std::map<Key, bench::Outcome> outcomes;

void RunSearch(benchmark::State& state, Key key) {
    const std::string phrase = bench::UnmatchedPhrase();
    const QString typed = tumbo::DecodeCp1251(phrase);
    long sends = 0;
    bench::EngineResult engineCheck;
    bool windowChecked = false;
    try {
        setup.For(key.size);
        // Untimed searches check that both walk the whole base, and warm the caches.
        engineCheck = setup.EngineAlone().Search(phrase);
        windowChecked = WindowMissesAll(setup.Form(), typed, sends, key.size);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    if (engineCheck.found || engineCheck.files != key.size || engineCheck.teachPanels != 1 ||
        !setup.EngineAlone().OutOfContext() || !windowChecked) {
        state.SkipWithError("a search did not walk the base as expected");
        return;
    }
    TForm1& form = setup.Form();
    bench::KeptEngine& engine = setup.EngineAlone();
    const auto engineSearch = [&] {
        bench::EngineResult result = engine.Search(phrase);
        benchmark::DoNotOptimize(result);
    };
    const auto plainSearch = [&] {
        bench::PlainResult result =
            bench::PlainSearch(setup.Prefix(), phrase, key.impl == Impl::kWindow);
        benchmark::DoNotOptimize(result);
    };
    const auto windowSend = [&] { WindowSend(form); };

    const bench::Memory start = peakMeter.Start();
    bench::Outcome& outcome = outcomes[key];
    if (key.impl == Impl::kEngine) {
        outcome.medians = bench::RunPaired(state, engineSearch, plainSearch);
        outcome.keptBytes = engine.SearchMemoryBytes();
    } else {
        outcome.medians = bench::RunPaired(state, windowSend, plainSearch,
                                           [&] { PrepareSend(form, typed, sends); });
        outcome.keptBytes = form.session().SearchMemoryBytes();
    }
    const bench::Memory end = bench::ReadMemory();
    outcome.start = start;
    outcome.end = end;
    state.counters["plain_ms"] = outcome.medians.otherMs;
    state.counters["kept_kB"] = static_cast<double>(outcome.keptBytes) / 1024;
    bench::SetRatioCounters(state, outcome.medians);
    bench::SetMemoryCounters(state, start, end);
    if (!boxes.empty()) {
        state.SkipWithError("the window showed an error box");
    }
}

// The base window («База»): the time from the user's action until the window has handled
// it and painted, on the chat's base. Open starts from a closed window, whose list is gone;
// "loaded ms" is the time until every dialogue's file has been read, and "pause ms" the
// longest the event loop was held meanwhile (the chat answers between two reads). Memory is
// the RSS once loaded and once closed, above that of the chat alone before the window
// first opened.
enum class WindowStep { kOpen, kSearch, kSort, kForget };

constexpr std::array<const char*, 4> kStepNames{"Open", "Search", "Sort", "Forget"};

struct StepOutcome {
    double medianMs = 0;
    double loadedMs = 0;
    double pauseMs = 0;
    // A forget's share that is the session's alone, the window not told.
    double sessionMs = 0;
    long chatKb = 0;
    long openKb = 0;
    long closedKb = 0;
};
std::map<std::pair<int, int>, StepOutcome> stepOutcomes;
long chatAloneKb = 0;

// Opens the window and turns the event loop until every row is read; returns the longest
// turn.
double OpenAndLoad(TForm1& form, double& loadedMs) {
    const double start = bench::WallMs();
    form.N6->trigger();
    QCoreApplication::processEvents();
    double pause = 0;
    while (!form.knowledgeWindow()->Loaded()) {
        const double before = bench::WallMs();
        QCoreApplication::processEvents();
        pause = std::max(pause, bench::WallMs() - before);
    }
    loadedMs = bench::WallMs() - start;
    return pause;
}

void RunBaseWindow(benchmark::State& state, WindowStep step, int size) {
    try {
        setup.For(size);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    TForm1& form = setup.Form();
    if (chatAloneKb == 0 || form.knowledgeWindow() == nullptr) {
        QCoreApplication::processEvents();
        chatAloneKb = bench::ReadMemory().rssKb;
    }
    StepOutcome& outcome = stepOutcomes[{static_cast<int>(step), size}];
    outcome.chatKb = chatAloneKb;
    if (form.knowledgeWindow() != nullptr) {
        form.knowledgeWindow()->close();
        QCoreApplication::processEvents();
    }
    outcome.pauseMs = OpenAndLoad(form, outcome.loadedMs);
    outcome.openKb = bench::ReadMemory().rssKb;
    tumbo::KnowledgeWindow& window = *form.knowledgeWindow();
    const auto previous = tumbo::SetQuestionHandler([](QWidget*, const auto&) { return true; });
    std::vector<double> times;
    for (auto _ : state) {
        switch (step) {
            case WindowStep::kOpen:
                window.close();
                QCoreApplication::processEvents();
                break;
            case WindowStep::kSearch:
                window.SearchField->clear();
                QCoreApplication::processEvents();
                break;
            case WindowStep::kSort:
                break;
            case WindowStep::kForget:
                window.DialogueList->setCurrentIndex(
                    window.DialogueList->model()->index(size / 2, 1));
                QCoreApplication::processEvents();
                break;
        }
        const double start = bench::WallMs();
        switch (step) {
            case WindowStep::kOpen:
                form.N6->trigger();
                break;
            case WindowStep::kSearch:
                // The first key of a search.
                window.SearchField->setText("a");
                break;
            case WindowStep::kSort:
                window.NewestFirst->toggle();
                break;
            case WindowStep::kForget:
                window.ForgetButtonClick();
                break;
        }
        QCoreApplication::processEvents();
        const double ms = bench::WallMs() - start;
        times.push_back(ms);
        state.SetIterationTime(ms / 1000);
        if (step == WindowStep::kOpen) {
            // What the next opening finds: the rest read.
            while (!window.Loaded()) {
                QCoreApplication::processEvents();
            }
        }
    }
    if (step == WindowStep::kForget) {
        // The same forget of the session alone, on dialogues near the end of the list.
        std::vector<double> alone;
        for (int i = 1; i <= 5; ++i) {
            const std::string entry = "dlg\\" + std::to_string(size - i) + ".dlg";
            window.close();
            const double start = bench::WallMs();
            const auto failure = form.session().Forget(entry);
            alone.push_back(bench::WallMs() - start);
            if (failure) {
                state.SkipWithError(failure->details.c_str());
            }
        }
        std::sort(alone.begin(), alone.end());
        outcome.sessionMs = alone[alone.size() / 2];
        state.counters["session_ms"] = outcome.sessionMs;
    }
    tumbo::SetQuestionHandler(previous);
    window.SearchField->clear();
    window.close();
    QCoreApplication::processEvents();
    outcome.closedKb = bench::ReadMemory().rssKb;
    std::sort(times.begin(), times.end());
    outcome.medianMs = times.empty() ? 0 : times[times.size() / 2];
    state.counters["loaded_ms"] = outcome.loadedMs;
    state.counters["pause_ms"] = outcome.pauseMs;
    state.counters["open_MB"] = static_cast<double>(outcome.openKb - outcome.chatKb) / 1024;
    state.counters["closed_MB"] = static_cast<double>(outcome.closedKb - outcome.chatKb) / 1024;
    if (!boxes.empty()) {
        state.SkipWithError("the window showed an error box");
    }
    if (step == WindowStep::kForget) {
        // The base is no longer the generated one.
        setup.Forget();
        chatAloneKb = 0;
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
        for (const WindowStep step :
             {WindowStep::kOpen, WindowStep::kSearch, WindowStep::kSort, WindowStep::kForget}) {
            const std::string name = std::string("BaseWindow/") +
                                     kStepNames[static_cast<std::size_t>(step)] + "/" +
                                     std::to_string(size);
            benchmark::RegisterBenchmark(
                name.c_str(),
                [step, size](benchmark::State& state) { RunBaseWindow(state, step, size); })
                ->Unit(benchmark::kMillisecond)
                ->MinTime(step == WindowStep::kForget ? 0.5 : 1.0)
                ->UseManualTime();
        }
    }
}

void PrintWindowSummary() {
    if (stepOutcomes.empty()) {
        return;
    }
    std::printf(
        "\nThe base window: median ms from the action to the painted window; the list read "
        "whole after loaded ms, the event loop held at most pause ms meanwhile; MB of RSS "
        "above the chat's own, open and after closing\n");
    std::printf("%-7s %8s %9s %10s %9s %8s %9s\n", "step", "size", "ms", "loaded ms", "pause ms",
                "open MB", "closed MB");
    for (const auto& [key, o] : stepOutcomes) {
        std::printf("%-7s %8d %9.2f %10.1f %9.1f %8.1f %9.1f %11.2f\n",
                    kStepNames[static_cast<std::size_t>(key.first)], key.second, o.medianMs,
                    o.loadedMs, o.pauseMs, static_cast<double>(o.openKb - o.chatKb) / 1024,
                    static_cast<double>(o.closedKb - o.chatKb) / 1024, o.sessionMs);
    }
}

void PrintSummary() {
    PrintWindowSummary();
    if (outcomes.empty()) {
        return;
    }
    std::printf(
        "\nA phrase that matches nothing: median ms per send, each interleaved with the plain "
        "loop; kept kB as the engine counts it; RSS in kB, the peak %s\n",
        peakMeter.Since());
    std::printf("%-7s %8s %9s %9s %7s %9s %9s %8s %8s\n", "send", "size", "send ms", "plain ms",
                "ratio", "cpu ratio", "kept kB", "RSS", "peak");
    for (const Impl impl : {Impl::kWindow, Impl::kEngine}) {
        for (const int size : kSizes) {
            const auto found = outcomes.find({impl, size});
            if (found == outcomes.end()) {
                continue;
            }
            const bench::Outcome& o = found->second;
            std::printf("%-7s %8d %9.2f %9.2f %7.3f %9.3f %9zu %8ld %8ld\n",
                        impl == Impl::kWindow ? "window" : "engine", size, o.medians.measuredMs,
                        o.medians.otherMs, o.medians.measuredMs / o.medians.otherMs,
                        o.medians.cpuRatio, o.keptBytes / 1024, o.start.rssKb, o.end.peakKb);
        }
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
    if (!bench::RunRegistered(argc, argv)) {
        return 1;
    }
    setup.Clear();
    PrintSummary();
    for (const tumbo::MessageBoxRequest& box : boxes) {
        std::fprintf(stderr, "box: %s\n", box.text.toStdString().c_str());
    }
    return 0;
}
