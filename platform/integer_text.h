#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tumbo {

// A 32-bit integer: decimal with an optional sign, or hexadecimal after "$" or "0x"
// (hexadecimal takes all 32 bits, so $FFFFFFFF is -1). Nothing else may surround it.
std::optional<std::int32_t> ParseInteger(std::string_view text);

}  // namespace tumbo
