#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/phrase_words.h"
#include "platform/line_reader.h"

namespace tumbo {

// The words of one dialogue's triggers, as the tolerant comparisons use them.
struct DialogueWords {
    struct Trigger {
        std::uint32_t line = 0;
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        bool pattern = false;
    };
    std::vector<Trigger> triggers;
    std::vector<WordId> words;

    std::span<const WordId> Of(const Trigger& trigger) const {
        return {words.data() + trigger.first, trigger.count};
    }
    void Clear() {
        triggers.clear();
        words.clear();
    }
    // Adds a trigger from its stored text at file line `line`.
    void Add(PhraseWords& analysis, std::uint32_t line, std::string_view trigger,
             std::vector<WordId>& scratch);
};

// What each dialogue's opener block gives the tolerant comparisons, kept between phrases
// and taken afresh when the file is no longer the one it was made from (a lesson, the
// base window or an edit by hand). It also counts in how many openers each word stands,
// which tells a rare word from a common one.
class OpenerCache {
public:
    // The kept entry and the words of its openers, both valid until Clear or the end of the
    // next walk.
    struct Found {
        const std::string* entry = nullptr;
        const DialogueWords* words = nullptr;
    };
    // The words of `entry`'s openers if they were made from this very file; else none.
    Found Find(const std::string& entry, const LineReader::Identity& file);
    // Keeps the words of `entry`'s openers, made from `file`.
    Found Store(const std::string& entry, const LineReader::Identity& file, DialogueWords words);

    // Every walk of the whole base marks what it meets; what a whole walk did not meet is
    // no longer in the base and is let go.
    void BeginWalk();
    void EndWalk(bool wholeBase);
    void Clear();

    // In how many openers of the base a word stands, and how many openers there are.
    std::uint32_t OpenersWith(WordId word) const {
        return word < openersWith_.size() ? openersWith_[word] : 0;
    }
    std::uint32_t Openers() const { return openers_; }
    std::size_t Dialogues() const { return dialogues_.size(); }
    std::size_t MemoryBytes() const;

private:
    struct Kept {
        LineReader::Identity file;
        DialogueWords words;
        std::uint64_t walk = 0;
    };
    void Count(const DialogueWords& words, int sign);

    std::unordered_map<std::string, Kept> dialogues_;
    std::vector<std::uint32_t> openersWith_;
    std::uint32_t openers_ = 0;
    std::uint64_t walk_ = 0;
    std::vector<WordId> seen_;
};

}  // namespace tumbo
