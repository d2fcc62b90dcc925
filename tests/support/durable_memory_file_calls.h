#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_calls.h"

namespace tumbo::test {

// A file system in memory behind the file calls that knows what a power cut would keep:
// a file's bytes only as its last fsync left them, and a folder's names (new ones, renames,
// removals) only as the last fsync of that folder left them. Nothing else reaches the disk,
// so this is the least a file system promises, the opposite end from a killed program
// whose page cache keeps everything. Files and folders are nodes, as inodes are: a name
// moved out of a folder whose sync has not come yet still leads to the node there.
class DurableMemoryFileCalls : public FileCalls {
public:
    DurableMemoryFileCalls() { nodes_[kRoot].folder = true; }

    // A folder and those above it, already on the disk.
    void MakeFolders(const std::string& path) {
        int at = kRoot;
        for (const std::string& part : Parts(path)) {
            auto found = nodes_[at].entries.find(part);
            if (found == nodes_[at].entries.end()) {
                const int made = NewNode(true, 0755);
                nodes_[at].entries[part] = nodes_[at].durableEntries[part] = made;
                at = made;
            } else {
                at = found->second;
            }
        }
    }
    // A file already on the disk, name and bytes.
    void Put(const std::string& path, const std::string& bytes) {
        std::vector<std::string> folders = Parts(path);
        folders.pop_back();
        MakeFolders(Joined(folders));
        const Where where = Find(path);
        const int made = NewNode(false, 0644);
        nodes_[made].bytes = nodes_[made].durableBytes = bytes;
        nodes_[where.parent].entries[where.name] = made;
        nodes_[where.parent].durableEntries[where.name] = made;
    }

    // From the nth call counted from now on the power is off: no call reaches the disk,
    // each fails with EIO. Calls() counts every call since.
    void CutPowerAt(int call) {
        cutAt_ = call;
        calls_ = 0;
    }
    int Calls() const { return calls_; }
    // Whether the cut has come: a program sees nothing after it, whatever its calls return.
    bool PowerWentOff() const { return calls_ >= cutAt_; }
    // The power is back: the disk holds what was durable and nothing else, every
    // descriptor is gone and calls reach the disk again.
    void Restart() {
        for (auto& [id, node] : nodes_) {
            node.bytes = node.durableBytes;
            ++node.changes;
            node.mode = node.durableMode;
            node.entries = node.durableEntries;
        }
        open_.clear();
        cutAt_ = INT_MAX;
        calls_ = 0;
    }

    // The program was killed at the cut instead: the page cache keeps everything it was
    // given, synced or not, and only the descriptors are gone.
    void Kill() {
        open_.clear();
        cutAt_ = INT_MAX;
        calls_ = 0;
    }

    // What the file system shows now (after Restart: what the disk kept).
    std::optional<std::string> Read(const std::string& path) const {
        const Where where = Find(path);
        if (where.node < 0 || nodes_.at(where.node).folder) {
            return std::nullopt;
        }
        return nodes_.at(where.node).bytes;
    }
    bool Exists(const std::string& path) const { return Find(path).node >= 0; }
    std::set<std::string> Names(const std::string& folder) const {
        std::set<std::string> names;
        const Where where = Find(folder);
        if (where.node >= 0) {
            for (const auto& [name, node] : nodes_.at(where.node).entries) {
                names.insert(name);
            }
        }
        return names;
    }

