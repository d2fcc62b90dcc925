#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/opener_cache.h"
#include "engine/phrase_words.h"

namespace tumbo {

// The same words, each as often, in any order: `sortedPhrase` in order, `scratch` room to
// sort the trigger's in.
bool SameWords(std::span<const WordId> sortedPhrase, std::span<const WordId> trigger,
               std::vector<WordId>& scratch);

// Whether a pattern's words, kAnyWords standing for any run of words, cover the phrase.
bool MatchesPattern(std::span<const WordId> pattern, std::span<const WordId> phrase);

// Where the classes of the base stand in one phrase: the runs of its words that are an entry
// of a class, worked out for a class the first time a trigger asks.
class ClassOccurrences {
public:
    struct Run {
        std::uint32_t start = 0;
        std::uint32_t length = 0;
    };

    ClassOccurrences(std::span<const WordId> phrase, const PhraseWords& analysis);

    // The runs of class `index`, by where they start.
    const std::vector<Run>& Of(std::uint32_t index);
    // Whether an element (a word or a class) stands within words [begin, end).
    bool Within(WordId element, std::size_t begin, std::size_t end);
    std::span<const WordId> Phrase() const { return phrase_; }

private:
    std::vector<WordId> phrase_;
    const PhraseWords& analysis_;
    std::vector<std::vector<Run>> runs_;
    std::vector<bool> known_;
};

// Whether a pattern with classes or excluded elements covers the phrase: every class element
// takes one of its entries in turn, and no excluded element stands in words [begin, end) of
// `scope` (the sentence the phrase is part of).
bool MatchesConceptPattern(std::span<const WordId> pattern, ClassOccurrences& phrase,
                           ClassOccurrences& scope, std::size_t begin, std::size_t end);

// Whether some sentence of the phrase holds every element of an any-order trigger and none
// it excludes; `sentenceEnds` says where each sentence's words end.
bool MatchesAnyOrder(std::span<const WordId> elements, ClassOccurrences& phrase,
                     std::span<const std::uint32_t> sentenceEnds);

// How much meaning a phrase shares with triggers: the weight of the words both have over
// the larger of their two weights, a word weighing the more the fewer openers of the base
// hold it, so «я» and «ты» count for almost nothing and «начальник» for much.
class SharedMeaning {
public:
    SharedMeaning(std::span<const WordId> phrase, const PhraseWords& analysis,
                  const OpenerCache& openers);

    // From 0 to 1; 0 unless negations and numbers agree and some rare word is shared.
    double Score(std::span<const WordId> trigger) const;

private:
    double Weight(WordId word) const;
    bool Agrees(std::span<const WordId> trigger) const;

    const PhraseWords& analysis_;
    const OpenerCache& openers_;
    std::vector<WordId> phrase_;
    std::vector<double> phraseWeights_;
    double phraseTotal_ = 0;
};

}  // namespace tumbo
