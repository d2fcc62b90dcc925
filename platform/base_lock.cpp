#include "platform/base_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/errors.h"
#include "platform/file_access.h"

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

void CloseIfOpen(FileCalls& calls, int fd) {
    if (fd >= 0) {
        calls.Close(fd);
    }
}

// A missing folder is told apart from a missing file by the folder's own path.
[[noreturn]] void Fail(FileCalls& calls, int err, const char* operation, const std::string& folder,
                       const std::string& path) {
    throw InOutError(CodeFromErrno(err, folder + "/", calls), operation, path, err);
}

// Takes the lock of an open descriptor: true when taken, false when another holder has
// it; throws on any other failure.
bool Lock(FileCalls& calls, int fd, const std::string& folder) {
    int result = 0;
    do {
        result = calls.Flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        return true;
    }
    const int err = errno;
    if (err == EWOULDBLOCK) {
        return false;
    }
    Fail(calls, err, "lock the data folder", folder, folder);
}

// The lock file, made when missing; -1 when it can be neither made nor opened.
int OpenLockFile(FileCalls& calls, const std::string& folder) {
    const std::string path = folder + "/" + BaseLock::kLockFile;
    // Close-on-exec, as the folder's; a link is never followed out of the folder.
    const int fd = calls.Open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EACCES) {
        return fd;
    }
    // Another user's lock file locks as well read-only.
    return calls.Open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC, 0);
}

}  // namespace

BaseLock::~BaseLock() {
    CloseIfOpen(calls_, fileFd_);
    CloseIfOpen(calls_, folderFd_);
}

std::unique_ptr<BaseLock> BaseLock::TryAcquire(const std::string& folder, FileCalls& calls) {
    struct stat info {};
    if (calls.Stat(folder.c_str(), &info) != 0) {
        Fail(calls, errno, "open the data folder", folder, folder);
    }
    // Close-on-exec: a program started from the window, a mail client say, must not
    // inherit the lock and keep the base busy after the window has gone.
    int folderFd = calls.Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (folderFd < 0 && errno != EACCES) {
        Fail(calls, errno, "open the data folder", folder, folder);
    }
    int fileFd = -1;
    try {
        if (folderFd >= 0 && !Lock(calls, folderFd, folder)) {
            calls.Close(folderFd);
            return nullptr;
        }
        if (folderFd < 0 || WritableUnlisted(info.st_mode)) {
            fileFd = OpenLockFile(calls, folder);
            if (fileFd < 0 && folderFd < 0) {
                // Neither lock: this start must not write there.
                Fail(calls, errno, "lock the data folder", folder, folder + "/" + kLockFile);
            }
            // Without the file, a user who cannot list the folder gets no lock either, so
            // the folder's own lock still keeps every other writer out.
            if (fileFd >= 0 && !Lock(calls, fileFd, folder)) {
                CloseIfOpen(calls, fileFd);
                CloseIfOpen(calls, folderFd);
                return nullptr;
            }
        }
    } catch (...) {
        CloseIfOpen(calls, fileFd);
        CloseIfOpen(calls, folderFd);
        throw;
    }
    return std::unique_ptr<BaseLock>(new BaseLock(calls, folderFd, fileFd));
}

std::string DataFolderOf(const std::string& programDir) {
    const std::string path = file_access::SystemPath(programDir);
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace tumbo
