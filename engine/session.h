#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/lesson.h"
#include "engine/options.h"

namespace tumbo {

class Clock;
class FileCalls;
class TumboError;

// A failure as a value. Texts: `message` code page 1251 (the error box's text), `context`
// and `details` UTF-8 (what was being done; the operation, file and system's words).
struct Failure {
    std::string context;
    std::string message;
    std::string details;
    // The file error's code (which picks the box's text), 0 for other failures.
    int code = 0;

    static Failure Of(const TumboError& error, std::string context = {});
    // "program: context: message", then the details one a line, indented; UTF-8.
    std::string Printed(std::string_view program) const;
};

// A value, or what kept it from being had.
template <typename T>
struct Outcome {
    T value{};
    std::optional<Failure> failure;
};

// What the front end does after a turn.
enum class SessionState {
    kChatting,
    // A lesson is open: its first phrase is the turn's `phrase`.
    kTeaching,
    // The last line is a farewell: the front end closes after its pause.
    kClosing,
};

// What one step of the conversation gives: the chat lines to show, in order, and the state
// that follows. Texts are code page 1251.
struct Turn {
    std::vector<std::string> lines;
    SessionState state = SessionState::kChatting;
    // The phrase as it was matched, lower case; empty when nothing was typed.
    std::string phrase;
    // The base answered the phrase.
    bool answered = false;
    // A lesson that was not learnt: what it lacks. The lesson stays open.
    LessonGap missing = LessonGap::kNone;
    // What stopped the step, after the lines said before it.
    std::optional<Failure> failure;
};

// One dialogue as the base editor lists it. Texts are untagged code page 1251.
struct DialogueSummary {
    // The path-list line, and the N of dlg\N.dlg (0 for an entry of another form).
    std::string entry;
    std::int64_t number = 0;
    std::string opener;
    std::string reply;
    // Every trigger and reply, folded, for a search.
    std::vector<std::string> folded;
    // False when the file could not be read; the texts are then empty.
    bool readable = true;
};

// One dialogue as the base window keeps it, small enough to keep 100,000 of. Texts are
// untagged code page 1251; each line is cut to kRowLineLimit bytes, so a huge line costs
// no more than a short one.
struct DialogueRow {
    static constexpr std::size_t kRowLineLimit = 200;
    enum class State : std::uint8_t { kUnread, kRead, kUnreadable };

    // The path-list line, and the N of dlg\N.dlg (0 for an entry of another form).
    std::string entry;
    std::int64_t number = 0;
    // The first trigger, the first reply, then every trigger and reply folded, one a line
    // ended by '\n', for a search.
    std::string texts;
    std::uint16_t openerSize = 0;
    std::uint16_t replySize = 0;
    State state = State::kUnread;

