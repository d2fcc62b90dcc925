#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/file_calls.h"

// What every reader and writer of the data files does the same way: names, opening,
// looking at a name, syncing a folder, and failing with the error the window shows.
namespace tumbo::file_access {

// Longest full path a data file may have; a longer one is an invalid name.
inline constexpr std::size_t kMaxPath = 259;

// The path the system is given: "\" is read as "/".
std::string SystemPath(std::string_view path);
// The folder part of a path with its slash ("dlg/"), or "." for a bare name.
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);

// Throws the error the window shows for `err`, naming what was done to which file.
[[noreturn]] void Fail(FileCalls& calls, int err, const std::string& operation,
                       const std::string& path);

// Opens a data file, never waiting (a named pipe in the base would block the window for
// good) and never leaving the descriptor to a program started later. `shownPath` is the
// path as the base names it, held to kMaxPath. A link where O_NOFOLLOW is asked for is
// refused with an error naming the file. Returns -1 only when O_EXCL finds the name taken.
int Open(FileCalls& calls, const std::string& shownPath, const std::string& path, int flags,
         const char* operation, mode_t mode = 0644);

[[noreturn]] void RefuseLink(const char* operation, const std::string& path);

// Looks at what `path` itself is, a link not followed. Returns 0 with `info` filled, or
// the errno of the failure (ENOENT: nothing has that name).
int LookAt(FileCalls& calls, const std::string& path, struct stat& info);

// Syncs `folder`, so that a name made or changed in it is on the disk. Returns 0 or the
// errno of the failure; a file system that cannot sync a folder counts as synced, the data
// being as safe there as that file system makes it.
int SyncFolder(FileCalls& calls, const std::string& folder);
// Syncs the folder that holds `path`.
int SyncFolderOf(FileCalls& calls, const std::string& path);

// Writes all of `bytes` to `fd`; 0 or the errno of the failure (ENOSPC for a write of none).
int WriteAll(FileCalls& calls, int fd, std::string_view bytes);

}  // namespace tumbo::file_access
