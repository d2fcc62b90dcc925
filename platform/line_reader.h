#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_calls.h"

namespace tumbo {

// A line as the file stores it, for a reader that reports on a file rather than uses it.
struct StoredLine {
    enum class End { kCrLf, kLf, kNone };
    // The line as ReadLine gives it, and its bytes as stored (lone CRs kept), each up to
    // the length the reader keeps.
    std::string text;
    std::string raw;
    // Every stored byte of the line, its end left out.
    std::size_t length = 0;
    End end = End::kNone;
};

// Reads a data file by the program's line rules: a line ends at CR LF or a bare LF, a lone
// CR is dropped, and byte 26 ends the file. Every failure throws InOutError. Memory stays
// bounded however the file is made.
class LineReader {
public:
    // The longest line ReadLine gives; a longer one is an error naming the file and line.
    static constexpr std::size_t kMaxLineLength = 64 * 1024;

    explicit LineReader(FileCalls& calls = SystemFileCalls());
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens an existing file at its first line, closing the one that was open; "\" in the
    // path is read as "/".
    void Open(std::string_view path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // The path as it was given to Open.
    const std::string& Path() const { return path_; }

    // True when no byte is left or the next one is byte 26. Reading on from there gives
    // empty lines and zeros.
    bool Eof();
    // Reads the next line. One over kMaxLineLength throws InOutError naming the line, after
    // reading no more of the file than that.
    std::string ReadLine();
    void ReadLine(std::string& line);
    // Reads the next line keeping at most `limit` bytes of it; false when it was longer.
    bool ReadLine(std::string& line, std::size_t limit);
    void SkipLine();
    // Skips blanks and line ends, then reads at most 32 non-blank characters as an integer.
    std::int32_t ReadInteger();
    // Reads the next line as ReadLine does, keeping at most `keep` bytes of it, and says
    // how it is stored.
    void ReadStoredLine(StoredLine& line, std::size_t keep);
    // Once Eof is true: whether byte 26 ended the reading, and how many bytes follow it.
    bool AtEndMark();
    std::uint64_t BytesAfterEndMark();
    // Once Eof is true: whether anything but blanks and line ends follows byte 26. Reads
    // the rest of the file.
    bool TextAfterEndMark();
    // Lines begun since Open, the one being read included.
    std::size_t LineNumber() const { return lineNumber_; }
    // The next bytes as stored, line rules aside; 0 at the end.
    std::size_t ReadBytes(char* buffer, std::size_t size);

private:
    void RequireOpen(const char* operation) const;
    bool HasByte();
    unsigned char PeekByte() const { return static_cast<unsigned char>(buffer_[pos_]); }
    // False when the line had more than `limit` bytes; those are skipped, unless
    // `stopWhenLonger` leaves the reading there.
    bool ReadLineInto(std::string* line, std::size_t limit = SIZE_MAX, bool stopWhenLonger = false);
    [[noreturn]] void Fail(int err, const char* operation);

    FileCalls& calls_;
    std::string path_;
    std::string systemPath_;
    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    // Bytes of the file before the buffer's first.
    std::uint64_t before_ = 0;
    std::size_t lineNumber_ = 0;
    bool exhausted_ = false;
    bool checkedPlainFile_ = false;
};

// Every line of the file at `path`, read with `file`, which is closed again. Throws InOutError.
std::vector<std::string> ReadLines(LineReader& file, std::string_view path);

}  // namespace tumbo
