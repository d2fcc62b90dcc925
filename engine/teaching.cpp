#include <cstdint>
#include <limits>
#include <string>

#include "engine/engine.h"
#include "engine/phrase.h"
#include "platform/cp1251_literal.h"
#include "platform/errors.h"
#include "platform/integer_text.h"

namespace tumbo {

namespace {

const std::string kLearnt = Cp1251(u8"Tumbo:Усвоил  :)");
const std::string kNotTaught = Cp1251(u8"Tumbo:ты меня не учишь :(");
constexpr int kFirstReplyField = 5;

// The number in a path-list entry "dlg\N.dlg": the first four characters and the four
// from the first "." on are dropped, and what is left must be an integer.
std::int64_t DialogueNumber(const std::string& entry, const std::string& pathList) {
    std::string number = entry.substr(std::min<std::size_t>(4, entry.size()));
    const auto dot = number.find('.');
    if (dot != std::string::npos) {
        number.erase(dot, 4);
    }
    try {
        return StrToInt(number);
    } catch (const ConvertError&) {
        throw ConvertError(number,
                           FailureDetails("take the number of the last dialogue from", pathList, 0,
                                          "its last line is not of the form dlg\\N.dlg"));
    }
}

std::string DialogueName(std::int64_t number) {
    return "dlg\\" + std::to_string(number) + ".dlg";
}

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
    std::int64_t number =
        pathListWasEmpty_ ? 1 : DialogueNumber(currentDialogue_, pathList_.Path()) + 1;
    newDialogue_.Assign(programDir_ + DialogueName(number));
    // A hand-edited path list may not name every file there is: never overwrite one.
    while (!newDialogue_.CreateNew()) {
        newDialogue_.Assign(programDir_ + DialogueName(++number));
    }
    // The new file is whole and its name on the disk before the path list names it, and
    // either the path list names it or neither of them changes.
    try {
        scratch_.Reset();
        std::string line;
        while (!scratch_.Eof()) {
            scratch_.ReadLine(line);
            newDialogue_.WriteLine(line);
        }
        scratch_.Close();
        newDialogue_.WriteLine("#END");
        newDialogue_.Close();
        pathList_.AppendOnNewLine();
        pathList_.WriteLine(DialogueName(number));
        pathList_.Close();
    } catch (...) {
        newDialogue_.Abandon();
        throw;
    }
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
