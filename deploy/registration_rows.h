#pragma once
// What registering a registry script writes, read from the in-memory registry
// after the interpreter ran the script there, and the same as rows of an
// installer's Registry table, so that a package writes exactly what
// self-registration would.

#include "server/registry/memory_registry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pelrin::deploy {

// Registers `script` in a fresh in-memory registry, with marks for %MODULE%
// (the module's path) and %HELPDIR% (its folder) that RegistryTableRows turns
// into the installer's references. kScriptOk and the entries, or the
// interpreter's failure.
std::int32_t RegisteredEntries(const std::string& script, std::vector<RegistryEntry>& entries);

// The Registry table rows (tab-separated: Registry, Root, Key, Name, Value,
// Component_) of the entries, for one component whose file is `fileId` in the
// folder `directoryId`: the module's path is written as the installer's
// reference to that file, "[#fileId]", its folder as "[directoryId]".
// HKEY_CLASSES_ROOT entries go under Software\Classes of the install's own
// root (the user's for a per-user install, the machine's otherwise). A key
// with neither values nor subkeys becomes a row that creates it on install
// and removes it on uninstall. Rows are numbered from `firstRow`. Throws
// std::invalid_argument for what the table cannot hold (a root other than
// HKCR, HKCU, HKLM or HKU; control characters; empty strings).
std::vector<std::string> RegistryTableRows(const std::vector<RegistryEntry>& entries,
                                           const std::string& component, const std::string& fileId,
                                           const std::string& directoryId, std::size_t firstRow = 1);

} // namespace pelrin::deploy
