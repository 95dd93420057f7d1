#include "deploy/version_block.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace pelrin::deploy {
namespace {

std::uint32_t ReadUint16(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8;
}

std::uint32_t ReadUint32(const std::uint8_t* bytes)
{
    return ReadUint16(bytes) | ReadUint16(bytes + 2) << 16;
}

// One node of the version resource: length, value length, type, a UTF-16 key
// padded to 32 bits, the value padded to 32 bits, then the children. Offsets
// are relative to the start of the resource, which is 32-bit aligned.
struct Node {
    std::size_t start = 0;
    std::size_t end = 0;
    std::u16string key;
    std::size_t value = 0;    // where the value starts
    std::size_t children = 0; // where the first child starts
};

std::size_t Aligned(std::size_t offset)
{
    return (offset + 3) & ~std::size_t{3};
}

std::optional<Node> ReadNode(std::span<const std::uint8_t> block, std::size_t start, std::size_t limit)
{
    if (start + 6 > limit)
        return std::nullopt;
    Node node;
    node.start = start;
    node.end = start + ReadUint16(&block[start]);
    const std::size_t valueLength = ReadUint16(&block[start + 2]);
    const bool text = ReadUint16(&block[start + 4]) == 1;
    if (node.end > limit || node.end < start + 6)
        return std::nullopt;
    std::size_t at = start + 6;
    for (; at + 2 <= node.end && ReadUint16(&block[at]) != 0; at += 2)
        node.key.push_back(static_cast<char16_t>(ReadUint16(&block[at])));
    node.value = Aligned(at + 2);
    node.children = Aligned(node.value + valueLength * (text ? 2 : 1));
    if (node.value > node.end)
        return std::nullopt;
    return node;
}

std::optional<Node> Child(std::span<const std::uint8_t> block, const Node& parent, std::u16string_view key)
{
    for (std::size_t at = parent.children; at < parent.end;) {
        const auto child = ReadNode(block, at, parent.end);
        if (!child)
            return std::nullopt;
        if (child->key == key)
            return child;
        at = Aligned(child->end);
    }
    return std::nullopt;
}

} // namespace

std::optional<VersionBlock> ReadVersionBlock(std::span<const std::uint8_t> module)
{
    // The fixed file information starts with this signature, then the
    // structure version, then the file version (most and least significant
    // halves), each 32 bits, little-endian. It follows the root node's
    // header: 6 bytes and "VS_VERSION_INFO" with its terminator, 38 bytes
    // padded to 40.
    constexpr std::array<std::uint8_t, 4> kSignature{0xBD, 0x04, 0xEF, 0xFE};
    constexpr std::size_t kFixedInfoBytes = 52;
    constexpr std::size_t kRootHeaderBytes = 40;
    const auto found = std::search(module.begin(), module.end(), kSignature.begin(), kSignature.end());
    if (found == module.end() || static_cast<std::size_t>(module.end() - found) < kFixedInfoBytes)
        return std::nullopt;
    const std::uint8_t* info = &*found;
    const std::uint32_t high = ReadUint32(info + 8);
    const std::uint32_t low = ReadUint32(info + 12);
    VersionBlock version;
    version.fileVersion = std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
                          std::to_string(low >> 16) + "." + std::to_string(low & 0xFFFF);
    const auto offset = static_cast<std::size_t>(found - module.begin());
    if (offset < kRootHeaderBytes)
        return version;
    const auto block = module.subspan(offset - kRootHeaderBytes);
    const auto root = ReadNode(block, 0, block.size());
    if (!root || root->key != u"VS_VERSION_INFO")
        return version;
    const auto variables = Child(block, *root, u"VarFileInfo");
    const auto translation = variables ? Child(block, *variables, u"Translation") : std::nullopt;
    if (translation && translation->value + 2 <= translation->end)
        version.language = ReadUint16(&block[translation->value]);
    return version;
}

std::optional<std::vector<unsigned long>> VersionFields(std::string_view text)
{
    std::vector<unsigned long> fields;
    for (std::size_t start = 0;;) {
        const std::size_t dot = text.find('.', start);
        const std::string_view field = text.substr(start, dot - start);
        if (fields.size() == 4 || field.empty() || field.size() > 5 ||
            field.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        fields.push_back(std::stoul(std::string(field)));
        if (dot == std::string_view::npos)
            return fields;
        start = dot + 1;
    }
}

std::string ProductVersion(const std::string& fileVersion)
{
    const auto fields = VersionFields(fileVersion);
    if (!fields || fields->size() != 4 || (*fields)[0] > 255 || (*fields)[1] > 255 || (*fields)[3] >= 1000 ||
        (*fields)[2] * 1000 + (*fields)[3] > 65535)
        throw std::invalid_argument("no product version for file version " + fileVersion);
    return std::to_string((*fields)[0]) + "." + std::to_string((*fields)[1]) + "." +
           std::to_string((*fields)[2] * 1000 + (*fields)[3]);
}

} // namespace pelrin::deploy
