#include "platform/end_mark.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/errors.h"
#include "platform/file_access.h"
#include "platform/replacing_file.h"

namespace tumbo::end_mark {

namespace {

constexpr std::size_t kChunk = 8192;

[[noreturn]] void FailReading(FileCalls& calls, ssize_t got, const char* operation,
                              const std::string& path) {
    file_access::Fail(calls, got < 0 ? errno : EIO, operation, path);
}

}  // namespace

bool OnlyBlanks(std::string_view bytes) {
    return bytes.find_first_not_of(" \t\r\n\x1a") == std::string_view::npos;
}

off_t FindKeepingWhatFollows(FileCalls& calls, int fd, off_t size, const std::string& path) {
    std::array<char, kChunk> chunk{};
    off_t mark = -1;
    for (off_t at = 0; at < size && mark < 0;) {
        const ssize_t got = calls.Pread(fd, chunk.data(), chunk.size(), at);
        if (got <= 0) {
            FailReading(calls, got, "look for the end mark in", path);
        }
        const auto* found = static_cast<const char*>(std::memchr(chunk.data(), kByte, got));
        mark = found != nullptr ? at + (found - chunk.data()) : -1;
        at += got;
    }
    if (mark < 0) {
        return mark;
    }
    bool blank = true;
    for (off_t at = mark + 1; at < size && blank;) {
        const ssize_t got = calls.Pread(fd, chunk.data(), chunk.size(), at);
        if (got <= 0) {
            break;
        }
        blank = OnlyBlanks(std::string_view(chunk.data(), got));
        at += got;
    }
    if (blank) {
        return mark;
    }
    ReplacingFile copy(calls);
    copy.Start(path + std::string(kCopySuffix));
    for (off_t at = mark + 1; at < size;) {
        const ssize_t got = calls.Pread(fd, chunk.data(), chunk.size(), at);
        if (got <= 0) {
            FailReading(calls, got, "copy what follows the end mark of", path);
        }
        copy.WriteBytes(std::string_view(chunk.data(), got));
        at += got;
    }
    copy.Commit();
    return mark;
}

void KeepWhatFollows(FileCalls& calls, const std::string& path) {
    const std::string systemPath = file_access::SystemPath(path);
    const int fd = calls.Open(systemPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0) {
        if (errno == ENOENT) {
            return;
        }
        file_access::Fail(calls, errno, "open for reading", systemPath);
    }
    try {
        struct stat info {};
        if (calls.Fstat(fd, &info) != 0) {
            file_access::Fail(calls, errno, "look at", systemPath);
        }
        if (S_ISREG(info.st_mode)) {
            FindKeepingWhatFollows(calls, fd, info.st_size, systemPath);
        }
    } catch (...) {
        calls.Close(fd);
        throw;
    }
    calls.Close(fd);
}

}  // namespace tumbo::end_mark
