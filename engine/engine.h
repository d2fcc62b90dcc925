#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/answer.h"
#include "engine/conversation.h"
#include "engine/lesson.h"
#include "engine/lesson_draft.h"
#include "engine/options.h"
#include "engine/random_choice.h"
#include "engine/reply_search.h"
#include "platform/clock.h"
#include "platform/file_calls.h"
#include "platform/line_reader.h"

namespace tumbo {

// A lesson stored as a new dialogue, or what kept it from being stored.
struct Learnt {
    // Not kNone: nothing was stored, and the lesson is as it was.
    LessonGap gap = LessonGap::kNone;
    std::int64_t number = 0;
    // The dialogue is learnt, but the raised count could not be saved.
    std::exception_ptr optionsNotSaved;
};

// The program's knowledge and memory: where the data lives, the options, and the state
// of the conversation. It takes a phrase and returns an answer, and takes a lesson and
// stores it; what is shown, and how, is the window's. One instance lives as long as the
// window that owns it.
class Engine {
public:
    explicit Engine(Clock& clock, FileCalls& calls = SystemFileCalls());

    // Data files.
    void SetProgramDir(std::string programDir) { programDir_ = std::move(programDir); }
    const std::string& ProgramDir() const { return programDir_; }
    // Binds the option file, path list and scratch dialogue to ProgramDir + their names.
    void BindFiles();
    // Removes what a crash left of the program's own writes under `programDir`: new
    // versions of its files (opt.tmb.tmp-*) and new dialogues (dlg/N.dlg.tmp). Only for
    // the holder of the base's lock; never throws.
    static void RemoveStaleTemporaries(const std::string& programDir,
                                       FileCalls& calls = SystemFileCalls());
    // A file that is there but cannot be read leaves the options as they were, and its
    // bytes are kept as opt.tmb.bak by the next save, before anything replaces them. A
    // bad line (a number that is none, a name too long, which is cut) is kept so too, and
    // thrown after the other lines are taken.
    const TOptions& LoadOptions();
    // The same, giving the bad line's failure in `problem` instead of throwing it.
    const TOptions& LoadOptions(std::exception_ptr& problem);
    // Saves the name, the transparency and the opacity of `settings` with the number of
    // dialogues the path list names, then loads the file again. Every save of the option
    // file stores that number.
    const TOptions& SaveOptions(const TOptions& settings);
    const TOptions& Options() const { return options_; }
    // Sets a stored count that differs from the path list's entries from them, as a crash
    // between the two renames of a lesson or a forget leaves it; an option file with a bad
    // line keeps its bytes. True when the file was rewritten. Throws TumboError.
    bool HealStoredCount();

    // The answer to a typed phrase. A failure of the search is in the answer, after the
    // lines that were said before it.
    Answer Reply(std::string_view typed, const ReplySearch::Progress& progress = {});
    const std::string& CurrentDialogue() const { return conversation_.CurrentDialogue; }
    bool AnswerFound() const { return conversation_.AnswerFound; }
    // After a miss, the dialogue the tolerant tiers of the next phrase still try first.
    const std::string& KeptDialogue() const { return conversation_.KeptDialogue; }
    // How the last answered phrase was matched.
    ReplySearch::Tier MatchedBy() const { return search_.FoundBy(); }
    const ReplySearch::Match& LastMatch() const { return search_.LastMatch(); }
    // What the search keeps of the base between phrases, in bytes, roughly.
    std::size_t SearchMemoryBytes() const { return search_.KeptBytes(); }

    // Teaching, step by step as the teaching panel's buttons take it. The scratch
    // dialogue is started afresh when the panel opens.
    void StartLesson();
    void ExtendLesson(const LessonFields& fields);
    void NextLessonTurn(const LessonFields& fields);
    // Finishes the lesson and learns it, unless it lacks a trigger or a reply. A failure before the
    // path list names the new dialogue leaves the lesson and the scratch dialogue as they were.
    Learnt ConfirmLesson(const LessonFields& fields);
    void LeaveLesson();
    // True while the scratch dialogue is open for the teaching panel.
    bool ScratchOpen() const { return draft_.ScratchOpen(); }
    LessonPlace LessonPlaceNow() const { return draft_.Place(); }

    // Stores a lesson as the dialogue after the path list's last one, names it at the end
    // of the path list and raises the count. Throws when nothing was learnt.
    Learnt Learn(const Lesson& lesson);
    // The number of the newest dialogue Learn stored in this run that is still in the base.
    std::optional<std::int64_t> NewestLesson() const;
    // Called after each dialogue Learn stores; it must not throw.
    void OnLearnt(std::function<void()> observer) { onLearnt_ = std::move(observer); }

    // The base no longer lists `entry`: the conversation leaves it, it is no lesson of this
    // run any more, and the count is lowered and saved. Returns the failure of that save.
    std::exception_ptr Forgotten(const std::string& entry);

private:
    // Stores the path list's number of entries, `entries` when it was just counted, in
    // `options` and writes them.
    void WriteOptionFile(TOptions& options, std::optional<std::size_t> entries = std::nullopt);
    struct PathListTally {
        std::optional<std::string> last;
        std::size_t entries = 0;
    };
    PathListTally TallyPathList();
    void KeepUnreadableOptionFile();
    void TakeReply(Answer& answer);

    Clock& clock_;
    FileCalls& calls_;

    std::string programDir_;
    TOptions options_;
    std::string optionPath_;
    std::string pathListPath_;
    LineReader reader_;
    bool optionFileUnreadable_ = false;

    Conversation conversation_;
    ReplySearch search_;
    RandomChoice random_;
    LessonDraft draft_;
    std::vector<std::int64_t> lessons_;
    std::function<void()> onLearnt_;
};

}  // namespace tumbo
