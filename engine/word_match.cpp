#include "engine/word_match.h"

#include <algorithm>
#include <cmath>

namespace tumbo {

namespace {

// A word in at most one opener in this many is rare enough to carry a match.
constexpr std::uint32_t kRareOneIn = 50;

template <typename Test>
std::vector<WordId> Only(std::span<const WordId> words, Test test) {
    std::vector<WordId> kept;
    for (const WordId word : words) {
        if (test(word)) {
            kept.push_back(word);
        }
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

// Whether the word at `i` stood earlier in the trigger, so that it counts once.
bool IsRepeated(std::span<const WordId> trigger, std::size_t i) {
    return std::find(trigger.begin(), trigger.begin() + static_cast<std::ptrdiff_t>(i),
                     trigger[i]) != trigger.begin() + static_cast<std::ptrdiff_t>(i);
}

}  // namespace

bool SameWords(std::span<const WordId> sortedPhrase, std::span<const WordId> trigger,
               std::vector<WordId>& scratch) {
    if (sortedPhrase.size() != trigger.size() || trigger.empty()) {
        return false;
    }
    scratch.assign(trigger.begin(), trigger.end());
    std::sort(scratch.begin(), scratch.end());
    return std::equal(scratch.begin(), scratch.end(), sortedPhrase.begin());
}

bool MatchesPattern(std::span<const WordId> pattern, std::span<const WordId> phrase) {
    // The classic walk with one step back: a star remembers where it stood, and a mismatch
    // lets the last star swallow one word more.
    std::size_t p = 0;
    std::size_t w = 0;
    std::size_t starAt = pattern.size();
    std::size_t swallowedTo = 0;
    while (w < phrase.size()) {
        if (p < pattern.size() && pattern[p] == kAnyWords) {
            starAt = p++;
            swallowedTo = w;
        } else if (p < pattern.size() && pattern[p] == phrase[w]) {
            ++p;
            ++w;
        } else if (starAt < pattern.size()) {
            p = starAt + 1;
            w = ++swallowedTo;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == kAnyWords) {
        ++p;
    }
    return p == pattern.size();
}

SharedMeaning::SharedMeaning(std::span<const WordId> phrase, const PhraseWords& analysis,
                             const OpenerCache& openers)
    : analysis_(analysis), openers_(openers), phrase_(phrase.begin(), phrase.end()) {
    std::sort(phrase_.begin(), phrase_.end());
    phrase_.erase(std::unique(phrase_.begin(), phrase_.end()), phrase_.end());
    for (const WordId word : phrase_) {
        phraseWeights_.push_back(Weight(word));
        phraseTotal_ += phraseWeights_.back();
    }
}

double SharedMeaning::Weight(WordId word) const {
    return openers_.Rarity(word);
}

bool SharedMeaning::Agrees(std::span<const WordId> trigger) const {
    const auto telling = [this](WordId word) {
        return analysis_.IsNegation(word) || analysis_.IsNumber(word);
    };
    std::vector<WordId> mine = Only(phrase_, telling);
    std::vector<WordId> theirs = Only(trigger, telling);
    theirs.erase(std::unique(theirs.begin(), theirs.end()), theirs.end());
    return mine == theirs;
}

double SharedMeaning::Score(std::span<const WordId> trigger) const {
    if (trigger.empty() || phraseTotal_ <= 0) {
        return 0;
    }
    // Most triggers share no rare word with the phrase: they cost one look each.
    double shared = 0;
    bool rareShared = false;
    const std::uint32_t rareAtMost = std::max<std::uint32_t>(1, openers_.Openers() / kRareOneIn);
    for (std::size_t i = 0; i < trigger.size(); ++i) {
        const WordId word = trigger[i];
        const auto at = std::lower_bound(phrase_.begin(), phrase_.end(), word);
        if (at == phrase_.end() || *at != word || IsRepeated(trigger, i)) {
            continue;
        }
        shared += phraseWeights_[static_cast<std::size_t>(at - phrase_.begin())];
        // A number alone says too little: «18» is an age in one dialogue, a time in another.
        rareShared =
            rareShared || (openers_.OpenersWith(word) <= rareAtMost && !analysis_.IsNumber(word));
    }
    if (!rareShared || shared <= 0 || !Agrees(trigger)) {
        return 0;
    }
    double triggerTotal = 0;
    for (std::size_t i = 0; i < trigger.size(); ++i) {
        if (!IsRepeated(trigger, i)) {
            triggerTotal += Weight(trigger[i]);
        }
    }
    return shared / std::max(phraseTotal_, triggerTotal);
}

}  // namespace tumbo
