#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tumbo {

// The Russian and English spelling dictionaries, which tell a typo from a real word: «пить»
// is a word, so it is never read as a mistyped «жить».
class SpellingDictionary {
public:
    // Where Debian installs Hunspell's dictionaries.
    static constexpr std::string_view kSystemFolder = "/usr/share/hunspell";

    explicit SpellingDictionary(std::string folder = std::string(kSystemFolder));
    ~SpellingDictionary();
    SpellingDictionary(const SpellingDictionary&) = delete;
    SpellingDictionary& operator=(const SpellingDictionary&) = delete;

    // Whether either dictionary knows a folded code page 1251 word. Without a dictionary
    // every word counts as known, so that no real word is ever taken for a typo.
    bool Knows(std::string_view foldedWord);

private:
    struct Dictionaries;
    static std::shared_ptr<Dictionaries> Load(const std::string& folder);

    std::string folder_;
    std::shared_ptr<Dictionaries> loaded_;
    bool triedToLoad_ = false;
    std::unordered_map<std::string, bool> known_;
};

}  // namespace tumbo
