#pragma once

#include <string>

#include "platform/text_file.h"

namespace tumbo {

// The option file's four lines.
struct TOptions {
    std::string UserName;
    bool TransparentSkin = false;
    int Opacity = 0;
    int DialogueCount = 0;
};

inline constexpr int kMinOpacity = 0;
inline constexpr int kMaxOpacity = 140;
// The window's 8-bit alpha is the opacity plus this, so it never drops below 115.
inline constexpr int kAlphaBase = 115;

// Reads the option file by the program's rules: the name and the window line whole, then
// the opacity and the count, each an integer followed by the rest of its line. The values
// are as stored: the opacity is not brought into range. Throws InOutError.
TOptions ReadOptionLines(TextFile& file);
// Rewrites the option file whole with the record's four lines.
void WriteOptionLines(TextFile& file, const TOptions& options);

}  // namespace tumbo
