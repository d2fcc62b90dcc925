#include "platform/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/errors.h"
#include "platform/file_access.h"
#include "platform/temporary_names.h"

namespace tumbo {

namespace {

constexpr const char* kOperation = "write a new version of";

}  // namespace

ReplacingFile::~ReplacingFile() {
    Abandon();
}

void ReplacingFile::Start(std::string_view path) {
    Abandon();
    Name(path);
    struct stat old {};
    const bool keepMode = file_access::LookAt(calls_, systemPath_, old) == 0;
    if (keepMode && S_ISLNK(old.st_mode)) {
        file_access::RefuseLink(kOperation, systemPath_);
    }
    const std::string fileName = file_access::FileNameOf(systemPath_);
    RemoveTemporariesIn(
        file_access::FolderOf(systemPath_),
        [&fileName](std::string_view name) { return name == fileName; }, calls_);
    // The new version is private until it has the old one's permission bits.
    const mode_t mode = keepMode ? 0600 : 0644;
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string temporary = TemporaryNameFor(systemPath_);
        const int fd = file_access::Open(
            calls_, path_, temporary, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, kOperation, mode);
        if (fd >= 0) {
            Opened(fd, temporary, false);
            if (keepMode && calls_.Fchmod(fd_, old.st_mode & 07777) != 0) {
                Fail(errno, "copy the permissions of the old version to", writtenPath_);
            }
            return;
        }
    }
    file_access::Fail(calls_, EEXIST, kOperation, systemPath_);
}

void ReplacingFile::Commit() {
    SyncAndClose();
    if (calls_.Rename(writtenPath_.c_str(), systemPath_.c_str()) != 0) {
        Fail(errno, "rename the new version over", systemPath_);
    }
    writtenPath_.clear();
    // The new version is in place whether or not the folder can be synced now.
    file_access::SyncFolderOf(calls_, systemPath_);
}

void ReplacingFile::Abandon() noexcept {
    DropTemporary();
}

}  // namespace tumbo
