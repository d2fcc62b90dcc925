#include "engine/dialogue_reader.h"

#include <optional>

#include "engine/base_format.h"

namespace tumbo {

DialogueLines::Place DialogueLines::Next(std::string_view line) {
    const char tag = line.empty() ? '\0' : line.front();
    const bool afterTrigger = place_.kind == Kind::kTrigger;
    if (tag == base_format::kTriggerTag) {
        place_.kind = Kind::kTrigger;
        place_.turn += afterTrigger ? 0 : 1;
    } else if (tag == base_format::kReplyTag) {
        place_.kind = Kind::kReply;
        place_.inOpeners = false;
    } else {
        place_.kind = Kind::kOther;
    }
    return place_;
}

TurnCheck CheckTurns(const std::vector<std::string>& lines) {
    DialogueLines places;
    DialogueLines::Place place;
    std::size_t turnAt = 0;
    std::optional<std::size_t> firstReply;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const DialogueLines::Kind before = place.kind;
        place = places.Next(lines[i]);
        if (place.kind == DialogueLines::Kind::kTrigger && before != place.kind) {
            turnAt = i;
        } else if (place.kind == DialogueLines::Kind::kReply && !firstReply) {
            firstReply = i;
            if (place.turn == 0) {
                return {TurnFault::kReplyBeforeTrigger, i};
            }
        }
    }
    if (!firstReply) {
        return {TurnFault::kNoReply, 0};
    }
    if (place.kind == DialogueLines::Kind::kTrigger) {
        return {TurnFault::kLastTriggerUnanswered, turnAt};
    }
    return {};
}

void DialogueReader::Open(std::string_view path) {
    file_.Open(path);
    // A blank is neither tag: the walk through the opener block starts.
    line_.assign(1, ' ');
    number_ = 0;
}

void DialogueReader::Close() {
    if (file_.IsOpen()) {
        file_.Close();
    }
}

void DialogueReader::ReadLine() {
    file_.ReadLine(line_);
    ++number_;
}

bool DialogueReader::NextTrigger(bool openersOnly) {
    while (!(openersOnly && LineIs(base_format::kReplyTag)) && !file_.Eof()) {
        ReadLine();
        if (LineIs(base_format::kTriggerTag)) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> DialogueReader::TakeReplyLines() {
    while (LineIs(base_format::kTriggerTag) && !file_.Eof()) {
        ReadLine();
    }
    std::vector<std::string> lines{line_};
    while (LineIs(base_format::kReplyTag) && !file_.Eof()) {
        ReadLine();
        lines.push_back(line_);
    }
    return lines;
}

std::vector<std::string> ReadOpeners(DialogueReader& reader, std::string_view path) {
    std::vector<std::string> openers;
    reader.Open(path);
    while (reader.NextTrigger(true)) {
        openers.emplace_back(reader.Phrase());
    }
    reader.Close();
    return openers;
}

}  // namespace tumbo
