#include "engine/dialogue_commit.h"

#include "engine/base_format.h"
#include "engine/dialogue_path.h"
#include "platform/appending_file.h"
#include "platform/cp1251_literal.h"
#include "platform/errors.h"
#include "platform/line_reader.h"
#include "platform/new_file.h"

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

std::int64_t CommitNumberedDialogue(FileCalls& calls, const std::string& programDir,
                                    std::int64_t number, const std::vector<std::string>& lines) {
    // One line no reader takes would make the whole dialogue unreadable.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > LineReader::kMaxLineLength) {
            const std::string limit = std::to_string(LineReader::kMaxLineLength);
            throw TumboError(
                Cp1251(u8"Строка длиннее ").str() + limit +
                    Cp1251(u8" знаков: программа её не прочтёт, диалог не сохранён").str(),
                FailureDetails(
                    "write a new dialogue to", programDir, 0,
                    "its line " + std::to_string(i + 1) + " is longer than " + limit + " bytes"));
        }
    }
    dialogue_path::RequireRealFolders(calls, programDir, base_format::kDialogueFolder,
                                      "add a dialogue to");
    NewFile file(calls);
    // A hand-edited path list may not name every file there is: never overwrite one.
    while (!file.Create(programDir + base_format::DialogueEntry(number))) {
        ++number;
    }
    try {
        for (const std::string& line : lines) {
            file.WriteLine(line);
        }
        file.Commit();
        AppendingFile pathList(calls);
        pathList.Open(programDir + std::string(base_format::kPathList));
        pathList.WriteLine(base_format::DialogueEntry(number));
        pathList.Commit();
    } catch (...) {
        file.Remove();
        throw;
    }
    return number;
}

}  // namespace tumbo
