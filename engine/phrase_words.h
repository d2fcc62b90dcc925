#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/word_stemmer.h"
#include "engine/word_substitutions.h"

namespace tumbo {

// A word as the tolerant comparisons see it: its stem after the base's substitutions.
using WordId = std::uint32_t;
// A `*` standing as a word in a pattern: any run of words, none included.
inline constexpr WordId kAnyWords = 0;

// Turns folded text into words to compare: each word replaced as the base's substitutions
// say (a filler dropped), then stemmed, except negations and numbers, which stay as typed.
// Equal words get equal ids for the life of the object.
class PhraseWords {
public:
    PhraseWords();

    // New substitutions give every word afresh.
    void SetSubstitutions(WordSubstitutions substitutions);

    // The words of a folded text, in order.
    void Analyze(std::string_view folded, std::vector<WordId>& words);
    // The words of a trigger as stored, in order, with kAnyWords for every `*` standing as a
    // word (alone between blanks, or with punctuation only); true when there is one.
    bool AnalyzeTrigger(std::string_view trigger, std::vector<WordId>& words);
    // How many words of a folded text are not fillers.
    std::size_t MeaningfulWords(std::string_view folded) const;

    bool IsNegation(WordId word) const { return Flags(word) & kNegation; }
    bool IsNumber(WordId word) const { return Flags(word) & kNumber; }
    // The word as compared, UTF-8.
    const std::string& Text(WordId word) const { return texts_[word]; }
    std::size_t Count() const { return texts_.size(); }
    std::size_t MemoryBytes() const;

private:
    enum Flag : unsigned char { kNegation = 1, kNumber = 2 };
    unsigned char Flags(WordId word) const { return flags_[word]; }
    void AddWord(std::string_view foldedWord, std::vector<WordId>& words);
    WordId IdOf(std::string_view foldedWord);

    WordSubstitutions substitutions_;
    WordStemmer stemmer_;
    std::unordered_map<std::string, WordId> byStem_;
    std::vector<std::string> texts_;
    std::vector<unsigned char> flags_;
    // What each folded word has given before: its ids, substitutions made.
    std::unordered_map<std::string, std::vector<WordId>> given_;
    std::string folded_;
};

}  // namespace tumbo
