#include "platform/line_writer.h"

#include <cerrno>
#include <utility>

#include "platform/end_mark.h"
#include "platform/errors.h"
#include "platform/file_access.h"

namespace tumbo {

namespace {

constexpr char kEndOfFile = static_cast<char>(end_mark::kByte);

}  // namespace

LineWriter::~LineWriter() {
    if (fd_ >= 0) {
        calls_.Close(fd_);
    }
}

void LineWriter::Name(std::string_view path) {
    path_.assign(path);
    systemPath_ = file_access::SystemPath(path);
}

void LineWriter::Opened(int fd, const std::string& writtenPath, bool hold) {
    fd_ = fd;
    writtenPath_ = writtenPath;
    hold_ = hold;
    buffer_.clear();
}

void LineWriter::RequireOpen(const char* operation) const {
    if (!IsOpen()) {
        throw InOutError(io_code::kFileNotOpen, operation, systemPath_, 0, "the file is not open");
    }
}

void LineWriter::WriteLine(std::string_view text) {
    RequireOpen("write");
    for (const char c : text) {
        Put(c == '\r' || c == '\n' || c == kEndOfFile ? ' ' : c);
    }
    Put('\r');
    Put('\n');
}

void LineWriter::WriteBytes(std::string_view bytes) {
    RequireOpen("write");
    for (const char c : bytes) {
        Put(c);
    }
}

void LineWriter::Put(char byte) {
    if (!hold_ && buffer_.size() == kBufferSize) {
        Flush();
    }
    buffer_.push_back(byte);
}

void LineWriter::Flush() {
    if (const int err = file_access::WriteAll(calls_, fd_, buffer_); err != 0) {
        Fail(err, "write", writtenPath_);
    }
    buffer_.clear();
}

void LineWriter::SyncAndClose() {
    Flush();
    if (calls_.Fsync(fd_) != 0) {
        Fail(errno, "sync", writtenPath_);
    }
    calls_.Close(std::exchange(fd_, -1));
}

void LineWriter::Fail(int err, const char* operation, const std::string& path) {
    // Undo may clear the very member `path` refers to.
    const std::string file = path;
    const int code = CodeFromErrno(err, file, calls_);
    Undo();
    throw InOutError(code, operation, file, err);
}

void LineWriter::Release() noexcept {
    if (fd_ >= 0) {
        calls_.Close(std::exchange(fd_, -1));
    }
    buffer_.clear();
}

void LineWriter::DropTemporary() noexcept {
    Release();
    if (!writtenPath_.empty() && writtenPath_ != systemPath_) {
        calls_.Unlink(writtenPath_.c_str());
    }
    writtenPath_.clear();
}

}  // namespace tumbo
