#pragma once

#include <string>
#include <vector>

#include "engine/engine_window.h"
#include "engine/options.h"
#include "engine/random_choice.h"
#include "platform/clock.h"
#include "platform/file_calls.h"
#include "platform/text_file.h"

namespace tumbo {

// The program's knowledge and memory: where the data lives, the options, and the state
// of the conversation. One instance lives as long as the window that owns it.
class Engine {
public:
    Engine(EngineWindow& window, Clock& clock, FileCalls& calls = SystemFileCalls());

    // Data files.
    void ReadProgramDir(const std::string& registryFile);
    // The program directory a registry file names, read as ReadProgramDir reads it.
    static std::string ProgramDirIn(const std::string& registryFile);
    void SetProgramDir(std::string programDir) { programDir_ = std::move(programDir); }
    const std::string& ProgramDir() const { return programDir_; }
    // Binds the option file, path list and scratch dialogue to ProgramDir + their names.
    void BindFiles();
    // A file that is there but cannot be read leaves the options as they were, and its
    // bytes are kept as opt.tmb.bak by the next save, before anything replaces them.
    void LoadOptions();
    void SaveOptions();
    const TOptions& Options() const { return options_; }

    // Reply search: the send button.
    void SendPhrase();

    // Teaching: the teaching panel's buttons. A step that fails before the path list names the new
    // dialogue leaves the lists, the scratch dialogue and the count as they were before
    // it, so the step can simply be tried again.
    void ConfirmTeaching();
    void LeaveTeaching();
    void ExtendTurn();
    void NextTurn();

    const std::string& CurrentDialogue() const { return currentDialogue_; }
    bool AnswerFound() const { return answerFound_; }
    // True while the scratch dialogue is open for the teaching panel.
    bool ScratchOpen() const { return scratch_.IsOpen(); }

    static constexpr int kExitPauseMs = 3000;

private:
    void WriteOptionFile(const TOptions& options);

    void SearchBase();
    void SearchOpeners();
    void SearchCurrentDialogue();
    void TakeReply();
    // Shows a stored reply line (tag included) without its exit markers, pauses, closes.
    void HandleExitMarker(const std::string& storedLine);

    void ClearTeachFields();
    void CollectPhrases();
    void WritePhraseBlock();
    void CommitDialogue();

    bool LineIsTrigger() const { return !line_.empty() && line_.front() == '$'; }
    bool LineIsReply() const { return !line_.empty() && line_.front() == '#'; }
    bool LineTriggers() const;
    // Reads the current dialogue from the top, its opener block only or all of it, and
    // answers from the first trigger that is the phrase; false when none is.
    bool AnswerFromDialogue(bool openersOnly);
    void OpenTeaching();
    void KeepUnreadableOptionFile();
    void BindDialogue();
    void StartScratch();
    void CloseScratch();
    template <typename Step>
    void UndoableTeachingStep(Step step);

    EngineWindow& window_;
    Clock& clock_;
    FileCalls& calls_;

    std::string programDir_;
    TOptions options_;
    TextFile optionFile_;
    TextFile pathList_;
    TextFile scratch_;
    TextFile dialogue_;
    TextFile newDialogue_;

    std::string dialoguePath_;
    std::string phrase_;
    std::string currentDialogue_;
    bool answerFound_ = false;
    // The last walk found no dialogue at all, so the first one taught is number 1.
    bool pathListWasEmpty_ = false;
    bool optionFileUnreadable_ = false;
    std::string line_;
    std::vector<std::string> replyCandidates_;

    std::vector<std::string> triggers_;
    std::vector<std::string> replies_;
    // Every line written to the scratch dialogue in this teaching flow, to rebuild it
    // after a failed step.
    std::vector<std::string> scratchLines_;
    RandomChoice random_;
};

}  // namespace tumbo
