#include "platform/file_calls.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>

namespace tumbo {

int FileCalls::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

ssize_t FileCalls::Read(int fd, void* buffer, size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t FileCalls::Pread(int fd, void* buffer, size_t size, off_t offset) {
    return ::pread(fd, buffer, size, offset);
}

ssize_t FileCalls::Write(int fd, const void* buffer, size_t size) {
    return ::write(fd, buffer, size);
}

off_t FileCalls::Lseek(int fd, off_t offset, int whence) {
    return ::lseek(fd, offset, whence);
}

int FileCalls::Fstat(int fd, struct stat* info) {
    return ::fstat(fd, info);
}

int FileCalls::Stat(const char* path, struct stat* info) {
    return ::stat(path, info);
}

int FileCalls::Lstat(const char* path, struct stat* info) {
    return ::lstat(path, info);
}

int FileCalls::Fchmod(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
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

int FileCalls::RenameNoReplace(const char* from, const char* to) {
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    // A file system without the flag: the base's lock keeps other writers of ours away,
    // so looking first leaves only a hand edit at that very moment to race with.
    struct stat info {};
    if (Lstat(to, &info) == 0) {
        errno = EEXIST;
        return -1;
    }
    return std::rename(from, to);
}

int FileCalls::Unlink(const char* path) {
    return ::unlink(path);
}

int FileCalls::Mkdir(const char* path, mode_t mode) {
    return ::mkdir(path, mode);
}

int FileCalls::Rmdir(const char* path) {
    return ::rmdir(path);
}

int FileCalls::Flock(int fd, int operation) {
    return ::flock(fd, operation);
}

int FileCalls::ListFolder(const char* path, const std::function<void(std::string_view)>& each) {
    DIR* listing = ::opendir(path);
    if (listing == nullptr) {
        return -1;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            each(name);
        }
        errno = 0;
    }
    const int err = errno;
    ::closedir(listing);
    errno = err;
    return err == 0 ? 0 : -1;
}

FileCalls& SystemFileCalls() {
    static FileCalls calls;
    return calls;
}

}  // namespace tumbo
