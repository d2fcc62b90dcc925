#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/options.h"
#include "platform/file_calls.h"

namespace tumbo {
class LineReader;
}

namespace tumbo::base_format {

// The fixed files of a base, relative to its program directory.
inline constexpr std::string_view kOptionFile = "opt.tmb";
inline constexpr std::string_view kPathList = "path.tmb";
inline constexpr std::string_view kScratchDialogue = "temp.dlg";
inline constexpr std::string_view kDialogueFolder = "dlg";
// Forgotten dialogue files are moved here, and their openers listed in the file beside,
// one a line, so that an update never brings them back.
inline constexpr std::string_view kForgottenFolder = "dlg/forgotten";
inline constexpr std::string_view kForgottenOpeners = "forgotten.tmb";
// Word substitutions for the tolerant comparisons, one `word=replacement` a line; optional.
inline constexpr std::string_view kWordSubstitutions = "words.tmb";
// Named classes of words that triggers may use, one `@name=entry, entry` a line; optional.
inline constexpr std::string_view kConcepts = "concepts.tmb";
// Far beyond any line of words an author writes; a longer one is no substitution.
inline constexpr std::size_t kMaxWordsLineLength = 4096;
// The bundled base's version, and where a user's base records the bundled version it
// was last installed or merged from.
inline constexpr std::string_view kBundledVersion = "version";
inline constexpr std::string_view kRecordedVersion = ".bundled-version";

// The option file's lines: name, "true" or "false", opacity, dialogue count.
inline constexpr int kOptionLines = 4;
inline constexpr std::string_view kTrue = "true";
inline constexpr std::string_view kFalse = "false";

// What could be read of the option file, and what could not.
struct OptionLines {
    TOptions options;
    // The first line that could not be used as it stands (a number that is none, a name
    // longer than kMaxUserNameLength, which is cut to it); the others are used.
    std::exception_ptr problem;
};

// Reads the option file by the program's rules: the name and the window line, then the
// opacity and the count, each an integer followed by the rest of its line, in bounded
// memory. A bad number leaves its value as in `fallback`. The values are as stored: the
// opacity is not brought into range. Throws InOutError when the file cannot be read.
OptionLines ReadOptionLines(LineReader& reader, std::string_view path,
                            const TOptions& fallback = {});
// Replaces the option file at `path` whole with the record's four lines.
void WriteOptionLines(FileCalls& calls, std::string_view path, const TOptions& options);
// The stored count: the number of entries the path list holds.
void SetStoredCount(TOptions& options, std::size_t pathListEntries);

// A dialogue file's last line, and the tags of its lines.
inline constexpr std::string_view kEndLine = "#END";
inline constexpr char kTriggerTag = '$';
inline constexpr char kReplyTag = '#';

// A dialogue's first trigger may mark it: urgent (it answers whenever one of its triggers is
// met anywhere in a line, and holds the conversation), or the base's general help, which is
// urgent too and answers a line with a danger sign that nothing urgent meets. A mark is no
// phrase: it never identifies a dialogue to a merge or a forget. Code page 1251.
inline constexpr std::string_view kUrgentMark = "[\xF1\xF0\xEE\xF7\xED\xEE]";
inline constexpr std::string_view kHelpMark = "[\xEF\xEE\xEC\xEE\xF9\xFC]";
inline bool IsMark(std::string_view trigger) {
    return trigger == kUrgentMark || trigger == kHelpMark;
}
// Opens one of the base's optional files (words.tmb, concepts.tmb) with `reader`; false when
// there is no such file. Throws InOutError when it is there but cannot be opened.
bool OpenOptional(LineReader& reader, std::string_view path);

// The dialogue's openers that say which dialogue it is: all but a mark.
std::vector<std::string> IdentifyingOpeners(std::vector<std::string> openers);

// The path-list entry of dialogue `number`: "dlg\7.dlg".
std::string DialogueEntry(std::int64_t number);

// The number in a path-list entry as the program reads it: the first four characters and
// the four from the first "." on are dropped, and what is left is read by the integer
// rules ("dlg\+7.dlg" and "dlg\$A.dlg" are numbers too). Empty when it is no number.
std::optional<std::int32_t> DialogueNumber(std::string_view entry);
// The text DialogueNumber reads as the number.
std::string DialogueNumberText(std::string_view entry);

// Whether an entry is in the form the program writes: "dlg\" and a decimal number from 1
// without a sign or leading zero, then ".dlg".
bool IsUsualDialogueEntry(std::string_view entry);

// Where the entry's file is, below the program directory, with "/" separators.
std::string DialogueFilePath(std::string_view entry);

// A path-list line of blanks alone names no dialogue (it would name the folder itself).
bool IsBlankEntry(std::string_view line);

// The longest path-list line there can be: far beyond any full path a file may have.
inline constexpr std::size_t kMaxEntryLength = 4096;

// Reads a path list's entries in order, as every reader of it does: blank lines are
// skipped, and a line longer than kMaxEntryLength is an InOutError naming the line. Memory
// stays bounded whatever the file holds.
class PathListEntries {
public:
    // Opens the path list at `path` with `reader`. Throws InOutError.
    PathListEntries(LineReader& reader, std::string_view path);
    // The next entry; false, with the file closed and `entry` as it was, after the last one.
    bool Next(std::string& entry);

private:
    LineReader& file_;
    std::string text_;
    std::size_t line_ = 0;
};

// Every entry of the path list at `path`, as PathListEntries gives them.
std::vector<std::string> ReadPathList(LineReader& reader, std::string_view path);

// The prefix the files of a base in `folder` are named with: the folder and one "/".
std::string FolderPrefix(std::string folder);

// The program directory a machine-wide registry file names; empty when it names none.
// Throws TumboError when the file or its value cannot be read.
std::string ProgramDirIn(const std::string& registryFile);

}  // namespace tumbo::base_format
