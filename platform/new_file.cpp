#include "platform/new_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/errors.h"
#include "platform/file_access.h"
#include "platform/temporary_names.h"

namespace tumbo {

NewFile::~NewFile() {
    DropTemporary();
}

bool NewFile::Create(std::string_view path) {
    DropTemporary();
    Name(path);
    committed_ = false;
    struct stat info {};
    if (const int err = file_access::LookAt(calls_, systemPath_, info); err != ENOENT) {
        if (err == 0) {
            return false;
        }
        file_access::Fail(calls_, err, "look for", systemPath_);
    }
    const std::string temporary = NewFileTemporaryFor(systemPath_);
    calls_.Unlink(temporary.c_str());
    const int fd = file_access::Open(calls_, path_, temporary,
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, "create");
    if (fd < 0) {
        file_access::Fail(calls_, EEXIST, "create", temporary);
    }
    Opened(fd, temporary, false);
    return true;
}

void NewFile::Commit() {
    SyncAndClose();
    if (calls_.RenameNoReplace(writtenPath_.c_str(), systemPath_.c_str()) != 0) {
        Fail(errno, "move the new file to", systemPath_);
    }
    writtenPath_.clear();
    committed_ = true;
    // Nothing may name the file before its name is on the disk too.
    if (const int err = file_access::SyncFolderOf(calls_, systemPath_); err != 0) {
        Fail(err, "sync the folder of", systemPath_);
    }
}

void NewFile::Remove() noexcept {
    Undo();
}

void NewFile::Undo() noexcept {
    DropTemporary();
    if (committed_) {
        calls_.Unlink(systemPath_.c_str());
        committed_ = false;
    }
}

}  // namespace tumbo
