// What loading the phrase table sends on the debugger output channel, at each
// trace level the environment variable can give.

#include "engine/engine_error.h"
#include "engine/pelrin_engine_impl.h"
#include "tests/support/scenario.h"
#include "tests/support/test_phrase_table.h"

#include <gtest/gtest.h>

#include <regex>

namespace pelrin {
namespace {

using test::RunScenarioCapturingDebugOutput;
using test::SetTraceVariable;
using test::TestPhraseTable;

const TestPhraseTable& ThreeGroups()
{
    static const TestPhraseTable table{
        {"Apple pie", "tart", "cake"}, {"apple crumble"}, {"1st prize", "first place"}};
    return table;
}

int LoadThreeGroups()
{
    const PelrinEngineImpl impl(ThreeGroups().get());
    return 0;
}

PELRIN_SCENARIO(load_unset) { return LoadThreeGroups(); }
PELRIN_SCENARIO(load_level_0) { SetTraceVariable("0"); return LoadThreeGroups(); }
PELRIN_SCENARIO(load_level_empty) { SetTraceVariable(""); return LoadThreeGroups(); }
PELRIN_SCENARIO(load_level_letters) { SetTraceVariable("abc"); return LoadThreeGroups(); }
PELRIN_SCENARIO(load_level_2) { SetTraceVariable("2"); return LoadThreeGroups(); }
PELRIN_SCENARIO(load_level_minus_1) { SetTraceVariable("-1"); return LoadThreeGroups(); }
PELRIN_SCENARIO(load_level_blank_2_letters) { SetTraceVariable(" 2abc"); return LoadThreeGroups(); }
PELRIN_SCENARIO(load_level_5_then_unset)
{
    SetTraceVariable("5");
    LoadThreeGroups();
    SetTraceVariable(nullptr);
    return LoadThreeGroups();
}

PELRIN_SCENARIO(load_duplicate)
{
    const TestPhraseTable table{{"Apple pie"}, {"Pear tart"}, {"apple pie"}, {"Plum"}};
    try {
        const PelrinEngineImpl impl(table.get());
    } catch (HRESULT hr) {
        return hr == kE_UNEXPECTED ? 0 : 2;
    }
    return 1;
}

// The load time varies; only its form is fixed.
std::vector<std::string> MaskMilliseconds(std::vector<std::string> lines)
{
    static const std::regex millis(" in [0-9]+ millisec\n$");
    for (auto& line : lines)
        line = std::regex_replace(line, millis, " in N millisec\n");
    return lines;
}

const std::vector<std::string> kBasic = {
    "PelrinEngineImpl::PelrinEngineImpl-1, entering\n",
    "PelrinEngineImpl::PelrinEngineImpl-4, loaded 3 phrase(s) in N millisec\n",
};

const std::vector<std::string> kVerbose = {
    "PelrinEngineImpl::PelrinEngineImpl-1, entering\n",
    "Phrase: Apple pie\n",
    "    Alternate: tart\n",
    "    Alternate: cake\n",
    "Phrase: apple crumble\n",
    "Phrase: 1st prize\n",
    "    Alternate: first place\n",
    "PelrinEngineImpl::PelrinEngineImpl-4, loaded 3 phrase(s) in N millisec\n",
};

void ExpectLoadTrace(const char* scenario, const std::vector<std::string>& expected)
{
    const auto run = RunScenarioCapturingDebugOutput(scenario);
    EXPECT_EQ(run.exitCode, 0) << scenario;
    EXPECT_EQ(MaskMilliseconds(run.debugLines), expected) << scenario;
}

TEST(LoadTrace, WithoutTheVariableOnlyBasicMessagesAreSent)
{
    ExpectLoadTrace("load_unset", kBasic);
}

TEST(LoadTrace, ZeroEmptyOrNonNumericValuesLeaveTheLevelAtOne)
{
    ExpectLoadTrace("load_level_0", kBasic);
    ExpectLoadTrace("load_level_empty", kBasic);
    ExpectLoadTrace("load_level_letters", kBasic);
}

TEST(LoadTrace, LevelTwoListsEveryPhraseAndAlternateInTableOrder)
{
    ExpectLoadTrace("load_level_2", kVerbose);
    ExpectLoadTrace("load_level_blank_2_letters", kVerbose);
}

TEST(LoadTrace, NegativeLevelKeepsBasicMessagesOnly)
{
    ExpectLoadTrace("load_level_minus_1", kBasic);
}

TEST(LoadTrace, RemovingTheVariableKeepsTheLastNonZeroLevel)
{
    std::vector<std::string> twice = kVerbose;
    twice.insert(twice.end(), kVerbose.begin(), kVerbose.end());
    ExpectLoadTrace("load_level_5_then_unset", twice);
}

TEST(LoadTrace, DuplicateIsRefusedAfterNamingBothPhrases)
{
    const auto run = RunScenarioCapturingDebugOutput("load_duplicate");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.debugLines, (std::vector<std::string>{
                                  "PelrinEngineImpl::PelrinEngineImpl-1, entering\n",
                                  "Duplicate phrase: prior: /Apple pie/ current: /apple pie/\n",
                              }));
}

} // namespace
} // namespace pelrin
