#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/file_calls.h"

// Byte 26 ends a data file for every reader, so a write that goes on from there cuts the
// file at the mark first. What a hand edit left after the mark is kept in a copy beside
// the file when it is more than blanks and line ends.
namespace tumbo::end_mark {

// The mark itself.
inline constexpr unsigned char kByte = 26;

inline constexpr std::string_view kCopySuffix = ".bak";

// Whether bytes after a mark hold nothing a reader could miss: blanks, line ends, marks.
bool OnlyBlanks(std::string_view bytes);

// Where the first byte 26 of the open file `fd` of `size` bytes is, or -1; what follows it
// is copied aside first, and the copy is on the disk before this returns.
off_t FindKeepingWhatFollows(FileCalls& calls, int fd, off_t size, const std::string& path);

// The same for a file that is about to be replaced whole. A missing file, or anything but
// a plain file, has nothing to keep.
void KeepWhatFollows(FileCalls& calls, const std::string& path);

}  // namespace tumbo::end_mark
