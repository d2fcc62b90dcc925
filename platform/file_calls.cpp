#include "platform/file_calls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace tumbo {

int FileCalls::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

ssize_t FileCalls::Read(int fd, void* buffer, size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t FileCalls::Write(int fd, const void* buffer, size_t size) {
    return ::write(fd, buffer, size);
}

int FileCalls::Fsync(int fd) {
    return ::fsync(fd);
}

int FileCalls::Truncate(int fd, off_t length) {
    return ::ftruncate(fd, length);
}

int FileCalls::Close(int fd) {
    return ::close(fd);
}

int FileCalls::Rename(const char* from, const char* to) {
    return std::rename(from, to);
}

int FileCalls::Unlink(const char* path) {
    return ::unlink(path);
}

FileCalls& SystemFileCalls() {
    static FileCalls calls;
    return calls;
}

}  // namespace tumbo
