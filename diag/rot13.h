#pragma once
// Rot13: the one transform between the trace variable's stored and plain name.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace pelrin {

constexpr char Rot13Char(char c) noexcept
{
    if (c >= 'a' && c <= 'z')
        return static_cast<char>('a' + (c - 'a' + 13) % 26);
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>('A' + (c - 'A' + 13) % 26);
    return c;
}

// Rotates a literal while compiling, so the plain text never reaches the binary.
template <std::size_t N>
consteval std::array<char, N> Rot13Literal(const char (&text)[N])
{
    std::array<char, N> rotated{};
    for (std::size_t i = 0; i < N; ++i)
        rotated[i] = Rot13Char(text[i]);
    return rotated;
}

std::string Rot13(std::string_view text);

} // namespace pelrin
