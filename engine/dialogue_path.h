#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/errors.h"
#include "platform/file_calls.h"

// What a base may touch: every path-list entry names a file inside the data folder's dlg/,
// and no folder from the data folder down to it is a link. Every reader and writer of a
// dialogue asks here first.
namespace tumbo::dialogue_path {

// Why an entry names no file the base may touch; empty when it names one.
std::string Fault(std::string_view entry);

// The file `entry` names below the data folder ("dlg/7.dlg"), or nothing when it breaks the
// rule: not below dlg/, absolute, a ".." on the way, or a byte the system cannot take.
std::optional<std::string> FileOf(std::string_view entry);

// An entry that breaks the rule, or whose way passes a link; the message names the line.
class EntryRefused : public TumboError {
public:
    EntryRefused(const std::string& entry, const std::string& operation,
                 const std::string& pathList, const std::string& reason);
};

// The folder `folder` below `programDir` ("dlg", "dlg/forgotten"), and each one above it
// down from the data folder, is a real folder or not there at all. Throws InOutError naming
// the first that is a link or something else, checked with lstat right before use.
void RequireRealFolders(FileCalls& calls, const std::string& programDir, std::string_view folder,
                        const std::string& operation);

// Checks entries of one base for one walk of it: a folder found real is not looked at
// again until the walk asks for another folder.
class Checker {
public:
    Checker(FileCalls& calls, std::string programDir)
        : calls_(calls), programDir_(std::move(programDir)) {}
    // The full path of `entry`'s file, after the rule and the folders on the way were
    // checked. Throws EntryRefused, or InOutError when a folder cannot be looked at.
    std::string Require(std::string_view entry, const std::string& operation);

private:
    FileCalls& calls_;
    std::string programDir_;
    std::optional<std::string> checked_;
};

// Checker's Require for one entry.
std::string Require(FileCalls& calls, const std::string& programDir, std::string_view entry,
                    const std::string& operation);

}  // namespace tumbo::dialogue_path
