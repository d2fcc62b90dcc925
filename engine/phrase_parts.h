#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tumbo {

// The clauses of a lower-cased phrase: cut at . ! ? ; , : and at a dash between blanks,
// but not between two digits («1,5», «3.14»); each part without blanks at its ends, empty
// ones left out. A phrase with nothing to cut at gives one part, the phrase itself.
std::vector<std::string> PhraseParts(std::string_view phrase);

}  // namespace tumbo
