#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tumbo {

class LineReader;

// Words that turn a phrase's meaning round: never substituted, stemmed or dropped, so
// «я не устала» can never answer «я устала».
bool IsNegation(std::string_view foldedWord);

// One line of the base's word substitutions, `word=replacement`: the replacement is zero
// or more words, and none drops the word (a filler such as «ну=»). Both sides folded.
struct WordSubstitution {
    std::string word;
    std::vector<std::string> replacement;
};

enum class SubstitutionFault {
    kNone,
    // No "=", or not exactly one word before it.
    kMalformed,
    // A negation word replaced or dropped.
    kNegation,
    // A word replaced by itself alone.
    kItself,
};

// Reads one line. A blank line is kMalformed too; callers skip blank lines first.
SubstitutionFault ParseSubstitution(std::string_view line, WordSubstitution& substitution);

// The substitutions the tolerant comparisons apply to both the phrase and the triggers.
// A word is replaced by what its line says, and the words of that by theirs in turn, so
// that «вас=тебя» and «тебя=ты» meet wherever either is written; a cycle stops where it
// would come round.
class WordSubstitutions {
public:
    // Faulty lines are left out, and so is a later line for a word already given.
    static WordSubstitutions FromLines(const std::vector<std::string>& lines);

    // What `word` stands for, or nullptr when no line names it; empty for a filler.
    const std::vector<std::string>* Find(std::string_view word) const;
    bool IsFiller(std::string_view word) const;

    // The words whose replacement leads back to themselves.
    std::vector<std::string> WordsInCycles() const;

private:
    std::vector<std::string> Resolve(const std::string& word, std::vector<std::string>& path,
                                     bool& cycle) const;

    std::unordered_map<std::string, std::vector<std::string>> given_;
    std::unordered_map<std::string, std::vector<std::string>> resolved_;
    std::vector<std::string> inCycles_;
};

// The substitutions in the file at `path`; none when there is no such file. Throws
// InOutError when the file is there but cannot be read.
WordSubstitutions ReadWordSubstitutions(LineReader& reader, std::string_view path);

}  // namespace tumbo
