#pragma once
// ASCII case folding and classification. Unlike <cctype> they ignore the C
// locale and the code page: bytes of 0x80 and above are never letters, so a
// lead or trail byte of a double-byte character is left alone.

#include <cstddef>
#include <string>
#include <string_view>

namespace pelrin {

constexpr char ToLowerAscii(char c) noexcept
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char ToUpperAscii(char c) noexcept
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string ToLowerAscii(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = ToLowerAscii(c);
    return folded;
}

inline std::string ToUpperAscii(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = ToUpperAscii(c);
    return folded;
}

// Takes any character type, code points and the int of a byte included.
template <typename Char>
constexpr bool IsAsciiDigit(Char c) noexcept
{
    return c >= '0' && c <= '9';
}

template <typename Char>
constexpr bool IsAsciiAlnum(Char c) noexcept
{
    return IsAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view left, std::string_view right) noexcept
{
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (ToLowerAscii(left[i]) != ToLowerAscii(right[i]))
            return false;
    }
    return true;
}

// Byte order (unsigned) of the lower-cased texts, then length: -1, 0 or 1.
constexpr int CompareIgnoringAsciiCase(std::string_view left, std::string_view right) noexcept
{
    const std::size_t common = left.size() < right.size() ? left.size() : right.size();
    for (std::size_t i = 0; i < common; ++i) {
        const auto l = static_cast<unsigned char>(ToLowerAscii(left[i]));
        const auto r = static_cast<unsigned char>(ToLowerAscii(right[i]));
        if (l != r)
            return l < r ? -1 : 1;
    }
    return left.size() == right.size() ? 0 : (left.size() < right.size() ? -1 : 1);
}

} // namespace pelrin
