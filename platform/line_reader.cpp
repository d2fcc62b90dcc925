#include "platform/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/end_mark.h"
#include "platform/errors.h"
#include "platform/file_access.h"
#include "platform/integer_text.h"

namespace tumbo {

namespace {

constexpr std::size_t kReadChunk = 8192;
constexpr std::size_t kMaxIntegerLength = 32;
constexpr unsigned char kEndOfFile = end_mark::kByte;

}  // namespace

LineReader::LineReader(FileCalls& calls) : calls_(calls) {}

LineReader::~LineReader() {
    if (IsOpen()) {
        calls_.Close(fd_);
    }
}

void LineReader::Open(std::string_view path) {
    if (IsOpen()) {
        Close();
    }
    // Reuses the strings' room: the search opens a file for every dialogue it reads.
    path_.assign(path);
    systemPath_ = file_access::SystemPath(path);
    fd_ = file_access::Open(calls_, path_, systemPath_, O_RDONLY, "open for reading");
    if (buffer_.empty()) {
        buffer_.resize(kReadChunk);
    }
    pos_ = end_ = 0;
    before_ = 0;
    lineNumber_ = 0;
    exhausted_ = false;
    checkedPlainFile_ = false;
}

void LineReader::Close() {
    RequireOpen("close");
    calls_.Close(fd_);
    fd_ = -1;
}

void LineReader::RequireOpen(const char* operation) const {
    if (!IsOpen()) {
        throw InOutError(io_code::kFileNotOpen, operation, systemPath_, 0, "the file is not open");
    }
}

void LineReader::Fail(int err, const char* operation) {
    file_access::Fail(calls_, err, operation, systemPath_);
}

bool LineReader::HasByte() {
    if (pos_ < end_) {
        return true;
    }
    if (exhausted_) {
        return false;
    }
    before_ += end_;
    ssize_t got = 0;
    do {
        got = calls_.Read(fd_, buffer_.data(), buffer_.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        Fail(errno, "read");
    }
    pos_ = 0;
    end_ = static_cast<std::size_t>(got);
    exhausted_ = got == 0;
    // A device such as /dev/zero named in the base would be read for ever. Only a read
    // that fills the buffer can be one, so small files cost no extra call.
    if (end_ == buffer_.size() && !checkedPlainFile_) {
        struct stat info {};
        if (calls_.Fstat(fd_, &info) != 0) {
            Fail(errno, "look at");
        }
        if (!S_ISREG(info.st_mode)) {
            exhausted_ = true;
            end_ = 0;
            throw InOutError(io_code::kAccessDenied, "read", systemPath_, 0,
                             "not a regular file, so it may never end");
        }
        checkedPlainFile_ = true;
    }
    return got > 0;
}

bool LineReader::Eof() {
    RequireOpen("read");
    return !HasByte() || PeekByte() == kEndOfFile;
}

std::string LineReader::ReadLine() {
    std::string line;
    ReadLine(line);
    return line;
}

void LineReader::ReadLine(std::string& line) {
    RequireOpen("read");
    line.clear();
    if (!ReadLineInto(&line, kMaxLineLength, true)) {
        // What was kept of it goes too: a caller may hold on to the string.
        line.clear();
        line.shrink_to_fit();
        throw InOutError(io_code::kLineTooLong, "read", systemPath_, 0,
                         "line " + std::to_string(lineNumber_) + " is longer than " +
                             std::to_string(kMaxLineLength) + " bytes");
    }
}

bool LineReader::ReadLine(std::string& line, std::size_t limit) {
    RequireOpen("read");
    line.clear();
    return ReadLineInto(&line, limit);
}

void LineReader::SkipLine() {
    RequireOpen("read");
    ReadLineInto(nullptr);
}

bool LineReader::ReadLineInto(std::string* line, std::size_t limit, bool stopWhenLonger) {
    ++lineNumber_;
    bool whole = true;
    while (HasByte()) {
        const unsigned char byte = PeekByte();
        if (byte == '\n') {
            ++pos_;
            return whole;
        }
        if (byte == kEndOfFile) {
            return whole;
        }
        if (byte == '\r') {
            ++pos_;
            if (HasByte() && PeekByte() == '\n') {
                ++pos_;
                return whole;
            }
            continue;
        }
        // Find the line end with memchr, then look for CR and byte 26 only before it.
        const char* start = buffer_.data() + pos_;
        const char* end = buffer_.data() + end_;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end - start));
        const char* stop = std::find_if(start, newline != nullptr ? newline : end, [](char c) {
            return c == '\r' || static_cast<unsigned char>(c) == kEndOfFile;
        });
        if (line != nullptr) {
            const auto room = limit - std::min(limit, line->size());
            const auto taken = std::min(room, static_cast<std::size_t>(stop - start));
            whole = whole && taken == static_cast<std::size_t>(stop - start);
            line->append(start, start + taken);
            if (!whole && stopWhenLonger) {
                return false;
            }
        }
        pos_ += static_cast<std::size_t>(stop - start);
    }
    return whole;
}

