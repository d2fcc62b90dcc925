#pragma once

#include <cerrno>
#include <string>

#include "platform/file_calls.h"

namespace tumbo::test {

// Real file calls, except that one kind of call fails with a chosen errno, either every
// time or from its nth use on.
class FailingFileCalls : public FileCalls {
public:
    enum class Call { kNone, kOpen, kRead, kWrite, kFsync, kClose, kRename };

    void FailAt(Call call, int err, int fromUse = 1) {
        failing_ = call;
        errno_ = err;
        fromUse_ = fromUse;
        uses_ = 0;
    }
    int writes() const { return writes_; }

    int Open(const char* path, int flags, mode_t mode) override {
        return Fails(Call::kOpen) ? -1 : FileCalls::Open(path, flags, mode);
    }
    ssize_t Read(int fd, void* buffer, size_t size) override {
        return Fails(Call::kRead) ? -1 : FileCalls::Read(fd, buffer, size);
    }
    ssize_t Write(int fd, const void* buffer, size_t size) override {
        ++writes_;
        return Fails(Call::kWrite) ? -1 : FileCalls::Write(fd, buffer, size);
    }
    int Fsync(int fd) override { return Fails(Call::kFsync) ? -1 : FileCalls::Fsync(fd); }
    int Close(int fd) override {
        // The descriptor is released even when the close reports a failure, as on Linux.
        const int result = FileCalls::Close(fd);
        return Fails(Call::kClose) ? -1 : result;
    }
    int Rename(const char* from, const char* to) override {
        return Fails(Call::kRename) ? -1 : FileCalls::Rename(from, to);
    }

private:
    bool Fails(Call call) {
        if (call != failing_ || ++uses_ < fromUse_) {
            return false;
        }
        errno = errno_;
        return true;
    }

    Call failing_ = Call::kNone;
    int errno_ = 0;
    int fromUse_ = 1;
    int uses_ = 0;
    int writes_ = 0;
};

}  // namespace tumbo::test
