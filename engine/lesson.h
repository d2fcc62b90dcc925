#pragma once

#include <string>
#include <vector>

namespace tumbo {

// One step's fields as typed: phrasings of what the user says and replies, any number of
// each. Empty fields count for nothing; a field of blanks is text.
struct LessonFields {
    std::vector<std::string> triggers;
    std::vector<std::string> replies;
};

// One turn of a lesson: what the user may say, then what the program answers.
struct LessonTurn {
    std::vector<std::string> triggers;
    std::vector<std::string> replies;
};

// What a lesson still needs before it can be learnt: a dialogue must open with the user's
// phrase and answer every turn.
enum class LessonGap { kNone, kNoTrigger, kNoReply, kLastTurnWithoutReply };

// Where an open lesson stands: the turn being taught (from 1), its variant (from 1, one more
// after every "расширить"), and how many of the user's phrases and of Tumbo's answers the
// lesson holds so far.
struct LessonPlace {
    int turn = 1;
    int variant = 1;
    int phrases = 0;
    int answers = 0;
    friend bool operator==(const LessonPlace&, const LessonPlace&) = default;
};

// What is taught as one new dialogue, lower case as it is stored.
struct Lesson {
    std::vector<LessonTurn> turns;

    // The dialogue file's lines, "#END" last. A turn without triggers adds its replies to
    // the replies before it; one without replies puts its triggers before the next ones.
    std::vector<std::string> DialogueLines() const;
    LessonGap Gap() const;
};

}  // namespace tumbo
