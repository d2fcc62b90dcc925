#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

#include "engine/base_format.h"
#include "engine/dialogue_path.h"
#include "engine/engine.h"
#include "platform/base_lock.h"
#include "platform/errors.h"
#include "platform/replacing_file.h"
#include "platform/temporary_names.h"

namespace tumbo {

namespace {

constexpr const char* kOptionBackupSuffix = ".bak";

}  // namespace

Engine::Engine(Clock& clock, FileCalls& calls)
    : clock_(clock), calls_(calls), reader_(calls), search_(calls), draft_(calls) {}

void Engine::BindFiles() {
    optionPath_ = programDir_ + std::string(base_format::kOptionFile);
    pathListPath_ = programDir_ + std::string(base_format::kPathList);
    search_.Bind(programDir_);
    draft_.Bind(programDir_ + std::string(base_format::kScratchDialogue));
}

const TOptions& Engine::LoadOptions() {
    std::exception_ptr problem;
    LoadOptions(problem);
    if (problem) {
        std::rethrow_exception(problem);
    }
    return options_;
}

const TOptions& Engine::LoadOptions(std::exception_ptr& problem) {
    // A file that cannot be read leaves the options as they were; a bad line leaves its
    // own value so, and the good lines are used.
    base_format::OptionLines loaded;
    try {
        loaded = base_format::ReadOptionLines(reader_, optionPath_, options_);
    } catch (const InOutError& error) {
        // The controls keep values that are not the user's: the next save would put them
        // over whatever the user wrote there, so that is kept first.
        optionFileUnreadable_ = optionFileUnreadable_ || error.code() != io_code::kFileNotFound;
        throw;
    }
    // A hand-edited opacity outside the track bar's range must not make the window vanish.
    loaded.options.Opacity = std::clamp(loaded.options.Opacity, kMinOpacity, kMaxOpacity);
    options_ = loaded.options;
    problem = loaded.problem;
    optionFileUnreadable_ = optionFileUnreadable_ || problem != nullptr;
    return options_;
}

void Engine::WriteOptionFile(TOptions& options, std::optional<std::size_t> entries) {
    // The count is what the path list holds, so a count a crash left behind heals at the
    // next save. A path list that cannot be read keeps the count as it was.
    try {
        if (!entries) {
            entries = TallyPathList().entries;
        }
        base_format::SetStoredCount(options, *entries);
    } catch (const TumboError&) {
    }
    if (optionFileUnreadable_) {
        KeepUnreadableOptionFile();
    }
    base_format::WriteOptionLines(calls_, optionPath_, options);
}

bool Engine::HealStoredCount() {
    base_format::OptionLines stored = base_format::ReadOptionLines(reader_, optionPath_);
    if (stored.problem) {
        return false;
    }
    TOptions healed = stored.options;
    base_format::SetStoredCount(healed, TallyPathList().entries);
    if (healed.DialogueCount == stored.options.DialogueCount) {
        return false;
    }
    base_format::WriteOptionLines(calls_, optionPath_, healed);
    LoadOptions();
    return true;
}

Engine::PathListTally Engine::TallyPathList() {
    PathListTally tally;
    base_format::PathListEntries list(reader_, pathListPath_);
    for (std::string entry; list.Next(entry);) {
        tally.last = std::move(entry);
        ++tally.entries;
    }
    return tally;
}

void Engine::RemoveStaleTemporaries(const std::string& programDir, FileCalls& calls) {
    const std::string dataFolder = DataFolderOf(programDir);
    const std::string namePrefix = programDir.substr(programDir.find_last_of("/\\") + 1);
    RemoveTemporariesIn(
        dataFolder,
        [&namePrefix](std::string_view name) {
            for (const std::string_view file : {base_format::kOptionFile, base_format::kPathList,
                                                base_format::kForgottenOpeners}) {
                const std::string own = namePrefix + std::string(file);
                if (name == own || name == own + std::string(kOptionBackupSuffix)) {
                    return true;
                }
            }
            return false;
        },
        calls);
    // Nothing is removed through a linked dlg.
    try {
        dialogue_path::RequireRealFolders(calls, programDir, base_format::kDialogueFolder,
                                          "remove temporaries in");
    } catch (const TumboError&) {
        return;
    }
    RemoveTemporariesIn(
        programDir + std::string(base_format::kDialogueFolder),
        [](std::string_view name) {
            return base_format::IsUsualDialogueEntry("dlg\\" + std::string(name));
        },
        calls);
}

void Engine::KeepUnreadableOptionFile() {
    LineReader old(calls_);
    try {
        old.Open(optionPath_);
    } catch (const InOutError& error) {
        // Gone since: nothing is left to keep.
        if (error.code() == io_code::kFileNotFound) {
            optionFileUnreadable_ = false;
            return;
        }
        throw;
    }
    ReplacingFile backup(calls_);
    backup.Start(optionPath_ + kOptionBackupSuffix);
    std::array<char, 4096> buffer{};
    while (const std::size_t got = old.ReadBytes(buffer.data(), buffer.size())) {
        backup.WriteBytes(std::string_view(buffer.data(), got));
    }
    old.Close();
    backup.Commit();
    optionFileUnreadable_ = false;
}

const TOptions& Engine::SaveOptions(const TOptions& settings) {
    TOptions saved = settings;
    saved.DialogueCount = options_.DialogueCount;
    WriteOptionFile(saved);
    options_ = saved;
    return LoadOptions();
}

}  // namespace tumbo
