#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/file_calls.h"

namespace tumbo {

// What every writer of a data file shares: lines written with CR LF, a small buffer in
// front of the open file, and the failure that undoes what the writer did. Destructors
// never write: bytes still in the buffer are dropped, and each writer says what else it
// drops.
class LineWriter {
public:
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The path as it was given.
    const std::string& Path() const { return path_; }

    // Writes text and CR LF. CR, LF and byte 26 inside the text are written as blanks,
    // since each would split or end the file when it is read back.
    void WriteLine(std::string_view text);
    // Writes bytes exactly as given.
    void WriteBytes(std::string_view bytes);

protected:
    static constexpr std::size_t kBufferSize = 128;

    explicit LineWriter(FileCalls& calls) : calls_(calls) {}
    ~LineWriter();

    // Takes the path of the file to write; "\" is read as "/".
    void Name(std::string_view path);
    // The file is open on `fd`, its bytes going to `writtenPath`. A writer that holds its
    // bytes writes nothing before Flush.
    void Opened(int fd, const std::string& writtenPath, bool hold);
    void RequireOpen(const char* operation) const;
    void Flush();
    // Flushes, syncs and closes. Once a file is synced a failing close has nothing left to
    // lose: Linux reports write-back errors at the sync and releases the descriptor anyway.
    void SyncAndClose();
    // Undoes what the writer did, then throws the failure.
    [[noreturn]] void Fail(int err, const char* operation, const std::string& path);
    virtual void Undo() noexcept = 0;
    void Release() noexcept;
    // Releases, and removes the temporary beside the file that the bytes were going to,
    // if there is one still; the file itself is never removed here.
    void DropTemporary() noexcept;

    FileCalls& calls_;
    std::string path_;
    std::string systemPath_;
    std::string writtenPath_;
    int fd_ = -1;

private:
    void Put(char byte);

    std::string buffer_;
    bool hold_ = false;
};

}  // namespace tumbo
