#include "engine/phrase_words.h"

#include <algorithm>

#include "engine/base_format.h"
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
void ForEachToken(std::string_view trigger, Each each) {
    std::size_t start = 0;
    while (start <= trigger.size()) {
        std::size_t end = trigger.find(' ', start);
        if (end == std::string_view::npos) {
            end = trigger.size();
        }
        each(trigger.substr(start, end - start));
        start = end + 1;
    }
}

bool NamesClass(std::string_view token) {
    return token.size() > 1 && token.front() == '@';
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

bool NamesConcepts(std::string_view trigger) {
    // Every trigger of every walk is asked: most hold neither character.
    if (trigger.find_first_of("@&") == std::string_view::npos) {
        return false;
    }
    bool concepts = false;
    bool first = true;
    ForEachToken(trigger, [&](std::string_view token) {
        concepts = concepts || (first && token == "&") || NamesClass(token) ||
                   (token.size() > 2 && token.starts_with("-@"));
        first = first && token.empty();
    });
    return concepts;
}

PhraseWords::PhraseWords() {
    texts_.emplace_back("*");
    flags_.push_back(0);
}

void PhraseWords::SetSubstitutions(WordSubstitutions substitutions) {
    substitutions_ = std::move(substitutions);
    given_.clear();
}

void PhraseWords::SetConcepts(const ConceptSet& concepts) {
    classes_.clear();
    classByName_.clear();
    for (const ConceptSet::Class& given : concepts.Classes()) {
        Class& kept = classes_.emplace_back();
        kept.name = given.name;
        kept.danger = given.danger;
        for (const std::string& entry : given.entries) {
            std::vector<WordId> words;
            Analyze(entry, words);
            // An entry of fillers alone would be met everywhere.
            if (!words.empty()) {
                kept.entries.push_back(std::move(words));
            }
        }
        classByName_.emplace(kept.name, static_cast<std::uint32_t>(classes_.size() - 1));
    }
}

WordId PhraseWords::ClassElementOf(std::string_view name) {
    // A class the base does not define is kept empty: it meets nothing.
    const auto [found, added] =
        classByName_.try_emplace(std::string(name), static_cast<std::uint32_t>(classes_.size()));
    if (added) {
        classes_.push_back({std::string(name), false, {}});
    }
    return kClassElement | found->second;
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

TriggerKind PhraseWords::AnalyzeTrigger(std::string_view trigger, std::vector<WordId>& elements) {
    elements.clear();
    if (base_format::IsMark(trigger)) {
        return TriggerKind::kMark;
    }
    bool anyOrder = false;
    bool pattern = false;
    bool first = true;
    ForEachToken(trigger, [&](std::string_view token) {
        anyOrder = anyOrder || (first && token == "&");
        pattern = pattern || IsWildcardToken(token) || NamesClass(token) ||
                  (token.size() > 2 && token.starts_with("-@"));
        first = token.empty() && first;
    });
    const bool elementsOnly = anyOrder || pattern;
    bool wordSeen = false;
    first = true;
    ForEachToken(trigger, [&](std::string_view token) {
        const bool leading = first && !token.empty();
        first = token.empty() && first;
        if (leading && anyOrder) {
            return;
        }
        if (IsWildcardToken(token)) {
            elements.push_back(kAnyWords);
            return;
        }
        const bool excluded = elementsOnly && token.size() > 1 && token.front() == '-';
        if (excluded) {
            token.remove_prefix(1);
        }
        const std::size_t from = elements.size();
        if (NamesClass(token)) {
            elements.push_back(ClassElementOf(token.substr(1)));
        } else {
            FoldPhrase(token, folded_);
            ForEachWord(folded_, [&](std::string_view word) { AddWord(word, elements); });
        }
        for (std::size_t i = from; i < elements.size(); ++i) {
            wordSeen = wordSeen || !excluded;
            elements[i] |= excluded ? kExcludedElement : 0;
        }
    });
    if (!wordSeen) {
        // Stars alone hold on to nothing: in a later turn they take what nothing else does.
        const bool stars = pattern && !anyOrder;
        elements.clear();
        return stars ? TriggerKind::kCatchAll : TriggerKind::kWords;
    }
    if (anyOrder) {
        std::erase(elements, kAnyWords);
        return TriggerKind::kAnyOrder;
    }
    return pattern ? TriggerKind::kPattern : TriggerKind::kWords;
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