    std::string_view Opener() const { return std::string_view(texts).substr(0, openerSize); }
    std::string_view Reply() const { return std::string_view(texts).substr(openerSize, replySize); }
    std::string_view Folded() const {
        return std::string_view(texts).substr(std::size_t{openerSize} + replySize);
    }
};

// How a base is opened.
struct OpenSettings {
    // The bundled base to install, complete and merge from; empty for none.
    std::string bundled;
    // False keeps a new release's dialogues out (a half-copied base is still completed).
    bool updates = true;
    // Reads only: no lock, nothing installed, repaired or written, and no teaching.
    bool readOnly = false;
    // Told, from the opening thread, how many files of the bundled base a first start's
    // install has copied, of how many.
    std::function<void(int done, int total)> installProgress;
    // Replaced by tests; the system's when null.
    Clock* clock = nullptr;
    FileCalls* calls = nullptr;
};

class Session;

// The last phrase the base answered, and how. Texts are code page 1251.
struct AnsweredPhrase {
    // As it was matched, lower case; empty after a miss, a failure or an empty phrase.
    std::string phrase;
    // The whole phrase is a trigger of `entry` as it stands: no new dialogue could answer
    // it first, so a better answer is taught by editing that dialogue.
    bool exact = false;
    // The path-list entry of the dialogue that answered.
    std::string entry;
};

// What opening a base gave.
struct Opened {
    // Null when the base may not be used: `heldElsewhere` or `refused` says why.
    std::unique_ptr<Session> session;
    // Another program holds the folder's lock.
    bool heldElsewhere = false;
    // The folder is there but no lock can be had on it.
    std::optional<Failure> refused;
    // What was done, one UTF-8 line each: an install, completed files, added dialogues.
    std::vector<std::string> notes;
    // What failed without keeping the base from being used.
    std::vector<Failure> warnings;
    // The option file could not be read whole; the lines that could are used.
    std::optional<Failure> badOptions;
    // Not every new dialogue of the bundled base could be added; tried again next time.
    bool mergeFailed = false;
};

// A conversation with a base: it takes phrases and lessons and returns what to show, and
// edits the base. Only the holder of a folder's lock writes to it.
class Session {
public:
    // Opens the base in `folder` (empty for the current one): installs the bundled base
    // when there is none, takes the lock, removes what a crash left, completes a
    // half-copied base and merges a new release's dialogues, then reads the options.
    static Opened Open(const std::string& folder, const OpenSettings& settings = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    using Progress = std::function<void(int walked)>;

    // The answer to a typed phrase. A miss opens a lesson, unless the session only reads.
    Turn Say(std::string_view typed, const Progress& progress = {});

    // The open lesson's steps. "Extend" adds variants to the current turn, "NextPhrase"
    // finishes it, "Confirm" learns the lesson when nothing is missing, "Leave" drops it.
    Turn Extend(const LessonFields& fields);
    Turn NextPhrase(const LessonFields& fields);
    Turn Confirm(const LessonFields& fields);
    Turn Leave();
    bool Teaching() const;
    // Opens a lesson whose first phrase is the last answered one, so that it gets another
    // answer: the lesson's dialogue names the phrase as it is, and the exact rule finds it
    // before any tolerant one. Nothing opens (state kChatting) without such a phrase, while
    // a lesson is open, or when the session only reads.
    Turn TeachAnew();
    AnsweredPhrase LastAnswer() const;
    // Where the open lesson stands.
    LessonPlace TeachingPlace() const;

    const TOptions& Options() const;
    // Reads the option file again; the lines that could be read are used. The value is
    // false when the file could not be read at all, and the options are as they were.
    Outcome<bool> ReloadOptions();
    // Saves the name, the transparency and the opacity with the base's count.
    std::optional<Failure> SaveOptions(const TOptions& settings);

    // The base, as the base editor shows it. Every change counts from the next phrase.
    Outcome<std::vector<DialogueSummary>> List();
    // The path list's dialogues as unread rows, without reading their files.
    Outcome<std::vector<DialogueRow>> Rows();
    // Reads a row's file into it; a file that cannot be read leaves it kUnreadable.
    void ReadRow(DialogueRow& row);
    // A dialogue's lines, tags kept, without the final "#END".
    Outcome<std::vector<std::string>> ReadText(const std::string& entry);
    // Replaces a dialogue by `utf8Lines`, after checking its grammar and that code page
    // 1251 holds every character; the failure names the line at fault.
    std::optional<Failure> Save(const std::string& entry,
                                const std::vector<std::string>& utf8Lines);
    // Takes a dialogue out of the base; its file is moved aside, never deleted.
    std::optional<Failure> Forget(const std::string& entry);
    // The newest dialogue taught in this session still in the base.
    std::optional<std::string> NewestLesson() const;

    // Called after every change of the base (a lesson, a save, a forget). The id unwatches.
    int Watch(std::function<void()> observer);
    void Unwatch(int id);

    // The folder's files, as a prefix ("" or ending in "/").
    const std::string& ProgramDir() const;
    // How the last answered phrase was matched: the tier, the dialogue and line, the part
    // of the phrase that answered and its words as compared (UTF-8).
    std::string ExplainLastMatch() const;
    // The path-list entry of the dialogue the conversation is in, empty for none.
    const std::string& CurrentDialogue() const;
    std::size_t SearchMemoryBytes() const;

    class Impl;

private:
    explicit Session(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace tumbo
