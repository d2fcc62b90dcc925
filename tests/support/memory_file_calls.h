#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/file_calls.h"

namespace tumbo::test {

// A file system in memory behind the file calls, answering with the errno values the
// real calls give, so that a fuzz target runs at memory speed. Folders exist only where
// a test makes them; there are no links, devices or permissions.
class MemoryFileCalls : public FileCalls {
public:
    MemoryFileCalls() { folders_.insert("/"); }

    void MakeFolder(const std::string& path) { folders_.insert(Normal(path)); }
    void Put(const std::string& path, std::string bytes) {
        files_[Normal(path)] = std::make_shared<Node>(Node{std::move(bytes), 0644});
    }
    // Everything is gone, and every descriptor closed.
    void Clear() {
        files_.clear();
        open_.clear();
        folders_ = {"/"};
    }

    int Open(const char* path, int flags, mode_t mode) override {
        const std::string name = Normal(path);
        const int access = flags & O_ACCMODE;
        if (folders_.contains(name)) {
            if (access != O_RDONLY || (flags & O_CREAT) != 0) {
                return Fail(EISDIR);
            }
            return Descriptor({nullptr, name, flags, 0});
        }
        if ((flags & O_DIRECTORY) != 0) {
            return Fail(files_.contains(name) ? ENOTDIR : ENOENT);
        }
        auto found = files_.find(name);
        if (found == files_.end()) {
            if ((flags & O_CREAT) == 0) {
                return Fail(ENOENT);
            }
            if (!folders_.contains(Parent(name))) {
                return Fail(files_.contains(Parent(name)) ? ENOTDIR : ENOENT);
            }
            found = files_.emplace(name, std::make_shared<Node>(Node{{}, mode & 07777})).first;
        } else if ((flags & O_CREAT) != 0 && (flags & O_EXCL) != 0) {
            return Fail(EEXIST);
        }
        if ((flags & O_TRUNC) != 0 && access != O_RDONLY) {
            found->second->bytes.clear();
        }
        return Descriptor({found->second, name, flags, 0});
    }
    ssize_t Read(int fd, void* buffer, size_t size) override {
        Handle* handle = Find(fd);
        if (handle == nullptr || (handle->flags & O_ACCMODE) == O_WRONLY) {
            return Fail(EBADF);
        }
        if (handle->node == nullptr) {
            return Fail(EISDIR);
        }
        const ssize_t got = Pread(fd, buffer, size, handle->pos);
        handle->pos += got > 0 ? got : 0;
        return got;
    }
    ssize_t Pread(int fd, void* buffer, size_t size, off_t offset) override {
        Handle* handle = Find(fd);
        if (handle == nullptr || handle->node == nullptr || offset < 0) {
            return Fail(handle == nullptr ? EBADF : EINVAL);
        }
        const std::string& bytes = handle->node->bytes;
        const auto from = std::min(static_cast<std::size_t>(offset), bytes.size());
        const std::size_t taken = std::min(size, bytes.size() - from);
        std::memcpy(buffer, bytes.data() + from, taken);
        return static_cast<ssize_t>(taken);
    }
    ssize_t Write(int fd, const void* buffer, size_t size) override {
        Handle* handle = Find(fd);
        if (handle == nullptr || handle->node == nullptr ||
            (handle->flags & O_ACCMODE) == O_RDONLY) {
            return Fail(EBADF);
        }
        std::string& bytes = handle->node->bytes;
        if ((handle->flags & O_APPEND) != 0) {
            handle->pos = static_cast<off_t>(bytes.size());
        }
        const auto at = static_cast<std::size_t>(handle->pos);
        if (bytes.size() < at + size) {
            bytes.resize(at + size);
        }
        std::memcpy(bytes.data() + at, buffer, size);
        handle->pos += static_cast<off_t>(size);
        return static_cast<ssize_t>(size);
    }
    off_t Lseek(int fd, off_t offset, int whence) override {
        Handle* handle = Find(fd);
        if (handle == nullptr || handle->node == nullptr) {
            return Fail(EBADF);
        }
        const off_t base = whence == SEEK_END   ? static_cast<off_t>(handle->node->bytes.size())
                           : whence == SEEK_CUR ? handle->pos
                                                : 0;
        if (base + offset < 0) {
            return Fail(EINVAL);
        }
        return handle->pos = base + offset;
    }
    int Fstat(int fd, struct stat* info) override {
        Handle* handle = Find(fd);
        return handle == nullptr ? Fail(EBADF) : Describe(handle->node.get(), info);
    }
    int Stat(const char* path, struct stat* info) override {
        const std::string name = Normal(path);
        if (folders_.contains(name)) {
            return Describe(nullptr, info);
        }
        const auto found = files_.find(name);
        return found == files_.end() ? Fail(ENOENT) : Describe(found->second.get(), info);
    }
    int Lstat(const char* path, struct stat* info) override { return Stat(path, info); }
    int Fchmod(int fd, mode_t mode) override {
        Handle* handle = Find(fd);
        if (handle == nullptr) {
            return Fail(EBADF);
        }
        if (handle->node != nullptr) {
            handle->node->mode = mode & 07777;
        }
        return 0;
    }
    int Fsync(int fd) override { return Find(fd) == nullptr ? Fail(EBADF) : 0; }
    int Truncate(int fd, off_t length) override {
        Handle* handle = Find(fd);
        if (handle == nullptr || handle->node == nullptr || length < 0) {
            return Fail(handle == nullptr ? EBADF : EINVAL);
        }
        handle->node->bytes.resize(static_cast<std::size_t>(length));
        return 0;
    }
    int Close(int fd) override { return open_.erase(fd) == 0 ? Fail(EBADF) : 0; }
    int Rename(const char* from, const char* to) override { return Move(from, to, true); }
    int RenameNoReplace(const char* from, const char* to) override { return Move(from, to, false); }
    int Unlink(const char* path) override {
        const std::string name = Normal(path);
        if (folders_.contains(name)) {
            return Fail(EISDIR);
        }
        return files_.erase(name) == 0 ? Fail(ENOENT) : 0;
    }
    int Mkdir(const char* path, mode_t) override {
        const std::string name = Normal(path);
        if (folders_.contains(name) || files_.contains(name)) {
            return Fail(EEXIST);
        }
        if (!folders_.contains(Parent(name))) {
            return Fail(ENOENT);
        }
        folders_.insert(name);
        return 0;
    }
    int Rmdir(const char* path) override {
        const std::string name = Normal(path);
        if (!folders_.contains(name)) {
            return Fail(files_.contains(name) ? ENOTDIR : ENOENT);
        }
        bool empty = true;
        ListFolder(path, [&empty](std::string_view) { empty = false; });
        if (!empty) {
            return Fail(ENOTEMPTY);
        }
        folders_.erase(name);
        return 0;
    }
    int Flock(int fd, int) override { return Find(fd) == nullptr ? Fail(EBADF) : 0; }
    int ListFolder(const char* path, const std::function<void(std::string_view)>& each) override {
        const std::string name = Normal(path);
        if (!folders_.contains(name)) {
            return Fail(files_.contains(name) ? ENOTDIR : ENOENT);
        }
        for (const auto& [file, node] : files_) {
            if (Parent(file) == name) {
                each(file.substr(file.find_last_of('/') + 1));
            }
        }
        for (const std::string& folder : folders_) {
            if (folder != "/" && Parent(folder) == name) {
                each(folder.substr(folder.find_last_of('/') + 1));
            }
        }
        return 0;
    }

private:
    struct Node {
        std::string bytes;
        mode_t mode;
    };
    struct Handle {
        std::shared_ptr<Node> node;  // none for a folder
        std::string path;
        int flags;
        off_t pos;
    };

