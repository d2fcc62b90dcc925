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
};

}  // namespace tumbo