void LineReader::ReadStoredLine(StoredLine& line, std::size_t keep) {
    RequireOpen("read");
    ++lineNumber_;
    line.text.clear();
    line.raw.clear();
    line.length = 0;
    line.end = StoredLine::End::kNone;
    const auto store = [&line, keep](char byte, bool inText) {
        ++line.length;
        if (line.raw.size() < keep) {
            line.raw.push_back(byte);
            if (inText) {
                line.text.push_back(byte);
            }
        }
    };
    while (HasByte() && PeekByte() != kEndOfFile) {
        const char byte = buffer_[pos_++];
        if (byte == '\n') {
            line.end = StoredLine::End::kLf;
            return;
        }
        if (byte == '\r' && HasByte() && PeekByte() == '\n') {
            ++pos_;
            line.end = StoredLine::End::kCrLf;
            return;
        }
        store(byte, byte != '\r');
    }
}

bool LineReader::AtEndMark() {
    RequireOpen("read");
    return HasByte() && PeekByte() == kEndOfFile;
}

std::uint64_t LineReader::BytesAfterEndMark() {
    if (!AtEndMark()) {
        return 0;
    }
    struct stat info {};
    if (calls_.Fstat(fd_, &info) != 0) {
        Fail(errno, "look at");
    }
    const std::uint64_t markAt = before_ + pos_;
    const auto size = static_cast<std::uint64_t>(info.st_size);
    return size > markAt + 1 ? size - markAt - 1 : 0;
}

bool LineReader::TextAfterEndMark() {
    if (!AtEndMark()) {
        return false;
    }
    ++pos_;
    std::array<char, kReadChunk> chunk{};
    while (const std::size_t got = ReadBytes(chunk.data(), chunk.size())) {
        if (!end_mark::OnlyBlanks(std::string_view(chunk.data(), got))) {
            // What follows the mark is never read as lines.
            pos_ = end_ = 0;
            exhausted_ = true;
            return true;
        }
    }
    return false;
}

std::int32_t LineReader::ReadInteger() {
    RequireOpen("read a number from");
    while (HasByte() && PeekByte() <= ' ' && PeekByte() != kEndOfFile) {
        ++pos_;
    }
    std::string token;
    while (HasByte() && PeekByte() > ' ') {
        if (token.size() == kMaxIntegerLength) {
            throw InOutError(io_code::kInvalidNumericInput, "read a number from", systemPath_, 0,
                             "more than " + std::to_string(kMaxIntegerLength) +
                                 " characters where a number should be");
        }
        token.push_back(buffer_[pos_++]);
    }
    if (token.empty()) {
        return 0;
    }
    const auto value = ParseInteger(token);
    if (!value) {
        throw InOutError(io_code::kInvalidNumericInput, "read a number from", systemPath_, 0,
                         "\"" + token + "\" is not a number");
    }
    return *value;
}

std::size_t LineReader::ReadBytes(char* buffer, std::size_t size) {
    RequireOpen("read");
    if (!HasByte()) {
        return 0;
    }
    const std::size_t taken = std::min(size, end_ - pos_);
    std::memcpy(buffer, buffer_.data() + pos_, taken);
    pos_ += taken;
    return taken;
}

std::vector<std::string> ReadLines(LineReader& file, std::string_view path) {
    std::vector<std::string> lines;
    file.Open(path);
    while (!file.Eof()) {
        lines.push_back(file.ReadLine());
    }
    file.Close();
    return lines;
}

}  // namespace tumbo
