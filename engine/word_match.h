#pragma once

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
