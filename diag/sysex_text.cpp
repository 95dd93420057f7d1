#include "diag/sysex_text.h"

#include "base/ascii.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace pelrin {

namespace {

constexpr std::size_t kMaxNameLength = kLocationSize - 1;

int HexDigitValue(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A lower-cased copy of a name of at most kMaxNameLength characters.
struct LowerName {
    explicit LowerName(std::string_view name) noexcept
    {
        length = std::min(name.size(), kMaxNameLength);
        std::transform(
            name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length), text,
            [](char c) { return ToLowerAscii(c); });
    }
    int Length() const noexcept { return static_cast<int>(length); }

    char text[kLocationSize] = {};
    std::size_t length = 0;
};

} // namespace

void CopyCut(std::span<char> field, std::string_view text) noexcept
{
    if (field.empty())
        return;
    const std::size_t length = std::min(text.size(), field.size() - 1);
    if (length != 0) // an empty view may have no data at all
        std::memcpy(field.data(), text.data(), length);
    field[length] = '\0';
}

std::string_view PathFileName(std::string_view path) noexcept
{
    if (path.size() >= 2 && path[1] == ':')
        path.remove_prefix(2);
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view PathStem(std::string_view path) noexcept
{
    const std::string_view name = PathFileName(path);
    return name.substr(0, std::min(name.rfind('.'), name.size()));
}

void BuildLocationText(std::span<char, kLocationSize> out, std::string_view moduleFileName,
    const char* file, std::int32_t line) noexcept
{
    std::string_view filePath = file ? std::string_view(file) : std::string_view();
    filePath = filePath.substr(0, std::min(filePath.size(), kMaxNameLength));
    const LowerName module(PathStem(moduleFileName));
    const LowerName fileName(PathFileName(filePath));
    // snprintf cuts at the field and always terminates it.
    std::snprintf(out.data(), out.size(), "[module] %.*s [file] %.*s [line] %d", module.Length(),
        module.text, fileName.Length(), fileName.text, static_cast<int>(line));
}

std::array<char, kPublishedSize> PublishedDescription(
    std::int32_t code, std::string_view message) noexcept
{
    std::array<char, kPublishedSize> text{};
    std::snprintf(text.data(), kPublishedCodeLength + 1, "%08x|", static_cast<std::uint32_t>(code));
    CopyCut(std::span<char>(text).subspan(kPublishedCodeLength), message);
    return text;
}

std::optional<PublishedParts> ParsePublishedDescription(std::string_view description) noexcept
{
    // The code stands before the first bar: a message may hold bars, a code never.
    const std::size_t bar = description.find('|');
    constexpr std::size_t kMaxDigits = kPublishedCodeLength - 1;
    if (bar == std::string_view::npos || bar == 0 || bar > kMaxDigits)
        return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bar; ++i) {
        const int digit = HexDigitValue(description[i]);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return PublishedParts{static_cast<std::int32_t>(value), description.substr(bar + 1)};
}

} // namespace pelrin
