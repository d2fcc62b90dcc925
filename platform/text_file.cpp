#include "platform/text_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "platform/errors.h"
#include "platform/integer_text.h"

namespace tumbo {

namespace {

constexpr std::size_t kReadChunk = 8192;
constexpr std::size_t kMaxIntegerLength = 32;
constexpr unsigned char kEndOfFile = 26;
constexpr std::string_view kTemporaryMark = ".tmp";
constexpr std::size_t kTemporaryTagLength = 6;

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "opt.tmb.tmp-" and six letters or digits: a name no one else is using, so a planted
// link or another writer's file is never written through.
std::string TemporaryNameFor(const std::string& path) {
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937_64 generator{std::random_device{}()};
    std::string name = path + std::string(kTemporaryMark) + "-";
    for (std::size_t i = 0; i < kTemporaryTagLength; ++i) {
        name.push_back(kLetters[generator() % kLetters.size()]);
    }
    return name;
}

bool IsTemporaryOf(std::string_view entry, std::string_view fileName) {
    if (!entry.starts_with(fileName)) {
        return false;
    }
    const std::string_view rest = entry.substr(fileName.size());
    // Older versions used the one fixed name "opt.tmb.tmp".
    return rest == kTemporaryMark ||
           (rest.starts_with(kTemporaryMark) &&
            rest.size() == kTemporaryMark.size() + 1 + kTemporaryTagLength &&
            rest[kTemporaryMark.size()] == '-');
}

// A file system that cannot sync a folder says so with one of these; the data is as safe
// there as that file system makes it.
bool FolderSyncUnsupported(int err) {
    return err == EINVAL || err == ENOTSUP || err == EOPNOTSUPP || err == EROFS;
}

// Syncs the folder that holds `path`, so that a name made or changed in it is on the disk.
// Returns 0 or the errno of the failure.
int SyncFolderOf(FileCalls& calls, const std::string& path) {
    const int fd = calls.Open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) {
        return errno;
    }
    const int result = calls.Fsync(fd) == 0 || FolderSyncUnsupported(errno) ? 0 : errno;
    calls.Close(fd);
    return result;
}

// Looks at what `path` itself is, a link not followed. Returns 0 with `info` filled, or
// the errno of the failure (ENOENT: nothing has that name).
int LookAt(FileCalls& calls, const std::string& path, struct stat& info) {
    const int fd = calls.Open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0) {
        return errno;
    }
    const int result = calls.Fstat(fd, &info) == 0 ? 0 : errno;
    calls.Close(fd);
    return result;
}

[[noreturn]] void RefuseLink(const char* operation, const std::string& path) {
    throw InOutError(io_code::kAccessDenied, operation, path, 0,
                     "it is a symbolic link, and the program never writes through one");
}

// Bytes after an end mark that hold nothing a reader could miss.
bool OnlyBlanks(std::string_view bytes) {
    return bytes.find_first_not_of(" \t\r\n\x1a") == std::string_view::npos;
}

}  // namespace

void RemoveTemporariesIn(const std::string& folder,
                         const std::function<bool(std::string_view fileName)>& isOurs,
                         FileCalls& calls) noexcept {
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr) {
        return;
    }
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        const auto mark = name.rfind(kTemporaryMark);
        if (mark != std::string_view::npos && mark > 0 && isOurs(name.substr(0, mark)) &&
            IsTemporaryOf(name, name.substr(0, mark))) {
            calls.Unlink((prefix + entry->d_name).c_str());
        }
    }
    ::closedir(listing);
}

TextFile::TextFile(FileCalls& calls) : calls_(calls) {}

