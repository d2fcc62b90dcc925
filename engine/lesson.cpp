#include "engine/lesson.h"

#include <algorithm>

#include "engine/base_format.h"

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
    const auto has = [this](auto LessonTurn::*list) {
        return std::any_of(turns.begin(), turns.end(),
                           [list](const LessonTurn& turn) { return !(turn.*list).empty(); });
    };
    if (!has(&LessonTurn::replies)) {
        return LessonGap::kNoReply;
    }
    if (turns.front().triggers.empty()) {
        return LessonGap::kNoTrigger;
    }
    // Triggers after the last reply would be answered with the end line.
    for (auto turn = turns.rbegin(); turn != turns.rend(); ++turn) {
        if (!turn->replies.empty()) {
            return LessonGap::kNone;
        }
        if (!turn->triggers.empty()) {
            return LessonGap::kLastTurnWithoutReply;
        }
    }
    return LessonGap::kNone;
}

}  // namespace tumbo
