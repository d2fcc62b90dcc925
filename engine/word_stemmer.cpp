#include "engine/word_stemmer.h"

#include <libstemmer.h>

#include <stdexcept>

#include "engine/utf8_text.h"

namespace tumbo {

WordStemmer::WordStemmer() : stemmer_(sb_stemmer_new("russian", "UTF_8")) {
    if (stemmer_ == nullptr) {
        throw std::runtime_error("the Snowball stemmer has no Russian");
    }
}

WordStemmer::~WordStemmer() {
    sb_stemmer_delete(stemmer_);
}

std::string WordStemmer::Stem(std::string_view foldedWord) {
    const std::string word = Utf8FromCp1251(foldedWord);
    const sb_symbol* stem = sb_stemmer_stem(
        stemmer_, reinterpret_cast<const sb_symbol*>(word.data()), static_cast<int>(word.size()));
    if (stem == nullptr) {
        return word;
    }
    return std::string(reinterpret_cast<const char*>(stem),
                       static_cast<std::size_t>(sb_stemmer_length(stemmer_)));
}

}  // namespace tumbo
