#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/errors.h"
#include "platform/integer_text.h"

namespace tumbo {

namespace {

constexpr std::size_t kReadChunk = 8192;
constexpr std::size_t kMaxIntegerLength = 32;
constexpr unsigned char kEndOfFile = 26;

// A rename is only durable once its folder is synced. Some file systems refuse to sync
// a folder; the new file is in place by then, so that refusal is not a failure.
void SyncFolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

TextFile::TextFile(FileCalls& calls) : calls_(calls) {}

TextFile::~TextFile() {
    if (mode_ == Mode::kWriting && !failed_ && !replacing_) {
        try {
            FlushWriteBuffer();
        } catch (const InOutError&) {
            // Nothing can report it any more; the file keeps what reached it.
        }
    }
    Release();
}

void TextFile::Assign(std::string_view path) {
    if (IsOpen()) {
        Close();
    }
    // Reuses the strings' room: the search binds a file for every dialogue it reads.
    path_.assign(path);
    systemPath_.assign(path);
    std::replace(systemPath_.begin(), systemPath_.end(), '\\', '/');
}

void TextFile::Reset() {
    Open(systemPath_, O_RDONLY);
    mode_ = Mode::kReading;
    if (readBuffer_.empty()) {
        readBuffer_.resize(kReadChunk);
    }
    readPos_ = readEnd_ = 0;
    readExhausted_ = false;
}

void TextFile::Rewrite() {
    Open(systemPath_, O_WRONLY | O_CREAT | O_TRUNC);
    mode_ = Mode::kWriting;
}

void TextFile::RewriteWhole() {
    tempPath_ = systemPath_ + ".tmp";
    Open(tempPath_, O_WRONLY | O_CREAT | O_TRUNC);
    mode_ = Mode::kWriting;
    replacing_ = true;
    syncOnClose_ = true;
}

void TextFile::Append() {
    Open(systemPath_, O_WRONLY | O_APPEND);
    mode_ = Mode::kWriting;
}

void TextFile::AppendOnNewLine() {
    // Read access too, to look at the last byte.
    Open(systemPath_, O_RDWR | O_APPEND);
    mode_ = Mode::kWriting;
    char last = '\n';
    const off_t size = ::lseek(fd_, 0, SEEK_END);
    if (size < 0 || (size > 0 && ::pread(fd_, &last, 1, size - 1) != 1)) {
        Fail(errno, systemPath_);
    }
    if (last != '\n') {
        PutByte('\r');
        PutByte('\n');
    }
    syncOnClose_ = true;
    undoAppendFrom_ = size;
}

bool TextFile::CreateNew() {
    if (!TryOpen(systemPath_, O_WRONLY | O_CREAT | O_EXCL)) {
        return false;
    }
    mode_ = Mode::kWriting;
    syncOnClose_ = true;
    return true;
}

void TextFile::Abandon() noexcept {
    Release();
    calls_.Unlink(systemPath_.c_str());
}

void TextFile::Open(const std::string& path, int flags) {
    TryOpen(path, flags);
}

bool TextFile::TryOpen(const std::string& path, int flags) {
    if (IsOpen()) {
        Close();
    }
    if (path_.size() > kMaxPath) {
        throw InOutError(io_code::kInvalidFilename);
    }
    // Never wait at the open: a named pipe in the base would block the window for good.
    const int fd = calls_.Open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) {
        if (errno == EEXIST && (flags & O_EXCL) != 0) {
            return false;
        }
        throw InOutError(CodeFromErrno(errno, path));
    }
    fd_ = fd;
    checkedPlainFile_ = false;
    failed_ = false;
    replacing_ = false;
    syncOnClose_ = false;
    undoAppendFrom_ = -1;
    writeUsed_ = 0;
    return true;
}

void TextFile::Close() {
    if (!IsOpen()) {
        throw InOutError(io_code::kFileNotOpen);
    }
    if (mode_ == Mode::kReading || failed_) {
        Release();
        return;
    }
    try {
        FlushWriteBuffer();
        if (syncOnClose_ && calls_.Fsync(fd_) != 0) {
            Fail(errno, WrittenPath());
        }
        const int fd = fd_;
        fd_ = -1;
        // Once a file is synced, a failing close has nothing left to lose: Linux reports
        // write-back errors at the sync and releases the descriptor either way.
        if (calls_.Close(fd) != 0 && !syncOnClose_) {
            Fail(errno, systemPath_);
        }
        if (replacing_) {
            if (calls_.Rename(tempPath_.c_str(), systemPath_.c_str()) != 0) {
                Fail(errno, systemPath_);
            }
            replacing_ = false;
            SyncFolderOf(systemPath_);
        }
    } catch (const InOutError&) {
        Release();
        throw;
    }
    mode_ = Mode::kClosed;
    undoAppendFrom_ = -1;
}

void TextFile::Release() noexcept {
    if (fd_ >= 0) {
        calls_.Close(fd_);
        fd_ = -1;
    }
    if (replacing_) {
        calls_.Unlink(tempPath_.c_str());
        replacing_ = false;
    }
    mode_ = Mode::kClosed;
    writeUsed_ = 0;
}

void TextFile::Fail(int err, const std::string& path) {
    const int code = CodeFromErrno(err, path);
    failed_ = true;
    // A whole rewrite that went wrong is abandoned at once: the old file stays as it was.
    if (replacing_) {
        Release();
    }
    // So is a line appended on its own: the file keeps just what it had before.
    if (undoAppendFrom_ >= 0 && fd_ >= 0) {
        calls_.Truncate(fd_, undoAppendFrom_);
        Release();
    }
    undoAppendFrom_ = -1;
    throw InOutError(code);
}

void TextFile::RequireMode(Mode wanted) const {
    if (mode_ == wanted) {
        return;
    }
    if (mode_ == Mode::kClosed) {
        throw InOutError(io_code::kFileNotOpen);
    }
    throw InOutError(wanted == Mode::kReading ? io_code::kNotOpenForInput
                                              : io_code::kNotOpenForOutput);
}

bool TextFile::HasByte() {
    if (readPos_ < readEnd_) {
        return true;
    }
    if (readExhausted_) {
        return false;
    }
    ssize_t got = 0;
    do {
        got = calls_.Read(fd_, readBuffer_.data(), readBuffer_.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        Fail(errno, systemPath_);
    }
    readPos_ = 0;
    readEnd_ = static_cast<std::size_t>(got);
    readExhausted_ = got == 0;
    // A device such as /dev/zero named in the base would be read for ever. Only a read
    // that fills the buffer can be one, so small files cost no extra call.
    if (readEnd_ == readBuffer_.size() && !checkedPlainFile_) {
        struct stat info {};
        if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
            Fail(EACCES, systemPath_);
        }
        checkedPlainFile_ = true;
    }
    return got > 0;
}

bool TextFile::Eof() {
    RequireMode(Mode::kReading);
    return !HasByte() || PeekByte() == kEndOfFile;
}

std::string TextFile::ReadLine() {
    std::string line;
    ReadLine(line);
    return line;
}

void TextFile::ReadLine(std::string& line) {
    RequireMode(Mode::kReading);
    line.clear();
    ReadLineInto(&line);
}

void TextFile::SkipLine() {
    RequireMode(Mode::kReading);
    ReadLineInto(nullptr);
}

void TextFile::ReadLineInto(std::string* line) {
    while (HasByte()) {
        const unsigned char byte = PeekByte();
        if (byte == '\n') {
            ++readPos_;
            return;
        }
        if (byte == kEndOfFile) {
            return;
        }
        if (byte == '\r') {
            ++readPos_;
            if (HasByte() && PeekByte() == '\n') {
                ++readPos_;
                return;
            }
            continue;
        }
        // Find the line end with memchr, then look for CR and byte 26 only before it.
        const char* start = readBuffer_.data() + readPos_;
        const char* end = readBuffer_.data() + readEnd_;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end - start));
        const char* stop = std::find_if(start, newline != nullptr ? newline : end, [](char c) {
            return c == '\r' || static_cast<unsigned char>(c) == kEndOfFile;
        });
        if (line != nullptr) {
            line->append(start, stop);
        }
        readPos_ += static_cast<std::size_t>(stop - start);
    }
}

