#include <algorithm>
#include <string>
#include <vector>

#include "engine/base_format.h"
#include "engine/dialogue_commit.h"
#include "engine/engine.h"

namespace tumbo {

void Engine::StartLesson() {
    draft_.Start();
}

void Engine::ExtendLesson(const LessonFields& fields) {
    draft_.Extend(fields);
}

void Engine::NextLessonTurn(const LessonFields& fields) {
    draft_.NextTurn(fields);
}

Learnt Engine::ConfirmLesson(const LessonFields& fields) {
    Learnt learnt;
    learnt.gap = draft_.GapWith(fields);
    if (learnt.gap != LessonGap::kNone) {
        return learnt;
    }
    draft_.Finish(fields, [&](const Lesson& lesson) { learnt = Learn(lesson); });
    return learnt;
}

void Engine::LeaveLesson() {
    draft_.Leave();
}

Learnt Engine::Learn(const Lesson& lesson) {
    // The number of the next dialogue follows the last one the path list names now.
    const PathListTally tally = TallyPathList();
    const std::int64_t number =
        NextDialogueNumber(tally.last ? &*tally.last : nullptr, pathListPath_);
    Learnt learnt;
    learnt.number = CommitNumberedDialogue(calls_, programDir_, number, lesson.DialogueLines());
    lessons_.push_back(learnt.number);
    // The miss was answered by the lesson; what came before it is over.
    conversation_.KeptDialogue.clear();
    if (onLearnt_) {
        onLearnt_();
    }
    // The dialogue is learnt from here on, even if the count cannot be saved: learning it
    // again would only store it twice. The path list holds one entry more than it did.
    try {
        WriteOptionFile(options_, tally.entries + 1);
        LoadOptions();
    } catch (...) {
        learnt.optionsNotSaved = std::current_exception();
    }
    return learnt;
}

std::optional<std::int64_t> Engine::NewestLesson() const {
    return lessons_.empty() ? std::nullopt : std::optional(lessons_.back());
}

std::exception_ptr Engine::Forgotten(const std::string& entry) {
    // A dialogue that is gone must not answer the next phrase in context.
    if (conversation_.CurrentDialogue == entry) {
        conversation_ = Conversation{};
    }
    if (conversation_.KeptDialogue == entry) {
        conversation_.KeptDialogue.clear();
    }
    std::erase_if(lessons_,
                  [&](std::int64_t number) { return base_format::DialogueEntry(number) == entry; });
    try {
        WriteOptionFile(options_);
        LoadOptions();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

}  // namespace tumbo
