#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/options.h"

namespace tumbo {
class TextFile;
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
// The bundled base's version, and where a user's base records the bundled version it
// was last installed or merged from.
inline constexpr std::string_view kBundledVersion = "version";
inline constexpr std::string_view kRecordedVersion = ".bundled-version";

// The option file's lines: name, "true" or "false", opacity, dialogue count.
inline constexpr int kOptionLines = 4;
inline constexpr std::string_view kTrue = "true";
inline constexpr std::string_view kFalse = "false";

// Reads the option file by the program's rules: the name and the window line whole, then
// the opacity and the count, each an integer followed by the rest of its line. The values
// are as stored: the opacity is not brought into range. Throws InOutError.
TOptions ReadOptionLines(TextFile& file);
// Rewrites the option file whole with the record's four lines.
void WriteOptionLines(TextFile& file, const TOptions& options);

// A dialogue file's last line, and the tags of its lines.
inline constexpr std::string_view kEndLine = "#END";
inline constexpr char kTriggerTag = '$';
inline constexpr char kReplyTag = '#';

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

}  // namespace tumbo::base_format
