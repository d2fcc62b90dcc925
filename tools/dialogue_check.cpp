#include "tools/dialogue_check.h"

#include <string_view>

#include "engine/base_format.h"
#include "engine/phrase.h"
#include "engine/phrase_fold.h"
#include "engine/phrase_words.h"
#include "tools/base_lines.h"
#include "tools/check_text.h"

namespace tumbo::tools {

namespace {

using base_format::kEndLine;
using base_format::kReplyTag;
using base_format::kTriggerTag;

// Beyond these, repeats are no longer looked for, so that a file or a base of any size is
// checked in bounded memory.
constexpr std::size_t kMaxTriggersRemembered = 100'000;
constexpr std::size_t kMaxOpenersRemembered = 1'000'000;

char Tag(const std::string& text) {
    return text.empty() ? '\0' : text.front();
}

}  // namespace

namespace {

const std::string* ClaimIn(std::map<std::string, std::string>& owners, const std::string& phrase,
                           const std::string& entry) {
    if (owners.size() >= kMaxOpenersRemembered && !owners.contains(phrase)) {
        return nullptr;
    }
    const auto [owner, added] = owners.emplace(phrase, entry);
    return added || owner->second == entry ? nullptr : &owner->second;
}

}  // namespace

const std::string* OpenerOwners::Claim(const std::string& phrase, const std::string& entry) {
    return ClaimIn(owners_, phrase, entry);
}

const std::string* OpenerOwners::ClaimFolded(const std::string& folded, const std::string& entry) {
    return ClaimIn(foldedOwners_, folded, entry);
}

// Turns are a $ block and the # block after it; the search within a dialogue always takes
// the first matching trigger from the top of the file. The opener block is the trigger
// lines before the first reply line, as the search reads it.
void DialogueCheck::Line(const StoredLine& line) {
    const std::size_t number = ++lines_;
    const std::string& text = line.text;
    const char tag = Tag(text);
    const char previousTag = number > 1 ? Tag(previous_.text) : '\0';
    if (number == 1) {
        firstTag_ = tag;
        firstIsEnd_ = text == kEndLine;
    }
    if (number > 1 && previous_.text == kEndLine) {
        findings_.Add(file_, number - 1,
                      "#END before the end of the file; the program reads it as the reply "
                      "\"END\"");
    }
    if (previousTag == kTriggerTag && tag != kTriggerTag) {
        EndOfTriggerBlock(number - 1, tag, text);
    }
    if (tag != '\0' && tag != kTriggerTag && tag != kReplyTag) {
        findings_.Add(file_, number, "line is neither a trigger ($) nor a reply (#)");
    } else if (tag != '\0' && text.size() == 1) {
        findings_.Add(
            file_, number,
            tag == kTriggerTag ? "trigger with no text can never match" : "reply with no text");
    }
    place_ = places_.Next(text);
    if (place_.kind == DialogueLines::Kind::kTrigger) {
        anyTrigger_ = true;
        if (line.length <= kMaxLineLength) {
            Trigger(line, number);
        }
    }
    previous_ = line;
}

void DialogueCheck::Trigger(const StoredLine& line, std::size_t number) {
    const std::string phrase = line.text.substr(1);
    const std::string lowered = NormalizePhrase(phrase);
    if (lowered != phrase) {
        findings_.Add(file_, number,
                      "trigger " + Quote(phrase) +
                          " is not lower case, so it can never match (typed text is "
                          "lower-cased: " +
                          Quote(lowered) + ")");
    }
    if (Conceptual(phrase, number)) {
        return;
    }
    if (triggersSeen_.size() < kMaxTriggersRemembered) {
        const auto [where, added] = triggersSeen_.emplace(phrase, std::pair{number, place_.turn});
        if (!added && where->second.second != place_.turn && !phrase.empty()) {
            findings_.Add(file_, number,
                          "trigger " + Quote(phrase) + " repeats line " +
                              std::to_string(where->second.first) +
                              " of an earlier turn, which always answers it first");
        }
    }
    if (place_.inOpeners && !phrase.empty() && lowered == phrase) {
        if (const std::string* owner = openers_.Claim(phrase, entry_)) {
            findings_.Add(file_, number,
                          "opener " + Quote(phrase) + " is already an opener of " + *owner +
                              ", earlier in path.tmb; this dialogue never answers it out of "
                              "context");
            return;
        }
        // A concept trigger's text is nobody's phrase: only its exact twin is shadowed.
        const std::string folded = FoldPhrase(phrase);
        if (folded.empty() || NamesConcepts(phrase)) {
            return;
        }
        const std::string* owner = openers_.ClaimFolded(folded, entry_);
        // Once for each folded form: the other spellings of one opener say nothing new.
        if (owner != nullptr && foldedWarned_.insert(folded).second) {
            findings_.Warn(file_, number,
                           "opener " + Quote(phrase) + " reads as " + Quote(folded) +
                               " to the tolerant search, like an opener of " + *owner +
                               ", earlier in path.tmb, which answers its other spellings "
                               "first");
        }
    }
}

bool DialogueCheck::Conceptual(const std::string& phrase, std::size_t number) {
    if (base_format::IsMark(phrase)) {
        if (number != 1) {
            findings_.Add(file_, number,
                          Quote(phrase) +
                              " marks a dialogue only as its first line; here it is a phrase "
                              "nobody types");
        }
        return true;
    }
    if (phrase == "*" && place_.inOpeners) {
        findings_.Add(file_, number,
                      "a trigger of * alone answers what a dialogue's other turns do not, so "
                      "only a later turn may hold it; as an opener it meets nothing");
    }
    std::size_t start = 0;
    while (start < phrase.size()) {
        std::size_t end = phrase.find(' ', start);
        end = end == std::string::npos ? phrase.size() : end;
        std::string_view token = std::string_view(phrase).substr(start, end - start);
        if (token.starts_with("-@")) {
            token.remove_prefix(1);
        }
        if (token.size() > 1 && token.front() == '@' &&
            !concepts_.contains(std::string(token.substr(1)))) {
            findings_.Add(file_, number,
                          Quote(token) + " is no class of " + std::string(base_format::kConcepts) +
                              ", so it meets nothing");
        }
        start = end + 1;
    }
    return false;
}

// A block of triggers ended at `last`; `nextTag` and `nextText` are the line after it, or
// nothing at the end of the file.
void DialogueCheck::EndOfTriggerBlock(std::size_t last, char nextTag, const std::string& nextText) {
    if (nextTag != kReplyTag) {
        findings_.Add(file_, last, "triggers with no reply after them");
    } else if (nextText == kEndLine) {
        findings_.Add(file_, last,
                      "triggers followed by #END instead of a reply; the program answers "
                      "\"END\"");
    }
}

void DialogueCheck::End() {
    if (lines_ == 0) {
        findings_.Add(file_, 0, "is empty: a dialogue needs triggers, replies and a closing #END");
        return;
    }
    if (Tag(previous_.text) == kTriggerTag) {
        EndOfTriggerBlock(lines_, '\0', {});
    }
    if (previous_.text != kEndLine) {
        findings_.Add(file_, lines_, "last line is not #END");
    }
    if (firstTag_ == kReplyTag && !(lines_ == 1 && firstIsEnd_)) {
        findings_.Add(file_, 1, "replies before any trigger: the dialogue has no openers");
    }
    if (!anyTrigger_) {
        findings_.Add(file_, 0, "has no triggers, so it can never answer");
    }
}

}  // namespace tumbo::tools
