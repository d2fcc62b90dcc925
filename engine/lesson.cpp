#include "engine/lesson.h"

#include "engine/base_format.h"
#include "engine/dialogue_reader.h"

namespace tumbo {

std::vector<std::string> Lesson::DialogueLines() const {
    std::vector<std::string> lines;
    for (const LessonTurn& turn : turns) {
        for (const std::string& trigger : turn.triggers) {
            lines.push_back(base_format::kTriggerTag + trigger);
        }
        for (const std::string& reply : turn.replies) {
            lines.push_back(base_format::kReplyTag + reply);
        }
    }
    lines.emplace_back(base_format::kEndLine);
    return lines;
}

LessonGap Lesson::Gap() const {
    std::vector<std::string> lines = DialogueLines();
    lines.pop_back();
    switch (CheckTurns(lines).fault) {
        case TurnFault::kNoReply:
            return LessonGap::kNoReply;
        case TurnFault::kReplyBeforeTrigger:
            return LessonGap::kNoTrigger;
        case TurnFault::kLastTriggerUnanswered:
            return LessonGap::kLastTurnWithoutReply;
        case TurnFault::kNone:
            break;
    }
    return LessonGap::kNone;
}

}  // namespace tumbo
