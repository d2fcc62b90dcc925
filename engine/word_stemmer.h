#pragma once

#include <string>
#include <string_view>

struct sb_stemmer;

namespace tumbo {

// The Russian Snowball stemmer: «устала», «устал» and «усталая» share one stem.
class WordStemmer {
public:
    WordStemmer();
    ~WordStemmer();
    WordStemmer(const WordStemmer&) = delete;
    WordStemmer& operator=(const WordStemmer&) = delete;

    // The stem of a folded code page 1251 word, in UTF-8. Words of other letters and
    // numbers come back as they are.
    std::string Stem(std::string_view foldedWord);

private:
    sb_stemmer* stemmer_;
};

}  // namespace tumbo
