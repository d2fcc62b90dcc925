#include "engine/phrase_fold.h"

#include <algorithm>
#include <array>

#include "engine/phrase.h"

namespace tumbo {

namespace {

constexpr unsigned char kSeparator = 0;
constexpr unsigned char kCapitalYo = 0xA8;
constexpr unsigned char kSmallYo = 0xB8;
constexpr unsigned char kSmallYe = 0xE5;

// The Cyrillic letters of code page 1251 below its А-я block: Serbian, Macedonian,
// Ukrainian and Belarusian letters and Ё, ё.
constexpr std::string_view kOtherCyrillic =
    "\x80\x81\x83\x8A\x8C\x8D\x8E\x8F\x90\x9A\x9C\x9D\x9E\x9F\xA1\xA2\xA3\xA5\xA8\xAA\xAF\xB2"
    "\xB3\xB4\xB8\xBA\xBC\xBD\xBE\xBF";

constexpr bool IsLetterByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0 ||
           kOtherCyrillic.find(static_cast<char>(c)) != std::string_view::npos;
}

constexpr bool IsDigitByte(unsigned char c) {
    return c >= '0' && c <= '9';
}

// What each byte folds to; kSeparator for what only separates words.
constexpr std::array<unsigned char, 256> kFolded = [] {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const auto c = static_cast<unsigned char>(i);
        if (LowerCp1251(c) != c) {
            table[c] = LowerCp1251(c);
        } else if (c == kCapitalYo || c == kSmallYo) {
            table[c] = kSmallYe;
        } else if (IsLetterByte(c) || IsDigitByte(c)) {
            table[c] = c;
        } else {
            table[c] = kSeparator;
        }
    }
    return table;
}();

bool IsDigit(char c) {
    return IsDigitByte(static_cast<unsigned char>(c));
}

}  // namespace

void FoldPhrase(std::string_view text, std::string& folded) {
    folded.clear();
    bool pendingBlank = false;
    for (const char c : text) {
        const unsigned char to = kFolded[static_cast<unsigned char>(c)];
        if (to == kSeparator) {
            pendingBlank = !folded.empty();
            continue;
        }
        if (pendingBlank) {
            folded.push_back(' ');
            pendingBlank = false;
        }
        folded.push_back(static_cast<char>(to));
    }
}

std::string FoldPhrase(std::string_view text) {
    std::string folded;
    FoldPhrase(text, folded);
    return folded;
}

std::size_t LetterCount(std::string_view text) {
    std::size_t letters = 0;
    for (const char c : text) {
        letters += IsLetterByte(static_cast<unsigned char>(c)) ? 1 : 0;
    }
    return letters;
}

bool OneTypoApart(std::string_view a, std::string_view b) {
    if (a.size() < b.size()) {
        std::swap(a, b);
    }
    if (a.size() - b.size() > 1) {
        return false;
    }
    std::size_t i = 0;
    while (i < b.size() && a[i] == b[i]) {
        ++i;
    }
    if (a.size() != b.size()) {
        // `a` has one character more, at i.
        return !IsDigit(a[i]) && a.substr(i + 1) == b.substr(i);
    }
    if (i == a.size() || IsDigit(a[i]) || IsDigit(b[i])) {
        return false;
    }
    if (a.substr(i + 1) == b.substr(i + 1)) {
        return true;
    }
    return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] && !IsDigit(a[i + 1]) &&
           a.substr(i + 2) == b.substr(i + 2);
}

std::string_view WordAtFirstDifference(std::string_view phrase, std::string_view other) {
    std::size_t at = 0;
    while (at < phrase.size() && at < other.size() && phrase[at] == other[at]) {
        ++at;
    }
    // At a blank or the end, the difference touches the word before it.
    if (at > 0 && (at == phrase.size() || phrase[at] == ' ')) {
        --at;
    }
    if (at >= phrase.size() || phrase[at] == ' ') {
        return {};
    }
    const std::size_t blankBefore = phrase.rfind(' ', at);
    const std::size_t start = blankBefore == std::string_view::npos ? 0 : blankBefore + 1;
    const std::size_t end = std::min(phrase.find(' ', at), phrase.size());
    return phrase.substr(start, end - start);
}

}  // namespace tumbo
