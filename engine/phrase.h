#pragma once

#include <string>
#include <string_view>

namespace tumbo {

// The lower case of a code page 1251 byte: A-Z and the Cyrillic capitals А-Я only (Ё stays).
constexpr unsigned char LowerCp1251(unsigned char c) {
    const bool capital = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF);
    return capital ? static_cast<unsigned char>(c + 32) : c;
}

// Lower-cases code page 1251 text by LowerCp1251.
std::string NormalizePhrase(std::string_view text);

// Puts the user's name in for every "[n]".
std::string ExpandNameMarker(std::string_view line, std::string_view userName);

// True when a stored reply asks the program to end after showing it.
bool HasExitMarker(std::string_view storedReply);

// The reply as shown: "[n]" becomes the name and every "[e]" is dropped, both judged on
// the stored text only, so a name holding either marker is shown as it is.
std::string RenderReply(std::string_view storedReply, std::string_view userName);

}  // namespace tumbo
