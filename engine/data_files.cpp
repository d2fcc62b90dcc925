#include <algorithm>

#include "engine/engine.h"
#include "platform/registry.h"

namespace tumbo {

namespace {

constexpr const char* kRegistryKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3";
constexpr const char* kProgramDirValue = "programdir";

}  // namespace

Engine::Engine(EngineWindow& window, Clock& clock, FileCalls& calls)
    : window_(window),
      clock_(clock),
      optionFile_(calls),
      pathList_(calls),
      scratch_(calls),
      dialogue_(calls),
      newDialogue_(calls) {}

void Engine::ReadProgramDir(const std::string& registryFile) {
    programDir_ = ReadRegistryString(registryFile, kRegistryKey, kProgramDirValue);
}

void Engine::BindFiles() {
    optionFile_.Assign(programDir_ + "opt.tmb");
    pathList_.Assign(programDir_ + "path.tmb");
    scratch_.Assign(programDir_ + "temp.dlg");
}

void Engine::LoadOptions() {
    // Read into a fresh record so that a bad file leaves the options as they were.
    TOptions loaded;
    optionFile_.Reset();
    optionFile_.ReadLine(loaded.UserName);
    const std::string skin = optionFile_.ReadLine();
    loaded.Opacity = optionFile_.ReadInteger();
    optionFile_.SkipLine();
    loaded.DialogueCount = optionFile_.ReadInteger();
    optionFile_.SkipLine();
    optionFile_.Close();
    loaded.TransparentSkin = skin == "true";
    // A hand-edited opacity outside the track bar's range must not make the window vanish.
    loaded.Opacity = std::clamp(loaded.Opacity, kMinOpacity, kMaxOpacity);
    options_ = loaded;
    window_.ApplyOptions(options_);
}

void Engine::WriteOptionFile(const TOptions& options) {
    optionFile_.RewriteWhole();
    optionFile_.WriteLine(options.UserName);
    optionFile_.WriteLine(options.TransparentSkin ? "true" : "false");
    optionFile_.WriteLine(std::to_string(options.Opacity));
    optionFile_.WriteLine(std::to_string(options.DialogueCount));
    optionFile_.Close();
}

void Engine::SaveOptions() {
    const int dialogueCount = options_.DialogueCount;
    options_ = window_.SettingsFromControls();
    options_.DialogueCount = dialogueCount;
    WriteOptionFile(options_);
    LoadOptions();
}

}  // namespace tumbo
