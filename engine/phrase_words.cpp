#include "engine/phrase_words.h"

#include <algorithm>

#include "engine/phrase_fold.h"
#include "engine/utf8_text.h"

namespace tumbo {

namespace {

// The ids a run of memory costs, for the report of the cache's size.
constexpr std::size_t kNodeBytes = 64;
constexpr std::size_t kShortestStemmed = 4;

bool IsNumberWord(std::string_view word) {
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A token of a stored trigger that stands for any words: a `*` with nothing but
// punctuation beside it.
bool IsWildcardToken(std::string_view token) {
    return token.find('*') != std::string_view::npos && FoldPhrase(token).empty();
}

template <typename Each>
void ForEachWord(std::string_view folded, Each each) {
    std::size_t start = 0;
    while (start < folded.size()) {
        std::size_t end = folded.find(' ', start);
        if (end == std::string_view::npos) {
            end = folded.size();
        }
        each(folded.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

PhraseWords::PhraseWords() {
    texts_.emplace_back("*");
    flags_.push_back(0);
}

void PhraseWords::SetSubstitutions(WordSubstitutions substitutions) {
    substitutions_ = std::move(substitutions);
    given_.clear();
}

WordId PhraseWords::IdOf(std::string_view foldedWord) {
    const bool negation = tumbo::IsNegation(foldedWord);
    const bool number = IsNumberWord(foldedWord);
    // A short word has too little ending to cut: «эхо» would become «эх».
    const bool keepWhole = negation || number || foldedWord.size() <= kShortestStemmed - 1;
    std::string text = keepWhole ? Utf8FromCp1251(foldedWord) : stemmer_.Stem(foldedWord);
    const auto [found, added] = byStem_.try_emplace(text, static_cast<WordId>(texts_.size()));
    if (added) {
        texts_.push_back(std::move(text));
        flags_.push_back(
            static_cast<unsigned char>((negation ? kNegation : 0) | (number ? kNumber : 0)));
    }
    return found->second;
}

void PhraseWords::AddWord(std::string_view foldedWord, std::vector<WordId>& words) {
    auto given = given_.find(std::string(foldedWord));
    if (given == given_.end()) {
        std::vector<WordId> ids;
        const std::vector<std::string>* replacement =
            tumbo::IsNegation(foldedWord) ? nullptr : substitutions_.Find(foldedWord);
        if (replacement == nullptr) {
            ids.push_back(IdOf(foldedWord));
        } else {
            for (const std::string& word : *replacement) {
                ids.push_back(IdOf(word));
            }
        }
        given = given_.emplace(std::string(foldedWord), std::move(ids)).first;
    }
    words.insert(words.end(), given->second.begin(), given->second.end());
}

void PhraseWords::Analyze(std::string_view folded, std::vector<WordId>& words) {
    words.clear();
    ForEachWord(folded, [&](std::string_view word) { AddWord(word, words); });
}

bool PhraseWords::AnalyzeTrigger(std::string_view trigger, std::vector<WordId>& words) {
    words.clear();
    bool pattern = false;
    std::size_t start = 0;
    while (start <= trigger.size()) {
        std::size_t end = trigger.find(' ', start);
        if (end == std::string_view::npos) {
            end = trigger.size();
        }
        const std::string_view token = trigger.substr(start, end - start);
        if (IsWildcardToken(token)) {
            pattern = true;
            words.push_back(kAnyWords);
        } else {
            FoldPhrase(token, folded_);
            ForEachWord(folded_, [&](std::string_view word) { AddWord(word, words); });
        }
        start = end + 1;
    }
    return pattern;
}

std::size_t PhraseWords::MeaningfulWords(std::string_view folded) const {
    std::size_t count = 0;
    ForEachWord(folded, [&](std::string_view word) {
        count += substitutions_.IsFiller(word) && !tumbo::IsNegation(word) ? 0 : 1;
    });
    return count;
}

std::size_t PhraseWords::MemoryBytes() const {
    std::size_t bytes = flags_.capacity();
    for (const std::string& text : texts_) {
        bytes += sizeof(std::string) + text.capacity() + kNodeBytes;
    }
    for (const auto& [word, ids] : given_) {
        bytes += kNodeBytes + word.capacity() + ids.capacity() * sizeof(WordId);
    }
    return bytes;
}

}  // namespace tumbo
