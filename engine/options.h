#pragma once

#include <string>

namespace tumbo {

// The option file's four lines.
struct TOptions {
    std::string UserName;
    bool TransparentSkin = false;
    int Opacity = 0;
    int DialogueCount = 0;
};

// The longest name the settings field takes; a longer one in the option file is cut to it.
inline constexpr int kMaxUserNameLength = 64;

inline constexpr int kMinOpacity = 0;
inline constexpr int kMaxOpacity = 140;
// The window's 8-bit alpha is the opacity plus this, so it never drops below 115.
inline constexpr int kAlphaBase = 115;

}  // namespace tumbo
