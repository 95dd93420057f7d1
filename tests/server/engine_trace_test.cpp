// What the engine object's methods send on the debugger output channel, as a
// debugger attached to the process records it: 1.0.0.5's checkpoints under
// the trace level, or 1.0.0.1's own lines, sent whatever the level.

#include "server/pelrin_engine.h"
#include "tests/server/engine_test_support.h"
#include "tests/support/scenario.h"
#include "tests/support/test_phrase_table.h"

#include <gtest/gtest.h>

#include <regex>

namespace pelrin {
namespace {

using test::Bstr;
using test::kExpected;
using test::RunScenarioCapturingDebugOutput;
using test::SetTraceVariable;
using test::TestPhraseTable;

const TestPhraseTable& Table()
{
    static const TestPhraseTable table{{"Apple pie", "tart", "cake"}, {"apple crumble"}, {"Pear tart"}};
    return table;
}

ComPtr<IPelrinEngine> CreateQuietly()
{
    ComPtr<IPelrinEngine> engine;
    CreatePelrinEngine(nullptr, IID_IPelrinEngine, engine.addressofVoid(), Table().get());
    return engine;
}

// Exit codes tell which call answered unexpectedly.
PELRIN_SCENARIO(engine_each_method_once)
{
    const ComPtr<IPelrinEngine> engine = CreateQuietly();
    if (!engine)
        return 1;
    UniqueVariant result;
    LONG ok = 0;
    if (engine->MatchWord(Bstr(L"apple").get(), result.addressof()) != S_OK)
        return 2;
    if (engine->LookupAlternatePhrases(Bstr(L"Apple pie").get(), result.addressof()) != S_OK)
        return 3;
    if (engine->AddIgnoredPhrase(Bstr(L"apple PIE").get(), &ok) != S_OK)
        return 4;
    if (engine->GetIgnoredPhrases(result.addressof()) != S_OK)
        return 5;
    if (engine->RemoveIgnoredPhrase(Bstr(L"Apple pie").get(), &ok) != S_OK)
        return 6;
    if (engine->ClearIgnoredPhrases(&ok) != S_OK)
        return 7;
    return 0;
}

PELRIN_SCENARIO(engine_verbose_and_empty_answers)
{
    SetTraceVariable("2");
    const ComPtr<IPelrinEngine> engine = CreateQuietly();
    if (!engine)
        return 1;
    UniqueVariant result;
    LONG ok = 0;
    if (engine->LookupAlternatePhrases(Bstr(L"  Apple pie ").get(), result.addressof()) != S_OK)
        return 2;
    if (engine->GetIgnoredPhrases(result.addressof()) != S_OK)
        return 3;
    // Nothing moves: no "ignoring" message.
    if (engine->AddIgnoredPhrase(Bstr(L"Plum jam").get(), &ok) != S_OK)
        return 4;
    // Refused by 1.0.0.5's letter-or-digit rule; nothing to move in 1.0.0.1.
    if (engine->AddIgnoredPhrase(Bstr(L"_Apple pie").get(), &ok) !=
        test::kRefusedFirstCharacter)
        return 5;
    return 0;
}

PELRIN_SCENARIO(engine_outputs_that_cannot_be_cleared)
{
    const ComPtr<IPelrinEngine> engine = CreateQuietly();
    if (!engine)
        return 1;
    SAFEARRAY* locked = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    SafeArrayLock(locked);
    VARIANT out;
    VariantInit(&out);
    const auto lockedOutput = [&] {
        V_VT(&out) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&out) = locked;
        return &out;
    };
    if (engine->MatchWord(Bstr(L"apple").get(), lockedOutput()) != DISP_E_ARRAYISLOCKED)
        return 2;
    if (engine->LookupAlternatePhrases(Bstr(L"Apple pie").get(), lockedOutput()) != DISP_E_ARRAYISLOCKED)
        return 3;
    if (engine->GetIgnoredPhrases(lockedOutput()) != DISP_E_ARRAYISLOCKED)
        return 4;
    SafeArrayUnlock(locked);
    SafeArrayDestroy(locked);
    return 0;
}

// The lines of the methods: all but those of loading the table.
std::vector<std::string> EngineLines(const std::vector<std::string>& lines)
{
    std::vector<std::string> kept;
    for (const auto& line : lines) {
        bool loading = false;
        for (const char* prefix : {"PelrinEngineImpl::", "Phrase: ", "    Alternate: ", "# of phrases: ", "loaded "})
            loading = loading || line.rfind(prefix, 0) == 0;
        if (!loading)
            kept.push_back(line);
    }
    return kept;
}

TEST(EngineTrace, OneCallOfEachMethodSendsItsCheckpointsInOrder)
{
    const auto run = RunScenarioCapturingDebugOutput("engine_each_method_once");
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_GE(run.debugLines.size(), 2u);
    if constexpr (kExpected.checkpointsUnderTraceLevel) {
        EXPECT_EQ(run.debugLines[0], "PelrinEngineImpl::PelrinEngineImpl-1, entering\n");
        EXPECT_TRUE(std::regex_match(
            run.debugLines[1],
            std::regex("PelrinEngineImpl::PelrinEngineImpl-4, loaded 3 phrase\\(s\\) in [0-9]+ millisec\n")));
    } else {
        EXPECT_EQ(run.debugLines[0], "# of phrases: 3\n");
        EXPECT_TRUE(std::regex_match(run.debugLines[1], std::regex("loaded 3 phrase\\(s\\) in [0-9]+ millisec\n")));
        EXPECT_EQ(EngineLines(run.debugLines),
                  (std::vector<std::string>{"ignoring 'apple PIE'.\n", "1 ignored phrases.\n"}));
        return;
    }
    EXPECT_EQ(EngineLines(run.debugLines),
              (std::vector<std::string>{
                  "CPelrinEngine::MatchWord-1, entering\n",
                  "CPelrinEngine::LookupAlternatePhrases-1, entering\n",
                  "CPelrinEngine::LookupAlternatePhrases-7, leaving: nphrases: 2\n",
                  "CPelrinEngine::AddIgnoredPhrase-1, entering\n",
                  "CPelrinEngine::AddIgnoredPhrase-3, ignoring 'apple PIE'.\n",
                  "CPelrinEngine::GetIgnoredPhrases-1, entering\n",
                  "CPelrinEngine::GetIgnoredPhrases-6, 1 ignored phrases.\n\n",
                  "CPelrinEngine::RemoveIgnoredPhrase-1, entering\n",
                  "CPelrinEngine::ClearIgnoredPhrases-1, entering\n",
              }));
}

TEST(EngineTrace, TheLookedUpPhraseIsFramedInTheVerboseTierAndEmptyAnswersAreCounted)
{
    const auto run = RunScenarioCapturingDebugOutput("engine_verbose_and_empty_answers");
    EXPECT_EQ(run.exitCode, 0);
    // 1.0.0.1 has no level: the variable at 2 changes nothing, loading included.
    if constexpr (!kExpected.checkpointsUnderTraceLevel) {
        EXPECT_EQ(run.debugLines.size(), 3u);
        EXPECT_EQ(EngineLines(run.debugLines), std::vector<std::string>{"0 ignored phrases.\n"});
        return;
    }
    EXPECT_EQ(EngineLines(run.debugLines),
              (std::vector<std::string>{
                  "CPelrinEngine::LookupAlternatePhrases-1, entering\n",
                  "CPelrinEngine::LookupAlternatePhrases-4, phrase: /  Apple pie /\n",
                  "CPelrinEngine::LookupAlternatePhrases-7, leaving: nphrases: 0\n",
                  "CPelrinEngine::GetIgnoredPhrases-1, entering\n",
                  "CPelrinEngine::GetIgnoredPhrases-6, 0 ignored phrases.\n\n",
                  "CPelrinEngine::AddIgnoredPhrase-1, entering\n",
                  "CPelrinEngine::AddIgnoredPhrase-1, entering\n",
              }));
}

TEST(EngineTrace, AnOutputThatCannotBeClearedIsReportedByEachMethod)
{
    const auto run = RunScenarioCapturingDebugOutput("engine_outputs_that_cannot_be_cleared");
    EXPECT_EQ(run.exitCode, 0);
    // 1.0.0.1's MatchWord publishes an error object instead of a line.
    if constexpr (!kExpected.checkpointsUnderTraceLevel) {
        EXPECT_EQ(EngineLines(run.debugLines),
                  (std::vector<std::string>{"failed to clear VARIANT return result\n",
                                            "failed to clear VARIANT return result\n"}));
        return;
    }
    EXPECT_EQ(EngineLines(run.debugLines),
              (std::vector<std::string>{
                  "CPelrinEngine::MatchWord-1, entering\n",
                  "CPelrinEngine::MatchWord-2, failed to clear VARIANT return result, error: "
                  "-2147352563\n",
                  "CPelrinEngine::LookupAlternatePhrases-1, entering\n",
                  "CPelrinEngine::LookupAlternatePhrases-2, failed to clear VARIANT return result\n",
                  "CPelrinEngine::GetIgnoredPhrases-1, entering\n",
                  "CPelrinEngine::GetIgnoredPhrases-2, failed to clear VARIANT return result\n\n",
              }));
}

} // namespace
} // namespace pelrin
