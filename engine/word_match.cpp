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

ClassOccurrences::ClassOccurrences(std::span<const WordId> phrase, const PhraseWords& analysis)
    : phrase_(phrase.begin(), phrase.end()), analysis_(analysis) {}

const std::vector<ClassOccurrences::Run>& ClassOccurrences::Of(std::uint32_t index) {
    if (index >= known_.size()) {
        known_.resize(index + 1, false);
        runs_.resize(index + 1);
    }
    if (!known_[index]) {
        known_[index] = true;
        std::vector<Run>& runs = runs_[index];
        for (const std::vector<WordId>& entry : analysis_.ClassEntries(index)) {
            for (std::size_t at = 0; at + entry.size() <= phrase_.size(); ++at) {
                if (std::equal(entry.begin(), entry.end(),
                               phrase_.begin() + static_cast<std::ptrdiff_t>(at))) {
                    runs.push_back(
                        {static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(entry.size())});
                }
            }
        }
        // Two entries may give the same words («выпил», «выпила»): one run each.
        std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
            return a.start != b.start ? a.start < b.start : a.length < b.length;
        });
        runs.erase(std::unique(runs.begin(), runs.end(),
                               [](const Run& a, const Run& b) {
                                   return a.start == b.start && a.length == b.length;
                               }),
                   runs.end());
    }
    return runs_[index];
}

bool ClassOccurrences::Within(WordId element, std::size_t begin, std::size_t end) {
    element &= ~kExcludedElement;
    if (!IsClassElement(element)) {
        return std::find(phrase_.begin() + static_cast<std::ptrdiff_t>(begin),
                         phrase_.begin() + static_cast<std::ptrdiff_t>(end),
                         element) != phrase_.begin() + static_cast<std::ptrdiff_t>(end);
    }
    return std::any_of(
        Of(ClassOf(element)).begin(), Of(ClassOf(element)).end(),
        [&](const Run& run) { return run.start >= begin && run.start + run.length <= end; });
}

bool MatchesConceptPattern(std::span<const WordId> pattern, ClassOccurrences& phrase,
                           ClassOccurrences& scope, std::size_t begin, std::size_t end) {
    const std::size_t words = phrase.Phrase().size();
    // Kept from call to call: every urgent pattern is tried at every phrase.
    thread_local std::vector<WordId> wanted;
    thread_local std::vector<bool> fails;
    wanted.clear();
    for (const WordId element : pattern) {
        if (!IsExcludedElement(element)) {
            wanted.push_back(element);
        } else if (scope.Within(element, begin, end)) {
            return false;
        }
    }
    // What cannot match from (element, word) is remembered, so every pair is tried once.
    fails.assign((wanted.size() + 1) * (words + 1), false);
    const auto match = [&](const auto& self, std::size_t p, std::size_t w) -> bool {
        if (p == wanted.size()) {
            return w == words;
        }
        const std::size_t state = p * (words + 1) + w;
        if (fails[state]) {
            return false;
        }
        const WordId element = wanted[p];
        bool matched = false;
        if (element == kAnyWords) {
            for (std::size_t to = w; to <= words && !matched; ++to) {
                matched = self(self, p + 1, to);
            }
        } else if (IsClassElement(element)) {
            for (const ClassOccurrences::Run& run : phrase.Of(ClassOf(element))) {
                if (run.start == w && self(self, p + 1, w + run.length)) {
                    matched = true;
                    break;
                }
            }
        } else {
            matched = w < words && phrase.Phrase()[w] == element && self(self, p + 1, w + 1);
        }
        fails[state] = !matched;
        return matched;
    };
    return match(match, 0, 0);
}

bool MatchesAnyOrder(std::span<const WordId> elements, ClassOccurrences& phrase,
                     std::span<const std::uint32_t> sentenceEnds) {
    std::size_t begin = 0;
    for (const std::uint32_t end : sentenceEnds) {
        const bool met = std::all_of(elements.begin(), elements.end(), [&](WordId element) {
            return phrase.Within(element, begin, end) != IsExcludedElement(element);
        });
        if (met && end > begin) {
            return true;
        }
        begin = end;
    }
    return false;
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
