#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "engine/dialogue_reader.h"
#include "platform/line_reader.h"
#include "tools/findings.h"

namespace tumbo::tools {

// The openers seen so far in path-list order, and the entry that has each first.
class OpenerOwners {
public:
    // The entry that already has `phrase`, or nullptr after making `entry` its owner.
    const std::string* Claim(const std::string& phrase, const std::string& entry);
    // The same for the folded form of an opener, which tolerant matching compares.
    const std::string* ClaimFolded(const std::string& folded, const std::string& entry);

private:
    std::map<std::string, std::string> owners_;
    std::map<std::string, std::string> foldedOwners_;
};

// The checks of one dialogue file, fed its lines one at a time: tags, turns, #END, lower
// case triggers, triggers that repeat an earlier turn, openers an earlier dialogue has, marks
// out of place, a lone `*` as an opener and classes the base's concepts do not define.
class DialogueCheck {
public:
    DialogueCheck(Findings& findings, OpenerOwners& openers, const std::set<std::string>& concepts,
                  std::string file, std::string entry)
        : findings_(findings),
          openers_(openers),
          concepts_(concepts),
          file_(std::move(file)),
          entry_(std::move(entry)) {}

    void Line(const StoredLine& line);
    void End();

private:
    void EndOfTriggerBlock(std::size_t last, char nextTag, const std::string& nextText);
    void Trigger(const StoredLine& line, std::size_t number);
    // Marks, catch-alls and class names; true when the trigger is a mark.
    bool Conceptual(const std::string& phrase, std::size_t number);

    Findings& findings_;
    OpenerOwners& openers_;
    const std::set<std::string>& concepts_;
    std::string file_;
    std::string entry_;
    std::size_t lines_ = 0;
    StoredLine previous_;
    char firstTag_ = '\0';
    bool firstIsEnd_ = false;
    bool anyTrigger_ = false;
    DialogueLines places_;
    DialogueLines::Place place_;
    std::map<std::string, std::pair<std::size_t, int>> triggersSeen_;
    std::set<std::string> foldedWarned_;
};

}  // namespace tumbo::tools
