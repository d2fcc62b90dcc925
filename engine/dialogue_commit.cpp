#include "engine/dialogue_commit.h"

#include <algorithm>

#include "platform/errors.h"
#include "platform/integer_text.h"

namespace tumbo {

std::string DialogueEntry(std::int64_t number) {
    return "dlg\\" + std::to_string(number) + ".dlg";
}

std::int64_t NextDialogueNumber(const std::string* lastEntry, const std::string& pathList) {
    if (lastEntry == nullptr) {
        return 1;
    }
    // The first four characters and the four from the first "." on are dropped, and what
    // is left must be an integer.
    std::string number = lastEntry->substr(std::min<std::size_t>(4, lastEntry->size()));
    const auto dot = number.find('.');
    if (dot != std::string::npos) {
        number.erase(dot, 4);
    }
    try {
        return std::int64_t{StrToInt(number)} + 1;
    } catch (const ConvertError&) {
        throw ConvertError(number,
                           FailureDetails("take the number of the last dialogue from", pathList, 0,
                                          "its last line is not of the form dlg\\N.dlg"));
    }
}

std::int64_t CommitNumberedDialogue(const std::string& programDir, std::int64_t number,
                                    const std::vector<std::string>& lines, TextFile& file,
                                    TextFile& pathList) {
    file.Assign(programDir + DialogueEntry(number));
    // A hand-edited path list may not name every file there is: never overwrite one.
    while (!file.CreateNew()) {
        file.Assign(programDir + DialogueEntry(++number));
    }
    try {
        for (const std::string& line : lines) {
            file.WriteLine(line);
        }
        file.Close();
        pathList.AppendOnNewLine();
        pathList.WriteLine(DialogueEntry(number));
        pathList.Close();
    } catch (...) {
        file.Abandon();
        throw;
    }
    return number;
}

}  // namespace tumbo
