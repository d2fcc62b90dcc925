#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_calls.h"

namespace tumbo {

// The number the next dialogue takes: one more than that of `lastEntry`, the path list's
// last line, or 1 when the list is empty (nullptr). Throws ConvertError, naming the path
// list, when the last line is not of the form dlg\N.dlg.
std::int64_t NextDialogueNumber(const std::string* lastEntry, const std::string& pathList);

// Adds `lines` (the whole file, "#END" included) to the base in `programDir` as dialogue
// `number`, or as the first number after it that no file has taken, and returns the
// number used. The file is written whole, synced and its name synced into the folder
// before the path list names it on a new last line; either both change or neither does.
// Throws TumboError, writing nothing, when a line is longer than the base's readers take.
std::int64_t CommitNumberedDialogue(FileCalls& calls, const std::string& programDir,
                                    std::int64_t number, const std::vector<std::string>& lines);

}  // namespace tumbo
