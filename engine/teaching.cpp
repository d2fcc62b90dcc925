#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/dialogue_commit.h"
#include "engine/engine.h"
#include "engine/phrase.h"
#include "platform/cp1251_literal.h"

namespace tumbo {

namespace {

const std::string kLearnt = Cp1251(u8"Tumbo:Усвоил  :)");
const std::string kNotTaught = Cp1251(u8"Tumbo:ты меня не учишь :(");
constexpr int kFirstReplyField = 5;

}  // namespace

void Engine::StartScratch() {
    scratch_.Rewrite();
    scratchLines_.clear();
}

void Engine::CloseScratch() {
    if (scratch_.IsOpen()) {
        scratch_.Close();
    }
}

void Engine::ClearTeachFields() {
    for (int field = 1; field <= EngineWindow::kTeachFieldCount; ++field) {
        window_.SetTeachField(field, {});
    }
}

void Engine::CollectPhrases() {
    for (int field = 1; field <= EngineWindow::kTeachFieldCount; ++field) {
        std::string text = window_.TeachField(field);
        if (!text.empty()) {
            (field < kFirstReplyField ? triggers_ : replies_).push_back(std::move(text));
        }
    }
}

void Engine::WritePhraseBlock() {
    for (auto [list, tag] : {std::pair{&triggers_, '$'}, std::pair{&replies_, '#'}}) {
        for (const std::string& entry : *list) {
            std::string line = tag + NormalizePhrase(entry);
            scratch_.WriteLine(line);
            scratchLines_.push_back(std::move(line));
        }
    }
    triggers_.clear();
    replies_.clear();
}

void Engine::CommitDialogue() {
    const std::int64_t number =
        NextDialogueNumber(pathListWasEmpty_ ? nullptr : &currentDialogue_, pathList_.Path());
    // A taught dialogue is a few lines: it is read whole before anything is created.
    std::vector<std::string> lines;
    scratch_.Reset();
    while (!scratch_.Eof()) {
        lines.push_back(scratch_.ReadLine());
    }
    scratch_.Close();
    lines.emplace_back("#END");
    CommitNumberedDialogue(programDir_, number, lines, newDialogue_, pathList_);
}

template <typename Step>
void Engine::UndoableTeachingStep(Step step) {
    const auto triggers = triggers_;
    const auto replies = replies_;
    const auto lines = scratchLines_;
    try {
        step();
    } catch (...) {
        triggers_ = triggers;
        replies_ = replies;
        scratchLines_ = lines;
        try {
            scratch_.Rewrite();
            for (const auto& line : scratchLines_) {
                scratch_.WriteLine(line);
            }
        } catch (...) {
            // The step's own failure is the one worth reporting.
        }
        throw;
    }
}

void Engine::ConfirmTeaching() {
    UndoableTeachingStep([this] {
        CollectPhrases();
        WritePhraseBlock();
        CloseScratch();
        CommitDialogue();
    });
    // The dialogue is learnt from here on, even if the options cannot be saved: confirming
    // again would only learn it twice.
    const auto finish = [this] {
        window_.AppendChatLine(kLearnt);
        window_.HideTeachPanel();
    };
    // A hand-edited count may already be the largest there is.
    if (options_.DialogueCount < std::numeric_limits<int>::max()) {
        ++options_.DialogueCount;
    }
    try {
        SaveOptions();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void Engine::LeaveTeaching() {
    window_.AppendChatLine(kNotTaught);
    CloseScratch();
    window_.HideTeachPanel();
}

void Engine::ExtendTurn() {
    CollectPhrases();
    ClearTeachFields();
}

void Engine::NextTurn() {
    UndoableTeachingStep([this] {
        CollectPhrases();
        WritePhraseBlock();
    });
    ClearTeachFields();
}

}  // namespace tumbo
