#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace tumbo {

// The POSIX calls that data files go through; tests replace it to make any call fail.
// Each returns what the POSIX call returns and sets errno the same way.
class FileCalls {
public:
    virtual ~FileCalls() = default;
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Read(int fd, void* buffer, size_t size);
    virtual ssize_t Pread(int fd, void* buffer, size_t size, off_t offset);
    virtual ssize_t Write(int fd, const void* buffer, size_t size);
    virtual off_t Lseek(int fd, off_t offset, int whence);
    virtual int Fstat(int fd, struct stat* info);
    virtual int Stat(const char* path, struct stat* info);
    virtual int Fchmod(int fd, mode_t mode);
    virtual int Fsync(int fd);
    virtual int Truncate(int fd, off_t length);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    // As Rename, but fails with EEXIST instead of replacing a file already at `to`.
    virtual int RenameNoReplace(const char* from, const char* to);
    virtual int Unlink(const char* path);
    virtual int Mkdir(const char* path, mode_t mode);
};

// The real calls, shared by every file that is not given its own.
FileCalls& SystemFileCalls();

}  // namespace tumbo
