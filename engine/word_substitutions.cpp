#include "engine/word_substitutions.h"

#include <algorithm>
#include <array>

#include "engine/base_format.h"
#include "engine/phrase_fold.h"
#include "platform/errors.h"
#include "platform/line_reader.h"

namespace tumbo {

namespace {

std::vector<std::string> FoldedWords(std::string_view text) {
    std::vector<std::string> words;
    const std::string folded = FoldPhrase(text);
    std::size_t start = 0;
    while (start < folded.size()) {
        std::size_t end = folded.find(' ', start);
        if (end == std::string::npos) {
            end = folded.size();
        }
        words.push_back(folded.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

}  // namespace

bool IsNegation(std::string_view foldedWord) {
    // не, ни, нет, без in code page 1251.
    static constexpr std::array<std::string_view, 4> kNegations = {"\xED\xE5", "\xED\xE8",
                                                                   "\xED\xE5\xF2", "\xE1\xE5\xE7"};
    return std::find(kNegations.begin(), kNegations.end(), foldedWord) != kNegations.end();
}

SubstitutionFault ParseSubstitution(std::string_view line, WordSubstitution& substitution) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return SubstitutionFault::kMalformed;
    }
    std::vector<std::string> word = FoldedWords(line.substr(0, equals));
    if (word.size() != 1) {
        return SubstitutionFault::kMalformed;
    }
    substitution.word = std::move(word.front());
    substitution.replacement = FoldedWords(line.substr(equals + 1));
    if (IsNegation(substitution.word)) {
        return SubstitutionFault::kNegation;
    }
    if (substitution.replacement.size() == 1 &&
        substitution.replacement.front() == substitution.word) {
        return SubstitutionFault::kItself;
    }
    return SubstitutionFault::kNone;
}

WordSubstitutions WordSubstitutions::FromLines(const std::vector<std::string>& lines) {
    WordSubstitutions substitutions;
    WordSubstitution substitution;
    for (const std::string& line : lines) {
        if (ParseSubstitution(line, substitution) == SubstitutionFault::kNone) {
            substitutions.given_.try_emplace(substitution.word,
                                             std::move(substitution.replacement));
        }
    }
    std::vector<std::string> path;
    for (const auto& [word, replacement] : substitutions.given_) {
        bool cycle = false;
        path.clear();
        substitutions.resolved_.emplace(word, substitutions.Resolve(word, path, cycle));
        if (cycle) {
            substitutions.inCycles_.push_back(word);
        }
    }
    std::sort(substitutions.inCycles_.begin(), substitutions.inCycles_.end());
    return substitutions;
}

std::vector<std::string> WordSubstitutions::Resolve(const std::string& word,
                                                    std::vector<std::string>& path,
                                                    bool& cycle) const {
    const auto given = given_.find(word);
    if (given == given_.end()) {
        return {word};
    }
    if (std::find(path.begin(), path.end(), word) != path.end()) {
        cycle = cycle || word == path.front();
        return {word};
    }
    path.push_back(word);
    std::vector<std::string> words;
    for (const std::string& next : given->second) {
        std::vector<std::string> expanded = Resolve(next, path, cycle);
        words.insert(words.end(), std::make_move_iterator(expanded.begin()),
                     std::make_move_iterator(expanded.end()));
    }
    path.pop_back();
    return words;
}

const std::vector<std::string>* WordSubstitutions::Find(std::string_view word) const {
    const auto found = resolved_.find(std::string(word));
    return found == resolved_.end() ? nullptr : &found->second;
}

bool WordSubstitutions::IsFiller(std::string_view word) const {
    const std::vector<std::string>* replacement = Find(word);
    return replacement != nullptr && replacement->empty();
}

std::vector<std::string> WordSubstitutions::WordsInCycles() const {
    return inCycles_;
}

WordSubstitutions ReadWordSubstitutions(LineReader& reader, std::string_view path) {
    if (!base_format::OpenOptional(reader, path)) {
        return {};
    }
    std::vector<std::string> lines;
    std::string line;
    while (!reader.Eof()) {
        if (reader.ReadLine(line, base_format::kMaxWordsLineLength)) {
            lines.push_back(line);
        }
    }
    reader.Close();
    return WordSubstitutions::FromLines(lines);
}

}  // namespace tumbo
