#pragma once

#include <cerrno>
#include <map>
#include <string>

#include "platform/file_calls.h"

namespace tumbo::test {

// Real file calls, except that one kind of call fails with a chosen errno, from its nth
// use on, optionally only on files whose path contains a given text. With kAny every call
// counts, and from the nth on none reaches the disk: the program stops there as a killed
// one would.
class FailingFileCalls : public FileCalls {
public:
    enum class Call {
        kNone,
        kOpen,
        kRead,
        kWrite,
        kFsync,
        kClose,
        kRename,
        kRenameNoReplace,
        kFchmod,
        kStat,
        kLseek,
        kPread,
        kFstat,
        kTruncate,
        kUnlink,
        kMkdir,
        kLstat,
        kRmdir,
        kFlock,
        kListFolder,
        kAny,
    };

    void FailAt(Call call, int err, int fromUse = 1, std::string pathPart = {}) {
        failing_ = call;
        errno_ = err;
        fromUse_ = fromUse;
        pathPart_ = std::move(pathPart);
        uses_ = 0;
    }
    void Heal() { failing_ = Call::kNone; }
    // How many calls of the failing kind were made since FailAt.
    int Uses() const { return uses_; }

    int Open(const char* path, int flags, mode_t mode) override {
        if (Fails(Call::kOpen, path)) {
            return -1;
        }
        const int fd = FileCalls::Open(path, flags, mode);
        if (fd >= 0) {
            paths_[fd] = path;
        }
        return fd;
    }
    ssize_t Read(int fd, void* buffer, size_t size) override {
        return Fails(Call::kRead, paths_[fd]) ? -1 : FileCalls::Read(fd, buffer, size);
    }
    ssize_t Write(int fd, const void* buffer, size_t size) override {
        return Fails(Call::kWrite, paths_[fd]) ? -1 : FileCalls::Write(fd, buffer, size);
    }
    int Fsync(int fd) override {
        return Fails(Call::kFsync, paths_[fd]) ? -1 : FileCalls::Fsync(fd);
    }
    int Close(int fd) override {
        // The descriptor is released even when the close reports a failure, as on Linux.
        const std::string path = paths_[fd];
        paths_.erase(fd);
        const int result = FileCalls::Close(fd);
        return Fails(Call::kClose, path) ? -1 : result;
    }
    int Rename(const char* from, const char* to) override {
        return Fails(Call::kRename, to) ? -1 : FileCalls::Rename(from, to);
    }
    int RenameNoReplace(const char* from, const char* to) override {
        return Fails(Call::kRenameNoReplace, to) ? -1 : FileCalls::RenameNoReplace(from, to);
    }
    int Fchmod(int fd, mode_t mode) override {
        return Fails(Call::kFchmod, paths_[fd]) ? -1 : FileCalls::Fchmod(fd, mode);
    }
    int Stat(const char* path, struct stat* info) override {
        return Fails(Call::kStat, path) ? -1 : FileCalls::Stat(path, info);
    }
    off_t Lseek(int fd, off_t offset, int whence) override {
        return Fails(Call::kLseek, paths_[fd]) ? -1 : FileCalls::Lseek(fd, offset, whence);
    }
    ssize_t Pread(int fd, void* buffer, size_t size, off_t offset) override {
        return Fails(Call::kPread, paths_[fd]) ? -1 : FileCalls::Pread(fd, buffer, size, offset);
    }
    int Fstat(int fd, struct stat* info) override {
        return Fails(Call::kFstat, paths_[fd]) ? -1 : FileCalls::Fstat(fd, info);
    }
    int Truncate(int fd, off_t length) override {
        return Fails(Call::kTruncate, paths_[fd]) ? -1 : FileCalls::Truncate(fd, length);
    }
    int Unlink(const char* path) override {
        return Fails(Call::kUnlink, path) ? -1 : FileCalls::Unlink(path);
    }
    int Mkdir(const char* path, mode_t mode) override {
        return Fails(Call::kMkdir, path) ? -1 : FileCalls::Mkdir(path, mode);
    }
    int Lstat(const char* path, struct stat* info) override {
        return Fails(Call::kLstat, path) ? -1 : FileCalls::Lstat(path, info);
    }
    int Rmdir(const char* path) override {
        return Fails(Call::kRmdir, path) ? -1 : FileCalls::Rmdir(path);
    }
    int Flock(int fd, int operation) override {
        return Fails(Call::kFlock, paths_[fd]) ? -1 : FileCalls::Flock(fd, operation);
    }
    int ListFolder(const char* path, const std::function<void(std::string_view)>& each) override {
        return Fails(Call::kListFolder, path) ? -1 : FileCalls::ListFolder(path, each);
    }

private:
    bool Fails(Call call, const std::string& path) {
        if ((call != failing_ && failing_ != Call::kAny) ||
            path.find(pathPart_) == std::string::npos || ++uses_ < fromUse_) {
            return false;
        }
        errno = errno_;
        return true;
    }

    Call failing_ = Call::kNone;
    int errno_ = 0;
    int fromUse_ = 1;
    std::string pathPart_;
    int uses_ = 0;
    std::map<int, std::string> paths_;
};

}  // namespace tumbo::test
