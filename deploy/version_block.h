#pragma once
// The version block of a Windows module, read from the file's bytes (no
// Windows needed): the file version of its fixed part and the language of its
// first translation. The installer compares files by these, and product
// versions are made from the file version.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelrin::deploy {

struct VersionBlock {
    std::string fileVersion; // "major.minor.build.revision"
    unsigned language = 0;   // VarFileInfo\Translation's first language, 0 without one
};

// Empty when the bytes hold no version block.
std::optional<VersionBlock> ReadVersionBlock(std::span<const std::uint8_t> module);

// The fields of a dotted version as the installer writes one: one to four
// fields of one to five digits each; empty for anything else. The range of
// each field is the caller's to check.
std::optional<std::vector<unsigned long>> VersionFields(std::string_view text);

// The installer's product version of a release whose files carry
// `fileVersion`: the installer compares only the first three fields of a
// product version, so the fourth field, which rises with every release, is
// folded into the third: a.b.c.d becomes a.b.(c * 1000 + d). Throws
// std::invalid_argument when the result is out of the installer's range
// (255.255.65535) or d is 1000 or more.
std::string ProductVersion(const std::string& fileVersion);

} // namespace pelrin::deploy
