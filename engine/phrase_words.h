#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/concepts.h"
#include "engine/word_stemmer.h"
#include "engine/word_substitutions.h"

namespace tumbo {

// A word as the tolerant comparisons see it: its stem after the base's substitutions.
using WordId = std::uint32_t;
// A `*` standing as a word in a pattern: any run of words, none included.
inline constexpr WordId kAnyWords = 0;
// In a pattern, an element naming a class (its index in the low bits) rather than a word,
// and an element that must not occur.
inline constexpr WordId kClassElement = 0x80000000U;
inline constexpr WordId kExcludedElement = 0x40000000U;
inline constexpr WordId kElementValue = 0x3FFFFFFFU;
inline bool IsClassElement(WordId element) {
    return (element & kClassElement) != 0;
}
inline bool IsExcludedElement(WordId element) {
    return (element & kExcludedElement) != 0;
}
inline std::uint32_t ClassOf(WordId element) {
    return element & kElementValue;
}

// How a trigger is compared beyond the exact and folded text.
enum class TriggerKind : std::uint8_t {
    // Its words, in any order and form.
    kWords,
    // Words, classes and `*` in order; elements that must not occur anywhere.
    kPattern,
    // `& ...`: every element within one sentence, in any order; the excluded nowhere in it.
    kAnyOrder,
    // `*` alone: whatever the dialogue's other triggers do not answer, in a later turn.
    kCatchAll,
    // A dialogue's mark: never compared.
    kMark,
};

// Whether a stored trigger is written in the language of concepts: a word names a class
// (`@name`, `-@name`) or it opens with `&` (any order). Its text is then nobody's phrase, so
// only the exact comparison ever reads it as text.
bool NamesConcepts(std::string_view trigger);

// Turns folded text into words to compare: each word replaced as the base's substitutions
// say (a filler dropped), then stemmed, except negations and numbers, which stay as typed.
// Equal words get equal ids for the life of the object.
class PhraseWords {
public:
    PhraseWords();

    // New substitutions give every word afresh; the concepts are to be set again after them.
    void SetSubstitutions(WordSubstitutions substitutions);
    // The classes triggers may name; their entries are analysed as phrases are.
    void SetConcepts(const ConceptSet& concepts);

    // The words of a folded text, in order.
    void Analyze(std::string_view folded, std::vector<WordId>& words);
    // The elements of a trigger as stored, in order: its words, kAnyWords for every `*`
    // standing as a word (alone between blanks, or with punctuation only), a class element
    // for `@name` and an excluded one for `-word` or `-@name` in a pattern.
    TriggerKind AnalyzeTrigger(std::string_view trigger, std::vector<WordId>& elements);
    // How many words of a folded text are not fillers.
    std::size_t MeaningfulWords(std::string_view folded) const;

    // The classes: their names, whether they are danger signs, their entries as words.
    std::size_t ClassCount() const { return classes_.size(); }
    const std::string& ClassName(std::uint32_t index) const { return classes_[index].name; }
    bool IsDangerClass(std::uint32_t index) const { return classes_[index].danger; }
    const std::vector<std::vector<WordId>>& ClassEntries(std::uint32_t index) const {
        return classes_[index].entries;
    }

    bool IsNegation(WordId word) const { return Flags(word) & kNegation; }
    bool IsNumber(WordId word) const { return Flags(word) & kNumber; }
    // The word as compared, UTF-8.
    const std::string& Text(WordId word) const { return texts_[word]; }
    std::size_t Count() const { return texts_.size(); }
    std::size_t MemoryBytes() const;

private:
    enum Flag : unsigned char { kNegation = 1, kNumber = 2 };
    unsigned char Flags(WordId word) const { return flags_[word]; }
    struct Class {
        std::string name;
        bool danger = false;
        std::vector<std::vector<WordId>> entries;
    };
    void AddWord(std::string_view foldedWord, std::vector<WordId>& words);
    WordId IdOf(std::string_view foldedWord);
    WordId ClassElementOf(std::string_view name);

    WordSubstitutions substitutions_;
    WordStemmer stemmer_;
    std::unordered_map<std::string, WordId> byStem_;
    std::vector<std::string> texts_;
    std::vector<unsigned char> flags_;
    // What each folded word has given before: its ids, substitutions made.
    std::unordered_map<std::string, std::vector<WordId>> given_;
    std::vector<Class> classes_;
    std::unordered_map<std::string, std::uint32_t> classByName_;
    std::string folded_;
};

}  // namespace tumbo
