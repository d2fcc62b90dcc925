#include "platform/base_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/errors.h"

namespace tumbo {

BaseLock::~BaseLock() {
    ::close(fd_);
}

std::unique_ptr<BaseLock> BaseLock::TryAcquire(const std::string& folder) {
    // Close-on-exec: a program started from the window, a mail client say, must not
    // inherit the lock and keep the base busy after the window has gone.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        throw InOutError(CodeFromErrno(err, folder + "/"), "open the data folder", folder, err);
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) {
            return nullptr;
        }
        throw InOutError(CodeFromErrno(err, folder + "/"), "lock the data folder", folder, err);
    }
    return std::unique_ptr<BaseLock>(new BaseLock(fd));
}

std::string DataFolderOf(const std::string& programDir) {
    std::string path = programDir;
    std::replace(path.begin(), path.end(), '\\', '/');
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace tumbo