    int Open(const char* path, int flags, mode_t mode) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        const Where where = Find(path);
        if (where.err != 0) {
            return Fail(where.err);
        }
        const int access = flags & O_ACCMODE;
        int node = where.node;
        if (node >= 0 && nodes_[node].folder) {
            if (access != O_RDONLY || (flags & O_CREAT) != 0) {
                return Fail(EISDIR);
            }
            return Descriptor(node, flags);
        }
        if ((flags & O_DIRECTORY) != 0) {
            return Fail(node < 0 ? ENOENT : ENOTDIR);
        }
        if (node < 0) {
            if ((flags & O_CREAT) == 0 || where.parent < 0) {
                return Fail(ENOENT);
            }
            node = NewNode(false, mode & 07777);
            nodes_[where.parent].entries[where.name] = node;
        } else if ((flags & O_CREAT) != 0 && (flags & O_EXCL) != 0) {
            return Fail(EEXIST);
        }
        if ((flags & O_TRUNC) != 0 && access != O_RDONLY) {
            nodes_[node].bytes.clear();
        }
        return Descriptor(node, flags);
    }
    ssize_t Read(int fd, void* buffer, size_t size) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        Handle* handle = FindOpen(fd);
        if (handle == nullptr || (handle->flags & O_ACCMODE) == O_WRONLY) {
            return Fail(EBADF);
        }
        if (nodes_[handle->node].folder) {
            return Fail(EISDIR);
        }
        const ssize_t got = Copy(nodes_[handle->node].bytes, buffer, size, handle->pos);
        handle->pos += got;
        return got;
    }
    ssize_t Pread(int fd, void* buffer, size_t size, off_t offset) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        Handle* handle = FindOpen(fd);
        if (handle == nullptr || nodes_[handle->node].folder || offset < 0) {
            return Fail(handle == nullptr ? EBADF : EINVAL);
        }
        return Copy(nodes_[handle->node].bytes, buffer, size, offset);
    }
    ssize_t Write(int fd, const void* buffer, size_t size) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        Handle* handle = FindOpen(fd);
        if (handle == nullptr || nodes_[handle->node].folder ||
            (handle->flags & O_ACCMODE) == O_RDONLY) {
            return Fail(EBADF);
        }
        std::string& bytes = nodes_[handle->node].bytes;
        ++nodes_[handle->node].changes;
        if ((handle->flags & O_APPEND) != 0) {
            handle->pos = static_cast<off_t>(bytes.size());
        }
        const auto at = static_cast<std::size_t>(handle->pos);
        bytes.resize(std::max(bytes.size(), at + size));
        std::memcpy(bytes.data() + at, buffer, size);
        handle->pos += static_cast<off_t>(size);
        return static_cast<ssize_t>(size);
    }
    off_t Lseek(int fd, off_t offset, int whence) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        Handle* handle = FindOpen(fd);
        if (handle == nullptr) {
            return Fail(EBADF);
        }
        const off_t base = whence == SEEK_END
                               ? static_cast<off_t>(nodes_[handle->node].bytes.size())
                           : whence == SEEK_CUR ? handle->pos
                                                : 0;
        if (base + offset < 0) {
            return Fail(EINVAL);
        }
        return handle->pos = base + offset;
    }
    int Fstat(int fd, struct stat* info) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        const Handle* handle = FindOpen(fd);
        return handle == nullptr ? Fail(EBADF) : Describe(handle->node, info);
    }
    int Stat(const char* path, struct stat* info) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        const Where where = Find(path);
        if (where.err != 0 || where.node < 0) {
            return Fail(where.err != 0 ? where.err : ENOENT);
        }
        return Describe(where.node, info);
    }
    // No links here: a name is what it leads to.
    int Lstat(const char* path, struct stat* info) override { return Stat(path, info); }
    int Fchmod(int fd, mode_t mode) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        const Handle* handle = FindOpen(fd);
        if (handle == nullptr) {
            return Fail(EBADF);
        }
        nodes_[handle->node].mode = mode & 07777;
        return 0;
    }
    // The one call that makes anything durable: a file's bytes, or a folder's names.
    int Fsync(int fd) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        const Handle* handle = FindOpen(fd);
        if (handle == nullptr) {
            return Fail(EBADF);
        }
        Node& node = nodes_[handle->node];
        node.durableBytes = node.bytes;
        node.durableMode = node.mode;
        node.durableEntries = node.entries;
        return 0;
    }
    int Truncate(int fd, off_t length) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        const Handle* handle = FindOpen(fd);
        if (handle == nullptr || nodes_[handle->node].folder || length < 0) {
            return Fail(handle == nullptr ? EBADF : EINVAL);
        }
        nodes_[handle->node].bytes.resize(static_cast<std::size_t>(length));
        ++nodes_[handle->node].changes;
        return 0;
    }
    int Close(int fd) override {
        // The descriptor goes whatever the close reports, as on Linux.
        const bool known = open_.erase(fd) != 0;
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        return known ? 0 : Fail(EBADF);
    }
    int Rename(const char* from, const char* to) override { return Move(from, to, true); }
    int RenameNoReplace(const char* from, const char* to) override { return Move(from, to, false); }
    int Unlink(const char* path) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        const Where where = Find(path);
        if (where.err != 0 || where.node < 0) {
            return Fail(where.err != 0 ? where.err : ENOENT);
        }
        if (nodes_[where.node].folder) {
            return Fail(EISDIR);
        }
        nodes_[where.parent].entries.erase(where.name);
        return 0;
    }
    int Mkdir(const char* path, mode_t mode) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        const Where where = Find(path);
        if (where.err != 0) {
            return Fail(where.err);
        }
        if (where.node >= 0 || where.parent < 0) {
            return Fail(EEXIST);
        }
        nodes_[where.parent].entries[where.name] = NewNode(true, mode & 07777);
        return 0;
    }
    int Rmdir(const char* path) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        Where where;
        if (const int err = FolderAt(path, where); err != 0) {
            return Fail(err);
        }
        if (!nodes_[where.node].entries.empty() || where.parent < 0) {
            return Fail(where.parent < 0 ? EBUSY : ENOTEMPTY);
        }
        nodes_[where.parent].entries.erase(where.name);
        return 0;
    }
    int Flock(int fd, int) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        return FindOpen(fd) == nullptr ? Fail(EBADF) : 0;
    }
    int ListFolder(const char* path, const std::function<void(std::string_view)>& each) override {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        Where where;
        if (const int err = FolderAt(path, where); err != 0) {
            return Fail(err);
        }
        for (const auto& [name, node] : nodes_[where.node].entries) {
            each(name);
        }
        return 0;
    }

