// The checker over a text with known phrases at known positions, and over
// the inputs that must give a clear answer. Expected findings are written by
// hand. The engine is a small table that also counts the questions.

#include "check/phrase_checker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <ostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pelrin::check {
namespace {

class TableSource final : public PhraseSource {
public:
    std::vector<std::string> PhrasesStartingWith(const std::string& word) override
    {
        ++asked[word];
        std::vector<std::string> phrases;
        for (const auto& [phrase, alternates] : kTable) {
            const std::string first = phrase.substr(0, phrase.find(' '));
            if (first.size() == word.size() &&
                std::equal(first.begin(), first.end(), word.begin(),
                           [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
                phrases.push_back(phrase);
        }
        return phrases;
    }
    std::vector<std::string> AlternatesOf(const std::string& phrase) override
    {
        for (const auto& [known, alternates] : kTable) {
            if (known == phrase)
                return alternates;
        }
        return {};
    }

    std::map<std::string, int> asked;

private:
    // Table order, with a phrase that is a prefix of another.
    const std::vector<std::pair<std::string, std::vector<std::string>>> kTable = {
        {"in order", {"arranged"}},
        {"In order to", {"to"}},
        {"at all times", {"always"}},
        {"free gift", {"gift"}},
        {"prior to", {"before", "ahead of"}},
        {"needless to say", {}},
        {"the fact that", {"that"}},
        {"due to the fact that", {"because", "since"}},
        {"don't hesitate to", {"please"}},
    };
};

struct Expected {
    std::size_t line;
    std::size_t column;
    std::string written;
    std::vector<std::string> alternates;
    friend bool operator==(const Expected&, const Expected&) = default;
};

void PrintTo(const Expected& e, std::ostream* out)
{
    *out << e.line << ":" << e.column << " \"" << e.written << "\" (" << e.alternates.size() << " alternates)";
}

struct Case {
    const char* what;
    std::string text;
    bool ansi = false;
    std::vector<Expected> findings;
    std::optional<TextPosition> error = std::nullopt;
};

// Windows-1252 where the cases use it.
SingleByteTable Windows1252Part()
{
    SingleByteTable table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<char32_t>(0x80 + i);
    table[0x92 - 0x80] = 0x2019;
    table[0x97 - 0x80] = 0x2014;
    return table;
}

TEST(PhraseChecker, FindsEachPhraseWhereItIsAndGivesInputErrorsTheirPlace)
{
    const std::string sample =
        "In order to start, this is line one.\n"
        "We met prior to\n"
        "the review; at\n"
        "all times, don't hesitate to ask.\n"
        "Needless to say, IN ORDER TO and in-order-to differ.\n"
        "A free gift, in order. To be prior, to.\n"
        "Due to the fact that it works.";
    const Case cases[] = {
        {"sample", sample, false,
         {{1, 1, "In order to", {"to"}},          // start of a line; the longer of two wins
          {2, 8, "prior to", {"before", "ahead of"}}, // end of a line
          {3, 13, "at all times", {"always"}},    // across a line break
          {4, 12, "don't hesitate to", {"please"}}, // an apostrophe joins
          {5, 1, "Needless to say", {}},          // no alternates; before a comma
          {5, 18, "IN ORDER TO", {"to"}},         // another case; a hyphenated word does not match
          {6, 14, "in order", {"arranged"}},      // the free gift is ignored; a full stop ends "in order to"
          {7, 1, "Due to the fact that", {"because", "since"}}}}, // and "the fact that" inside it is not searched
        {"empty", "", false, {}},
        {"only separators", " \t\r\n\n \r\r\n", false, {}},
        {"byte-order mark, CR LF and a lone CR", "\xEF\xBB\xBFprior to\r\nx\rx prior to",
         false, {{1, 1, "prior to", {"before", "ahead of"}}, {3, 3, "prior to", {"before", "ahead of"}}}},
        {"columns count characters; marks are punctuation; foreign letters stop a match",
         "caf\xC3\xA9 \xE2\x80\x94 \xE2\x80\x9Cprior to\xE2\x80\x9D na\xC3\xAFve-prior to \xC3\xA0t all times",
         false, {{1, 9, "prior to", {"before", "ahead of"}}}},
        {"typographic apostrophe", "don\xE2\x80\x99t hesitate to", false,
         {{1, 1, "don\xE2\x80\x99t hesitate to", {"please"}}}},
        {"ANSI code page", "caf\xE9\x97" "don\x92t hesitate to", true,
         {{1, 6, "don\xE2\x80\x99t hesitate to", {"please"}}}},
        {"a line of 10 MB", [] {
             std::string line;
             for (int i = 0; i < 3'500'000; ++i)
                 line += "ab ";
             return line + "prior to";
         }(), false, {{1, 10'500'001, "prior to", {"before", "ahead of"}}}},
        {"a thousand distinct words, twice: each asked once", [] {
             std::string text;
             for (int pass = 0; pass < 2; ++pass) {
                 for (int i = 0; i < 1000; ++i)
                     text += "w" + std::to_string(i) + " ";
             }
             return text + "prior to";
         }(), false, {{1, 9781, "prior to", {"before", "ahead of"}}}},
        // Not UTF-8: nothing is reported, not even what comes before.
        {"stray continuation byte", "prior to\nprior \x80 to", false, {}, TextPosition{2, 7}},
        {"overlong form", "\xC0\xAF", false, {}, TextPosition{1, 1}},
        {"surrogate", "ab\xED\xA0\x80", false, {}, TextPosition{1, 3}},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false, {}, TextPosition{1, 1}},
        {"cut short at the end", "prior to \xE2\x82", false, {}, TextPosition{1, 10}},
        {"byte-order mark is not counted", "\xEF\xBB\xBF\xFF", false, {}, TextPosition{1, 1}},
    };
    const SingleByteTable windows1252 = Windows1252Part();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TableSource source;
        PhraseChecker checker(source, {"FREE GIFT"});
        std::vector<Expected> found;
        const auto error = checker.Check(c.text, Decoding{c.ansi ? &windows1252 : nullptr},
                                         [&](const Finding& f) {
                                             found.push_back({f.position.line, f.position.column, f.written,
                                                              f.alternates});
                                         });
        EXPECT_EQ(found, c.findings);
        EXPECT_EQ(error, c.error);
        // One question per distinct word, whatever its case.
        for (const auto& [word, times] : source.asked)
            EXPECT_EQ(times, 1) << word;
        EXPECT_EQ(checker.DistinctWordsAsked(), source.asked.size());
    }
}

} // namespace
} // namespace pelrin::check
