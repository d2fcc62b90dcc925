#pragma once

#include "platform/cp1251_literal.h"

// Lets tests write Russian text as it reads: "привет"_cp is its code page 1251 bytes.
namespace tumbo::test {

template <std::size_t N>
struct Utf8Literal {
    char8_t text[N];
    consteval Utf8Literal(const char8_t (&source)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            text[i] = source[i];
        }
    }
};

template <Utf8Literal literal>
std::string operator""_cp() {
    return Cp1251(literal.text).str();
}

}  // namespace tumbo::test
