#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tumbo {

// The clauses of a lower-cased phrase: cut at . ! ? ; , : and at a dash between blanks,
// but not between two digits («1,5», «3.14»); each part without blanks at its ends, empty
// ones left out. A phrase with nothing to cut at gives one part, the phrase itself.
std::vector<std::string> PhraseParts(std::string_view phrase);

// The sentences of a phrase, cut the same way but only at . ! ? ; and line ends: the span
// within which an any-order trigger must find all it names.
std::vector<std::string> PhraseSentences(std::string_view phrase);

}  // namespace tumbo
