#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tumbo {

// A phrase as the tolerant search compares it: lower case by the program's rule and Ё as
// well, ё read as е, every run of characters that are neither letters nor digits one
// blank, no blanks at either end. «Привет!!», «  привет)))» and «ПРИВЕТ...» all give
// «привет». Code page 1251 bytes in and out.
std::string FoldPhrase(std::string_view text);
// The same into `folded`, reusing its room.
void FoldPhrase(std::string_view text, std::string& folded);

// The letters of a text, Latin or Cyrillic.
std::size_t LetterCount(std::string_view text);

// Whether two folded phrases differ by exactly one typo: a character added, dropped or
// changed, or two neighbours swapped, where no digit is added, dropped, changed or moved.
// Equal phrases are no typo apart.
bool OneTypoApart(std::string_view a, std::string_view b);

// For two folded phrases one typo apart: the word of `phrase` where they first differ.
std::string_view WordAtFirstDifference(std::string_view phrase, std::string_view other);

}  // namespace tumbo