std::int32_t TextFile::ReadInteger() {
    RequireMode(Mode::kReading);
    while (HasByte() && PeekByte() <= ' ' && PeekByte() != kEndOfFile) {
        ++readPos_;
    }
    std::string token;
    while (HasByte() && PeekByte() > ' ') {
        if (token.size() == kMaxIntegerLength) {
            throw InOutError(io_code::kInvalidNumericInput);
        }
        token.push_back(readBuffer_[readPos_++]);
    }
    if (token.empty()) {
        return 0;
    }
    const auto value = ParseInteger(token);
    if (!value) {
        throw InOutError(io_code::kInvalidNumericInput);
    }
    return *value;
}

void TextFile::WriteLine(std::string_view text) {
    RequireMode(Mode::kWriting);
    for (char c : text) {
        const bool breaksLine =
            c == '\r' || c == '\n' || static_cast<unsigned char>(c) == kEndOfFile;
        PutByte(breaksLine ? ' ' : c);
    }
    PutByte('\r');
    PutByte('\n');
}

void TextFile::PutByte(char byte) {
    if (writeUsed_ == writeBuffer_.size()) {
        FlushWriteBuffer();
    }
    writeBuffer_[writeUsed_++] = byte;
}

void TextFile::FlushWriteBuffer() {
    std::size_t done = 0;
    while (done < writeUsed_) {
        const ssize_t wrote = calls_.Write(fd_, writeBuffer_.data() + done, writeUsed_ - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            Fail(wrote < 0 ? errno : ENOSPC, WrittenPath());
        }
        done += static_cast<std::size_t>(wrote);
    }
    writeUsed_ = 0;
}

}  // namespace tumbo
