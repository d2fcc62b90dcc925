#include "engine/lesson.h"

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

}  // namespace tumbo
