#pragma once
// Reads a text for the checker: decodes it (UTF-8 with or without a
// byte-order mark, or a single-byte code page), splits it into words and
// gives each word's line and column. Windows-free.
//
// Words: runs of letters and digits. An apostrophe (' or U+2019) or a hyphen
// (-, U+2010, U+2011) between two of them joins them into one word, so
// "don't", "well-known" and "in-order-to" are one word each; anywhere else
// it is punctuation. Letters beyond ASCII belong to their word, but no
// phrase matches a word that holds one. Spaces, tabs and line breaks
// separate words; every other character is punctuation.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pelrin::check {

// Both counted from 1; a column counts characters (code points), not bytes.
// A line ends at LF, CR LF or a lone CR.
struct TextPosition {
    std::size_t line = 1;
    std::size_t column = 1;
    friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

// The characters of bytes 0x80 to 0xFF in a single-byte code page, as code
// points; bytes below 0x80 are ASCII in every such code page.
using SingleByteTable = std::array<char32_t, 128>;

// UTF-8 when `singleByte` is null.
struct Decoding {
    const SingleByteTable* singleByte = nullptr;
};

// Where the first byte sequence that is not UTF-8 starts, if any. Overlong
// forms, surrogates and values above U+10FFFF are not UTF-8.
std::optional<TextPosition> FindInvalidUtf8(std::string_view text) noexcept;

struct Word {
    // ASCII letters in lower case; apostrophes and hyphens as ' and -.
    std::string key;
    // Where it is: bytes of the text, and the position of its first character.
    std::size_t begin = 0;
    std::size_t end = 0;
    TextPosition position;
    // Only spaces, tabs and line breaks lie between this word and the one
    // before it (false for the first word).
    bool afterSpaceOnly = false;
    // False when it holds a letter beyond ASCII.
    bool matchable = true;
};

class WordReader {
public:
    WordReader(std::string_view text, Decoding decoding) noexcept;

    // Fills `word` with the next word. False at the end of the text, and at
    // a byte sequence that is not UTF-8, whose position Error() then gives.
    bool Next(Word& word);
    const std::optional<TextPosition>& Error() const noexcept { return m_error; }

    // The word as written, in UTF-8.
    std::string Written(const Word& word) const;

private:
    struct Character {
        char32_t value = 0;
        std::size_t length = 0; // bytes; 0 at the end or at invalid UTF-8
    };
    Character Peek(std::size_t offset) const noexcept;
    void Advance(const Character& c) noexcept;

    std::string_view m_text;
    Decoding m_decoding;
    std::size_t m_offset = 0;
    TextPosition m_position;
    bool m_afterCarriageReturn = false;
    bool m_seenWord = false;
    std::optional<TextPosition> m_error;
};

} // namespace pelrin::check
