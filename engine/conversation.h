#pragma once

#include <string>

namespace tumbo {

// Where the chat stands between two phrases.
struct Conversation {
    // The path-list entry of the dialogue that answered the last phrase, or of the last one
    // the search read.
    std::string CurrentDialogue;
    // The last phrase was answered, so the next one is first looked for in CurrentDialogue.
    bool AnswerFound = false;
    // After one phrase that found nothing, the dialogue that answered before it: the
    // tolerant comparisons still try its turns first, so a follow-up after a miss is met.
    // A second miss in a row lets it go.
    std::string KeptDialogue;
    // While an urgent dialogue is current: how many phrases it has answered since it took
    // over (0 after its first reply); -1 otherwise.
    int HeldPhrases = -1;
};

}  // namespace tumbo
