#pragma once
// Installer tables as text (.idt, as msiinfo exports and msibuild imports
// them), the File table's versions filled in from the files themselves, and
// the validation rules the packages must keep, checked over their tables
// where no Windows validator runs.

#include "deploy/version_block.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pelrin::deploy {

// Lines of tab-separated fields, CR LF: the column names, their types, the
// table's name and key columns, then the rows.
struct InstallerTable {
    std::vector<std::string> columns;
    std::vector<std::string> types;
    std::vector<std::string> keys;
    std::vector<std::vector<std::string>> rows;

    // The index of a column; throws std::invalid_argument when there is none.
    std::size_t Column(std::string_view name) const;
};

// Whether both registry views of 64-bit Windows see one copy of a key of the
// classes (given relative to HKEY_CLASSES_ROOT): ProgIDs and type libraries,
// but not classes and interfaces, of which each view has its own.
bool SharedByBothViews(std::string_view classesKey);

// Throws std::invalid_argument for text with fewer than three lines, or a
// row with more fields than columns (missing trailing fields are empty).
InstallerTable ReadIdt(std::string_view text);
std::string WriteIdt(const InstallerTable& table);

// Gives each file of `versions` (by its File key) its file version and
// language in the File table and takes its row out of MsiFileHash: the
// installer compares versioned files by version, and hashes only unversioned
// ones.
void SetFileVersions(InstallerTable& file, InstallerTable& fileHash, const std::map<std::string, VersionBlock>& versions);

// What the rules read of a package: its tables by name (a missing one is
// empty) and its summary information.
struct InstallerPackage {
    std::map<std::string, InstallerTable> tables;
    std::string platform;            // of the Template: "x64", "Intel", ...
    std::vector<unsigned> languages; // of the Template
    int schema = 0;                  // Page Count: the installer version needed
    int wordCount = 0;               // 8: installs without elevated privileges
};

// Reads `msiinfo suminfo` output into the summary fields.
void ReadSummary(std::string_view suminfo, InstallerPackage& package);

// Each broken rule as "<rule>: <what>", in the order checked; empty when the
// package keeps them all. Rules: ICE80 (bitness of components, folders and
// the Template), ICE57 (a component's data all per user, all per machine, or
// all following the install's context), ICE61 (the Upgrade table removes only
// older versions, and the product version's fourth field, which the installer
// ignores, is not used), "versioned files" (program files carry a version and
// a language and no hash), "one owner" (a registry value that both registry
// views share is written by one component), "per user" (a package that may
// install per user needs Windows Installer 5.0, writes no per-machine data,
// and does not claim to need no elevation when its default is per machine).
std::vector<std::string> CheckInstallerPackage(const InstallerPackage& package);

} // namespace pelrin::deploy
