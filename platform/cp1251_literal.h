#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tumbo {

// Russian text written in the source as UTF-8 and turned into code page 1251 bytes while
// compiling, so the program's own texts read as what they say. Only ASCII and the Russian
// letters are accepted; anything else stops the build.
template <std::size_t N>
struct Cp1251Text {
    char bytes[N]{};
    std::size_t size = 0;

    constexpr std::string_view view() const { return {bytes, size}; }
    std::string str() const { return std::string(view()); }
    operator std::string() const { return str(); }
};

template <std::size_t N>
consteval Cp1251Text<N> Cp1251(const char8_t (&utf8)[N]) {
    Cp1251Text<N> text;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        const unsigned lead = utf8[i];
        if (lead < 0x80) {
            text.bytes[text.size++] = static_cast<char>(lead);
            continue;
        }
        if ((lead & 0xE0) != 0xC0 || i + 2 >= N) {
            throw "only ASCII and Russian letters";
        }
        const unsigned point = ((lead & 0x1F) << 6) | (utf8[++i] & 0x3Fu);
        unsigned byte = 0;
        if (point >= 0x410 && point <= 0x44F) {
            byte = 0xC0 + (point - 0x410);
        } else if (point == 0x401) {
            byte = 0xA8;
        } else if (point == 0x451) {
            byte = 0xB8;
        } else {
            throw "only ASCII and Russian letters";
        }
        text.bytes[text.size++] = static_cast<char>(byte);
    }
    return text;
}

}  // namespace tumbo
