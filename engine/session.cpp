#include "engine/session.h"

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <exception>
#include <functional>
#include <thread>

#include "engine/base_format.h"
#include "engine/base_install.h"
#include "engine/base_merge.h"
#include "engine/chat_lines.h"
#include "engine/merge_notes.h"
#include "engine/session_impl.h"
#include "engine/utf8_text.h"

namespace tumbo {

namespace {

// How long a first start waits for another one that is installing the base.
constexpr auto kInstallPatience = std::chrono::minutes(2);
constexpr auto kInstallPoll = std::chrono::milliseconds(100);

std::optional<Failure> FailureOf(const std::exception_ptr& failure) {
    if (!failure) {
        return std::nullopt;
    }
    try {
        std::rethrow_exception(failure);
    } catch (const TumboError& error) {
        return Failure::Of(error);
    }
}

void Install(const std::string& bundled, const std::string& folder, FileCalls& calls,
             const InstallProgress& progress, Opened& opened) {
    const auto deadline = std::chrono::steady_clock::now() + kInstallPatience;
    try {
        InstallResult result = InstallBundledBase(bundled, folder, calls, progress);
        while (result == InstallResult::kInstalling &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kInstallPoll);
            result = InstallBundledBase(bundled, folder, calls, progress);
        }
        if (result == InstallResult::kInstalled) {
            opened.notes.push_back("first start: the dialogue base is installed in " + folder);
        } else if (result == InstallResult::kInstalling) {
            opened.warnings.push_back(
                {"another start is still installing the base in " + folder, {}, {}, 0});
        }
    } catch (const TumboError& error) {
        opened.warnings.push_back(
            Failure::Of(error, "cannot install the dialogue base in " + folder));
    }
}

void Merge(const std::string& bundled, const std::string& folder, FileCalls& calls,
           Opened& opened) {
    MergeNotes notes(base_format::FolderPrefix(folder));
    MergeCounts counts;
    const int status = MergeBundledDialogues(bundled, folder, notes, counts, calls);
    opened.notes.insert(opened.notes.end(), notes.added.begin(), notes.added.end());
    opened.warnings.insert(opened.warnings.end(), notes.failures.begin(), notes.failures.end());
    if (status != merge_status::kDone) {
        opened.mergeFailed = true;
        opened.warnings.push_back({"not every new dialogue could be added to " + folder +
                                       "; Tumbo starts with the base as it is and tries again "
                                       "at the next start",
                                   {},
                                   {},
                                   0});
        return;
    }
    RecordBundledVersion(bundled, folder, calls);
    std::string note = "the base in " + folder + " is up to date (" + std::to_string(counts.added) +
                       " new dialogue(s) added";
    if (counts.words > 0) {
        note += ", " + std::to_string(counts.words) + " line(s) added to words.tmb";
    }
    if (counts.concepts > 0) {
        note += ", " + std::to_string(counts.concepts) + " line(s) added to concepts.tmb";
    }
    opened.notes.push_back(note + ")");
}

void Update(const std::string& folder, const OpenSettings& settings, FileCalls& calls,
            Opened& opened) {
    try {
        if (const int completed = RepairBase(settings.bundled, folder, calls); completed > 0) {
            opened.notes.push_back("completed " + std::to_string(completed) +
                                   " half-copied file(s) of the base in " + folder);
        }
        if (settings.updates && !BundledVersionRecorded(settings.bundled, folder, calls)) {
            Merge(settings.bundled, folder, calls, opened);
        }
    } catch (const TumboError& error) {
        opened.warnings.push_back(
            Failure::Of(error, "cannot bring the base in " + folder +
                                   " up to date; it is tried again at the next start"));
    }
}

// Takes the folder's lock. False when the session may not be had.
bool Lock(const std::string& folder, FileCalls& calls, Session::Impl& impl, Opened& opened) {
    try {
        impl.lock = BaseLock::TryAcquire(folder, calls);
        opened.heldElsewhere = impl.lock == nullptr;
        return !opened.heldElsewhere;
    } catch (const TumboError& error) {
        struct stat info {};
        // Nothing is there to protect: reading the base reports what is missing.
        if (calls.Lstat(folder.c_str(), &info) != 0) {
            return true;
        }
        opened.refused = Failure::Of(error, "lock the data folder " + folder);
        return false;
    }
}

// Finishes what a crash left half done: a forget whose file is still in dlg/, then a
// stored count that the path list no longer bears out. Each is tried on its own.
void Heal(const std::string& folder, Session::Impl& impl, Opened& opened) {
    const std::string shown = folder.empty() ? "." : folder;
    const auto attempt = [&](const std::function<bool()>& step, const std::string& note) {
        try {
            if (step()) {
                opened.notes.push_back(note);
            }
        } catch (const TumboError& error) {
            // Missing files are for the reading that follows to report.
            const auto* inOut = dynamic_cast<const InOutError*>(&error);
            if (inOut == nullptr || inOut->code() != io_code::kFileNotFound) {
                opened.warnings.push_back(
                    Failure::Of(error, "cannot finish what a crash left half done in " + shown));
            }
        }
    };
    attempt([&] { return impl.editor.FinishForgets() > 0; },
            "finished forgetting what a crash interrupted in " + shown);
    attempt([&] { return impl.engine.HealStoredCount(); },
            "the dialogue count in " + shown + " is set from the path list again");
}

}  // namespace

