#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tumbo::tools {

enum class LineEnd { kCrLf, kLf, kNone };

// A line as the program reads it (`text`, lone CRs dropped) beside its bytes as stored.
// Only the first kMaxLineLength bytes are kept; `length` counts them all.
struct RawLine {
    std::string text;
    std::string raw;
    LineEnd end = LineEnd::kNone;
    std::size_t length = 0;

    bool TooLong() const;
};

// Longest line kept whole: far beyond any phrase, and it keeps a check's memory bounded
// whatever a file holds.
inline constexpr std::size_t kMaxLineLength = 64 * 1024;

// A file that cannot be read: what is wrong with it, in plain words.
class FileTrouble : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Splits bytes into lines by the program's reading rules (see tumbo::TextFile), one line
// at a time, from a source that fills a buffer and returns how much it put there, 0 at
// the end. Byte 26 ends the reading.
class LineSplitter {
public:
    using Source = std::function<std::size_t(char* buffer, std::size_t size)>;

    explicit LineSplitter(Source source);

    // The next line; false when there is none.
    bool Next(RawLine& line);
    // The line byte 26 is on (0 when none has been met), and the offset just after it.
    int EndMarkLine() const { return endMarkLine_; }
    std::size_t EndMarkOffset() const { return endMarkOffset_; }

private:
    bool HasByte();
    static void Keep(RawLine& line, char byte, bool inText);

    Source source_;
    std::string buffer_;
    std::size_t pos_ = 0;
    std::size_t consumed_ = 0;
    bool exhausted_ = false;
    int linesGiven_ = 0;
    int endMarkLine_ = 0;
    std::size_t endMarkOffset_ = 0;
};

// A file of a base, read by the program's line rules in bounded memory. Anything but a
// regular file is refused for what it is, since a device or a pipe may never end.
class LineStream {
public:
    // Throws FileTrouble when the file is missing, not a regular file, or cannot be opened.
    explicit LineStream(const std::string& path);
    ~LineStream();
    LineStream(const LineStream&) = delete;
    LineStream& operator=(const LineStream&) = delete;

    // Throws FileTrouble on a read error.
    bool Next(RawLine& line) { return splitter_.Next(line); }
    int EndMarkLine() const { return splitter_.EndMarkLine(); }
    // How many bytes after byte 26 the program never reads.
    std::size_t BytesAfterEndMark() const;

private:
    std::size_t Read(char* buffer, std::size_t size);

    std::string path_;
    int fd_ = -1;
    std::size_t size_ = 0;
    LineSplitter splitter_;
};

// Every line of some bytes, for a differential test against the program's reader.
std::vector<RawLine> SplitAll(std::string_view bytes);

}  // namespace tumbo::tools
