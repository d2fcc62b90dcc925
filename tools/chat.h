#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <set>

#include "platform/clock.h"
#include "platform/file_calls.h"

namespace tumbo::tools {

// File calls that leave the disk as it is: reads go to the real files, while every open
// for writing gets /dev/null instead, and renames, removals and mode changes are refused
// (EROFS) or, on /dev/null, done as nothing.
class ReadOnlyFileCalls : public FileCalls {
public:
    int Open(const char* path, int flags, mode_t mode) override;
    int Fchmod(int fd, mode_t mode) override;
    int Fsync(int fd) override;
    int Truncate(int fd, off_t length) override;
    int Close(int fd) override;
    int Rename(const char* from, const char* to) override;
    int RenameNoReplace(const char* from, const char* to) override;
    int Unlink(const char* path) override;

private:
    int Pretend(int fd) const;

    std::set<int> discarding_;
};

// A counter that gives first, first + 1, ... so the reply choices repeat run after run.
class SequenceClock : public Clock {
public:
    explicit SequenceClock(std::uint64_t first) : next_(first) {}
    std::uint64_t Counter() override { return next_++; }
    void Sleep(int) override {}

private:
    std::uint64_t next_;
};

// The whole tumbo-chat command: phrases from `in` (UTF-8, one a line), the chat log on
// `out`. 0 when done, 1 when some phrase failed, 2 on bad usage or a base it cannot load.
int RunChat(int argc, const char* const* argv, std::istream& in, std::ostream& out,
            std::ostream& err);

}  // namespace tumbo::tools
