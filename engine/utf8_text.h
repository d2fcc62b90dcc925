#pragma once

#include <string>
#include <string_view>

namespace tumbo {

// Code page 1251 text as UTF-8, for the libraries and people that read UTF-8 only. The one
// byte the code page leaves undefined becomes "?".
std::string Utf8FromCp1251(std::string_view text);

}  // namespace tumbo
