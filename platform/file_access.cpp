#include "platform/file_access.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>

#include "platform/errors.h"

namespace tumbo::file_access {

std::string SystemPath(std::string_view path) {
    std::string system(path);
    std::replace(system.begin(), system.end(), '\\', '/');
    return system;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Fail(FileCalls& calls, int err, const std::string& operation, const std::string& path) {
    throw InOutError(CodeFromErrno(err, path, calls), operation, path, err);
}

int Open(FileCalls& calls, const std::string& shownPath, const std::string& path, int flags,
         const char* operation, mode_t mode) {
    if (shownPath.size() > kMaxPath) {
        throw InOutError(
            io_code::kInvalidFilename, operation, path, 0,
            "the full path is longer than " + std::to_string(kMaxPath) + " characters");
    }
    const int fd = calls.Open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    if (fd >= 0) {
        return fd;
    }
    if (errno == EEXIST && (flags & O_EXCL) != 0) {
        return -1;
    }
    if (errno == ELOOP && (flags & O_NOFOLLOW) != 0) {
        RefuseLink(operation, path);
    }
    Fail(calls, errno, operation, path);
}

void RefuseLink(const char* operation, const std::string& path) {
    throw InOutError(io_code::kAccessDenied, operation, path, 0,
                     "it is a symbolic link, and the program never writes through one");
}

int LookAt(FileCalls& calls, const std::string& path, struct stat& info) {
    return calls.Lstat(path.c_str(), &info) == 0 ? 0 : errno;
}

int SyncFolderOf(FileCalls& calls, const std::string& path) {
    return SyncFolder(calls, FolderOf(path));
}

int SyncFolder(FileCalls& calls, const std::string& folder) {
    const int fd = calls.Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) {
        return errno;
    }
    int result = 0;
    if (calls.Fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP && errno != EOPNOTSUPP &&
        errno != EROFS) {
        result = errno;
    }
    calls.Close(fd);
    return result;
}

int WriteAll(FileCalls& calls, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t wrote = calls.Write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return wrote < 0 ? errno : ENOSPC;
        }
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return 0;
}

}  // namespace tumbo::file_access
