#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <functional>
#include <string_view>

namespace tumbo {

// Every system call the program makes on its data: the files, their folders and the
// base's lock. Tests replace it to make any call fail or to keep the files in memory.
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
    virtual int Lstat(const char* path, struct stat* info);
    virtual int Fchmod(int fd, mode_t mode);
    virtual int Fsync(int fd);
    virtual int Truncate(int fd, off_t length);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    // As Rename, but fails with EEXIST instead of replacing a file already at `to`.
    virtual int RenameNoReplace(const char* from, const char* to);
    virtual int Unlink(const char* path);
    virtual int Mkdir(const char* path, mode_t mode);
    virtual int Rmdir(const char* path);
    virtual int Flock(int fd, int operation);
    // Gives each name in a folder, "." and ".." left out, one at a time, so a folder of
    // many dialogues costs no memory; 0, or -1 with errno as opendir or readdir sets it.
    virtual int ListFolder(const char* path, const std::function<void(std::string_view)>& each);
};

// The real calls, shared by every file that is not given its own.
FileCalls& SystemFileCalls();

}  // namespace tumbo
