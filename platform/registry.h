#pragma once

#include <string>

namespace tumbo {

// Reads one string value from a registry export in REGEDIT4 text form, the stand-in for
// the machine-wide registry. A missing file, key or value gives an empty string; a value
// of another type throws RegistryError. Key and value names match without regard to case.
std::string ReadRegistryString(const std::string& registryFile, const std::string& key,
                               const std::string& valueName);

}  // namespace tumbo
