#pragma once

#include <QStringList>

#include <string>

namespace tumbo {

class TumboError;

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
std::string UsedDataFolder(const std::string& registryFile);

// First start: installs the bundled base as `folder`, waiting while another start installs
// it. Whatever fails is printed on standard error; the program starts anyway.
void InstallBaseIfMissing(const BaseSource& source, const std::string& folder);

// With the folder's lock held: completes a half-copied base, and merges a new release's
// dialogues in, recording its version after a merge without failures. Never throws; what
// fails is printed on standard error and tried again at the next start.
void UpdateBase(const BaseSource& source, const std::string& folder);

// The folder cannot be locked: says so when it exists, and then nothing may write to it.
// False when the program must stop.
bool AcceptUnlockedFolder(const std::string& folder, const TumboError& error);

// The registry names no folder: the program works in `folder` as its current one. False,
// having said why, when it cannot.
bool EnterDataFolder(const std::string& registryFile, const std::string& folder);

}  // namespace tumbo
