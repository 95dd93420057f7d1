#pragma once
// The text forms of error records, free of any platform call: the location
// text, the published description and its reading back.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace pelrin {

// Sizes of the record's text fields, terminator included.
inline constexpr std::size_t kLocationSize = 260;
inline constexpr std::size_t kMessageSize = 512;

// "%08x|" before the message: eight digits and the bar.
inline constexpr std::size_t kPublishedCodeLength = 9;
inline constexpr std::size_t kPublishedSize = kPublishedCodeLength + kMessageSize;

// Copies at most field.size() - 1 bytes of text and terminates the field.
void CopyCut(std::span<char> field, std::string_view text) noexcept;

// The name with its extension: drive and folders dropped ('\\' and '/').
std::string_view PathFileName(std::string_view path) noexcept;

// The name without drive, folders and extension.
std::string_view PathStem(std::string_view path) noexcept;

// "[module] <stem of moduleFileName> [file] <name of file> [line] <line>",
// both names lower-cased; a null file counts as empty. Cut to the field.
void BuildLocationText(std::span<char, kLocationSize> out, std::string_view moduleFileName,
    const char* file, std::int32_t line) noexcept;

// The code as eight lower-case hexadecimal digits, a bar, then the message.
std::array<char, kPublishedSize> PublishedDescription(
    std::int32_t code, std::string_view message) noexcept;

struct PublishedParts {
    std::int32_t code;
    std::string_view message; // a view into the description
};

// Reads a published description back: the code is the hexadecimal number of
// one to eight digits before the first bar, the message all after it. Nothing
// when the text before the first bar is not such a number.
std::optional<PublishedParts> ParsePublishedDescription(std::string_view description) noexcept;

} // namespace pelrin
