#include "platform/appending_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/end_mark.h"
#include "platform/file_access.h"

namespace tumbo {

void AppendingFile::Open(std::string_view path) {
    Release();
    Name(path);
    undoFrom_ = -1;
    // Read access too, to look at the last byte.
    const int fd = file_access::Open(calls_, path_, systemPath_, O_RDWR | O_APPEND | O_NOFOLLOW,
                                     "open for appending");
    Opened(fd, systemPath_, true);
    off_t size = calls_.Lseek(fd_, 0, SEEK_END);
    if (size < 0) {
        Fail(errno, "find the end of", systemPath_);
    }
    off_t mark = -1;
    try {
        mark = end_mark::FindKeepingWhatFollows(calls_, fd_, size, systemPath_);
    } catch (...) {
        Release();
        throw;
    }
    if (mark >= 0) {
        if (calls_.Truncate(fd_, mark) != 0) {
            Fail(errno, "cut at its end mark", systemPath_);
        }
        size = mark;
    }
    char last = '\n';
    if (size > 0 && calls_.Pread(fd_, &last, 1, size - 1) != 1) {
        Fail(errno, "read the last byte of", systemPath_);
    }
    if (last != '\n') {
        WriteBytes("\r\n");
    }
    undoFrom_ = size;
}

void AppendingFile::Commit() {
    SyncAndClose();
    undoFrom_ = -1;
}

void AppendingFile::Undo() noexcept {
    if (undoFrom_ >= 0 && fd_ >= 0) {
        calls_.Truncate(fd_, undoFrom_);
    }
    undoFrom_ = -1;
    Release();
}

}  // namespace tumbo
