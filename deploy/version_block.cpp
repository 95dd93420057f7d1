#include "deploy/version_block.h"

#include <algorithm>
#include <array>

namespace pelrin::deploy {
namespace {

std::uint32_t ReadUint32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

} // namespace

std::optional<std::string> FileVersion(std::span<const std::uint8_t> module)
{
    // The fixed file information starts with this signature, then the
    // structure version, then the file version (most and least significant
    // halves), each 32 bits, little-endian.
    constexpr std::array<std::uint8_t, 4> kSignature{0xBD, 0x04, 0xEF, 0xFE};
    constexpr std::size_t kFixedInfoBytes = 52;
    const auto found = std::search(module.begin(), module.end(), kSignature.begin(), kSignature.end());
    if (found == module.end() || static_cast<std::size_t>(module.end() - found) < kFixedInfoBytes)
        return std::nullopt;
    const std::uint8_t* info = &*found;
    const std::uint32_t high = ReadUint32(info + 8);
    const std::uint32_t low = ReadUint32(info + 12);
    return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16) + "." +
           std::to_string(low & 0xFFFF);
}

} // namespace pelrin::deploy
