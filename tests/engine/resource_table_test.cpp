// Loading the phrase table's resource form: what it stores, and the lines it
// writes straight to the debugger channel, whatever the trace level.

#include "diag/trace.h"
#include "engine/engine_error.h"
#include "engine/pelrin_engine_impl.h"
#include "tests/support/scenario.h"
#include "tests/support/test_phrase_table.h"

#include <gtest/gtest.h>

#include <regex>

namespace pelrin {
namespace {

using test::TestPhraseTable;

std::vector<std::string> MaskMilliseconds(std::vector<std::string> lines)
{
    static const std::regex millis(" in [0-9]+ millisec\n$");
    for (auto& line : lines)
        line = std::regex_replace(line, millis, " in N millisec\n");
    return lines;
}

TEST(ResourceTable, LoadsTheSameStoreAsThePointerList)
{
    TestPhraseTable table{{"Apple pie", "tart", "cake", "tart"}, {"apple crumble"}, {"1st prize", "first place"}};
    // A group may also end with an empty string before the end of its data.
    table.Resources()["p3"].push_back('\0');
    const PelrinEngineImpl fromPointers(table.PointerList());
    const PelrinEngineImpl fromResources(static_cast<const PhraseResources*>(&table));
    EXPECT_EQ(fromResources.m_buckets, fromPointers.m_buckets);
    EXPECT_EQ(fromResources.m_alternates, fromPointers.m_alternates);
    EXPECT_EQ(fromResources.m_alternates.count("Apple pie"), 3u);
}

struct LoadCase {
    const char* name;
    void (*damage)(TestPhraseTable&);
    std::vector<std::string> lines; // "refused" stands for a thrown E_UNEXPECTED
};

const std::vector<LoadCase>& Cases()
{
    static const std::vector<LoadCase> cases = {
        {"three groups", [](TestPhraseTable&) {},
         {"# of phrases: 3\n", "loaded 3 phrase(s) in N millisec\n"}},
        {"count 0", [](TestPhraseTable& t) { t.SetCount(0); },
         {"# of phrases: 0\n", "loaded 0 phrase(s) in N millisec\n"}},
        {"count beyond the groups", [](TestPhraseTable& t) { t.SetCount(4); },
         {"# of phrases: 4\n", "resource p4 not found\n", "refused"}},
        {"no count", [](TestPhraseTable& t) { t.Resources().erase("pcount"); },
         {"resource pcount not found\n", "refused"}},
        // Fewer than 4 bytes are not read past their end.
        {"short count", [](TestPhraseTable& t) { t.Resources()["pcount"].resize(2); },
         {"resource pcount not found\n", "refused"}},
        {"duplicate",
         [](TestPhraseTable& t) {
             t.Resources()["p3"] = t.Resources()["p1"];
             t.Resources()["p3"][0] ^= 0x20; // 'A' to 'a'
         },
         {"# of phrases: 3\n", "Duplicate phrase: prior: /Apple pie/ current: /apple pie/\n", "refused"}},
        {"not ASCII", [](TestPhraseTable& t) { t.Resources()["p2"] = {'\x3B', '\0'}; },
         {"# of phrases: 3\n", "phrase does not begin with an ASCII byte: /\xC4/\n", "refused"}},
    };
    return cases;
}

PELRIN_SCENARIO(resource_table_outcomes)
{
    for (const auto& c : Cases()) {
        TestPhraseTable table{{"Apple pie", "tart"}, {"Pear tart"}, {"1st prize"}};
        c.damage(table);
        DebugMessage("== %s", c.name);
        try {
            const PelrinEngineImpl impl(static_cast<const PhraseResources*>(&table));
        } catch (HRESULT hr) {
            DebugMessage(hr == kE_UNEXPECTED ? "refused" : "other");
        }
    }
    return 0;
}

TEST(ResourceTable, EachOutcomeWritesItsOwnLines)
{
    std::vector<std::string> expected;
    for (const auto& c : Cases()) {
        expected.push_back(std::string("== ") + c.name);
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    }
    const auto run = test::RunScenarioCapturingDebugOutput("resource_table_outcomes");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(MaskMilliseconds(run.debugLines), expected);
}

} // namespace
} // namespace pelrin