TextFile::~TextFile() {
    if (mode_ == Mode::kWriting && !failed_ && publish_ == Publish::kInPlace) {
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
    published_ = false;
}

void TextFile::Reset() {
    Open(systemPath_, O_RDONLY, "open for reading");
    mode_ = Mode::kReading;
    if (readBuffer_.empty()) {
        readBuffer_.resize(kReadChunk);
    }
    readPos_ = readEnd_ = 0;
    readBefore_ = 0;
    readExhausted_ = false;
}

void TextFile::Rewrite() {
    Open(systemPath_, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, "create");
    mode_ = Mode::kWriting;
}

void TextFile::RewriteWhole() {
    OpenTemporary(Publish::kReplace, "write a new version of");
}

void TextFile::AppendOnNewLine() {
    // Read access too, to look at the last byte.
    Open(systemPath_, O_RDWR | O_APPEND | O_NOFOLLOW, "open for appending");
    mode_ = Mode::kWriting;
    char last = '\n';
    off_t size = calls_.Lseek(fd_, 0, SEEK_END);
    if (size < 0) {
        Fail(errno, "find the end of", systemPath_);
    }
    // Lines written after the mark would never be read.
    off_t mark = -1;
    try {
        mark = KeepAfterEndMarkOf(fd_, size);
    } catch (const InOutError&) {
        Release();
        throw;
    }
    if (mark >= 0) {
        if (calls_.Truncate(fd_, mark) != 0) {
            Fail(errno, "cut at its end mark", systemPath_);
        }
        size = mark;
    }
    if (size > 0 && calls_.Pread(fd_, &last, 1, size - 1) != 1) {
        Fail(errno, "read the last byte of", systemPath_);
    }
    if (last != '\n') {
        PutByte('\r');
        PutByte('\n');
    }
    syncOnClose_ = true;
    undoAppendFrom_ = size;
}

void TextFile::KeepAfterEndMark() {
    if (IsOpen()) {
        Close();
    }
    const int fd = calls_.Open(systemPath_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0) {
        if (errno == ENOENT) {
            return;
        }
        throw InOutError(CodeFromErrno(errno, systemPath_), "open for reading", systemPath_, errno);
    }
    try {
        struct stat info {};
        if (calls_.Fstat(fd, &info) != 0) {
            throw InOutError(CodeFromErrno(errno, systemPath_), "look at", systemPath_, errno);
        }
        if (S_ISREG(info.st_mode)) {
            KeepAfterEndMarkOf(fd, info.st_size);
        }
    } catch (...) {
        calls_.Close(fd);
        throw;
    }
    calls_.Close(fd);
}

off_t TextFile::KeepAfterEndMarkOf(int fd, off_t size) {
    std::array<char, kReadChunk> chunk{};
    off_t mark = -1;
    for (off_t at = 0; at < size && mark < 0;) {
        const ssize_t got = calls_.Pread(fd, chunk.data(), chunk.size(), at);
        if (got <= 0) {
            const int err = got < 0 ? errno : EIO;
            throw InOutError(CodeFromErrno(err, systemPath_), "look for the end mark in",
                             systemPath_, err);
        }
        const auto* found = static_cast<const char*>(std::memchr(chunk.data(), kEndOfFile, got));
        mark = found != nullptr ? at + (found - chunk.data()) : -1;
        at += got;
    }
    if (mark < 0) {
        return mark;
    }
    // The copy is taken only when something is in it, and on the disk before the cut.
    bool blank = true;
    for (off_t at = mark + 1; at < size && blank;) {
        const ssize_t got = calls_.Pread(fd, chunk.data(), chunk.size(), at);
        if (got <= 0) {
            break;
        }
        blank = OnlyBlanks(std::string_view(chunk.data(), got));
        at += got;
    }
    if (blank) {
        return mark;
    }
    TextFile copy(calls_);
    copy.Assign(systemPath_ + std::string(kEndMarkCopySuffix));
    copy.RewriteWhole();
    for (off_t at = mark + 1; at < size;) {
        const ssize_t got = calls_.Pread(fd, chunk.data(), chunk.size(), at);
        if (got <= 0) {
            const int err = got < 0 ? errno : EIO;
            copy.Abandon();
            throw InOutError(CodeFromErrno(err, systemPath_), "copy what follows the end mark of",
                             systemPath_, err);
        }
        copy.WriteBytes(std::string_view(chunk.data(), got));
        at += got;
    }
    copy.Close();
    return mark;
}

bool TextFile::CreateNew() {
    if (IsOpen()) {
        Close();
    }
    struct stat info {};
    if (const int err = LookAt(calls_, systemPath_, info); err != ENOENT) {
        if (err == 0) {
            return false;
        }
        Fail(err, "look for", systemPath_);
    }
    OpenTemporary(Publish::kCreate, "create");
    return true;
}

void TextFile::OpenTemporary(Publish publish, const char* operation) {
    if (IsOpen()) {
        Close();
    }
    // The new version is private until it has the old one's permission bits.
    struct stat old {};
    const bool keepMode = publish == Publish::kReplace && LookAt(calls_, systemPath_, old) == 0;
    if (keepMode && S_ISLNK(old.st_mode)) {
        RefuseLink(operation, systemPath_);
    }
    const mode_t mode = keepMode ? 0600 : 0644;
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
    bool opened = false;
    if (publish == Publish::kReplace) {
        RemoveStaleTemporaries();
        constexpr int kAttempts = 100;
        for (int attempt = 0; attempt < kAttempts && !opened; ++attempt) {
            tempPath_ = TemporaryNameFor(systemPath_);
            opened = TryOpen(tempPath_, flags, operation, mode);
        }
    } else {
        // A new file's name is free, so its temporary has one fixed name beside it, where a
        // crash's leftover is simply removed: no folder of many dialogues is ever listed.
        tempPath_ = systemPath_ + std::string(kTemporaryMark);
        calls_.Unlink(tempPath_.c_str());
        opened = TryOpen(tempPath_, flags, operation, mode);
    }
    if (!opened) {
        throw InOutError(CodeFromErrno(EEXIST, tempPath_), operation, tempPath_, EEXIST);
    }
    mode_ = Mode::kWriting;
    publish_ = publish;
    syncOnClose_ = true;
    if (keepMode && calls_.Fchmod(fd_, old.st_mode & 07777) != 0) {
        Fail(errno, "copy the permissions of the old version to", tempPath_);
    }
}

void TextFile::RemoveStaleTemporaries() noexcept {
    const std::string fileName = FileNameOf(systemPath_);
    RemoveTemporariesIn(
        FolderOf(systemPath_), [&fileName](std::string_view name) { return name == fileName; },
        calls_);
}

void TextFile::Abandon() noexcept {
    Release();
    if (published_) {
        calls_.Unlink(systemPath_.c_str());
        published_ = false;
    }
}

void TextFile::Open(const std::string& path, int flags, const char* operation, mode_t mode) {
    TryOpen(path, flags, operation, mode);
}

bool TextFile::TryOpen(const std::string& path, int flags, const char* operation, mode_t mode) {
    if (IsOpen()) {
        Close();
    }
    if (path_.size() > kMaxPath) {
        throw InOutError(
            io_code::kInvalidFilename, operation, path, 0,
            "the full path is longer than " + std::to_string(kMaxPath) + " characters");
    }
    // Never wait at the open: a named pipe in the base would block the window for good.
    const int fd = calls_.Open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    if (fd < 0) {
        if (errno == EEXIST && (flags & O_EXCL) != 0) {
            return false;
        }
        if (errno == ELOOP && (flags & O_NOFOLLOW) != 0) {
            RefuseLink(operation, path);
        }
        throw InOutError(CodeFromErrno(errno, path), operation, path, errno);
    }
    fd_ = fd;
    checkedPlainFile_ = false;
    failed_ = false;
    publish_ = Publish::kInPlace;
    published_ = false;
    syncOnClose_ = false;
    undoAppendFrom_ = -1;
    writeUsed_ = 0;
    return true;
}

void TextFile::Close() {
    if (!IsOpen()) {
        throw InOutError(io_code::kFileNotOpen, "close", systemPath_, 0, "the file is not open");
    }
    if (mode_ == Mode::kReading || failed_) {
        Release();
        return;
    }
    try {
        FlushWriteBuffer();
        if (syncOnClose_ && calls_.Fsync(fd_) != 0) {
            Fail(errno, "sync", WrittenPath());
        }
        const int fd = fd_;
        fd_ = -1;
        // Once a file is synced, a failing close has nothing left to lose: Linux reports
        // write-back errors at the sync and releases the descriptor either way.
        if (calls_.Close(fd) != 0 && !syncOnClose_) {
            Fail(errno, "close", systemPath_);
        }
        MoveIntoPlace();
    } catch (const InOutError&) {
        Release();
        throw;
    }
    mode_ = Mode::kClosed;
    undoAppendFrom_ = -1;
}

void TextFile::MoveIntoPlace() {
    switch (publish_) {
        case Publish::kInPlace:
            return;
        case Publish::kReplace:
            if (calls_.Rename(tempPath_.c_str(), systemPath_.c_str()) != 0) {
                Fail(errno, "rename the new version over", systemPath_);
            }
            publish_ = Publish::kInPlace;
            // The new version is in place whether or not the folder can be synced now.
            SyncFolderOf(calls_, systemPath_);
            return;
        case Publish::kCreate:
            if (calls_.RenameNoReplace(tempPath_.c_str(), systemPath_.c_str()) != 0) {
                Fail(errno, "move the new file to", systemPath_);
            }
            publish_ = Publish::kInPlace;
            published_ = true;
            // Nothing may name the file before its name is on the disk too.
            if (const int err = SyncFolderOf(calls_, systemPath_); err != 0) {
                calls_.Unlink(systemPath_.c_str());
                published_ = false;
                Fail(err, "sync the folder of", systemPath_);
            }
            return;
    }
}

void TextFile::Release() noexcept {
    if (fd_ >= 0) {
        calls_.Close(fd_);
        fd_ = -1;
    }
    if (publish_ != Publish::kInPlace) {
        calls_.Unlink(tempPath_.c_str());
        publish_ = Publish::kInPlace;
    }
    mode_ = Mode::kClosed;
    writeUsed_ = 0;
}

void TextFile::Fail(int err, const char* operation, const std::string& path) {
    const int code = CodeFromErrno(err, path);
    failed_ = true;
    // A whole rewrite that went wrong is abandoned at once: the old file stays as it was.
    if (publish_ != Publish::kInPlace) {
        Release();
    }
    // So is a line appended on its own: the file keeps just what it had before.
    if (undoAppendFrom_ >= 0 && fd_ >= 0) {
        calls_.Truncate(fd_, undoAppendFrom_);
        Release();
    }
    undoAppendFrom_ = -1;
    throw InOutError(code, operation, path, err);
}

void TextFile::RequireMode(Mode wanted, const char* operation) const {
    if (mode_ == wanted) {
        return;
    }
    if (mode_ == Mode::kClosed) {
        throw InOutError(io_code::kFileNotOpen, operation, systemPath_, 0, "the file is not open");
    }
    const bool reading = wanted == Mode::kReading;
    throw InOutError(reading ? io_code::kNotOpenForInput : io_code::kNotOpenForOutput, operation,
                     systemPath_, 0,
                     reading ? "the file is open for writing" : "the file is open for reading");
}

bool TextFile::HasByte() {
    if (readPos_ < readEnd_) {
        return true;
    }
    if (readExhausted_) {
        return false;
    }
    readBefore_ += readEnd_;
    ssize_t got = 0;
    do {
        got = calls_.Read(fd_, readBuffer_.data(), readBuffer_.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        Fail(errno, "read", systemPath_);
    }
    readPos_ = 0;
    readEnd_ = static_cast<std::size_t>(got);
    readExhausted_ = got == 0;
    // A device such as /dev/zero named in the base would be read for ever. Only a read
    // that fills the buffer can be one, so small files cost no extra call.
    if (readEnd_ == readBuffer_.size() && !checkedPlainFile_) {
        struct stat info {};
        if (calls_.Fstat(fd_, &info) != 0) {
            Fail(errno, "look at", systemPath_);
        }
        if (!S_ISREG(info.st_mode)) {
            failed_ = true;
            throw InOutError(io_code::kAccessDenied, "read", systemPath_, 0,
                             "not a regular file, so it may never end");
        }
        checkedPlainFile_ = true;
    }
    return got > 0;
}

bool TextFile::Eof() {
    RequireMode(Mode::kReading, "read");
    return !HasByte() || PeekByte() == kEndOfFile;
}

std::string TextFile::ReadLine() {
    std::string line;
    ReadLine(line);
    return line;
}

void TextFile::ReadLine(std::string& line) {
    RequireMode(Mode::kReading, "read");
    line.clear();
    ReadLineInto(&line);
}

bool TextFile::ReadLine(std::string& line, std::size_t limit) {
    RequireMode(Mode::kReading, "read");
    line.clear();
    return ReadLineInto(&line, limit);
}

void TextFile::SkipLine() {
    RequireMode(Mode::kReading, "read");
    ReadLineInto(nullptr);
}

bool TextFile::ReadLineInto(std::string* line, std::size_t limit) {
    bool whole = true;
    while (HasByte()) {
        const unsigned char byte = PeekByte();
        if (byte == '\n') {
            ++readPos_;
            return whole;
        }
        if (byte == kEndOfFile) {
            return whole;
        }
        if (byte == '\r') {
            ++readPos_;
            if (HasByte() && PeekByte() == '\n') {
                ++readPos_;
                return whole;
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
            const auto room = limit - std::min(limit, line->size());
            const auto taken = std::min(room, static_cast<std::size_t>(stop - start));
            whole = whole && taken == static_cast<std::size_t>(stop - start);
            line->append(start, start + taken);
        }
        readPos_ += static_cast<std::size_t>(stop - start);
    }
    return whole;
}

void TextFile::ReadStoredLine(StoredLine& line, std::size_t keep) {
    RequireMode(Mode::kReading, "read");
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
        const char byte = readBuffer_[readPos_++];
        if (byte == '\n') {
            line.end = StoredLine::End::kLf;
            return;
        }
        if (byte == '\r' && HasByte() && PeekByte() == '\n') {
            ++readPos_;
            line.end = StoredLine::End::kCrLf;
            return;
        }
        store(byte, byte != '\r');
    }
}

bool TextFile::AtEndMark() {
    RequireMode(Mode::kReading, "read");
    return HasByte() && PeekByte() == kEndOfFile;
}

std::uint64_t TextFile::BytesAfterEndMark() {
    if (!AtEndMark()) {
        return 0;
    }
    struct stat info {};
    if (calls_.Fstat(fd_, &info) != 0) {
        Fail(errno, "look at", systemPath_);
    }
    const std::uint64_t markAt = readBefore_ + readPos_;
    const auto size = static_cast<std::uint64_t>(info.st_size);
    return size > markAt + 1 ? size - markAt - 1 : 0;
}

std::int32_t TextFile::ReadInteger() {
    RequireMode(Mode::kReading, "read a number from");
    while (HasByte() && PeekByte() <= ' ' && PeekByte() != kEndOfFile) {
        ++readPos_;
    }
    std::string token;
    while (HasByte() && PeekByte() > ' ') {
        if (token.size() == kMaxIntegerLength) {
            throw InOutError(io_code::kInvalidNumericInput, "read a number from", systemPath_, 0,
                             "more than " + std::to_string(kMaxIntegerLength) +
                                 " characters where a number should be");
        }
        token.push_back(readBuffer_[readPos_++]);
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

std::size_t TextFile::ReadBytes(char* buffer, std::size_t size) {
    RequireMode(Mode::kReading, "read");
    if (!HasByte()) {
        return 0;
    }
    const std::size_t taken = std::min(size, readEnd_ - readPos_);
    std::memcpy(buffer, readBuffer_.data() + readPos_, taken);
    readPos_ += taken;
    return taken;
}

void TextFile::WriteLine(std::string_view text) {
    RequireMode(Mode::kWriting, "write");
    for (char c : text) {
        const bool breaksLine =
            c == '\r' || c == '\n' || static_cast<unsigned char>(c) == kEndOfFile;
        PutByte(breaksLine ? ' ' : c);
    }
    PutByte('\r');
    PutByte('\n');
}

void TextFile::WriteBytes(std::string_view bytes) {
    RequireMode(Mode::kWriting, "write");
    for (char c : bytes) {
        PutByte(c);
    }
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
            Fail(wrote < 0 ? errno : ENOSPC, "write", WrittenPath());
        }
        done += static_cast<std::size_t>(wrote);
    }
    writeUsed_ = 0;
}

}  // namespace tumbo