Failure Failure::Of(const TumboError& error, std::string context) {
    const auto* inOut = dynamic_cast<const InOutError*>(&error);
    return {std::move(context), error.what(), error.details(), inOut ? inOut->code() : 0};
}

std::string Failure::Printed(std::string_view program) const {
    std::string printed = std::string(program);
    for (const std::string& part : {context, Utf8FromCp1251(message)}) {
        if (!part.empty()) {
            printed += ": " + part;
        }
    }
    printed += '\n';
    std::string_view rest = details;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        printed += "  " + std::string(rest.substr(0, end)) + '\n';
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return printed;
}

Session::Session(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Session::~Session() = default;

Opened Session::Open(const std::string& folderAsGiven, const OpenSettings& settings) {
    std::string folder = folderAsGiven;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    Opened opened;
    FileCalls& calls = settings.calls != nullptr ? *settings.calls : SystemFileCalls();
    std::unique_ptr<Clock> ownClock;
    if (settings.clock == nullptr) {
        ownClock = std::make_unique<SystemClock>();
    }
    Clock& clock = settings.clock != nullptr ? *settings.clock : *ownClock;
    auto impl = std::make_unique<Impl>(clock, calls, std::move(ownClock));
    impl->readOnly = settings.readOnly;
    const std::string lockFolder = folder.empty() ? "." : folder;
    const bool bundled = !settings.bundled.empty() && !folder.empty();
    if (!settings.readOnly) {
        if (bundled) {
            Install(settings.bundled, folder, calls, settings.installProgress, opened);
        }
        if (!Lock(lockFolder, calls, *impl, opened)) {
            return opened;
        }
        if (impl->lock != nullptr) {
            Engine::RemoveStaleTemporaries(lockFolder + "/", calls);
            if (bundled) {
                Update(folder, settings, calls, opened);
            }
        }
    }
    impl->engine.SetProgramDir(folder.empty() ? std::string() : folder + "/");
    impl->engine.BindFiles();
    if (bundled) {
        impl->editor.SetBundled(settings.bundled);
    }
    if (impl->lock != nullptr) {
        Heal(folder, *impl, opened);
    }
    opened.session.reset(new Session(std::move(impl)));
    opened.badOptions = opened.session->ReloadOptions().failure;
    return opened;
}

Turn Session::Say(std::string_view typed, const Progress& progress) {
    impl_->lastAnswer = {};
    Answer answer = impl_->engine.Reply(typed, progress);
    Turn turn;
    turn.lines = std::move(answer.lines);
    turn.phrase = std::move(answer.phrase);
    if (answer.failure) {
        turn.failure = FailureOf(answer.failure);
        return turn;
    }
    if (answer.teach) {
        if (!impl_->readOnly) {
            turn.failure = Impl::Try([this] { impl_->engine.StartLesson(); });
            if (turn.failure) {
                return turn;
            }
            turn.state = SessionState::kTeaching;
        }
        turn.lines.push_back(chat_lines::kNoAnswer);
    }
    turn.answered = !answer.teach && !turn.phrase.empty();
    if (turn.answered) {
        const ReplySearch::Match& match = impl_->engine.LastMatch();
        impl_->lastAnswer = {
            turn.phrase, match.tier == ReplySearch::Tier::kExact && match.wholePhrase, match.entry};
    }
    if (answer.closeAfterPause) {
        turn.state = SessionState::kClosing;
    }
    turn.failure = FailureOf(answer.skipped);
    return turn;
}

namespace {

Turn StillTeaching(std::optional<Failure> failure) {
    Turn turn;
    turn.state = SessionState::kTeaching;
    turn.failure = std::move(failure);
    return turn;
}

}  // namespace

Turn Session::Extend(const LessonFields& fields) {
    return StillTeaching(Impl::Try([&] { impl_->engine.ExtendLesson(fields); }));
}

Turn Session::NextPhrase(const LessonFields& fields) {
    return StillTeaching(Impl::Try([&] { impl_->engine.NextLessonTurn(fields); }));
}

Turn Session::Confirm(const LessonFields& fields) {
    Learnt learnt;
    if (auto failure = Impl::Try([&] { learnt = impl_->engine.ConfirmLesson(fields); })) {
        return StillTeaching(std::move(failure));
    }
    if (learnt.gap != LessonGap::kNone) {
        Turn turn = StillTeaching(std::nullopt);
        turn.missing = learnt.gap;
        return turn;
    }
    // The phrase now has the answer just taught.
    impl_->lastAnswer = {};
    Turn turn;
    turn.lines.push_back(chat_lines::kLearnt);
    turn.failure = FailureOf(learnt.optionsNotSaved);
    return turn;
}

Turn Session::Leave() {
    Turn turn;
    turn.lines.push_back(chat_lines::kNotTaught);
    turn.failure = Impl::Try([this] { impl_->engine.LeaveLesson(); });
    if (turn.failure) {
        turn.state = SessionState::kTeaching;
    }
    return turn;
}

bool Session::Teaching() const {
    return impl_->engine.ScratchOpen();
}

Turn Session::TeachAnew() {
    Turn turn;
    if (impl_->readOnly || impl_->lastAnswer.phrase.empty() || Teaching()) {
        return turn;
    }
    turn.phrase = impl_->lastAnswer.phrase;
    turn.failure = Impl::Try([this] { impl_->engine.StartLesson(); });
    if (!turn.failure) {
        turn.state = SessionState::kTeaching;
    }
    return turn;
}

AnsweredPhrase Session::LastAnswer() const {
    return impl_->lastAnswer;
}

LessonPlace Session::TeachingPlace() const {
    return impl_->engine.LessonPlaceNow();
}

const TOptions& Session::Options() const {
    return impl_->engine.Options();
}

Outcome<bool> Session::ReloadOptions() {
    std::exception_ptr badLine;
    if (auto failure = Impl::Try([&] { impl_->engine.LoadOptions(badLine); })) {
        return {false, std::move(failure)};
    }
    return {true, FailureOf(badLine)};
}

std::optional<Failure> Session::SaveOptions(const TOptions& settings) {
    return Impl::Try([&] { impl_->engine.SaveOptions(settings); });
}

int Session::Watch(std::function<void()> observer) {
    return impl_->Watch(std::move(observer));
}

void Session::Unwatch(int id) {
    impl_->Unwatch(id);
}

const std::string& Session::ProgramDir() const {
    return impl_->engine.ProgramDir();
}

const std::string& Session::CurrentDialogue() const {
    return impl_->engine.CurrentDialogue();
}

std::size_t Session::SearchMemoryBytes() const {
    return impl_->engine.SearchMemoryBytes();
}

namespace {

std::string_view TierName(ReplySearch::Tier tier) {
    switch (tier) {
        case ReplySearch::Tier::kExact:
            return "exact";
        case ReplySearch::Tier::kFolded:
            return "folded";
        case ReplySearch::Tier::kOneTypo:
            return "one typo";
        case ReplySearch::Tier::kSameWords:
            return "same words";
        case ReplySearch::Tier::kPattern:
            return "pattern";
        case ReplySearch::Tier::kAnyOrder:
            return "any order";
        case ReplySearch::Tier::kClosestMeaning:
            return "closest meaning";
        case ReplySearch::Tier::kCatchAll:
            return "the dialogue's * turn";
        case ReplySearch::Tier::kGeneralHelp:
            return "general help";
    }
    return "?";
}

}  // namespace

std::string Session::ExplainLastMatch() const {
    const ReplySearch::Match& match = impl_->engine.LastMatch();
    std::string said = "matched: " + std::string(TierName(match.tier));
    if (match.tier == ReplySearch::Tier::kClosestMeaning) {
        said += " (" + std::to_string(std::lround(match.shared * 100)) + "% shared)";
    }
    said += ", " + match.entry + " line " + std::to_string(match.line) + ", " +
            (match.wholePhrase ? "whole phrase" : "part") + " \"" + Utf8FromCp1251(match.part) +
            "\", words:";
    for (const std::string& word : match.words) {
        said += ' ' + word;
    }
    for (const std::string& met : match.concepts) {
        said += "; " + met;
    }
    if (match.urgent) {
        said += "; urgent";
    }
    if (match.held >= 0 && match.held < ReplySearch::kHeldPhrases) {
        said += "; help holds the chat (phrase " + std::to_string(match.held + 1) + " of " +
                std::to_string(ReplySearch::kHeldPhrases) + " after it answered)";
    } else if (match.held >= 0) {
        said += "; said after help, which a phrase answered word for word elsewhere may leave";
    }
    for (const std::string& sign : match.dangerSigns) {
        said += "; danger sign " + sign;
    }
    if (match.safetyNet) {
        said += "; nothing urgent met it, so the general help answers";
    }
    return said;
}

}  // namespace tumbo
