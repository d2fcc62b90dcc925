#pragma once

#include <string_view>

#include "platform/line_writer.h"

namespace tumbo {

// Replaces a file durably: the new version is written beside it under a name of its own
// and renamed over it on Commit, so the file is either the old one or the whole new one,
// whatever fails. The new version keeps the old one's permission bits, and a link in the
// file's place is refused. A new version that is never committed is removed.
class ReplacingFile final : public LineWriter {
public:
    explicit ReplacingFile(FileCalls& calls = SystemFileCalls()) : LineWriter(calls) {}
    ~ReplacingFile();

    // Opens a new version of `path`; what a crash left of earlier ones is removed first.
    void Start(std::string_view path);
    // Syncs the new version, puts it in place and syncs the folder.
    void Commit();
    // Drops the new version; the file stays as it was.
    void Abandon() noexcept;

private:
    void Undo() noexcept override { Abandon(); }
};

}  // namespace tumbo
