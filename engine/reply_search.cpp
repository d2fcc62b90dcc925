#include "engine/engine.h"
#include "engine/phrase.h"
#include "platform/cp1251_literal.h"

namespace tumbo {

namespace {

const std::string kSpeaker = "Tumbo:";
const std::string kNoAnswer = Cp1251(u8"не знаю ответа");
const std::string kSilence = Cp1251(u8" ты чё молчишь ?");

std::string WithoutTag(const std::string& line) {
    return line.empty() ? std::string() : line.substr(1);
}

}  // namespace

void Engine::SendPhrase() {
    const std::string typed = window_.InputText();
    if (typed.empty()) {
        window_.AppendChatLine(kSpeaker + options_.UserName + kSilence);
        return;
    }
    phrase_ = NormalizePhrase(typed);
    window_.SetInputText(phrase_);
    window_.AppendChatLine(options_.UserName + ":" + phrase_);
    if (answerFound_) {
        SearchCurrentDialogue();
    } else {
        SearchBase();
    }
}

void Engine::SearchBase() {
    pathList_.Reset();
    int counter = 0;
    // A base with no dialogue yet learns its first one like any other.
    pathListWasEmpty_ = pathList_.Eof();
    if (pathListWasEmpty_) {
        currentDialogue_.clear();
        OpenTeaching();
    }
    while (!pathList_.Eof() && !answerFound_) {
        ++counter;
        window_.SetProgressPosition(counter);
        pathList_.ReadLine(currentDialogue_);
        SearchOpeners();
        if (answerFound_) {
            break;
        }
        if (pathList_.Eof()) {
            OpenTeaching();
        }
    }
    pathList_.Close();
}

void Engine::OpenTeaching() {
    ClearTeachFields();
    window_.SetTeachField(1, phrase_);
    StartScratch();
    window_.AppendChatLine(kSpeaker + kNoAnswer);
    window_.ShowTeachPanel();
}

void Engine::BindDialogue() {
    dialoguePath_.assign(programDir_);
    dialoguePath_.append(currentDialogue_);
    dialogue_.Assign(dialoguePath_);
}

bool Engine::LineTriggers() const {
    return LineIsTrigger() && std::string_view(line_).substr(1) == phrase_;
}

bool Engine::AnswerFromDialogue(bool openersOnly) {
    BindDialogue();
    dialogue_.Reset();
    line_ = " ";
    while (!(openersOnly && LineIsReply()) && !dialogue_.Eof()) {
        dialogue_.ReadLine(line_);
        if (LineTriggers()) {
            TakeReply();
            dialogue_.Close();
            return true;
        }
    }
    dialogue_.Close();
    return false;
}

void Engine::SearchOpeners() {
    // Only the opener block counts here: reading stops at the first reply line.
    if (AnswerFromDialogue(true)) {
        answerFound_ = true;
    }
}

void Engine::SearchCurrentDialogue() {
    // Whatever the file holds, a phrase it cannot answer goes on to the whole base.
    answerFound_ = false;
    if (AnswerFromDialogue(false)) {
        answerFound_ = true;
        return;
    }
    SearchBase();
}

void Engine::TakeReply() {
    while (LineIsTrigger() && !dialogue_.Eof()) {
        dialogue_.ReadLine(line_);
    }
    // The line that ends the reply block is stored too but never chosen, unless it is
    // the only line there is. Lines keep their tag until the reply is shown.
    replyCandidates_.clear();
    replyCandidates_.push_back(line_);
    while (LineIsReply() && !dialogue_.Eof()) {
        dialogue_.ReadLine(line_);
        replyCandidates_.push_back(line_);
    }
    const auto count = static_cast<std::uint32_t>(replyCandidates_.size());
    std::uint32_t chosen = 0;
    if (count > 1) {
        random_.Seed(static_cast<std::uint32_t>(clock_.Counter()));
        chosen = random_.Next(count - 1);
    }
    const std::string stored = std::move(replyCandidates_[chosen]);
    replyCandidates_.clear();
    // The marker is looked for in what the base holds, so a name can never carry one in.
    if (HasExitMarker(WithoutTag(stored))) {
        HandleExitMarker(stored);
    } else {
        window_.AppendChatLine(kSpeaker + WithoutTag(ExpandNameMarker(stored, options_.UserName)));
    }
}

void Engine::HandleExitMarker(const std::string& storedLine) {
    window_.AppendChatLine(kSpeaker + WithoutTag(RenderReply(storedLine, options_.UserName)));
    window_.Pause(kExitPauseMs);
    window_.RequestClose();
}

}  // namespace tumbo
