#pragma once

#include <exception>
#include <string>
#include <vector>

namespace tumbo {

// What the program says to one phrase. All text is code page 1251.
struct Answer {
    // The phrase as it was matched, lower case; empty when nothing was typed.
    std::string phrase;
    // The chat log's new lines, in order.
    std::vector<std::string> lines;
    // Nothing answered: the teaching flow opens, with the phrase as its first trigger,
    // and shows kNoAnswerLine as it does.
    bool teach = false;
    // The last line ends the program: the window closes after a pause.
    bool closeAfterPause = false;
    // What stopped the search; the lines before it are still to be shown.
    std::exception_ptr failure;
    // A path-list entry the search left out for breaking the base's rule, to be shown
    // after the answer.
    std::exception_ptr skipped;
};

}  // namespace tumbo
