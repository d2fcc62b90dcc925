#pragma once

#include <string>
#include <string_view>

namespace tumbo {

// Lower-cases code page 1251 text: A-Z and the Cyrillic capitals А-Я only (Ё stays).
std::string NormalizePhrase(std::string_view text);

// Puts the user's name in for every "[n]".
std::string ExpandNameMarker(std::string_view line, std::string_view userName);

// True when a stored reply asks the program to end after showing it.
bool HasExitMarker(std::string_view storedReply);

// The reply as shown: "[n]" becomes the name and every "[e]" is dropped, both judged on
// the stored text only, so a name holding either marker is shown as it is.
std::string RenderReply(std::string_view storedReply, std::string_view userName);

}  // namespace tumbo
