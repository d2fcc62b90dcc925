#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

#include "platform/file_calls.h"

namespace tumbo {

// A line as the file stores it, for a reader that reports on a file rather than uses it.
struct StoredLine {
    enum class End { kCrLf, kLf, kNone };
    // The line as ReadLine gives it, and its bytes as stored (lone CRs kept), each up to
    // the length the reader keeps.
    std::string text;
    std::string raw;
    // Every stored byte of the line, its end left out.
    std::size_t length = 0;
    End end = End::kNone;
};

// A line-oriented data file with the program's line rules: lines are written with CR LF;
// a line read ends at CR LF or a bare LF, a lone CR is dropped, and byte 26 ends the file.
// Every failure throws InOutError. Opening a file that is open closes it first.
class TextFile {
public:
    // Longest full path a data file may have; a longer one is an invalid name.
    static constexpr std::size_t kMaxPath = 259;
    static constexpr std::size_t kWriteBufferSize = 128;

    explicit TextFile(FileCalls& calls = SystemFileCalls());
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Binds the file to a path; "\" is read as "/" when the file is opened.
    void Assign(std::string_view path);
    const std::string& Path() const { return path_; }
    bool IsOpen() const { return mode_ != Mode::kClosed; }

    // Opens an existing file for reading from its first line.
    void Reset();
    // No write goes through a symbolic link: each way of writing refuses a link in the
    // file's place with an InOutError naming the file.

    // Creates or truncates the file for writing.
    void Rewrite();
    // Writes a new version beside the file, under a name of its own, and renames it over
    // the file on Close, so the file is either the old one or the whole new one, whatever
    // fails; the new version keeps the old one's permission bits. A new version left
    // behind by a crash is removed first.
    void RewriteWhole();
    // Opens an existing file for writing at its end, starting a new line first when its
    // last line has no line end, so a hand-edited file never gets two entries joined on
    // one line. The end is where reading ends: the file is cut at a byte 26 first, after
    // KeepAfterEndMark. What is written is synced when closed, and a failure on the way
    // cuts the file back to what it held.
    void AppendOnNewLine();
    // Keeps what follows the file's first byte 26 in a copy beside it (kEndMarkCopySuffix),
    // when that is more than blanks and line ends, before a write that ends the file at the
    // mark. Opens nothing that stays open; a missing file has nothing to keep.
    void KeepAfterEndMark();
    static constexpr std::string_view kEndMarkCopySuffix = ".bak";
    // Writes a file that must not exist yet. It is written beside its name and appears
    // there only whole: Close syncs it, moves it into place and syncs the folder, so the
    // name is on the disk before anything refers to it. Returns false, opening nothing,
    // when anything has that name: a file, a folder, a device or a link, dangling or not.
    bool CreateNew();
    // Closes a file made by CreateNew and removes it, in place or not; never throws.
    void Abandon() noexcept;
    // Writes out the buffer and closes. A file whose write already failed is released
    // without a further error, and a whole rewrite of it is abandoned.
    void Close();

    // True when no byte is left or the next one is byte 26. Reading on from there gives
    // empty lines and zeros.
    bool Eof();
    std::string ReadLine();
    void ReadLine(std::string& line);
    // Reads the next line keeping at most `limit` bytes of it; false when it was longer.
    // Memory stays bounded however long the line is.
    bool ReadLine(std::string& line, std::size_t limit);
    void SkipLine();
    // Skips blanks and line ends, then reads at most 32 non-blank characters as an integer.
    std::int32_t ReadInteger();
    // Reads the next line as ReadLine does, keeping at most `keep` bytes of it, and says
    // how it is stored. Memory stays bounded however long the line is.
    void ReadStoredLine(StoredLine& line, std::size_t keep);
    // Once Eof is true: whether byte 26 ended the reading, and how many bytes follow it.
    bool AtEndMark();
    std::uint64_t BytesAfterEndMark();
    // The next bytes as stored, line rules aside; 0 at the end.
    std::size_t ReadBytes(char* buffer, std::size_t size);

    // Writes text and CR LF. CR, LF and byte 26 inside the text are written as blanks,
    // since each would split or end the file when it is read back.
    void WriteLine(std::string_view text);
    // Writes bytes exactly as given.
    void WriteBytes(std::string_view bytes);

private:
    enum class Mode { kClosed, kReading, kWriting };
    // Where the written bytes end up on Close: the file itself, or a temporary beside it
    // that replaces the file or takes a name that must be free.
    enum class Publish { kInPlace, kReplace, kCreate };

    void Open(const std::string& path, int flags, const char* operation, mode_t mode = 0644);
    // Opens with the given flags; false only when O_EXCL finds the file already there.
    bool TryOpen(const std::string& path, int flags, const char* operation, mode_t mode);
    void OpenTemporary(Publish publish, const char* operation);
    void RemoveStaleTemporaries() noexcept;
    void MoveIntoPlace();
    void RequireMode(Mode wanted, const char* operation) const;
    bool HasByte();
    unsigned char PeekByte() const { return static_cast<unsigned char>(readBuffer_[readPos_]); }
    // False when the line had more than `limit` bytes; those are skipped.
    bool ReadLineInto(std::string* line, std::size_t limit = SIZE_MAX);
    // Where the first byte 26 of the open file of `size` bytes is, or -1; a copy of what
    // follows it is kept first.
    off_t KeepAfterEndMarkOf(int fd, off_t size);
    void PutByte(char byte);
    void FlushWriteBuffer();
    void Release() noexcept;
    // The file the writes go to: the temporary beside the file while one is written.
    const std::string& WrittenPath() const {
        return publish_ == Publish::kInPlace ? systemPath_ : tempPath_;
    }
    [[noreturn]] void Fail(int err, const char* operation, const std::string& path);

    FileCalls& calls_;
    std::string path_;
    std::string systemPath_;
    std::string tempPath_;
    Mode mode_ = Mode::kClosed;
    int fd_ = -1;
    Publish publish_ = Publish::kInPlace;
    bool published_ = false;
    bool syncOnClose_ = false;
    off_t undoAppendFrom_ = -1;
    bool failed_ = false;

    std::vector<char> readBuffer_;
    std::size_t readPos_ = 0;
    std::size_t readEnd_ = 0;
    // Bytes of the file before the buffer's first.
    std::uint64_t readBefore_ = 0;
    bool readExhausted_ = false;
    bool checkedPlainFile_ = false;

    std::array<char, kWriteBufferSize> writeBuffer_{};
    std::size_t writeUsed_ = 0;
};

// Removes what a crash left of the writes of TextFile in `folder` ("opt.tmb.tmp-Ab3dEf",
// "7.dlg.tmp"): every temporary of a file name `isOurs` accepts. Never throws.
void RemoveTemporariesIn(const std::string& folder,
                         const std::function<bool(std::string_view fileName)>& isOurs,
                         FileCalls& calls = SystemFileCalls()) noexcept;

}  // namespace tumbo
