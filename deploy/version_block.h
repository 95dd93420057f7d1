#pragma once
// The file version of a Windows module, from the fixed part of its version
// block, read from the file's bytes (no Windows needed).

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pelrin::deploy {

// "major.minor.build.revision"; empty when the bytes hold no version block.
std::optional<std::string> FileVersion(std::span<const std::uint8_t> module);

} // namespace pelrin::deploy
