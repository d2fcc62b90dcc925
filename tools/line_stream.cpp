#include "tools/line_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tumbo::tools {

namespace {

constexpr unsigned char kEndMark = 26;
constexpr std::size_t kChunk = 64 * 1024;

std::string Describe(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "is a folder, not a file";
    }
    if (S_ISFIFO(mode)) {
        return "is a named pipe (FIFO), not a file";
    }
    if (S_ISCHR(mode)) {
        return "is a character device, not a file";
    }
    if (S_ISBLK(mode)) {
        return "is a block device, not a file";
    }
    if (S_ISSOCK(mode)) {
        return "is a socket, not a file";
    }
    return "is not a regular file";
}

std::string SystemWords(int err) {
    if (err == ENOENT) {
        return "no such file";
    }
    const char* words = ::strerrordesc_np(err);
    return "cannot be read: " + std::string(words != nullptr ? words : "unknown error");
}

}  // namespace

bool RawLine::TooLong() const {
    return length > kMaxLineLength;
}

LineSplitter::LineSplitter(Source source) : source_(std::move(source)) {}

bool LineSplitter::HasByte() {
    if (pos_ < buffer_.size()) {
        return true;
    }
    if (exhausted_) {
        return false;
    }
    consumed_ += buffer_.size();
    buffer_.resize(kChunk);
    const std::size_t got = source_(buffer_.data(), buffer_.size());
    buffer_.resize(got);
    pos_ = 0;
    exhausted_ = got == 0;
    return got > 0;
}

void LineSplitter::Keep(RawLine& line, char byte, bool inText) {
    ++line.length;
    if (line.raw.size() < kMaxLineLength) {
        line.raw.push_back(byte);
        if (inText) {
            line.text.push_back(byte);
        }
    }
}

bool LineSplitter::Next(RawLine& line) {
    line = RawLine{};
    if (endMarkLine_ > 0) {
        return false;
    }
    bool pending = false;
    while (HasByte()) {
        const char byte = buffer_[pos_];
        if (static_cast<unsigned char>(byte) == kEndMark) {
            endMarkLine_ = linesGiven_ + 1;
            endMarkOffset_ = consumed_ + pos_ + 1;
            break;
        }
        ++pos_;
        if (byte == '\n') {
            line.end = LineEnd::kLf;
            ++linesGiven_;
            return true;
        }
        if (byte == '\r') {
            if (HasByte() && buffer_[pos_] == '\n') {
                ++pos_;
                line.end = LineEnd::kCrLf;
                ++linesGiven_;
                return true;
            }
            Keep(line, byte, false);
        } else {
            Keep(line, byte, true);
        }
        pending = true;
    }
    if (pending) {
        ++linesGiven_;
    }
    return pending;
}

LineStream::LineStream(const std::string& path)
    : path_(path),
      splitter_([this](char* buffer, std::size_t size) { return Read(buffer, size); }) {
    // Without waiting: opening a pipe nobody writes to would block for good.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        throw FileTrouble(SystemWords(errno));
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        const int err = errno;
        ::close(fd_);
        throw FileTrouble(SystemWords(err));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd_);
        throw FileTrouble(Describe(info.st_mode));
    }
    size_ = static_cast<std::size_t>(info.st_size);
}

LineStream::~LineStream() {
    ::close(fd_);
}

std::size_t LineStream::Read(char* buffer, std::size_t size) {
    ssize_t got = 0;
    do {
        got = ::read(fd_, buffer, size);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        throw FileTrouble(SystemWords(errno));
    }
    return static_cast<std::size_t>(got);
}

std::size_t LineStream::BytesAfterEndMark() const {
    const std::size_t offset = splitter_.EndMarkOffset();
    return size_ > offset ? size_ - offset : 0;
}

std::vector<RawLine> SplitAll(std::string_view bytes) {
    LineSplitter splitter([&bytes](char* buffer, std::size_t size) {
        const std::size_t taken = std::min(size, bytes.size());
        std::memcpy(buffer, bytes.data(), taken);
        bytes.remove_prefix(taken);
        return taken;
    });
    std::vector<RawLine> lines;
    RawLine line;
    while (splitter.Next(line)) {
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace tumbo::tools
