// First-word lookup in each version's rule: 1.0.0.5 looks up only words
// whose first byte is an ASCII letter or digit and answers an emptied word's
// set; 1.0.0.1 looks up any ASCII first byte and counts an emptied set as no
// match.

#include "engine/pelrin_engine_impl.h"
#include "engine/word_lookup.h"
#include "tests/support/expected_behaviour.h"
#include "tests/support/test_phrase_table.h"

#include <gtest/gtest.h>

namespace pelrin {
namespace {

using test::kExpected;
using test::TestPhraseTable;

TEST(WordLookup, MatchesWholeFirstWordsIgnoringAsciiCase)
{
    const TestPhraseTable table{{"Apple pie"}, {"apple crumble"}, {"1st prize"}, {"_under score"}, {"[x] y"}};
    const PelrinEngineImpl impl(table.get());
    ASSERT_NE(FindPhrasesOfFirstWord(impl, "aPpLe"), nullptr);
    EXPECT_EQ(FindPhrasesOfFirstWord(impl, "aPpLe")->size(), 2u);
    ASSERT_NE(FindPhrasesOfFirstWord(impl, "1st"), nullptr);
    for (const char* word : {"appl", "apple pie", "apple ", " apple", "", "pie", "\xE1pple", "\x80"})
        EXPECT_EQ(FindPhrasesOfFirstWord(impl, word), nullptr) << '"' << word << '"';
    // Punctuation first: its own bucket only without the letter-or-digit rule.
    for (const char* word : {"_under", "[x]"}) {
        const PhraseSet* found = FindPhrasesOfFirstWord(impl, word);
        EXPECT_EQ(found == nullptr, kExpected.refusesFirstByteNotLetterOrDigit) << word;
    }
}

TEST(WordLookup, AWordWhoseSetWasEmptiedIsAnEmptySetOrNoMatch)
{
    const TestPhraseTable table{{"Apple pie"}, {"Pear tart"}};
    PelrinEngineImpl impl(table.get());
    impl.m_buckets['a'].begin()->second.clear();
    const PhraseSet* found = FindPhrasesOfFirstWord(impl, "apple");
    if (kExpected.emptiedWordAnswersEmptyArray) {
        ASSERT_NE(found, nullptr);
        EXPECT_TRUE(found->empty());
    } else {
        EXPECT_EQ(found, nullptr);
    }
}

} // namespace
} // namespace pelrin
