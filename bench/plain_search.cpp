#include "bench/plain_search.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "engine/base_format.h"
#include "engine/phrase.h"

namespace tumbo::bench {

namespace {

// Reads lines ending in LF (a CR before it dropped) through a fixed buffer. A line is
// valid until the next call.
class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}

    bool Next(std::string_view& line) {
        bool carrying = false;
        carry_.clear();
        for (;;) {
            if (pos_ == end_) {
                if (!Fill()) {
                    if (!carrying) {
                        return false;
                    }
                    line = carry_;
                    break;
                }
            }
            const char* start = buffer_.data() + pos_;
            const std::size_t left = end_ - pos_;
            const auto* newline = static_cast<const char*>(std::memchr(start, '\n', left));
            if (newline == nullptr) {
                carry_.append(start, left);
                carrying = true;
                pos_ = end_;
                continue;
            }
            const auto length = static_cast<std::size_t>(newline - start);
            pos_ += length + 1;
            if (carrying) {
                carry_.append(start, length);
                line = carry_;
            } else {
                line = std::string_view(start, length);
            }
            break;
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return true;
    }

private:
    bool Fill() {
        ssize_t got = 0;
        do {
            got = ::read(fd_, buffer_.data(), buffer_.size());
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            throw std::system_error(errno, std::generic_category(), "read");
        }
        pos_ = 0;
        end_ = static_cast<std::size_t>(got);
        return got > 0;
    }

    int fd_;
    std::array<char, 8192> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::string carry_;
};

int OpenOrThrow(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), path);
    }
    return fd;
}

}  // namespace

PlainResult PlainSearch(const std::string& prefix, std::string_view typed,
                        bool startScratchOnMiss) {
    const std::string phrase = tumbo::NormalizePhrase(typed);
    PlainResult result;
    const int listFd = OpenOrThrow(prefix + std::string(tumbo::base_format::kPathList), O_RDONLY);
    LineReader list(listFd);
    std::string path = prefix;
    std::string_view entry;
    while (!result.found && list.Next(entry)) {
        ++result.files;
        path.resize(prefix.size());
        path.append(entry);
        std::replace(path.begin() + static_cast<std::ptrdiff_t>(prefix.size()), path.end(), '\\',
                     '/');
        const int fd = OpenOrThrow(path, O_RDONLY);
        LineReader dialogue(fd);
        std::string_view line;
        while (dialogue.Next(line) && !line.starts_with('#')) {
            if (line.starts_with('$') && line.substr(1) == phrase) {
                result.found = true;
                while (dialogue.Next(line) && line.starts_with('$')) {
                }
                result.reply = line;
                break;
            }
        }
        ::close(fd);
    }
    ::close(listFd);
    if (!result.found && startScratchOnMiss) {
        ::close(OpenOrThrow(prefix + std::string(tumbo::base_format::kScratchDialogue),
                            O_WRONLY | O_CREAT | O_TRUNC));
    }
    return result;
}

}  // namespace tumbo::bench
