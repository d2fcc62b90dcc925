#pragma once

#include <string>
#include <string_view>

class QString;

namespace tumbo {

// The one crossing between the program's code page 1251 bytes and Qt's Unicode text.
// A character code page 1251 cannot hold becomes "?" (an emoji, a surrogate pair, is
// one "?"). Every byte crosses both ways unchanged, the undefined 0x98 included (as the
// control character U+0098), so text read from a file and shown is never altered.
QString DecodeCp1251(std::string_view bytes);
std::string EncodeCp1251(const QString& text);

}  // namespace tumbo
