#include "engine/base_editor.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <iterator>
#include <unordered_set>

#include <sys/stat.h>

#include "engine/base_format.h"
#include "engine/dialogue_path.h"
#include "engine/phrase.h"
#include "engine/phrase_fold.h"
#include "platform/cp1251_literal.h"
#include "platform/end_mark.h"
#include "platform/file_access.h"
#include "platform/replacing_file.h"

namespace tumbo {

namespace {

// Names tried for a forgotten file when its own is taken: a number can be taught and
// forgotten again.
constexpr int kMaxForgottenCopies = 1000;

std::string AtLine(std::size_t line, std::string_view message) {
    return Cp1251(u8"Строка ").str() + std::to_string(line) + ": " + std::string(message);
}

std::string Untagged(std::string_view line) {
    return std::string(line.substr(std::min<std::size_t>(1, line.size())));
}

}  // namespace

DialogueTextError::DialogueTextError(std::size_t line, const std::string& message)
    : TumboError(line == 0 ? message : AtLine(line, message)), line_(line) {}

std::vector<std::string> DialogueFileLines(const std::vector<std::string>& text) {
    std::vector<std::string> lines;
    // The number in `text` of each line kept.
    std::vector<std::size_t> numbers;
    DialogueLines places;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string& line = text[i];
        const std::size_t number = i + 1;
        if (base_format::IsBlankEntry(line)) {
            continue;
        }
        if (line == base_format::kEndLine) {
            throw DialogueTextError(number, Cp1251(u8"строку #END программа допишет сама"));
        }
        if (line.size() > LineReader::kMaxLineLength) {
            throw DialogueTextError(number, Cp1251(u8"строка длиннее ").str() +
                                                std::to_string(LineReader::kMaxLineLength) +
                                                Cp1251(u8" знаков, программа её не прочтёт").str());
        }
        numbers.push_back(number);
        switch (places.Next(line).kind) {
            case DialogueLines::Kind::kTrigger:
                if (line.size() == 1) {
                    throw DialogueTextError(number, Cp1251(u8"пустая фраза"));
                }
                lines.push_back(NormalizePhrase(line));
                break;
            case DialogueLines::Kind::kReply:
                if (line.size() == 1) {
                    throw DialogueTextError(number, Cp1251(u8"пустой ответ"));
                }
                lines.push_back(line);
                break;
            case DialogueLines::Kind::kOther:
                throw DialogueTextError(number,
                                        Cp1251(u8"строка начинается с $ (фраза) или с # (ответ)"));
        }
    }
    if (lines.empty()) {
        throw DialogueTextError(0, Cp1251(u8"Диалог пуст: нужны фраза ($) и ответ на неё (#)"));
    }
    const TurnCheck turns = CheckTurns(lines);
    if (turns.fault == TurnFault::kReplyBeforeTrigger) {
        throw DialogueTextError(numbers[turns.at],
                                Cp1251(u8"перед первым ответом (#) нужна хотя бы одна фраза ($)"));
    }
    if (turns.fault != TurnFault::kNone) {
        throw DialogueTextError(numbers[turns.at],
                                Cp1251(u8"у этой фразы нет ответа: добавьте после неё строку с #"));
    }
    lines.emplace_back(base_format::kEndLine);
    return lines;
}

std::vector<std::string> ReadForgottenOpeners(const std::string& programDir, FileCalls& calls,
                                              bool* textAfterMark) {
    std::vector<std::string> openers;
    LineReader file(calls);
    try {
        file.Open(programDir + std::string(base_format::kForgottenOpeners));
    } catch (const InOutError& error) {
        if (error.code() == io_code::kFileNotFound) {
            return openers;
        }
        throw;
    }
    std::string line;
    while (!file.Eof()) {
        file.ReadLine(line);
        if (!line.empty()) {
            openers.push_back(line);
        }
    }
    if (textAfterMark != nullptr) {
        *textAfterMark = file.TextAfterEndMark();
    }
    file.Close();
    return openers;
}

BaseEditor::BaseEditor(Engine& engine, FileCalls& calls)
    : engine_(engine), calls_(calls), file_(calls), reader_(calls) {}

std::string BaseEditor::PathOf(std::string_view name) const {
    return engine_.ProgramDir() + std::string(name);
}

std::vector<std::string> BaseEditor::ReadPathList() {
    return base_format::ReadPathList(file_, PathOf(base_format::kPathList));
}

void BaseEditor::RewriteLines(const std::string& path, const std::vector<std::string>& lines) {
    // What a hand edit left after the file's end mark is kept aside, as an append keeps it.
    end_mark::KeepWhatFollows(calls_, path);
    ReplacingFile file(calls_);
    file.Start(path);
    for (const std::string& line : lines) {
        file.WriteLine(line);
    }
    file.Commit();
}

