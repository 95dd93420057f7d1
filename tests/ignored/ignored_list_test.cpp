// The ignored-phrase list: moving phrases between their first word's set and
// the list, the first-character rules of each version, and taking loaded
// phrases off the list.

#include "engine/engine_error.h"
#include "engine/word_lookup.h"
#include "ignored/ignored_list.h"
#include "tests/support/expected_behaviour.h"
#include "tests/support/scenario.h"
#include "tests/support/test_phrase_table.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace pelrin {
namespace {

using test::kExpected;
using test::RunScenarioCapturingDebugOutput;
using test::TestPhraseTable;

using Phrases = std::vector<std::string>;

const TestPhraseTable& Table()
{
    static const TestPhraseTable table{
        {"Apple pie", "tart"}, {"apple crumble"}, {"1st prize"}, {"Banana split"}, {"cherry pie"},
        {"_under score"}};
    return table;
}

// What a first byte without a bucket answers: refused by 1.0.0.5's
// letter-or-digit rule; nothing to move in 1.0.0.1, where only bytes of 0x80
// and above have none.
constexpr HRESULT kNoBucket = kExpected.refusesFirstByteNotLetterOrDigit ? kE_UNEXPECTED : kS_OK;

// The phrases word matching offers for a word: nullopt when no first word matches.
std::optional<Phrases> Offered(const PelrinEngineImpl& impl, const std::string& word)
{
    const PhraseSet* set = FindPhrasesOfFirstWord(impl, word);
    if (set == nullptr)
        return std::nullopt;
    return Phrases(set->begin(), set->end());
}

// The entry of a first word as the store holds it, even when emptied.
std::optional<Phrases> EntryOf(const PelrinEngineImpl& impl, const std::string& word)
{
    const FirstWordMap& bucket = impl.m_buckets[static_cast<std::size_t>(BucketIndex(word.front()))];
    const auto found = bucket.find(word);
    if (found == bucket.end())
        return std::nullopt;
    return Phrases(found->second.begin(), found->second.end());
}

Phrases Listed(const PelrinEngineImpl& impl)
{
    return {impl.m_ignoredPhrases.begin(), impl.m_ignoredPhrases.end()};
}

// Every entry of the store, emptied ones included, as "word:phrase|phrase".
Phrases Store(const PelrinEngineImpl& impl)
{
    Phrases entries;
    for (const FirstWordMap& bucket : impl.m_buckets)
        for (const auto& [word, phrases] : bucket) {
            std::string entry = word + ":";
            for (const std::string& phrase : phrases)
                entry += phrase + "|";
            entries.push_back(entry);
        }
    return entries;
}

// Entries that only a settings file lists, in each shape it can hold: still in
// their set, never in the table (under a word of a bucket with phrases, or of
// an empty bucket), or without a bucket to go back to.
const char* const kLoadedOnly[] = {"apple crumble", "apricot jam", "zebra crossing", "_under score",
                                   " leading blank", "\xC4pfel", "{braces}"};

class IgnoredList : public testing::Test {
protected:
    PelrinEngineImpl m_impl{Table().get()};
};

TEST_F(IgnoredList, IgnoringMovesATablePhraseOutOfItsSetOnce)
{
    EXPECT_EQ(IgnorePhrase(m_impl, "Apple pie"), kS_OK);
    EXPECT_EQ(Offered(m_impl, "apple"), Phrases{"apple crumble"});
    EXPECT_EQ(Listed(m_impl), Phrases{"Apple pie"});
    EXPECT_EQ(m_impl.m_alternates.count("Apple pie"), 1u);

    // Again, or a case variant: nothing changes.
    EXPECT_EQ(IgnorePhrase(m_impl, "Apple pie"), kS_OK);
    EXPECT_EQ(IgnorePhrase(m_impl, "APPLE PIE"), kS_OK);
    EXPECT_EQ(Listed(m_impl), Phrases{"Apple pie"});
    EXPECT_EQ(Offered(m_impl, "apple"), Phrases{"apple crumble"});
}

TEST_F(IgnoredList, TheListKeepsTheCallersCaseAndRestoringTheTables)
{
    EXPECT_EQ(IgnorePhrase(m_impl, "apple PIE"), kS_OK);
    EXPECT_EQ(Listed(m_impl), Phrases{"apple PIE"});
    EXPECT_EQ(RestoreIgnoredPhrase(m_impl, "APPLE pie"), kS_OK);
    EXPECT_EQ(Offered(m_impl, "apple"), (Phrases{"apple crumble", "Apple pie"}));
    EXPECT_TRUE(Listed(m_impl).empty());

    EXPECT_EQ(IgnorePhrase(m_impl, "BANANA SPLIT"), kS_OK);
    EXPECT_EQ(RestoreAllIgnoredPhrases(m_impl), kS_OK);
    EXPECT_EQ(Offered(m_impl, "banana"), Phrases{"Banana split"});
}

TEST_F(IgnoredList, IgnoringLeavesTheWordsEntryEvenWhenEmpty)
{
    EXPECT_EQ(IgnorePhrase(m_impl, "Apple pie"), kS_OK);
    EXPECT_EQ(IgnorePhrase(m_impl, "apple crumble"), kS_OK);
    EXPECT_EQ(EntryOf(m_impl, "apple"), Phrases{});

    // An unknown phrase of a non-empty bucket: its word gets an empty entry.
    EXPECT_EQ(IgnorePhrase(m_impl, "avocado toast"), kS_OK);
    EXPECT_EQ(EntryOf(m_impl, "Avocado"), Phrases{});
    EXPECT_EQ(Listed(m_impl), (Phrases{"apple crumble", "Apple pie"}));
    // One of an empty bucket: no entry.
    EXPECT_EQ(IgnorePhrase(m_impl, "zebra crossing"), kS_OK);
    EXPECT_EQ(EntryOf(m_impl, "zebra"), std::nullopt);
    EXPECT_TRUE(m_impl.m_buckets['z'].empty());
}

TEST_F(IgnoredList, WhichFirstBytesHaveABucketIsTheVersionsRule)
{
    EXPECT_EQ(IgnorePhrase(m_impl, ""), kS_OK);
    EXPECT_EQ(IgnorePhrase(m_impl, " Apple pie"), kS_OK);
    EXPECT_EQ(IgnorePhrase(m_impl, "1st prize"), kS_OK);
    for (const char* phrase : {"\xC4pfel", "\x80", "\xFF"})
        EXPECT_EQ(IgnorePhrase(m_impl, phrase), kNoBucket) << phrase;
    for (const char* phrase : {"_under score", "[x]", "-"}) {
        const HRESULT expected = kExpected.refusesFirstByteNotLetterOrDigit ? kE_UNEXPECTED : kS_OK;
        EXPECT_EQ(IgnorePhrase(m_impl, phrase), expected) << phrase;
    }
    // A punctuation phrase of the table moves only where its byte has a bucket.
    EXPECT_EQ(Listed(m_impl), kExpected.refusesFirstByteNotLetterOrDigit ? Phrases{"1st prize"}
                                                                        : (Phrases{"1st prize", "_under score"}));
    EXPECT_EQ(Offered(m_impl, "apple"), (Phrases{"apple crumble", "Apple pie"}));
    EXPECT_EQ(RestoreAllIgnoredPhrases(m_impl), kS_OK);
    EXPECT_EQ(Store(m_impl), Store(PelrinEngineImpl(Table().get())));
}

TEST_F(IgnoredList, RestoringNeedsAListedPhrase)
{
    EXPECT_EQ(RestoreIgnoredPhrase(m_impl, "Apple pie"), kE_UNEXPECTED);
    EXPECT_EQ(RestoreIgnoredPhrase(m_impl, ""), kE_UNEXPECTED);
    EXPECT_EQ(Offered(m_impl, "apple"), (Phrases{"apple crumble", "Apple pie"}));
}

// Phrases loaded from the settings file are listed without leaving their set.
TEST_F(IgnoredList, RestoringALoadedPhraseOnlyTakesItOffTheList)
{
    for (const char* loaded : kLoadedOnly) {
        PelrinEngineImpl impl(Table().get());
        impl.m_ignoredPhrases = {loaded};
        EXPECT_EQ(RestoreIgnoredPhrase(impl, loaded), kS_OK) << loaded;
        EXPECT_TRUE(Listed(impl).empty()) << loaded;
        EXPECT_EQ(Store(impl), Store(m_impl)) << loaded;
    }
}

TEST_F(IgnoredList, RestoringAllPutsEveryPhraseBackAndEmptiesTheList)
{
    EXPECT_EQ(RestoreAllIgnoredPhrases(m_impl), kS_OK);
    EXPECT_EQ(IgnorePhrase(m_impl, "cherry pie"), kS_OK);
    EXPECT_EQ(IgnorePhrase(m_impl, "Banana split"), kS_OK);
    EXPECT_EQ(IgnorePhrase(m_impl, "apple crumble"), kS_OK);
    // List order is case-insensitive: a capital B sorts between a and c.
    EXPECT_EQ(Listed(m_impl), (Phrases{"apple crumble", "Banana split", "cherry pie"}));
    EXPECT_EQ(RestoreAllIgnoredPhrases(m_impl), kS_OK);
    EXPECT_TRUE(Listed(m_impl).empty());
    EXPECT_EQ(Offered(m_impl, "apple"), (Phrases{"apple crumble", "Apple pie"}));
    EXPECT_EQ(Offered(m_impl, "banana"), Phrases{"Banana split"});
    EXPECT_EQ(Offered(m_impl, "cherry"), Phrases{"cherry pie"});
}

TEST_F(IgnoredList, RestoringAllPutsBackOnlyWhatIgnoringMovedAndEmptiesTheList)
{
    m_impl.m_ignoredPhrases.insert(std::begin(kLoadedOnly), std::end(kLoadedOnly));
    // A loaded phrase that is then ignored leaves its set; the list keeps the
    // loaded spelling.
    EXPECT_EQ(IgnorePhrase(m_impl, "APPLE CRUMBLE"), kS_OK);
    EXPECT_EQ(IgnorePhrase(m_impl, "cherry PIE"), kS_OK);
    EXPECT_EQ(Offered(m_impl, "apple"), Phrases{"Apple pie"});
    EXPECT_EQ(RestoreAllIgnoredPhrases(m_impl), kS_OK);
    EXPECT_TRUE(Listed(m_impl).empty());
    EXPECT_EQ(Store(m_impl), Store(PelrinEngineImpl(Table().get())));
}

PELRIN_SCENARIO(ignoring_traces_the_moved_phrase)
{
    PelrinEngineImpl impl(Table().get());
    IgnorePhrase(impl, "apple PIE");
    IgnorePhrase(impl, "apple PIE"); // already ignored: silent
    IgnorePhrase(impl, "unknown phrase");
    IgnorePhrase(impl, "_x");
    return 0;
}

TEST(IgnoredListTrace, OnlyAPhraseThatMovesIsReported)
{
    const auto run = RunScenarioCapturingDebugOutput("ignoring_traces_the_moved_phrase");
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.debugLines.size(), 3u); // the two load messages first
    EXPECT_EQ(run.debugLines[2], kExpected.checkpointsUnderTraceLevel
                                     ? "CPelrinEngine::AddIgnoredPhrase-3, ignoring 'apple PIE'.\n"
                                     : "ignoring 'apple PIE'.\n");
}

} // namespace
} // namespace pelrin
