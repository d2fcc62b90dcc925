#include "platform/scratch_file.h"

#include <fcntl.h>

#include <cerrno>
#include <utility>

#include "platform/file_access.h"

namespace tumbo {

void ScratchFile::Rewrite(std::string_view path) {
    Release();
    Name(path);
    Opened(file_access::Open(calls_, path_, systemPath_, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW,
                             "create"),
           systemPath_, false);
}

void ScratchFile::Close() {
    RequireOpen("close");
    Flush();
    if (calls_.Close(std::exchange(fd_, -1)) != 0) {
        Fail(errno, "close", systemPath_);
    }
}

}  // namespace tumbo