std::vector<DialogueSummary> BaseEditor::List() {
    std::vector<DialogueSummary> summaries;
    dialogue_path::Checker checker(calls_, engine_.ProgramDir());
    for (std::string& entry : ReadPathList()) {
        DialogueSummary summary;
        if (base_format::IsUsualDialogueEntry(entry)) {
            summary.number = base_format::DialogueNumber(entry).value_or(0);
        }
        // One file the window cannot read must not hide the others.
        try {
            DialogueLines places;
            const std::string path = checker.Require(entry, "read");
            for (const std::string& line : ReadLines(file_, path)) {
                const DialogueLines::Kind kind = places.Next(line).kind;
                if (kind == DialogueLines::Kind::kOther || line == base_format::kEndLine) {
                    continue;
                }
                std::string& first =
                    kind == DialogueLines::Kind::kTrigger ? summary.opener : summary.reply;
                if (first.empty()) {
                    first = Untagged(line);
                }
                summary.folded.push_back(FoldPhrase(Untagged(line)));
            }
        } catch (const TumboError&) {
            summary = DialogueSummary{{}, summary.number, {}, {}, {}, false};
        }
        summary.entry = std::move(entry);
        summaries.push_back(std::move(summary));
    }
    return summaries;
}

std::vector<std::string> BaseEditor::ReadText(const std::string& entry) {
    std::vector<std::string> lines =
        ReadLines(file_, dialogue_path::Require(calls_, engine_.ProgramDir(), entry, "read"));
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    if (!lines.empty() && lines.back() == base_format::kEndLine) {
        lines.pop_back();
    }
    return lines;
}

void BaseEditor::Save(const std::string& entry, const std::vector<std::string>& text) {
    const std::string path = dialogue_path::Require(calls_, engine_.ProgramDir(), entry, "save");
    const std::vector<std::string> lines = DialogueFileLines(text);
    const std::vector<std::string> entries = ReadPathList();
    // A file the path list no longer names would come back as one nothing reads.
    if (std::find(entries.begin(), entries.end(), entry) == entries.end()) {
        throw TumboError(Cp1251(u8"Этого диалога уже нет в базе"),
                         FailureDetails("save", path, 0, "the path list does not name it"));
    }
    // Checked again right before the write: the folders may have changed meanwhile.
    RewriteLines(dialogue_path::Require(calls_, engine_.ProgramDir(), entry, "save"), lines);
}