private:
    static constexpr int kRoot = 0;

    struct Node {
        bool folder = false;
        mode_t mode = 0644;
        std::string bytes;
        std::map<std::string, int> entries;
        // Stands for the time of the last change, so a reader can tell a changed file.
        long changes = 0;
        // What a power cut keeps.
        mode_t durableMode = 0644;
        std::string durableBytes;
        std::map<std::string, int> durableEntries;
    };
    struct Handle {
        int node;
        int flags;
        off_t pos;
    };
    // Where a path leads: the folder holding its last part, and the node of that name
    // (-1 when there is none), or the errno of a lookup that fails on the way.
    struct Where {
        int parent = -1;
        std::string name;
        int node = -1;
        int err = 0;
    };

    // The names on the way from the root; every path is taken from the root.
    static std::vector<std::string> Parts(const std::string& path) {
        std::vector<std::string> parts;
        std::size_t start = 0;
        while (start <= path.size()) {
            const std::size_t end = std::min(path.find('/', start), path.size());
            const std::string part = path.substr(start, end - start);
            if (part == "..") {
                if (!parts.empty()) {
                    parts.pop_back();
                }
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            start = end + 1;
        }
        return parts;
    }
    static std::string Joined(const std::vector<std::string>& parts) {
        std::string path;
        for (const std::string& part : parts) {
            path += "/" + part;
        }
        return path;
    }
    static int Fail(int err) {
        errno = err;
        return -1;
    }
    static ssize_t Copy(const std::string& bytes, void* buffer, size_t size, off_t offset) {
        const auto from = std::min(static_cast<std::size_t>(offset), bytes.size());
        const std::size_t taken = std::min(size, bytes.size() - from);
        std::memcpy(buffer, bytes.data() + from, taken);
        return static_cast<ssize_t>(taken);
    }

    bool PowerIsOff() { return ++calls_ >= cutAt_; }

    Where Find(const std::string& path) const {
        Where where;
        where.node = kRoot;
        for (const std::string& part : Parts(path)) {
            if (where.node < 0) {
                return {-1, {}, -1, ENOENT};
            }
            const Node& folder = nodes_.at(where.node);
            if (!folder.folder) {
                return {-1, {}, -1, ENOTDIR};
            }
            const auto found = folder.entries.find(part);
            where.parent = where.node;
            where.name = part;
            where.node = found == folder.entries.end() ? -1 : found->second;
        }
        return where;
    }
    // The folder `path` leads to, or the errno of a lookup that finds none.
    int FolderAt(const char* path, Where& where) const {
        where = Find(path);
        if (where.err != 0 || where.node < 0) {
            return where.err != 0 ? where.err : ENOENT;
        }
        return nodes_.at(where.node).folder ? 0 : ENOTDIR;
    }
    int NewNode(bool folder, mode_t mode) {
        const int id = static_cast<int>(nodes_.size());
        Node& node = nodes_[id];
        node.folder = folder;
        node.mode = node.durableMode = mode;
        return id;
    }
    int Descriptor(int node, int flags) {
        const int fd = nextFd_++;
        open_[fd] = Handle{node, flags, 0};
        return fd;
    }
    Handle* FindOpen(int fd) {
        const auto found = open_.find(fd);
        return found == open_.end() ? nullptr : &found->second;
    }
    int Describe(int id, struct stat* info) const {
        const Node& node = nodes_.at(id);
        *info = {};
        info->st_ino = static_cast<ino_t>(id + 1);
        info->st_mode = (node.folder ? S_IFDIR : S_IFREG) | node.mode;
        info->st_size = static_cast<off_t>(node.bytes.size());
        info->st_mtim.tv_nsec = node.changes;
        return 0;
    }
    int Move(const char* from, const char* to, bool replace) {
        if (PowerIsOff()) {
            return Fail(EIO);
        }
        const Where source = Find(from);
        const Where target = Find(to);
        if (source.err != 0 || source.node < 0 || source.parent < 0) {
            return Fail(source.err != 0 ? source.err : ENOENT);
        }
        if (target.err != 0 || target.parent < 0) {
            return Fail(target.err != 0 ? target.err : EBUSY);
        }
        if (target.node >= 0 && !replace) {
            return Fail(EEXIST);
        }
        if (target.node >= 0 && nodes_[target.node].folder != nodes_[source.node].folder) {
            return Fail(nodes_[target.node].folder ? EISDIR : ENOTDIR);
        }
        nodes_[source.parent].entries.erase(source.name);
        nodes_[target.parent].entries[target.name] = source.node;
        return 0;
    }

    std::map<int, Node> nodes_;
    std::map<int, Handle> open_;
    int nextFd_ = 3;
    int cutAt_ = INT_MAX;
    int calls_ = 0;
};

}  // namespace tumbo::test
