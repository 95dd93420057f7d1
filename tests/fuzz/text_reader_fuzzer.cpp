// libFuzzer target: a text as anyone may write it, read by pelrin-check's
// reader and searched by its matcher over a small table. The first byte
// chooses the decoding (odd: a single-byte code page); the rest is the text.

#include "check/phrase_checker.h"
#include "check/text_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

using namespace pelrin::check;

class SmallTable final : public PhraseSource {
public:
    std::vector<std::string> PhrasesStartingWith(const std::string& word) override
    {
        if (word == "in")
            return {"in order", "In order to"};
        if (word == "at")
            return {"at all times"};
        if (word == "don't")
            return {"don't hesitate to"};
        if (word == "a")
            return {"a", "a  b"}; // the second never matches: an empty word
        return {};
    }
    std::vector<std::string> AlternatesOf(const std::string& phrase) override { return {phrase}; }
};

const SingleByteTable& Windows1252Like()
{
    static const SingleByteTable table = [] {
        SingleByteTable t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<char32_t>(0x80 + i);
        t[0x92 - 0x80] = 0x2019; // typographic apostrophe
        t[0x96 - 0x80] = 0x2013; // en dash
        t[0x81 - 0x80] = 0xD800; // a table may hold anything
        t[0x83 - 0x80] = 'Q';
        t[0x85 - 0x80] = '\n';
        return t;
    }();
    return table;
}

auto Order(const TextPosition& p)
{
    return std::make_tuple(p.line, p.column);
}

bool IsKeyCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '\'' || c == '-';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const Decoding decoding{(data[0] & 1) != 0 ? &Windows1252Like() : nullptr};
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    // Words in order, inside the text, with the keys promised; the reader
    // stops where FindInvalidUtf8 says the text stops being UTF-8.
    WordReader reader(text, decoding);
    Word word;
    TextPosition last{0, 0};
    std::size_t lastEnd = 0;
    while (reader.Next(word)) {
        if (word.begin < lastEnd || word.end <= word.begin || word.end > text.size() ||
            Order(word.position) <= Order(last) || word.key.empty() || reader.Written(word).empty())
            __builtin_trap();
        if (word.matchable) {
            for (const char c : word.key) {
                if (!IsKeyCharacter(c))
                    __builtin_trap();
            }
            if (!IsKeyCharacter(word.key.front()) || word.key.front() == '\'' || word.key.front() == '-' ||
                word.key.back() == '\'' || word.key.back() == '-')
                __builtin_trap();
        }
        last = word.position;
        lastEnd = word.end;
    }
    const auto invalid = decoding.singleByte ? std::nullopt : FindInvalidUtf8(text);
    if (reader.Error() != invalid)
        __builtin_trap();

    // Findings in order, each with as many words as its phrase, never an
    // ignored one; nothing at all from a text that is not UTF-8.
    SmallTable table;
    PhraseChecker checker(table, {"AT ALL TIMES"});
    TextPosition previous{0, 0};
    const auto error = checker.Check(text, decoding, [&](const Finding& finding) {
        const auto words = [](const std::string& s) { return std::count(s.begin(), s.end(), ' '); };
        if (Order(finding.position) <= Order(previous) || words(finding.written) != words(finding.phrase) ||
            finding.phrase == "at all times" || invalid)
            __builtin_trap();
        previous = finding.position;
    });
    if (error != invalid)
        __builtin_trap();
    return 0;
}
