#include "engine/spelling_dictionary.h"

#include <hunspell/hunspell.h>
#include <unistd.h>

#include <array>
#include <map>
#include <vector>

#include "engine/utf8_text.h"

namespace tumbo {

namespace {

// Words a user types in one session are few; the bound only keeps a long run small.
constexpr std::size_t kMostRememberedWords = 10'000;

constexpr std::array<std::string_view, 2> kLanguages = {"ru_RU", "en_US"};

}  // namespace

struct SpellingDictionary::Dictionaries {
    std::vector<Hunhandle*> handles;
    ~Dictionaries() {
        for (Hunhandle* handle : handles) {
            Hunspell_destroy(handle);
        }
    }
};

SpellingDictionary::SpellingDictionary(std::string folder) : folder_(std::move(folder)) {}

SpellingDictionary::~SpellingDictionary() = default;

std::shared_ptr<SpellingDictionary::Dictionaries> SpellingDictionary::Load(
    const std::string& folder) {
    // Loading takes a good part of a second, and the dictionaries never change while the
    // program runs: every search shares one copy.
    static std::map<std::string, std::shared_ptr<Dictionaries>> loaded;
    const auto found = loaded.find(folder);
    if (found != loaded.end()) {
        return found->second;
    }
    auto dictionaries = std::make_shared<Dictionaries>();
    for (const std::string_view language : kLanguages) {
        const std::string stem = folder + "/" + std::string(language);
        const std::string aff = stem + ".aff";
        const std::string dic = stem + ".dic";
        if (access(aff.c_str(), R_OK) == 0 && access(dic.c_str(), R_OK) == 0) {
            dictionaries->handles.push_back(Hunspell_create(aff.c_str(), dic.c_str()));
        }
    }
    if (dictionaries->handles.size() != kLanguages.size()) {
        dictionaries.reset();
    }
    loaded.emplace(folder, dictionaries);
    return dictionaries;
}

bool SpellingDictionary::Knows(std::string_view foldedWord) {
    if (!triedToLoad_) {
        triedToLoad_ = true;
        loaded_ = Load(folder_);
    }
    if (!loaded_) {
        return true;
    }
    const std::string word(foldedWord);
    if (const auto known = known_.find(word); known != known_.end()) {
        return known->second;
    }
    const std::string utf8 = Utf8FromCp1251(word);
    bool knows = false;
    for (Hunhandle* handle : loaded_->handles) {
        knows = knows || Hunspell_spell(handle, utf8.c_str()) != 0;
    }
    if (known_.size() >= kMostRememberedWords) {
        known_.clear();
    }
    known_.emplace(word, knows);
    return knows;
}

}  // namespace tumbo
