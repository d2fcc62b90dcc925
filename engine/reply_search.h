#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/conversation.h"
#include "engine/dialogue_reader.h"
#include "platform/file_calls.h"
#include "platform/line_reader.h"

namespace tumbo {

// Finds the trigger that answers a phrase. The exact comparison decides whenever it finds
// anything: in context the current dialogue's triggers, then the openers of the whole base
// in path-list order. Only when nothing is exactly the phrase does the same order give the
// first trigger whose folded form is the folded phrase, and after that the first one a
// typo away from it, for phrases of five letters or more. The base is read once a phrase.
class ReplySearch {
public:
    enum class Tier { kExact, kFolded, kOneTypo };
    // Told how many dialogues the walk of the base has read so far.
    using Progress = std::function<void(int dialogues)>;

    explicit ReplySearch(FileCalls& calls);

    // The base is the one under `programDir`.
    void Bind(const std::string& programDir);

    // Looks for `phrase`, lower case already, and leaves `conversation` where the design's
    // walk leaves it: in the answering dialogue, or out of context after the last one.
    // True when a trigger answers; TakeReplyLines then gives the lines to choose from.
    bool Find(const std::string& phrase, Conversation& conversation, const Progress& progress);
    std::vector<std::string> TakeReplyLines();
    Tier FoundBy() const { return foundBy_; }

private:
    struct Candidate {
        std::string entry;
        std::size_t line = 0;
        bool found = false;
    };

    bool SearchDialogue(const std::string& entry, bool openersOnly);
    void ConsiderTolerantly(const std::string& entry);
    void OpenAt(const Candidate& candidate);

    std::string programDir_;
    std::string pathListPath_;
    LineReader pathList_;
    DialogueReader reader_;
    std::string dialoguePath_;

    std::string phrase_;
    std::string foldedPhrase_;
    std::string foldedTrigger_;
    bool typosAllowed_ = false;
    Candidate folded_;
    Candidate oneTypo_;
    Tier foundBy_ = Tier::kExact;
};

}  // namespace tumbo
