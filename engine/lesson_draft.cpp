#include "engine/lesson_draft.h"

#include "engine/phrase.h"

namespace tumbo {

LessonDraft::LessonDraft(FileCalls& calls) : scratch_(calls) {}

void LessonDraft::Bind(const std::string& path) {
    scratchPath_ = path;
}

void LessonDraft::Start() {
    Forget();
    scratch_.Rewrite(scratchPath_);
}

void LessonDraft::Extend(const LessonFields& fields) {
    CollectPhrases(fields);
    ++extensions_;
}

void LessonDraft::NextTurn(const LessonFields& fields) {
    Undoable([&] {
        CollectPhrases(fields);
        WritePhraseBlock();
    });
    extensions_ = 0;
}

LessonPlace LessonDraft::Place() const {
    LessonPlace place;
    place.turn = static_cast<int>(lesson_.turns.size()) + 1;
    place.variant = extensions_ + 1;
    place.phrases = static_cast<int>(triggers_.size());
    place.answers = static_cast<int>(replies_.size());
    for (const LessonTurn& turn : lesson_.turns) {
        place.phrases += static_cast<int>(turn.triggers.size());
        place.answers += static_cast<int>(turn.replies.size());
    }
    return place;
}

void LessonDraft::Finish(const LessonFields& fields,
                         const std::function<void(const Lesson&)>& learn) {
    Undoable([&] {
        CollectPhrases(fields);
        WritePhraseBlock();
        CloseScratch();
        learn(lesson_);
    });
}

LessonGap LessonDraft::GapWith(const LessonFields& fields) const {
    Lesson whole = lesson_;
    LessonTurn last{triggers_, replies_};
    for (const std::string& text : fields.triggers) {
        if (!text.empty()) {
            last.triggers.push_back(text);
        }
    }
    for (const std::string& text : fields.replies) {
        if (!text.empty()) {
            last.replies.push_back(text);
        }
    }
    if (!last.triggers.empty() || !last.replies.empty()) {
        whole.turns.push_back(std::move(last));
    }
    return whole.Gap();
}

// What was typed for a lesson that is left must never reach the next one.
void LessonDraft::Leave() {
    Forget();
    CloseScratch();
    scratch_.Rewrite(scratchPath_);
    scratch_.Close();
}

void LessonDraft::Forget() {
    triggers_.clear();
    replies_.clear();
    lesson_.turns.clear();
    extensions_ = 0;
}

void LessonDraft::CollectPhrases(const LessonFields& fields) {
    for (const auto& [from, to] :
         {std::pair{&fields.triggers, &triggers_}, std::pair{&fields.replies, &replies_}}) {
        for (const std::string& text : *from) {
            if (!text.empty()) {
                to->push_back(text);
            }
        }
    }
}

// Everything taught is stored, and later shown, in lower case.
void LessonDraft::WritePhraseBlock() {
    LessonTurn turn;
    for (const std::string& trigger : triggers_) {
        turn.triggers.push_back(NormalizePhrase(trigger));
        scratch_.WriteLine("$" + turn.triggers.back());
    }
    for (const std::string& reply : replies_) {
        turn.replies.push_back(NormalizePhrase(reply));
        scratch_.WriteLine("#" + turn.replies.back());
    }
    triggers_.clear();
    replies_.clear();
    if (!turn.triggers.empty() || !turn.replies.empty()) {
        lesson_.turns.push_back(std::move(turn));
    }
}

void LessonDraft::CloseScratch() {
    if (scratch_.IsOpen()) {
        scratch_.Close();
    }
}

void LessonDraft::Undoable(const std::function<void()>& step) {
    const auto triggers = triggers_;
    const auto replies = replies_;
    const auto lesson = lesson_;
    try {
        step();
    } catch (...) {
        triggers_ = triggers;
        replies_ = replies;
        lesson_ = lesson;
        try {
            scratch_.Rewrite(scratchPath_);
            std::vector<std::string> lines = lesson_.DialogueLines();
            lines.pop_back();
            for (const std::string& line : lines) {
                scratch_.WriteLine(line);
            }
        } catch (...) {
            // The step's own failure is the one worth reporting.
        }
        throw;
    }
}

}  // namespace tumbo
