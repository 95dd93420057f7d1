#include "check/text_reader.h"

#include "base/ascii.h"

#include <algorithm>
#include <iterator>

namespace pelrin::check {
namespace {

enum class Kind { Space, AsciiLetter, OtherLetter, Joiner, Punctuation };

// Blocks of marks beyond ASCII: punctuation, symbols, dashes, quotes, spaces.
// Everything else beyond ASCII counts as a letter.
struct Range {
    char32_t first;
    char32_t last;
};
constexpr Range kMarks[] = {
    {0x0080, 0x00BF}, {0x00D7, 0x00D7}, {0x00F7, 0x00F7}, {0x2000, 0x2BFF}, {0x2E00, 0x2E7F},
    {0x3000, 0x303F}, {0xFE10, 0xFE1F}, {0xFE30, 0xFE6F}, {0xFEFF, 0xFEFF}, {0xFF00, 0xFF0F},
    {0xFF1A, 0xFF20}, {0xFF3B, 0xFF40}, {0xFF5B, 0xFF65}, {0xFFF0, 0xFFFF}, {0x1F000, 0x1FAFF},
};

constexpr Kind AsciiKind(char32_t c) noexcept
{
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
        return Kind::Space;
    if (IsAsciiAlnum(c))
        return Kind::AsciiLetter;
    if (c == '\'' || c == '-')
        return Kind::Joiner;
    return Kind::Punctuation;
}

// Most characters are ASCII: their kinds come from a table.
constexpr auto kAsciiKinds = [] {
    std::array<Kind, 0x80> kinds{};
    for (char32_t c = 0; c < kinds.size(); ++c)
        kinds[c] = AsciiKind(c);
    return kinds;
}();

// A byte's character in a key when it is an ASCII letter (in lower case) or
// digit; 0 for every other byte.
constexpr auto kKeyOf = [] {
    std::array<char, 0x100> keys{};
    for (char32_t c = 0; c < 0x80; ++c) {
        if (IsAsciiAlnum(c))
            keys[c] = ToLowerAscii(static_cast<char>(c));
    }
    return keys;
}();

Kind Classify(char32_t c) noexcept
{
    if (c < 0x80)
        return kAsciiKinds[c];
    if (c == 0x2019 || c == 0x2010 || c == 0x2011)
        return Kind::Joiner;
    const bool mark = std::any_of(std::begin(kMarks), std::end(kMarks),
                                  [c](const Range& r) { return c >= r.first && c <= r.last; });
    return mark ? Kind::Punctuation : Kind::OtherLetter;
}

bool IsLetter(Kind kind) noexcept
{
    return kind == Kind::AsciiLetter || kind == Kind::OtherLetter;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

struct Decoded {
    char32_t value = 0;
    std::size_t length = 0; // 0: end of text, or not UTF-8
};

// The UTF-8 character at `offset`, by the well-formed sequences of Unicode's
// table 3-7: each lead byte allows a narrower range for its second byte.
Decoded Utf8At(std::string_view text, std::size_t offset) noexcept
{
    const std::size_t left = text.size() - offset;
    if (left == 0)
        return {};
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[offset + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return {};
    }
    if (left < length)
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char b = byte(i);
        if (b < low || b > high)
            return {};
        low = 0x80;
        high = 0xBF;
        value = (value << 6) | (b & 0x3Fu);
    }
    return {value, length};
}

bool StartsWithByteOrderMark(std::string_view text) noexcept
{
    return text.substr(0, 3) == "\xEF\xBB\xBF";
}

// Moves a position over one character.
void Step(TextPosition& position, bool& afterCarriageReturn, char32_t c) noexcept
{
    if (c == '\n' && afterCarriageReturn) {
        afterCarriageReturn = false;
        return;
    }
    afterCarriageReturn = c == '\r';
    if (c == '\n' || c == '\r') {
        ++position.line;
        position.column = 1;
    } else {
        ++position.column;
    }
}

} // namespace

std::optional<TextPosition> FindInvalidUtf8(std::string_view text) noexcept
{
    const std::size_t start = StartsWithByteOrderMark(text) ? 3 : 0;
    std::size_t bad = start;
    while (bad < text.size()) {
        if (static_cast<unsigned char>(text[bad]) < 0x80) {
            ++bad;
            continue;
        }
        const Decoded c = Utf8At(text, bad);
        if (c.length == 0)
            break;
        bad += c.length;
    }
    if (bad == text.size())
        return std::nullopt;
    // Only a text with an error pays for counting lines and columns.
    TextPosition position;
    bool afterCarriageReturn = false;
    for (std::size_t offset = start; offset < bad;) {
        const Decoded c = Utf8At(text, offset);
        Step(position, afterCarriageReturn, c.value);
        offset += c.length;
    }
    return position;
}

WordReader::WordReader(std::string_view text, Decoding decoding) noexcept
    : m_text(text), m_decoding(decoding)
{
    if (!m_decoding.singleByte && StartsWithByteOrderMark(m_text))
        m_offset = 3;
}

inline WordReader::Character WordReader::Peek(std::size_t offset) const noexcept
{
    if (offset >= m_text.size())
        return {};
    const auto byte = static_cast<unsigned char>(m_text[offset]);
    if (byte < 0x80)
        return {byte, 1};
    if (m_decoding.singleByte)
        return {(*m_decoding.singleByte)[byte - 0x80u], 1};
    const Decoded c = Utf8At(m_text, offset);
    return {c.value, c.length};
}

inline void WordReader::Advance(const Character& c) noexcept
{
    Step(m_position, m_afterCarriageReturn, c.value);
    m_offset += c.length;
}

bool WordReader::Next(Word& word)
{
    if (m_error)
        return false;
    bool punctuationSinceWord = false;
    Character c;
    Kind kind = Kind::Space;
    for (;;) {
        c = Peek(m_offset);
        if (c.length == 0) {
            if (m_offset < m_text.size())
                m_error = m_position;
            return false;
        }
        kind = Classify(c.value);
        if (IsLetter(kind))
            break;
        punctuationSinceWord = punctuationSinceWord || kind != Kind::Space;
        Advance(c);
    }

    word.key.clear();
    word.begin = m_offset;
    word.position = m_position;
    word.afterSpaceOnly = m_seenWord && !punctuationSinceWord;
    word.matchable = true;
    m_seenWord = true;
    for (;;) {
        if (kind == Kind::AsciiLetter) {
            // The letter as decoded, then the ASCII letters and digits after
            // it at once: the common case. None of them ends a line, so each
            // moves the column by one.
            const std::size_t next = m_offset + c.length;
            std::size_t end = next;
            while (end < m_text.size() && kKeyOf[static_cast<unsigned char>(m_text[end])] != 0)
                ++end;
            const std::size_t keyed = word.key.size();
            word.key.resize(keyed + 1 + (end - next));
            char* key = word.key.data() + keyed;
            *key++ = kKeyOf[c.value];
            for (std::size_t i = next; i < end; ++i)
                *key++ = kKeyOf[static_cast<unsigned char>(m_text[i])];
            m_position.column += 1 + (end - next);
            m_afterCarriageReturn = false;
            m_offset = end;
        } else if (kind == Kind::Joiner) {
            word.key.push_back(c.value == '-' || c.value == 0x2010 || c.value == 0x2011 ? '-' : '\'');
            Advance(c);
        } else {
            word.matchable = false;
            AppendUtf8(word.key, c.value);
            Advance(c);
        }
        word.end = m_offset;

        c = Peek(m_offset);
        if (c.length == 0)
            return true;
        kind = Classify(c.value);
        if (kind == Kind::Joiner) {
            // Joins only when a letter or digit follows it.
            const Character next = Peek(m_offset + c.length);
            if (next.length == 0 || !IsLetter(Classify(next.value)))
                return true;
        } else if (!IsLetter(kind)) {
            return true;
        }
    }
}

std::string WordReader::Written(const Word& word) const
{
    if (!m_decoding.singleByte)
        return std::string(m_text.substr(word.begin, word.end - word.begin));
    std::string written;
    for (std::size_t offset = word.begin; offset < word.end; ++offset)
        AppendUtf8(written, Peek(offset).value);
    return written;
}

} // namespace pelrin::check
