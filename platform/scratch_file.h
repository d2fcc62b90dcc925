#pragma once

#include <string_view>

#include "platform/line_writer.h"

namespace tumbo {

// A draft written in place as it goes: emptied when it is started and never synced, since
// nothing is read back from it and a crash may leave it half.
class ScratchFile final : public LineWriter {
public:
    explicit ScratchFile(FileCalls& calls = SystemFileCalls()) : LineWriter(calls) {}

    // Creates or empties the file; a link in its place is refused.
    void Rewrite(std::string_view path);
    void Close();

private:
    void Undo() noexcept override { Release(); }
};

}  // namespace tumbo
