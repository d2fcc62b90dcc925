#pragma once

#include <string_view>

#include "platform/line_writer.h"

namespace tumbo {

// Writes a file that must not exist yet. It is written beside its name and appears there
// only whole: Commit syncs it, moves it into place and syncs the folder, so the name is on
// the disk before anything refers to it. A file never committed is removed.
class NewFile final : public LineWriter {
public:
    explicit NewFile(FileCalls& calls = SystemFileCalls()) : LineWriter(calls) {}
    ~NewFile();

    // False, opening nothing, when anything has that name: a file, a folder, a device or
    // a link, dangling or not.
    bool Create(std::string_view path);
    void Commit();
    // Removes the file, committed or not: what was to refer to it could not. Never throws.
    void Remove() noexcept;

private:
    void Undo() noexcept override;

    bool committed_ = false;
};

}  // namespace tumbo
