#include "platform/base_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/errors.h"

namespace tumbo {

namespace {

// Whether some class of users may make files in the folder without listing it.
bool WritableUnlisted(mode_t mode) {
    const auto unlisted = [mode](mode_t read, mode_t write, mode_t search) {
        return (mode & write) != 0 && (mode & search) != 0 && (mode & read) == 0;
    };
    return unlisted(S_IRUSR, S_IWUSR, S_IXUSR) || unlisted(S_IRGRP, S_IWGRP, S_IXGRP) ||
           unlisted(S_IROTH, S_IWOTH, S_IXOTH);
}

void CloseIfOpen(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

// Takes the lock of an open descriptor: true when taken, false when another holder has
// it; throws on any other failure.
bool Lock(int fd, const std::string& folder) {
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        return true;
    }
    const int err = errno;
    if (err == EWOULDBLOCK) {
        return false;
    }
    throw InOutError(CodeFromErrno(err, folder + "/"), "lock the data folder", folder, err);
}

// The lock file, made when missing; -1 when it can be neither made nor opened.
int OpenLockFile(const std::string& folder) {
    const std::string path = folder + "/" + BaseLock::kLockFile;
    // Close-on-exec, as the folder's; a link is never followed out of the folder.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EACCES) {
        return fd;
    }
    // Another user's lock file locks as well read-only.
    return ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

BaseLock::~BaseLock() {
    CloseIfOpen(fileFd_);
    CloseIfOpen(folderFd_);
}

std::unique_ptr<BaseLock> BaseLock::TryAcquire(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        const int err = errno;
        throw InOutError(CodeFromErrno(err, folder + "/"), "open the data folder", folder, err);
    }
    // Close-on-exec: a program started from the window, a mail client say, must not
    // inherit the lock and keep the base busy after the window has gone.
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0 && errno != EACCES) {
        const int err = errno;
        throw InOutError(CodeFromErrno(err, folder + "/"), "open the data folder", folder, err);
    }
    int fileFd = -1;
    try {
        if (folderFd >= 0 && !Lock(folderFd, folder)) {
            ::close(folderFd);
            return nullptr;
        }
        if (folderFd < 0 || WritableUnlisted(info.st_mode)) {
            fileFd = OpenLockFile(folder);
            if (fileFd < 0 && folderFd < 0) {
                // Neither lock: this start must not write there.
                const int err = errno;
                throw InOutError(CodeFromErrno(err, folder + "/"), "lock the data folder",
                                 folder + "/" + kLockFile, err);
            }
            // Without the file, a user who cannot list the folder gets no lock either, so
            // the folder's own lock still keeps every other writer out.
            if (fileFd >= 0 && !Lock(fileFd, folder)) {
                CloseIfOpen(fileFd);
                CloseIfOpen(folderFd);
                return nullptr;
            }
        }
    } catch (...) {
        CloseIfOpen(fileFd);
        CloseIfOpen(folderFd);
        throw;
    }
    return std::unique_ptr<BaseLock>(new BaseLock(folderFd, fileFd));
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
