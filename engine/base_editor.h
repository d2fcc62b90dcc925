#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/dialogue_reader.h"
#include "engine/engine.h"
#include "engine/session.h"
#include "platform/errors.h"
#include "platform/file_calls.h"
#include "platform/line_reader.h"

namespace tumbo {

// A dialogue's text that cannot be stored as it is; the message says why in Russian
// (code page 1251) and names the line, counted from 1 in the text as given.
class DialogueTextError : public TumboError {
public:
    DialogueTextError(std::size_t line, const std::string& message);
    std::size_t line() const { return line_; }

private:
    std::size_t line_;
};

// The lines of a dialogue file made from edited text (tags kept, no "#END"): blank lines
// dropped, triggers lower-cased by the program's rule, "#END" added. Throws
// DialogueTextError when a reply comes before any trigger, the last turn has no reply, a
// line has neither tag, a trigger or reply is empty, a line is "#END" or longer than a
// reader of the base takes.
std::vector<std::string> DialogueFileLines(const std::vector<std::string>& text);

// The openers forgotten so far, in the order they were forgotten, up to the file's end mark;
// none when the file is not there. `textAfterMark`, when given, says whether more than
// blanks follows the mark. Throws InOutError.
std::vector<std::string> ReadForgottenOpeners(const std::string& programDir,
                                              FileCalls& calls = SystemFileCalls(),
                                              bool* textAfterMark = nullptr);

// What the base window does to the engine's base: lists, reads, saves and forgets
// dialogues. It writes only under the base's lock the program holds, and every change
// is read by the search from the next phrase on.
class BaseEditor {
public:
    explicit BaseEditor(Engine& engine, FileCalls& calls = SystemFileCalls());

    // Every dialogue in path-list order. Throws InOutError when the path list cannot be read.
    std::vector<DialogueSummary> List();
    // The dialogue's lines, tags kept, without the final "#END".
    std::vector<std::string> ReadText(const std::string& entry);
    // Replaces the dialogue's file by the one DialogueFileLines makes of `text`: the old
    // file stays whole until the new one is complete on the disk.
    void Save(const std::string& entry, const std::vector<std::string>& text);
    // Takes the dialogue out of the base: its openers are recorded as forgotten, the path
    // list is rewritten whole without it, the count lowered and its file moved to the
    // forgotten folder. Throws the first failure, after doing what could still be done
    // once the path list no longer names it.
    void Forget(const std::string& entry);
    // The bundled base a missing dialogue's openers may be read from; empty for none.
    void SetBundled(std::string folder) { bundled_ = std::move(folder); }
    // Finishes the forgets a crash interrupted after the path list lost their line: each
    // unlisted dlg/N.dlg whose openers are all on record as forgotten is moved aside. Only
    // for the holder of the lock. Returns how many were moved; throws TumboError.
    int FinishForgets();
    // The path-list entry of the newest lesson of this run still in the base.
    std::optional<std::string> NewestLesson() const;

private:
    std::vector<std::string> ReadPathList();
    void RewriteLines(const std::string& path, const std::vector<std::string>& lines);
    void RecordForgotten(const std::vector<std::string>& openers);
    void MoveAside(const std::string& entry);
    std::optional<std::vector<std::string>> BundledOpeners(const std::string& entry);
    std::string PathOf(std::string_view name) const;

    Engine& engine_;
    FileCalls& calls_;
    LineReader file_;
    DialogueReader reader_;
    std::string bundled_;
};

}  // namespace tumbo
