#include <algorithm>
#include <array>
#include <string_view>

#include "engine/base_format.h"
#include "engine/engine.h"
#include "platform/errors.h"
#include "platform/registry.h"

namespace tumbo {

namespace {

constexpr const char* kRegistryKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3";
constexpr const char* kProgramDirValue = "programdir";

constexpr const char* kOptionBackupSuffix = ".bak";

}  // namespace

Engine::Engine(Clock& clock, FileCalls& calls)
    : clock_(clock),
      calls_(calls),
      optionFile_(calls),
      pathList_(calls),
      newDialogue_(calls),
      search_(calls),
      draft_(calls) {}

void Engine::ReadProgramDir(const std::string& registryFile) {
    programDir_ = ProgramDirIn(registryFile);
}

std::string Engine::ProgramDirIn(const std::string& registryFile) {
    return ReadRegistryString(registryFile, kRegistryKey, kProgramDirValue);
}

void Engine::BindFiles() {
    optionFile_.Assign(programDir_ + std::string(base_format::kOptionFile));
    pathList_.Assign(programDir_ + std::string(base_format::kPathList));
    search_.Bind(programDir_);
    draft_.Bind(programDir_ + std::string(base_format::kScratchDialogue));
}

const TOptions& Engine::LoadOptions() {
    // Read into a fresh record so that a bad file leaves the options as they were.
    TOptions loaded;
    try {
        loaded = base_format::ReadOptionLines(optionFile_);
    } catch (const InOutError& error) {
        // The controls keep values that are not the user's: the next save would put them
        // over whatever the user wrote there, so that is kept first.
        optionFileUnreadable_ = optionFileUnreadable_ || error.code() != io_code::kFileNotFound;
        throw;
    }
    // A hand-edited opacity outside the track bar's range must not make the window vanish.
    loaded.Opacity = std::clamp(loaded.Opacity, kMinOpacity, kMaxOpacity);
    options_ = loaded;
    return options_;
}

void Engine::WriteOptionFile(const TOptions& options) {
    if (optionFileUnreadable_) {
        KeepUnreadableOptionFile();
    }
    base_format::WriteOptionLines(optionFile_, options);
}

void Engine::KeepUnreadableOptionFile() {
    TextFile old(calls_);
    TextFile backup(calls_);
    old.Assign(optionFile_.Path());
    backup.Assign(optionFile_.Path() + kOptionBackupSuffix);
    try {
        old.Reset();
    } catch (const InOutError& error) {
        // Gone since: nothing is left to keep.
        if (error.code() == io_code::kFileNotFound) {
            optionFileUnreadable_ = false;
            return;
        }
        throw;
    }
    backup.RewriteWhole();
    std::array<char, 4096> buffer{};
    while (const std::size_t got = old.ReadBytes(buffer.data(), buffer.size())) {
        backup.WriteBytes(std::string_view(buffer.data(), got));
    }
    old.Close();
    backup.Close();
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
