#include "engine/dialogue_commit.h"

#include "engine/base_format.h"
#include "platform/errors.h"

namespace tumbo {

std::int64_t NextDialogueNumber(const std::string* lastEntry, const std::string& pathList) {
    if (lastEntry == nullptr) {
        return 1;
    }
    const auto number = base_format::DialogueNumber(*lastEntry);
    if (!number) {
        throw ConvertError(base_format::DialogueNumberText(*lastEntry),
                           FailureDetails("take the number of the last dialogue from", pathList, 0,
                                          "its last line is not of the form dlg\\N.dlg"));
    }
    return std::int64_t{*number} + 1;
}

std::int64_t CommitNumberedDialogue(const std::string& programDir, std::int64_t number,
                                    const std::vector<std::string>& lines, TextFile& file,
                                    TextFile& pathList) {
    file.Assign(programDir + base_format::DialogueEntry(number));
    // A hand-edited path list may not name every file there is: never overwrite one.
    while (!file.CreateNew()) {
        file.Assign(programDir + base_format::DialogueEntry(++number));
    }
    try {
        for (const std::string& line : lines) {
            file.WriteLine(line);
        }
        file.Close();
        pathList.AppendOnNewLine();
        pathList.WriteLine(base_format::DialogueEntry(number));
        pathList.Close();
    } catch (...) {
        file.Abandon();
        throw;
    }
    return number;
}

}  // namespace tumbo
