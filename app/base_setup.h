#pragma once

#include <QStringList>

#include <optional>
#include <string>

#include "engine/session.h"

namespace tumbo {

// Where the program's base comes from, as the launcher says.
struct BaseSource {
    // The bundled base ("--bundled-base DIR"); empty when the program was started without
    // one, and then it installs and updates nothing.
    std::string bundled;
    // TUMBO_NO_BASE_UPDATE=1 keeps a new release's dialogues out.
    bool updates = true;
};
BaseSource BaseSourceFrom(const QStringList& arguments);

// The folder the program works in: the registry file's, or $XDG_DATA_HOME/tumbo3
// (~/.local/share/tumbo3). Empty when there is neither a registry folder nor a home.
struct DataFolder {
    std::string folder;
    // The registry file could not be read; the folder is the one without it.
    std::optional<Failure> registryFailure;
};
DataFolder UsedDataFolder(const std::string& registryFile);

// Prints what opening the base did on standard output, and what failed on standard error.
void PrintOpening(const Opened& opened);

// The folder cannot be used: says why in a box. Returns the program's exit status.
int RefuseFolder(const std::string& folder, const Failure& failure);

// False, having said so, when `folder` is no folder the program can work in.
bool DataFolderThere(const std::string& folder);

}  // namespace tumbo