    static std::string Normal(const std::string& path) {
        std::string normal = std::filesystem::path(path).lexically_normal().string();
        while (normal.size() > 1 && normal.back() == '/') {
            normal.pop_back();
        }
        return normal;
    }
    static std::string Parent(const std::string& path) {
        const auto slash = path.find_last_of('/');
        return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
    }
    static int Fail(int err) {
        errno = err;
        return -1;
    }
    static int Describe(const Node* node, struct stat* info) {
        *info = {};
        info->st_mode = node == nullptr ? S_IFDIR | 0755 : S_IFREG | node->mode;
        info->st_size = node == nullptr ? 0 : static_cast<off_t>(node->bytes.size());
        return 0;
    }
    int Descriptor(Handle handle) {
        const int fd = nextFd_++;
        open_.emplace(fd, std::move(handle));
        return fd;
    }
    Handle* Find(int fd) {
        const auto found = open_.find(fd);
        return found == open_.end() ? nullptr : &found->second;
    }
    int Move(const char* from, const char* to, bool replace) {
        const std::string source = Normal(from);
        const std::string target = Normal(to);
        const auto found = files_.find(source);
        if (found == files_.end()) {
            return Fail(ENOENT);
        }
        if (folders_.contains(target)) {
            return Fail(EISDIR);
        }
        if (!folders_.contains(Parent(target))) {
            return Fail(ENOENT);
        }
        if (!replace && files_.contains(target)) {
            return Fail(EEXIST);
        }
        auto node = found->second;
        files_.erase(found);
        files_[target] = std::move(node);
        return 0;
    }

    std::map<std::string, std::shared_ptr<Node>> files_;
    std::set<std::string> folders_;
    std::map<int, Handle> open_;
    int nextFd_ = 3;
};

}  // namespace tumbo::test