void BaseEditor::Forget(const std::string& entry) {
    const std::string pathList = PathOf(base_format::kPathList);
    const std::vector<std::string> entries = ReadPathList();
    std::vector<std::string> kept;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(kept),
                 [&](const std::string& listed) { return listed != entry; });
    if (kept.size() == entries.size()) {
        throw TumboError(Cp1251(u8"Этого диалога уже нет в базе"),
                         FailureDetails("forget", pathList, 0, "it does not name " + entry));
    }
    const std::string file = dialogue_path::Require(calls_, engine_.ProgramDir(), entry, "forget");
    // Refused before anything changes: the file could not be moved aside afterwards.
    dialogue_path::RequireRealFolders(calls_, engine_.ProgramDir(), base_format::kForgottenFolder,
                                      "move a forgotten dialogue to");
    std::vector<std::string> openers;
    bool present = true;
    std::optional<TumboError> openersUnknown;
    try {
        openers = ReadOpeners(reader_, file);
    } catch (const InOutError& error) {
        // A listed file that is gone answers nothing: forgetting its line is all there is.
        if (error.code() != io_code::kFileNotFound) {
            throw;
        }
        present = false;
        if (std::optional<std::vector<std::string>> bundled = BundledOpeners(entry)) {
            openers = std::move(*bundled);
        } else {
            openersUnknown.emplace(
                Cp1251(u8"Диалог забыт, но его файла уже не было: его первые фразы неизвестны, "
                       u8"и обновление базы может вернуть его")
                    .str(),
                FailureDetails("forget", file, ENOENT,
                               "the file is gone and the bundled base holds no dialogue known "
                               "to be the same, so no opener could be recorded in " +
                                   std::string(base_format::kForgottenOpeners)));
        }
    }
    // Recorded first: until the path list is rewritten, an opener on record only keeps
    // back an update's dialogue the base already has an opener of.
    RecordForgotten(base_format::IdentifyingOpeners(std::move(openers)));
    // From here on the dialogue is forgotten: the path list decides what the search reads.
    RewriteLines(pathList, kept);
    std::exception_ptr failure;
    if (present) {
        try {
            MoveAside(entry);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    const std::exception_ptr notSaved = engine_.Forgotten(entry);
    if (failure) {
        std::rethrow_exception(failure);
    }
    if (notSaved) {
        std::rethrow_exception(notSaved);
    }
    if (openersUnknown) {
        throw *openersUnknown;
    }
}

std::optional<std::vector<std::string>> BaseEditor::BundledOpeners(const std::string& entry) {
    if (bundled_.empty()) {
        return std::nullopt;
    }
    try {
        const std::string bundled = base_format::FolderPrefix(bundled_);
        const std::vector<std::string> entries =
            base_format::ReadPathList(file_, bundled + std::string(base_format::kPathList));
        if (std::find(entries.begin(), entries.end(), entry) == entries.end()) {
            return std::nullopt;
        }
        // A number forgotten before can have been taken again by a lesson or an update:
        // then the bundled dialogue of that name is not known to be this one.
        const std::string name = file_access::FileNameOf(*dialogue_path::FileOf(entry));
        struct stat info {};
        if (file_access::LookAt(calls_, PathOf(base_format::kForgottenFolder) + "/" + name, info) !=
            ENOENT) {
            return std::nullopt;
        }
        std::vector<std::string> openers =
            ReadOpeners(reader_, dialogue_path::Require(calls_, bundled, entry, "read"));
        return openers.empty() ? std::nullopt : std::optional(std::move(openers));
    } catch (const TumboError&) {
        return std::nullopt;
    }
}

void BaseEditor::RecordForgotten(const std::vector<std::string>& openers) {
    std::vector<std::string> recorded = ReadForgottenOpeners(engine_.ProgramDir(), calls_);
    const std::size_t before = recorded.size();
    for (const std::string& opener : openers) {
        if (std::find(recorded.begin(), recorded.end(), opener) == recorded.end()) {
            recorded.push_back(opener);
        }
    }
    if (recorded.size() != before) {
        RewriteLines(PathOf(base_format::kForgottenOpeners), recorded);
    }
}

void BaseEditor::MoveAside(const std::string& entry) {
    const std::string& programDir = engine_.ProgramDir();
    const std::string folder = PathOf(base_format::kForgottenFolder);
    const std::string operation = "move a forgotten dialogue to";
    dialogue_path::RequireRealFolders(calls_, programDir, base_format::kForgottenFolder, operation);
    if (calls_.Mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        const int err = errno;
        file_access::Fail(calls_, err, "create the folder", folder);
    }
    // Looked at again right before the move: made or not by this call, it is a folder.
    dialogue_path::RequireRealFolders(calls_, programDir, base_format::kForgottenFolder, operation);
    const std::string from = dialogue_path::Require(calls_, programDir, entry, operation);
    const std::string name = from.substr(from.find_last_of('/') + 1);
    const std::string stem = name.ends_with(".dlg") ? name.substr(0, name.size() - 4) : name;
    for (int copy = 1;; ++copy) {
        const std::string to =
            folder + "/" + (copy == 1 ? name : stem + "-" + std::to_string(copy) + ".dlg");
        if (calls_.RenameNoReplace(from.c_str(), to.c_str()) == 0) {
            break;
        }
        if (errno != EEXIST || copy == kMaxForgottenCopies) {
            const int err = errno;
            file_access::Fail(calls_, err, "move to " + folder, from);
        }
    }
    // The move is done either way; a folder that cannot be synced now only makes it less
    // sure to outlast a power cut, as with every rewrite.
    file_access::SyncFolder(calls_, folder);
    file_access::SyncFolder(calls_, PathOf(base_format::kDialogueFolder));
}

int BaseEditor::FinishForgets() {
    const std::string& programDir = engine_.ProgramDir();
    const std::vector<std::string> recorded = ReadForgottenOpeners(programDir, calls_);
    if (recorded.empty()) {
        return 0;
    }
    const std::unordered_set<std::string> forgotten(recorded.begin(), recorded.end());
    std::unordered_set<std::string> listed;
    for (const std::string& entry : ReadPathList()) {
        if (const std::optional<std::string> file = dialogue_path::FileOf(entry)) {
            listed.insert(*file);
        }
    }
    const std::string dialogues(base_format::kDialogueFolder);
    dialogue_path::RequireRealFolders(calls_, programDir, base_format::kForgottenFolder,
                                      "finish forgetting in");
    std::vector<std::string> unlisted;
    calls_.ListFolder(PathOf(dialogues).c_str(), [&](std::string_view name) {
        const std::string entry = "dlg\\" + std::string(name);
        if (base_format::IsUsualDialogueEntry(entry) &&
            !listed.contains(dialogues + "/" + std::string(name))) {
            unlisted.push_back(entry);
        }
    });
    int finished = 0;
    for (const std::string& entry : unlisted) {
        const std::string path = PathOf(base_format::DialogueFilePath(entry));
        struct stat info {};
        if (file_access::LookAt(calls_, path, info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        // A forget records the openers before the path list loses the line: a file whose
        // openers are all on record was being forgotten. Any other is left as it is.
        std::vector<std::string> openers;
        try {
            openers = base_format::IdentifyingOpeners(ReadOpeners(reader_, path));
        } catch (const TumboError&) {
            continue;
        }
        if (openers.empty() || !std::all_of(openers.begin(), openers.end(),
                                            [&](const auto& o) { return forgotten.contains(o); })) {
            continue;
        }
        MoveAside(entry);
        ++finished;
    }
    return finished;
}

std::optional<std::string> BaseEditor::NewestLesson() const {
    const auto number = engine_.NewestLesson();
    return number ? std::optional(base_format::DialogueEntry(*number)) : std::nullopt;
}

}  // namespace tumbo
