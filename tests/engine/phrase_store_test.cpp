// Orderings, bucket placement and loading of the phrase store.

#include "engine/complement_bytes.h"
#include "engine/engine_error.h"
#include "engine/pelrin_engine_impl.h"
#include "engine/phrase_store.h"
#include "engine/phrase_table.h"
#include "engine/word_lookup.h"
#include "tests/support/allocation_failure.h"
#include "tests/support/test_phrase_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace pelrin {
namespace {

using test::TestPhraseTable;

std::vector<std::string> Items(const PhraseSet& set)
{
    return {set.begin(), set.end()};
}

bool Less(const char* a, const char* b)
{
    return CaseInsensitiveLess{}(a, b);
}

TEST(CaseInsensitiveOrdering, FoldsOnlyAsciiCapitals)
{
    EXPECT_FALSE(Less("Apple", "apple"));
    EXPECT_FALSE(Less("apple", "APPLE"));
    // Accented letters keep their case: 0xC4 and 0xE4 are different bytes.
    EXPECT_TRUE(Less("\xC4", "\xE4"));
    // Bytes compare unsigned: 0xC4 orders after every ASCII letter.
    EXPECT_TRUE(Less("z", "\xC4"));
}

TEST(CaseInsensitiveOrdering, PunctuationBetweenCapitalsAndSmallsOrdersBeforeLetters)
{
    EXPECT_TRUE(Less("a_b", "ab"));
    EXPECT_TRUE(Less("A_B", "ab"));
    EXPECT_TRUE(Less("[", "A"));
    EXPECT_TRUE(Less("`", "a"));
    EXPECT_TRUE(Less("_x", "Bx"));
}

TEST(CaseInsensitiveOrdering, PrefixFirstAndCapitalBSortsBetweenSmallAAndC)
{
    EXPECT_TRUE(Less("apple", "apple pie"));
    EXPECT_FALSE(Less("apple pie", "apple"));
    EXPECT_TRUE(Less("", "a"));
    const PhraseSet set{"cherry", "Banana", "apple", "_under"};
    EXPECT_EQ(Items(set), (std::vector<std::string>{"_under", "apple", "Banana", "cherry"}));
}

TEST(PhraseSetContainer, KeepsTheCaseOfTheFirstInsertion)
{
    PhraseSet set;
    set.insert("Apple pie");
    const auto second = set.insert("APPLE PIE");
    EXPECT_FALSE(second.second);
    EXPECT_EQ(Items(set), std::vector<std::string>{"Apple pie"});
}

TEST(AlternateMapContainer, IsCaseSensitiveAndKeepsInsertionOrderOfEqualKeys)
{
    AlternateMap map;
    map.emplace("Apple pie", "tart");
    map.emplace("apple pie", "other");
    map.emplace("Apple pie", "cake");
    map.emplace("Apple pie", "tart");
    EXPECT_EQ(map.count("Apple pie"), 3u);
    EXPECT_EQ(map.count("apple pie"), 1u);
    std::vector<std::string> alternates;
    for (auto [it, end] = map.equal_range("Apple pie"); it != end; ++it)
        alternates.push_back(it->second);
    EXPECT_EQ(alternates, (std::vector<std::string>{"tart", "cake", "tart"}));
    // Plain byte order: capitals before smalls, a prefix first.
    EXPECT_TRUE(AlternateMap::key_compare{}("Zebra", "apple"));
    EXPECT_TRUE(AlternateMap::key_compare{}("app", "apple"));
}

TEST(BucketPlacement, CapitalsShareTheBucketOfTheirSmallLetter)
{
    EXPECT_EQ(BucketIndex('A'), 97);
    EXPECT_EQ(BucketIndex('Z'), 122);
    EXPECT_EQ(BucketIndex('a'), 97);
    EXPECT_EQ(BucketIndex('0'), 48);
    EXPECT_EQ(BucketIndex('['), 91);
    EXPECT_EQ(BucketIndex('\0'), 0);
    EXPECT_LT(BucketIndex('\x80'), 0);
    EXPECT_LT(BucketIndex('\xFF'), 0);
}

TEST(BucketPlacement, FirstWordEndsAtTheFirstSpaceOnly)
{
    EXPECT_EQ(FirstWord("Hello"), "Hello");
    EXPECT_EQ(FirstWord("in order to"), "in");
    EXPECT_EQ(FirstWord("tab\tseparated words"), "tab\tseparated");
    EXPECT_EQ(FirstWord(" leading"), "");
}

TEST(Scrambling, ComplementIsItsOwnInverseAndKeepsLength)
{
    const std::string text = "due to the fact that \x7F\x80";
    std::string stored = text;
    for (char& c : stored)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    const std::string plain = ComplementBytes(stored.c_str());
    EXPECT_EQ(plain, text);
    EXPECT_EQ(plain.size(), stored.size());
}

TEST(Loading, PhrasesOfOneFirstWordShareAnEntryKeyedInTheFirstPhrasesCase)
{
    const TestPhraseTable table{{"Apple pie", "tart"}, {"apple crumble"}};
    const PelrinEngineImpl impl(table.get());
    const FirstWordMap& bucket = impl.m_buckets[97];
    ASSERT_EQ(bucket.size(), 1u);
    EXPECT_EQ(bucket.begin()->first, "Apple");
    EXPECT_EQ(Items(bucket.begin()->second),
              (std::vector<std::string>{"apple crumble", "Apple pie"}));
    for (std::size_t i = 0; i < impl.m_buckets.size(); ++i) {
        if (i != 97) {
            EXPECT_TRUE(impl.m_buckets[i].empty()) << "bucket " << i;
        }
    }
}

TEST(Loading, AlternatesAreKeyedByThePhraseExactly)
{
    // "Pear" loads first, so the end of the map is the wrong place for the
    // alternates of "Apple pie": they must still keep the table's order.
    const TestPhraseTable table{{"Pear", "x"}, {"Apple pie", "tart", "cake", "tart", "flan"}, {"Hello"}};
    const PelrinEngineImpl impl(table.get());
    std::vector<std::string> alternates;
    for (auto [it, end] = impl.m_alternates.equal_range("Apple pie"); it != end; ++it)
        alternates.push_back(it->second);
    EXPECT_EQ(alternates, (std::vector<std::string>{"tart", "cake", "tart", "flan"}));
    EXPECT_EQ(impl.m_alternates.count("apple pie"), 0u);
    EXPECT_EQ(impl.m_alternates.count("Hello"), 0u); // a group without alternates adds none
    EXPECT_EQ(impl.m_alternates.size(), 5u);
    ASSERT_EQ(impl.m_buckets[104].count("Hello"), 1u);
    EXPECT_EQ(impl.m_buckets[104].begin()->first, "Hello");
    const PhraseSet* found = FindPhrasesOfFirstWord(impl, "APPLE");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(Items(*found), std::vector<std::string>{"Apple pie"});
}

TEST(Loading, EmptyTableLoadsNothing)
{
    const TestPhraseTable table{};
    const PelrinEngineImpl impl(table.get());
    for (const auto& bucket : impl.m_buckets)
        EXPECT_TRUE(bucket.empty());
    EXPECT_TRUE(impl.m_alternates.empty());
    EXPECT_TRUE(impl.m_ignoredPhrases.empty());
    EXPECT_TRUE(impl.m_appFolder.empty());
    EXPECT_TRUE(impl.m_appIniFile.empty());
}

TEST(Loading, PhraseWithLeadingSpaceLandsInBucketZeroUnderTheEmptyKey)
{
    const TestPhraseTable table{{" spaced"}};
    const PelrinEngineImpl impl(table.get());
    ASSERT_EQ(impl.m_buckets[0].size(), 1u);
    EXPECT_EQ(impl.m_buckets[0].begin()->first, "");
}

TEST(Loading, RefusesPhrasesEqualButForCase)
{
    const TestPhraseTable table{{"Apple pie"}, {"Pear"}, {"apple pie"}};
    try {
        const PelrinEngineImpl impl(table.get());
        ADD_FAILURE() << "a case duplicate was loaded";
    } catch (HRESULT hr) {
        EXPECT_EQ(hr, kE_UNEXPECTED);
    }
}

TEST(Loading, MovesEachPhraseIntoTheStoreRatherThanCopyingIt)
{
    const auto allocationsToLoad = [](const TestPhraseTable& table) {
        const test::CountedAllocations counted;
        const PelrinEngineImpl impl(table.get());
        return counted.Count();
    };
    // Too long to be kept inside a string, each of these has one heap block,
    // which moves into the store with it; a copy would take a second. The
    // copies that key the alternates come from the store's pool.
    const std::string tail(40, 'x');
    const TestPhraseTable longPhrases{{"a 1" + tail, "b", "c"}, {"a 2" + tail, "b"}, {"a 3" + tail, "b"}};
    const TestPhraseTable shortPhrases{{"a 1", "b", "c"}, {"a 2", "b"}, {"a 3", "b"}};
    EXPECT_EQ(allocationsToLoad(longPhrases) - allocationsToLoad(shortPhrases), 3);
}

TEST(Loading, RefusesAPhraseWhoseFirstByteIsNotAscii)
{
    const TestPhraseTable table{{"ok"}, {"\xC4pfel"}};
    EXPECT_THROW(PelrinEngineImpl impl(table.get()), HRESULT);
}

// The built-in table: the shape the library promises and the loader's rules.
struct TableShape {
    int groups = 0;
    int alternates = 0;
    int entries = 0; // pointer entries, the nulls included
    int maxAlternates = 0;
};

TableShape ShapeOf(const char* const* table)
{
    TableShape shape;
    std::size_t i = 0;
    while (table[i] != nullptr) {
        ++shape.groups;
        int alternates = 0;
        for (++i; table[i] != nullptr; ++i)
            ++alternates;
        ++i;
        shape.alternates += alternates;
        shape.maxAlternates = std::max(shape.maxAlternates, alternates);
    }
    shape.entries = static_cast<int>(i) + 1;
    return shape;
}

TEST(BuiltInTable, Holds47GroupsAnd72AlternatesIn167Entries)
{
    const TableShape shape = ShapeOf(BuiltInPhraseTable());
    EXPECT_EQ(shape.groups, 47);
    EXPECT_EQ(shape.alternates, 72);
    EXPECT_EQ(shape.entries, 167);
    EXPECT_LE(shape.maxAlternates, 3);
}

TEST(BuiltInTable, LoadsAndEveryPhraseIsReachableByItsFirstWord)
{
    const PelrinEngineImpl impl;
    int phrases = 0;
    int wordsWithSeveralPhrases = 0;
    bool digitFirst = false;
    for (const auto& bucket : impl.m_buckets) {
        for (const auto& [word, set] : bucket) {
            ASSERT_FALSE(word.empty());
            EXPECT_TRUE(IsAsciiAlnum(static_cast<unsigned char>(word.front()))) << word;
            digitFirst = digitFirst || (word.front() >= '0' && word.front() <= '9');
            wordsWithSeveralPhrases += set.size() >= 2 ? 1 : 0;
            for (const auto& phrase : set) {
                ++phrases;
                EXPECT_EQ(FindPhrasesOfFirstWord(impl, word), &set) << phrase;
                EXPECT_EQ(phrase.find('\xFF'), std::string::npos);
            }
        }
    }
    EXPECT_EQ(phrases, 47);
    EXPECT_EQ(impl.m_alternates.size(), 72u);
    EXPECT_GE(wordsWithSeveralPhrases, 3);
    EXPECT_TRUE(digitFirst);
}

} // namespace
} // namespace pelrin
