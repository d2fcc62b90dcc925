#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace tumbo {

// Code page 1251 text as UTF-8, for the libraries that read words in UTF-8 only.
class Cp1251ToUtf8 {
public:
    Cp1251ToUtf8();
    ~Cp1251ToUtf8();
    Cp1251ToUtf8(const Cp1251ToUtf8&) = delete;
    Cp1251ToUtf8& operator=(const Cp1251ToUtf8&) = delete;

    // A byte the code page leaves undefined becomes "?".
    std::string operator()(std::string_view text);

private:
    iconv_t convert_;
};

}  // namespace tumbo
