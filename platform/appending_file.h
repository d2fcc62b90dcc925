#pragma once

#include <sys/types.h>

#include <string_view>

#include "platform/line_writer.h"

namespace tumbo {

// Appends lines to an existing file. The lines wait in memory until Commit writes them in
// one go and syncs them; a failure on the way cuts the file back to what it held, and an
// append never committed adds nothing. A link in the file's place is refused.
class AppendingFile final : public LineWriter {
public:
    explicit AppendingFile(FileCalls& calls = SystemFileCalls()) : LineWriter(calls) {}

    // Opens `path` at its end, which is where reading ends: the file is cut at a byte 26
    // first, what followed the mark kept aside. A new line is started first when the last
    // one has no line end, so a hand-edited file never gets two entries joined on one line.
    void Open(std::string_view path);
    void Commit();

private:
    void Undo() noexcept override;

    off_t undoFrom_ = -1;
};

}  // namespace tumbo
