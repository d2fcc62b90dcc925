#pragma once

#include <functional>
#include <string>

#include "platform/file_calls.h"

namespace tumbo {

enum class InstallResult {
    kPresent,     // something is already at the folder's name: nothing was done
    kInstalled,   // the folder now holds the whole bundled base and its version
    kInstalling,  // another start is installing it right now
};

// Told how many of the bundled base's files an install has copied, of how many.
using InstallProgress = std::function<void(int done, int total)>;

// Installs the bundled base as `folder` when nothing has that name yet. The base is built
// in a folder beside it (".NAME.install", under that folder's lock), every file and folder
// synced, then renamed into place: a crash leaves no base or a whole one, and a start after
// it builds again. Missing folders above it are made. Throws TumboError.
InstallResult InstallBundledBase(const std::string& bundled, const std::string& folder,
                                 FileCalls& calls = SystemFileCalls(),
                                 const InstallProgress& progress = {});

// Completes a base left half-copied: each file the base lists (opt.tmb, path.tmb and its
// dialogues) that is missing, empty or a strict prefix of the bundled file of the same name
// is replaced whole by the bundled file, path.tmb last; nothing else is touched. A path
// list that ends at a line end is never taken for a half copy (a new release's list goes
// on where the old one ended), and an empty one only when no version was ever recorded.
// The caller holds the base. Returns how many files were completed; throws TumboError.
int RepairBase(const std::string& bundled, const std::string& folder,
               FileCalls& calls = SystemFileCalls());

// Whether the base records the bundled base's version, so that there is nothing to merge.
// A bundled base without a version counts as recorded.
bool BundledVersionRecorded(const std::string& bundled, const std::string& folder,
                            FileCalls& calls = SystemFileCalls());
// Records the bundled version in the base, replacing the file whole. Throws TumboError.
void RecordBundledVersion(const std::string& bundled, const std::string& folder,
                          FileCalls& calls = SystemFileCalls());

}  // namespace tumbo
