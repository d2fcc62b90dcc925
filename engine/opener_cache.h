#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/phrase_words.h"

namespace tumbo {

// The words of one dialogue's triggers, as the tolerant comparisons use them.
struct DialogueWords {
    struct Trigger {
        std::uint32_t line = 0;
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        TriggerKind kind = TriggerKind::kWords;
    };
    std::vector<Trigger> triggers;
    std::vector<WordId> words;
    // The mark the dialogue opens with, if any: urgent, or the general help (urgent too).
    bool urgent = false;
    bool help = false;

    std::span<const WordId> Of(const Trigger& trigger) const {
        return {words.data() + trigger.first, trigger.count};
    }
    void Clear() {
        triggers.clear();
        words.clear();
        urgent = false;
        help = false;
    }
    // Adds a trigger from its stored text at file line `line`.
    void Add(PhraseWords& analysis, std::uint32_t line, std::string_view trigger,
             std::vector<WordId>& scratch);
};

// A fingerprint of an opener block as read, to tell whether what was derived from it
// still holds: each trigger's hash and line number, mixed in order.
class OpenersPrint {
public:
    void Add(std::uint32_t line, std::string_view trigger);
    std::uint64_t Value() const { return value_; }

private:
    std::uint64_t value_ = 14695981039346656037ULL;
};

// What each dialogue's opener block gives the tolerant comparisons, kept between phrases
// by the dialogue's place in the walk, and taken afresh when the entry there or the
// openers it read are not the ones it was made from (a lesson, a forget, the base window or
// an edit by hand). Telling it by what the walk reads anyway costs no call to the system.
// It also counts in how many openers each word stands, which tells a rare word from a
// common one.
class OpenerCache {
public:
    // The words kept for the dialogue at `place` in the walk, if they were made from this
    // entry and these openers; else nullptr.
    const DialogueWords* Find(std::size_t place, std::string_view entry,
                              std::uint64_t openers) const;
    // Keeps the words of the dialogue at `place`.
    void Store(std::size_t place, std::string_view entry, std::uint64_t openers,
               DialogueWords words);
    const std::string& EntryAt(std::size_t place) const { return kept_[place].entry; }
    const DialogueWords& WordsAt(std::size_t place) const { return kept_[place].words; }

    // A walk of the whole base that met `dialogues` lets go of what lies beyond them.
    void EndWalk(std::size_t dialogues);
    void Clear();

    // In how many openers of the base a word stands, and how many openers there are.
    std::uint32_t OpenersWith(WordId word) const {
        return word < openersWith_.size() ? openersWith_[word] : 0;
    }
    std::uint32_t Openers() const { return openers_; }
    // How rare a word is among the openers: the more, the fewer hold it.
    double Rarity(WordId word) const;
    std::size_t MemoryBytes() const;

private:
    struct Kept {
        std::string entry;
        std::uint64_t openers = 0;
        DialogueWords words;
    };
    void Count(const DialogueWords& words, int sign);

    std::vector<Kept> kept_;
    std::vector<std::uint32_t> openersWith_;
    std::uint32_t openers_ = 0;
    std::vector<WordId> seen_;
    // Rarity by word, worked out once for as long as the counts stay as they are.
    mutable std::vector<double> rarity_;
};

}  // namespace tumbo
