#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tumbo::tools {

// A byte as "0x1A".
std::string Hex(unsigned char byte);

// Base text (code page 1251) in UTF-8 between quotes; bytes a terminal would act on, and
// the one byte the code page leaves undefined, are shown as \xNN.
std::string Quote(std::string_view bytes);

// Whether a byte is the one code page 1251 leaves undefined.
bool IsUndefinedByte(unsigned char byte);

// An option-file integer as the program reads it; blanks around it are allowed.
std::optional<std::int32_t> OptionInteger(std::string_view text);

}  // namespace tumbo::tools
